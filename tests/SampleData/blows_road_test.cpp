// The blows that hold, fell and rise, played on the sample folder. On the battle map: the partner's
// charged shot with the bow, whose slow arrow stuns, holds the corpse that rises again, waiting on
// its place; that corpse, beaten to nothing with the sword, rises again with full life and
// stronger; the thief's sword's launch, followed through heavily, only takes life from the swarm's
// shadow, whom no blow staggers. In the arena, the brawler's heavy blow fells the hero, his back to
// it, on his face.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Hud/TItemRing.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "SampleData/battle_start.h"
#include "SampleData/field_road.h"
#include "dx/dx8/3d/TMesh8.h"
#include "make-sample-data/SampleData.h"
#include "make-sample-data/SampleSteal.h"
#include "support/character_probe.h"
#include "support/effect_create_recorder.h"
#include "support/field_walk.h"
#include "support/hud_probe.h"
#include "support/map_probe.h"
#include "support/scene_driver.h"

namespace {

using qmtest::Button;
using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::SceneDriver;

// The corpse that rises again and the swarm's shadow.
constexpr std::uint32_t kCorpseType = 10011, kShadowType = 59;
// The enemies' states: staggered (below it the standing ones), staggered from behind, thrown down
// (front, back), launched, landing, held, attacking.
constexpr std::uint32_t kEnemyStagger = 5, kEnemyStaggerBack = 6, kEnemyThrown = 7, kEnemyThrownBack = 8,
                        kEnemyLaunched = 11, kEnemyLanding = 13, kEnemyHeld = 14, kEnemyAttack = 16;
// The hero's: felled from behind, then lying on his face.
constexpr std::uint32_t kHeroDownBack = 10, kHeroLyingBack = 12;
// Reaction modes: standing, stunned, down, heavy hit.
constexpr std::uint32_t kModeNormal = 1, kModeStunned = 100, kModeDown = 1000, kModeHeavy = 1000000;

// The motion row a character's body plays.
std::uint32_t Row(const TGameObject* o) { return o->GetBodyMesh()->GetMorphIndex(); }

bool Made(const std::vector<TEffectCreateCall>& made, std::uint32_t id)
{
    return std::any_of(made.begin(), made.end(), [&](const TEffectCreateCall& c) { return c.id == id; });
}

class BlowsRoad : public qmtest::SampleFieldRoad {
protected:
    void SetUp() override
    {
        SampleFieldRoad::SetUp();
        init_genrand(84);
    }
    TPlayerCharacter* Hero() const { return field_->GetPlayer(); }
    // The living enemy of that type, held so that the field cannot let it go under the road.
    TRefPtr<TEnemy> Living(std::uint32_t type) const
    {
        for (const auto& entry : field_->GetArea()->GetEnemies()->GetLive()) {
            if (entry.second->GetRelatedId() == type && entry.second->IsAlive()) {
                return entry.second;
            }
        }
        return TRefPtr<TEnemy>();
    }
    // A new game on the battle map, its fade-in over.
    bool StartOnBattleMap()
    {
        field_ = qmtest::StartOnBattleMap(driver_);
        return field_ != nullptr && driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field_); }, 200);
    }
    // The hero stands `away` in front of the enemy, facing it, as walked up to it.
    void FaceUp(TEnemy* enemy, float away)
    {
        D3DXVECTOR3 toHero = PositionOf(Hero()) - PositionOf(enemy);
        toHero.y = 0.0F;
        if (D3DXVec3Length(&toHero) < 1e-3F) {
            toHero = {0.0F, 0.0F, -1.0F};
        }
        D3DXVec3Normalize(&toHero, &toHero);
        Hero()->PlaceAt(PositionOf(enemy) + toHero * away, -toHero);
    }
    // One step, the hero kept alive through the enemies' blows.
    void Step()
    {
        if (Hero()->GetHp() < Hero()->GetMaxHp() / 2) {
            Hero()->RecoverHp(1000);
        }
        driver_.Step();
    }
    bool OnItsFeet(const TEnemy* enemy) const
    {
        return enemy->GetState() < kEnemyStagger && enemy->GetReactionMode() == kModeNormal;
    }

    TFieldLoop* field_ = nullptr;
};

