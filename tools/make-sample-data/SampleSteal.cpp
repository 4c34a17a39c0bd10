// The thieves' hollow behind the meadow and the sword's two skills for it: a slash whose hit kind
// word steals (plainly when tapped, strongly when held) and a launch followed through by a heavy
// strike held out over the thrown body, once a step, until it has struck sixty times; and the sword
// lying in the hollow that teaches them.
#include "SampleSteal.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <tuple>

#include "SampleParts.h"

namespace sample {

namespace {

constexpr std::int32_t kPlainStealWord = 100000;
constexpr std::int32_t kStrongStealWord = 100001;
// The frame of the juggle motion the follow-through starts in, two after the launch.
constexpr std::uint32_t kFollowThroughFrame = 5;

// The plain swing's place in front of the chest, weaker: the carriers stand many slashes.
TAttackRecord Slash(std::uint16_t id, std::int32_t word)
{
    TAttackRecord r = qmtest::FieldAttackRecords().at(1);
    r.Id = id;
    r.Radius = 0.9F;
    r.DamageFactor = 0.2F;
    r.Param8 = word;
    return r;
}

TEnemyRecord Carrier(std::uint32_t type, const char* label, std::int32_t hp)
{
    TEnemyRecord r = qmtest::FieldEnemyRecord();
    r.id = type;
    r.label = label;
    r.maxHp = r.hp = hp;
    return r;
}

}  // namespace

const std::vector<HeroStrike>& HeroStealStrikes()
{
    static const std::vector<HeroStrike> strikes = {
        {"hero01", StealLayout::kTapMotion, qmtest::kPlayerModelSwingFrame, StealLayout::kPlainSteal},
        {"hero01", StealLayout::kHoldMotion, qmtest::kPlayerModelSwingFrame, StealLayout::kStrongSteal},
        {"hero01", StealLayout::kJuggleMotion, qmtest::kPlayerModelSwingFrame, StealLayout::kLaunch},
        {"hero01", StealLayout::kJuggleMotion, kFollowThroughFrame, StealLayout::kJuggle},
    };
    return strikes;
}

void AddStealContent(Catalogue& c)
{
    for (const auto& [id, name, text] : {std::tuple{StealLayout::kStealSkill, "掠め斬り", "斬りつけて持ち物を奪う"},
                                         std::tuple{StealLayout::kJuggleSkill, "打ち上げ連撃", "打ち上げて叩き続ける"}}) {
        // Of the sword's class (type 4 + weapon type 0).
        const TSkillRecord skill = Skill(id, name, 4, text);
        c.skills.push_back(skill);
        for (TexturePackage& p : c.textures) {
            if (p.file == "skillinfo.ptx") {
                p.entries.push_back(skill.InfoName);
            }
        }
    }
    TWeponRecord sword = Wepon(StealLayout::kSword, "盗賊の剣", 0, 14, 0, StealLayout::kStealSkill);
    sword.Skill[1] = StealLayout::kJuggleSkill;
    c.wepons.push_back(sword);
    TItemRecord item = Item(sword.Id, sword.Name.c_str(), 1, 400, "奪い、打ち上げる剣");
    item.MeshName = sword.MeshName;  // lying in the hollow
    c.items.push_back(item);
    for (TexturePackage& p : c.textures) {
        if (p.file == "itemicon.ptx") {
            p.entries.push_back(item.IconName);
        } else if (p.file == "iteminfo.ptx") {
            p.entries.push_back(item.InfoName);
        }
    }
    AddAttack(c, Slash(StealLayout::kPlainSteal, kPlainStealWord));
    AddAttack(c, Slash(StealLayout::kStrongSteal, kStrongStealWord));
    // Low and wide, as the air strike that throws up; then the follow-through, wide enough to
    // reach the body all the way up.
    TAttackRecord launch = Slash(StealLayout::kLaunch, -1);
    launch.Flags = 4;
    launch.Offset[1] = 0.2F;
    launch.Radius = 1.2F;
    launch.KnockTime = 40.0F;
    launch.LaunchSpeed = 0.06F;
    AddAttack(c, launch);
    TAttackRecord juggle = Slash(StealLayout::kJuggle, -1);
    juggle.Kind = 1;
    juggle.Flags = 16;
    juggle.HitCount = StealLayout::kJuggleHits;
    juggle.Interval = 1;
    juggle.Radius = 2.5F;
    juggle.DamageFactor = 0.05F;
    juggle.KnockTime = StealLayout::kJuggleKnockTime;
    AddAttack(c, juggle);

    TEnemyRecord thief = Carrier(StealLayout::kThiefType, "薬を抱えた獣", 2000);
    thief.item = static_cast<std::int32_t>(StealLayout::kCarriedItem);
    thief.itemChance = 1.0F;
    TEnemyRecord purse = Carrier(StealLayout::kPurseType, "財布を下げた獣", 2000);
    purse.money = StealLayout::kPurse;
    TEnemyRecord juggled = Carrier(StealLayout::kJuggledType, "跳ねる獣", 3000);
    for (const TEnemyRecord& e : {thief, purse, juggled}) {
        const auto same = [&](const TEnemyRecord& held) { return held.id == e.id; };
        if (std::any_of(c.enemies.begin(), c.enemies.end(), same)) {
            throw std::runtime_error("two enemy records of type " + std::to_string(e.id));
        }
        c.enemies.push_back(e);
    }
}

void AddStealMap(std::vector<qmtest::FieldMap>& maps)
{
    qmtest::FieldMap hollow;
    hollow.file = SampleLayout::kMapFile;
    hollow.entry = StealLayout::kEntry;
    hollow.kind = 1;
    hollow.display = "盗人の窪地";
    hollow.music = "battle.ogg";
    // No fog, and the follow camera's eye 6 from the hero: one cell holds all of the ground, so none
    // of it drops out as the eye crosses a cell's edge.
    hollow.meshCell = 400.0F;
    hollow.areaMesh = StealLayout::kGroundMesh;
    hollow.minimap = kHollowMinimap;
    hollow.crate = false;  // the battle map's, not the hollow's
    hollow.enemies = {{StealLayout::kThiefType, StealLayout::Thief(), {}},
                      {StealLayout::kPurseType, StealLayout::PurseCarrier(), {}},
                      {StealLayout::kJuggledType, StealLayout::Juggled(), {}}};
    hollow.maxLive = 3;
    hollow.items.push_back({StealLayout::kSword, StealLayout::kSwordFlag, 0, StealLayout::SwordPickup()});
    hollow.spawnDistance = StealLayout::kSpawnDistance;
    const auto isMeadow = [](const qmtest::FieldMap& m) { return m.entry == LeftoverLayout::kEntry; };
    const auto meadow = std::find_if(maps.begin(), maps.end(), isMeadow);
    if (meadow == maps.end()) {
        throw std::runtime_error("the hollow's gate needs the meadow");
    }
    JoinByCornerGates(*meadow, LeftoverLayout::kMap, StealLayout::MeadowGateMinimum(), StealLayout::MeadowGateMaximum(),
                      hollow, StealLayout::kMap, StealLayout::HollowGateMinimum(), StealLayout::HollowGateMaximum());
    maps.push_back(hollow);
}

}  // namespace sample
