// The blows that do more than stagger: the hero's jump attack in the sword's class throws an enemy
// up, and its follow-up strikes it again while it is in the air; in an arena behind the battle
// map's south-east corner a brawler knocks the hero back lightly, throws him up, stuns him and
// knocks him flat.
#include <iterator>

#include "SampleData.h"
#include "SampleParts.h"

namespace sample {

namespace {

// The enemies' plain blow in front of the chest, as another kind of hit.
TAttackRecord Blow(std::uint16_t id, std::uint32_t flags, float damageFactor)
{
    TAttackRecord r = qmtest::FieldAttackRecords().at(1);
    r.Id = id;
    r.Flags = flags;
    r.DamageFactor = damageFactor;
    return r;
}

}  // namespace

const std::vector<ReactionStrike>& HeroAirStrikes()
{
    // The first air strike (row 35) and its follow-up (row 37) of the sword's class model. Each
    // lands with a hop, which turns an attack pressed meanwhile into the follow-up.
    static const std::vector<ReactionStrike> strikes = {
        {"hero01", 45, Reactions::kAirLaunch},
        {"hero01", 47, Reactions::kAirFollowUp},
    };
    return strikes;
}

std::uint16_t ReactionAttackOf(std::uint32_t enemyType, std::uint32_t motion)
{
    constexpr std::uint32_t kFirstAttackMotion = 16;
    if (enemyType != Reactions::kBrawlerType || motion < kFirstAttackMotion ||
        motion >= kFirstAttackMotion + std::size(Reactions::kBlows)) {
        return 0;
    }
    return Reactions::kBlows[motion - kFirstAttackMotion];
}

void AddReactionContent(Catalogue& c)
{
    // Lower and wider than the plain swing, as the hero strikes from above, and lighter: the
    // leaping enemy stands both strikes.
    TAttackRecord launch = Blow(Reactions::kAirLaunch, 4, 0.25F);
    launch.Offset[1] = 0.2F;
    launch.Radius = 1.2F;
    launch.KnockTime = 40.0F;
    launch.LaunchSpeed = 0.06F;
    launch.Param8 = 1;
    AddAttack(c, launch);
    TAttackRecord followUp = launch;
    followUp.Id = Reactions::kAirFollowUp;
    followUp.Flags = 2;
    followUp.Param8 = 2;
    AddAttack(c, followUp);

    // The light blow is held out through the rest of its swing until it has landed once. One that
    // misses ends with its swing: held on, it would land later with the next blow, the two taking
    // 3 HP or more in one step.
    TAttackRecord light = Blow(Reactions::kLightBlow, 2, 1.0F);
    light.Kind = 2;
    light.HitCount = 1;
    AddAttack(c, light);
    TAttackRecord up = Blow(Reactions::kLaunchBlow, 4, 1.5F);
    up.KnockTime = 40.0F;
    up.LaunchSpeed = 0.06F;
    AddAttack(c, up);
    AddAttack(c, Blow(Reactions::kStunBlow, 8, 0.5F));
    TAttackRecord heavy = Blow(Reactions::kHeavyBlow, 16, 2.0F);
    heavy.KnockTime = 20.0F;
    AddAttack(c, heavy);

    TEnemyRecord brawler = qmtest::FieldEnemyRecord();
    brawler.id = Reactions::kBrawlerType;
    brawler.label = "拳の闘士";
    brawler.level = 4;
    brawler.maxHp = brawler.hp = 400;
    // Grown to its level 4 that is STR 96, under a new hero's guard of 104: its plain blow takes 1
    // of his 120 HP (its others 1, none and 2), so it knocks him about but a whole fight leaves him
    // most of his HP, even one who swings only once a second or so, or with his back to the south
    // barrier. At 40 (STR 98) it took 3 a blow and up to 6, and such a fight could cost a newcomer
    // a quarter of his HP, two thirds against the barrier; at 41 (STR 100) half of it in the open.
    brawler.str = 39;
    brawler.vit = 8;
    brawler.money = 80;
    brawler.modelName = Reactions::kBrawlerModel;
    c.enemies.push_back(brawler);
    c.characterModels.push_back(brawler.modelName);
}

void AddReactionArena(std::vector<qmtest::FieldMap>& maps)
{
    qmtest::FieldMap& battle = maps.at(0);
    qmtest::FieldMap arena = qmtest::DefaultFieldMaps()[0];
    arena.file = battle.file;
    arena.entry = "b04_01";
    arena.display = "闘技場";
    arena.areaMesh = Reactions::kArenaMesh;
    arena.meshCell = battle.meshCell;
    arena.minimap = Reactions::kArenaMinimap;
    arena.crate = false;  // the battle map's, not the arena's
    arena.enemies = {{Reactions::kBrawlerType, Reactions::Brawler(), {0.0F, 0.0F, -1.0F}}};
    arena.spawners.clear();
    arena.maxLive = 1;
    arena.spawnDistance = battle.spawnDistance;
    qmtest::FieldTrigger gate = CornerGateTrigger(Reactions::GateMinimum(), Reactions::GateMaximum());
    gate.destination = Reactions::kArena;
    gate.startPosition = qmtest::FieldLayout::Start();
    gate.startDirection = qmtest::FieldLayout::StartDirection();
    gate.startCamera = qmtest::FieldLayout::StartCamera();
    battle.triggers.push_back(gate);
    // And back to the battle map's corner, facing away from its gate.
    gate.destination = SampleLayout::kBattle;
    gate.startPosition = CornerArrival(true);
    gate.startDirection = {0.0F, 0.0F, 1.0F};
    gate.startCamera = CornerArrivalCamera(true);
    arena.triggers = {gate};
    maps.push_back(arena);
}

}  // namespace sample