// The partner takes up her bow (the hero standing in while her weapon is set, as the equipment
// screen stores it) and stands three steps from the corpse, which waits on its place. Her charged
// shot's stunning arrow, 1.5 of her full shot (STR 100 and the bow's 18 against its VIT 16: 113),
// lands and holds it in its held motion (row 14), the long stun's 400 steps counting down a step at
// a time; the arrows passing through strike it on out of the hold, and once they are gone it
// stands again.
TEST_F(BlowsRoad, ThePartnersChargedShotHoldsAWaitingEnemy)
{
    ASSERT_TRUE(StartOnBattleMap());
    TGameData* data = TGameData::GetInstance();
    ASSERT_TRUE(field_->ChangePlayer(0));
    data->GetCharacterData(1)->WeaponId = sample::PartnerClasses::kBow;
    ASSERT_TRUE(field_->ChangePlayer(1));
    const TRefPtr<TEnemy> corpse = Living(kCorpseType);
    ASSERT_NE(corpse.Get(), nullptr);
    ASSERT_TRUE(OnItsFeet(corpse.Get())) << "waiting on its place";

    struct Held {
        std::int32_t taken = 0;
        std::uint32_t row = 0, mode = 0, nextRow = 0;
        std::int32_t stun = 0, nextStun = 0;
    } held;
    bool landed = false;
    for (int attempt = 0; attempt < 4 && !landed; ++attempt) {
        ASSERT_TRUE(driver_.StepUntil([&] { return Hero()->GetState() <= 3 && OnItsFeet(corpse.Get()); }, 300));
        FaceUp(corpse.Get(), 3.0F);
        // The attack held past its charge, let go: the charged shot.
        SceneDriver::Hold(Button::A, true);
        for (int i = 0; i < 25; ++i) {
            Step();
        }
        SceneDriver::Hold(Button::A, false);
        for (int i = 0; i < 60 && !landed; ++i) {
            const std::int32_t hp = corpse->GetHp();
            Step();
            landed = corpse->GetState() == kEnemyHeld;
            if (landed) {
                held = {hp - corpse->GetHp(), Row(corpse.Get()), corpse->GetReactionMode(), 0,
                        TCharacterProbe::StunTime(*corpse), 0};
                Step();
                held.nextRow = corpse->GetState() == kEnemyHeld ? Row(corpse.Get()) : 0;
                held.nextStun = TCharacterProbe::StunTime(*corpse);
            }
        }
    }
    ASSERT_TRUE(landed) << "the stunning arrow held it";
    EXPECT_EQ(held.taken, 169);
    EXPECT_EQ(held.row, kEnemyHeld) << "its held motion";
    EXPECT_EQ(held.mode, kModeStunned);
    EXPECT_EQ(held.stun, 400);
    EXPECT_EQ(held.nextRow, kEnemyHeld) << "still held a step later";
    EXPECT_EQ(held.nextStun, 399);
    EXPECT_TRUE(driver_.StepUntil([&] { return OnItsFeet(corpse.Get()); }, 300)) << "standing again";
    EXPECT_TRUE(corpse->IsAlive());
    EXPECT_TRUE(driver_.boxes.empty());
}

// The hero steps up behind the first enemy as it waits, facing its back, and swings the sword
// once: the light blow lands from behind, and it staggers in its motion for a blow from behind
// (row 6), not the one from the front, then stands again.
TEST_F(BlowsRoad, ALightBlowFromBehindStaggersAWaitingEnemyInItsBackMotion)
{
    ASSERT_TRUE(StartOnBattleMap());
    const TRefPtr<TEnemy> enemy = Living(qmtest::kFieldEnemyType);
    ASSERT_NE(enemy.Get(), nullptr);
    ASSERT_TRUE(OnItsFeet(enemy.Get())) << "waiting on its place";
    D3DXVECTOR3 front;
    enemy->GetFront(&front);
    front.y = 0.0F;
    D3DXVec3Normalize(&front, &front);
    Hero()->PlaceAt(PositionOf(enemy.Get()) - front * 1.2F, front);
    SceneDriver::Hold(Button::A, true);
    Step();
    SceneDriver::Hold(Button::A, false);
    std::int32_t taken = 0;
    std::uint32_t state = 0, row = 0;
    for (int i = 0; i < 60 && taken == 0; ++i) {
        const std::int32_t hp = enemy->GetHp();
        Step();
        taken = hp - enemy->GetHp();
        state = enemy->GetState();
        row = Row(enemy.Get());
    }
    ASSERT_GT(taken, 0) << "the blow landed";
    EXPECT_EQ(state, kEnemyStaggerBack);
    EXPECT_EQ(row, kEnemyStaggerBack) << "its motion for a blow from behind";
    EXPECT_TRUE(driver_.StepUntil([&] { return OnItsFeet(enemy.Get()); }, 200)) << "standing again";
    EXPECT_TRUE(enemy->IsAlive());
}

// The corpse that rises again, struck with the sword's combo until a blow takes the last of its
// 396: that blow throws it down, but it rises at once to full life in the healing glow of its
// revival, half as strong again, gets up off the ground and stands; the hero gains nothing.
TEST_F(BlowsRoad, TheRisingCorpseBeatenToNothingRisesAgainWithFullLifeAndStronger)
{
    ASSERT_TRUE(StartOnBattleMap());
    const TRefPtr<TEnemy> corpse = Living(kCorpseType);
    ASSERT_NE(corpse.Get(), nullptr);
    ASSERT_EQ(corpse->GetMaxHp(), 396);
    ASSERT_EQ((std::vector<std::int32_t>{corpse->GetStr(), corpse->GetVit(), corpse->GetInt(), corpse->GetMen()}),
              (std::vector<std::int32_t>{106, 16, 8, 8}));
    const std::uint32_t experience = Hero()->GetExperience();
    std::vector<TEffectCreateCall> made;
    qmtest::EffectCreateRecorder creates(field_->GetEffectManager(), &made);
    bool risen = false;
    std::int32_t lowest = 396;
    FaceUp(corpse.Get(), 1.2F);
    for (int step = 0; step < 600 && !risen; ++step) {
        if (Hero()->GetState() <= 3 && FlatDistance(PositionOf(Hero()), PositionOf(corpse.Get())) > 1.4F) {
            qmtest::WalkTowards(field_, PositionOf(corpse.Get()));
        } else {
            qmtest::ReleaseArrows();
        }
        SceneDriver::Hold(Button::A, step % 8 < 4);
        const std::int32_t hp = corpse->GetHp();
        made.clear();
        Step();
        ASSERT_EQ(driver_.Current(), field_);
        // Full again at once after a blow that found it low.
        risen = corpse->GetHp() == 396 && hp < 396;
        lowest = std::min(lowest, hp);
    }
    SceneDriver::ReleaseAll();
    ASSERT_TRUE(risen) << "beaten down to " << lowest;
    EXPECT_TRUE(corpse->IsAlive());
    // Its revival's glow: the twin heal glow, its column and sparkle.
    EXPECT_TRUE(Made(made, 906) && Made(made, 107) && Made(made, 103)) << "the healing glow";
    EXPECT_EQ((std::vector<std::int32_t>{corpse->GetStr(), corpse->GetVit(), corpse->GetInt(), corpse->GetMen()}),
              (std::vector<std::int32_t>{159, 24, 12, 12}));
    // Thrown down by the blow, lying, then up again.
    const std::uint32_t thrown = corpse->GetState();
    EXPECT_TRUE(thrown == kEnemyThrown || thrown == kEnemyThrownBack) << thrown;
    EXPECT_EQ(corpse->GetReactionMode(), kModeDown);
    std::vector<std::uint32_t> states = {thrown};
    ASSERT_TRUE(driver_.StepUntil(
        [&] {
            if (states.back() != corpse->GetState()) {
                states.push_back(corpse->GetState());
            }
            return states.size() == 3;
        },
        300));
    // Up to its standing or its next attack.
    EXPECT_EQ(states[1], thrown + 2) << "lying";
    EXPECT_TRUE(states[2] < kEnemyStagger || states[2] == kEnemyAttack) << states[2];
    EXPECT_EQ(corpse->GetReactionMode(), kModeNormal) << "on its feet";
    EXPECT_TRUE(corpse->IsAlive());
    EXPECT_EQ(Hero()->GetExperience(), experience) << "no gain from it";
    EXPECT_TRUE(driver_.boxes.empty());
}

// The thief's sword's launch with its follow-through (learned as its points teach it, set in the
// first slot) on the swarm's shadow: no blow staggers it, so the launch only takes 22 of its 245
// and each heavy strike of the follow-through, once a step, 5 with the heavy hit's spark (101),
// while it goes on with its own moves, until the strike that ends it throws it down.
TEST_F(BlowsRoad, TheHeavyFollowThroughOnlyTakesLifeFromTheSwarmsShadow)
{
    using sample::StealLayout;
    ASSERT_TRUE(StartOnBattleMap());
    TGameData* data = TGameData::GetInstance();
    std::vector<std::uint32_t> learned;
    data->AddWeponAbp(0, StealLayout::kSword, 200, learned);
    ASSERT_EQ(learned, (std::vector<std::uint32_t>{StealLayout::kStealSkill, StealLayout::kJuggleSkill}));
    data->SetSkillSlot(0, 0, StealLayout::kJuggleSkill);
    field_->RefreshHud();
    const TRefPtr<TEnemy> shadow = Living(kShadowType);
    ASSERT_NE(shadow.Get(), nullptr);
    ASSERT_EQ(shadow->GetHp(), 245);
    std::vector<TEffectCreateCall> made;
    qmtest::EffectCreateRecorder creates(field_->GetEffectManager(), &made);
    std::vector<std::int32_t> losses;
    int heavySparks = 0;
    bool thrownAlive = false;
    for (int attempt = 0; attempt < 6 && shadow->GetHp() > 0; ++attempt) {
        ASSERT_TRUE(driver_.StepUntil([&] { return Hero()->GetState() <= 3; }, 300));
        FaceUp(shadow.Get(), 1.2F);
        SceneDriver::Hold(Button::B, true);
        Step();
        SceneDriver::Hold(Button::B, false);
        for (int i = 0; i < 90 && shadow->GetHp() > 0; ++i) {
            const std::int32_t hp = shadow->GetHp();
            made.clear();
            Step();
            if (shadow->GetHp() < hp) {
                losses.push_back(hp - shadow->GetHp());
                heavySparks += Made(made, 101) ? 1 : 0;
            }
            const std::uint32_t state = shadow->GetState();
            thrownAlive = thrownAlive || (shadow->GetHp() > 0 && state >= kEnemyStagger && state <= kEnemyLanding);
        }
    }
    ASSERT_EQ(shadow->GetHp(), 0) << "struck to the end";
    // The launch, 44 strikes of 5 and the last 3.
    std::vector<std::int32_t> expected = {22};
    expected.insert(expected.end(), 44, 5);
    expected.push_back(3);
    EXPECT_EQ(losses, expected);
    EXPECT_EQ(heavySparks, 45);
    EXPECT_FALSE(thrownAlive) << "staggered, launched or thrown while it lived";
    EXPECT_NE(shadow->GetState(), kEnemyLaunched);
    EXPECT_EQ(shadow->GetState(), kEnemyThrown) << "thrown down by the strike that ends it";
    EXPECT_EQ(shadow->GetReactionMode(), kModeDown);
    EXPECT_TRUE(driver_.boxes.empty());
}

// In the arena, beside its brawler, the hero turns his back to it and lets it strike. Its heavy
// blow (twice its plain 1: its STR 96 against his VIT 104, (96 - 104) + 9.6), landing from behind, fells him on his face (his
// felled-from-behind motion, row 10), throws him forward, away from the brawler, by the blow's knock
// time 20 over the eight-frame motion, lays him on his face (row 12) and lets him up. V held from
// the blow on opens the item ring only once he is on his feet.
TEST_F(BlowsRoad, TheBrawlersHeavyBlowFromBehindFellsTheHeroOnHisFace)
{
    using sample::Reactions;
    TGameData::GetInstance()->Reset();
    field_ = Enter(Reactions::kArena, qmtest::FieldLayout::Start(), qmtest::FieldLayout::StartDirection(),
                   qmtest::FieldLayout::StartCamera());
    ASSERT_NE(field_, nullptr);
    const TRefPtr<TEnemy> brawler = Living(Reactions::kBrawlerType);
    ASSERT_NE(brawler.Get(), nullptr);
    TPlayerCharacter* hero = Hero();
    FaceUp(brawler.Get(), 1.2F);
    std::int32_t taken = 0;
    D3DXVECTOR3 from, striker;
    bool felled = false;
    for (int step = 0; step < 3000 && !felled; ++step) {
        if (hero->GetHp() < hero->GetMaxHp() / 2) {
            hero->RecoverHp(1000);
        }
        // On his feet: back beside the brawler, then his back turned to it.
        const bool free = hero->GetState() <= 3;
        D3DXVECTOR3 front;
        hero->GetFront(&front);
        const D3DXVECTOR3 toBrawler = PositionOf(brawler.Get()) - PositionOf(hero);
        if (free && FlatDistance(PositionOf(hero), PositionOf(brawler.Get())) > 1.6F) {
            qmtest::WalkTowards(field_, PositionOf(brawler.Get()));
        } else if (free && D3DXVec3Dot(&front, &toBrawler) > 0.0F) {
            qmtest::WalkTowards(field_, PositionOf(hero) - toBrawler);
        } else {
            qmtest::ReleaseArrows();
        }
        const std::int32_t hp = hero->GetHp();
        from = PositionOf(hero);
        driver_.Step();
        ASSERT_EQ(driver_.Current(), field_);
        felled = hero->GetState() == kHeroDownBack;
        taken = hp - hero->GetHp();
        striker = PositionOf(brawler.Get());
    }
    qmtest::ReleaseArrows();
    ASSERT_TRUE(felled) << "struck down from behind";
    EXPECT_EQ(taken, 2);
    EXPECT_EQ(hero->GetReactionMode(), kModeHeavy);
    std::vector<std::uint32_t> states = {hero->GetState()};
    std::vector<std::uint32_t> rows = {Row(hero)};
    const TItemRing& ring = *field_->GetItemRing();
    SceneDriver::Hold(Button::D, true);
    bool openWhileDown = false;
    ASSERT_TRUE(driver_.StepUntil(
        [&] {
            openWhileDown = openWhileDown || (hero->GetState() != 0 && THudProbe::IsOpen(ring));
            if (hero->GetState() != states.back()) {
                states.push_back(hero->GetState());
                rows.push_back(Row(hero));
            }
            return hero->GetState() == 0 || states.size() > 4;
        },
        400));
    EXPECT_EQ(states, (std::vector<std::uint32_t>{kHeroDownBack, kHeroLyingBack, 0}));
    EXPECT_EQ(rows, (std::vector<std::uint32_t>{kHeroDownBack, kHeroLyingBack, 0}));
    EXPECT_FALSE(openWhileDown) << "the ring opened while he lay";
    EXPECT_TRUE(driver_.StepUntil([&] { return THudProbe::IsOpen(ring); }, 10)) << "on his feet, V held";
    SceneDriver::Hold(Button::D, false);
    D3DXVECTOR3 away = from - striker;
    away.y = 0.0F;
    D3DXVECTOR3 moved = PositionOf(hero) - from;
    moved.y = 0.0F;
    // (7 + 6 + ... + 1) / 20.
    EXPECT_NEAR(D3DXVec3Dot(&moved, &away) / D3DXVec3Length(&away), 1.4F, 0.05F) << "thrown away from the brawler";
    EXPECT_NEAR(D3DXVec3Length(&moved), 1.4F, 0.05F);
    EXPECT_TRUE(driver_.boxes.empty());
}

}  // namespace
