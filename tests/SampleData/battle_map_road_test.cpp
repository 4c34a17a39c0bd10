// The battle map's two slower happenings played on the sample folder: the time stopper's stopping
// blow, which holds the hero where it struck until its time runs out or a blow lands, and the
// spawner in the north-east corner, which sends an enemy of its own once one of the placed ones has
// fallen.
#include <gtest/gtest.h>

#include <algorithm>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TimeStop.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "SampleData/field_road.h"
#include "make-sample-data/SampleData.h"
#include "support/character_probe.h"
#include "support/field_walk.h"
#include "support/scene_driver.h"

namespace {

// An enemy's state while it rises out of the ground where it was sent.
constexpr std::uint32_t kRising = 15;

using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::SceneDriver;
using sample::SampleLayout;

class BattleMapRoad : public qmtest::SampleFieldRoad {
protected:
    TFieldLoop* EnterBattleMapAt(const D3DXVECTOR3& at)
    {
        return Enter(SampleLayout::kBattle, at, {0.0F, 0.0F, 1.0F}, at + D3DXVECTOR3(0.0F, 3.0F, -6.0F));
    }
    TEnemy* OfType(std::uint32_t type) const
    {
        for (const auto& entry : Field()->GetArea()->GetEnemies()->GetLive()) {
            if (entry.second->GetRelatedId() == type && entry.second->IsAlive()) {
                return entry.second.Get();
            }
        }
        return nullptr;
    }
};

// Beside the time stopper, kept on his feet and walking back to it when thrown off, the hero waits
// for the stopping blow (one attack in twenty): from then on the arrows move him no more, until the stop ends by itself (600 steps) or
// by a blow, and then they do again.
TEST_F(BattleMapRoad, TheTimeStoppersBlowHoldsTheHeroUntilTheStopEnds)
{
    D3DXVECTOR3 stopper;
    for (const qmtest::FieldEnemy& e : SampleLayout::ClassEnemies()) {
        if (e.typeId == SampleLayout::kTimeStopEnemyType) {
            stopper = e.position;
        }
    }
    TFieldLoop* field = EnterBattleMapAt(stopper + D3DXVECTOR3(0.0F, 0.0F, -2.5F));
    ASSERT_NE(field, nullptr);
    TPlayerCharacter* hero = field->GetPlayer();
    driver_.RecordSounds(true);
    ASSERT_TRUE(driver_.StepUntil(
        [&] {
            hero->RecoverHp(1000);
            if (IsTimeStopped()) {
                return true;
            }
            // Back beside it whenever its blows have thrown him off.
            TEnemy* enemy = OfType(SampleLayout::kTimeStopEnemyType);
            if (enemy != nullptr && FlatDistance(PositionOf(hero), PositionOf(enemy)) > 1.5F) {
                qmtest::WalkTowards(field, PositionOf(enemy));
            } else {
                qmtest::ReleaseArrows();
            }
            return false;
        },
        6000))
        << "no stopping blow";
    qmtest::ReleaseArrows();
    const auto played = [&](std::uint32_t id) {
        return std::any_of(driver_.sounds.begin(), driver_.sounds.end(), [&](const TSoundBankRecord& r) {
            return (r.op == TSoundBankRecord::kPlay || r.op == TSoundBankRecord::kPlayLoop) && r.id == id;
        });
    };
    EXPECT_TRUE(played(651) && played(652)) << "the stop's sound and its held loop";

    // Held: the arrows take him nowhere while time stands.
    const D3DXVECTOR3 held = PositionOf(hero);
    int stopped = 0;
    float drift = 0.0F;
    while (IsTimeStopped() && stopped < 700) {
        hero->RecoverHp(1000);
        SceneDriver::Hold(qmtest::Button::Left, true);
        driver_.Step();
        ++stopped;
        if (IsTimeStopped()) {
            drift = std::max(drift, FlatDistance(PositionOf(hero), held));
        }
    }
    SceneDriver::ReleaseAll();
    EXPECT_FALSE(IsTimeStopped());
    EXPECT_LE(stopped, 600) << "the stop runs out after its time at the latest";
    // Only the crowd's pushes, each put back the next step: a walk of that long would go far.
    EXPECT_LT(drift, 0.25F);
    // And walking again once back on his feet.
    const D3DXVECTOR3 freed = PositionOf(hero);
    SceneDriver::Hold(qmtest::Button::Left, true);
    EXPECT_TRUE(driver_.StepUntil(
        [&] {
            hero->RecoverHp(1000);
            return FlatDistance(PositionOf(hero), freed) > 2.0F;
        },
        200));
    SceneDriver::ReleaseAll();
    EXPECT_TRUE(driver_.boxes.empty());
}

// A new hero standing a step beyond the time stopper's plain blows is held by its stopping blow,
// which reaches further; none of its other blows lands on him there, and when the stop's time has
// run out the hit it makes round its feet lets him go.
TEST_F(BattleMapRoad, AStopNoBlowEndsRunsOutWithTheStoppersLastHit)
{
    D3DXVECTOR3 stopper;
    for (const qmtest::FieldEnemy& e : SampleLayout::ClassEnemies()) {
        if (e.typeId == SampleLayout::kTimeStopEnemyType) {
            stopper = e.position;
        }
    }
    TGameData::GetInstance()->Reset();
    TFieldLoop* field = EnterBattleMapAt(stopper + D3DXVECTOR3(0.0F, 0.0F, -2.4F));
    ASSERT_NE(field, nullptr);
    TPlayerCharacter* hero = field->GetPlayer();
    const std::int32_t full = hero->GetHp();
    ASSERT_TRUE(driver_.StepUntil([&] { return IsTimeStopped(); }, 6000)) << "no stopping blow";
    const std::int32_t held = hero->GetHp();
    EXPECT_LT(held, full) << "the stopping blow landed";
    int stopped = 0;
    int struck = 0;
    while (IsTimeStopped() && stopped < 800) {
        driver_.Step();
        ++stopped;
        if (IsTimeStopped() && hero->GetHp() != held) {
            ++struck;
        }
    }
    EXPECT_EQ(struck, 0) << "a blow landed while time stood";
    EXPECT_GE(stopped, 600);
    EXPECT_LE(stopped, 700) << "still held";
    EXPECT_LT(hero->GetHp(), held) << "let go by the stopper's hit";
    EXPECT_GT(hero->GetHp(), 0);
}

// The first enemy, brought low and struck down, frees a place among the map's live enemies: the
// spawner in the north-east corner sends its own kind there, rising out of the ground.
TEST_F(BattleMapRoad, AFallenEnemyIsFollowedByOneFromTheSpawner)
{
    TFieldLoop* field = EnterBattleMapAt(SampleLayout::BattleArrival());
    ASSERT_NE(field, nullptr);
    const auto spawned = [&]() -> TEnemy* {
        for (const auto& entry : Field()->GetArea()->GetEnemies()->GetLive()) {
            TEnemy* enemy = entry.second.Get();
            if (enemy->GetRelatedId() == SampleLayout::kSpawnedEnemyType &&
                FlatDistance(PositionOf(enemy), SampleLayout::Spawner()) < 2.5F) {
                return enemy;
            }
        }
        return nullptr;
    };
    driver_.Steps(60);
    ASSERT_EQ(spawned(), nullptr) << "no place free while every placed enemy stands";
    TEnemy* first = OfType(qmtest::kFieldEnemyType);
    ASSERT_NE(first, nullptr);
    TCharacterProbe::ConsumeHp(*first, first->GetHp() - 1);
    int swing = 0;
    ASSERT_TRUE(driver_.StepUntil(
        [&] {
            TEnemy* enemy = OfType(qmtest::kFieldEnemyType);
            if (enemy == nullptr) {
                return true;
            }
            field->GetPlayer()->RecoverHp(1000);
            if (FlatDistance(PositionOf(field->GetPlayer()), PositionOf(enemy)) > 1.6F) {
                qmtest::WalkTowards(field, PositionOf(enemy));
            } else {
                qmtest::ReleaseArrows();
                SceneDriver::Hold(qmtest::Button::A, swing++ % 16 == 0);
            }
            return false;
        },
        1500))
        << "the first enemy still stands";
    SceneDriver::ReleaseAll();
    ASSERT_TRUE(driver_.StepUntil([&] { return spawned() != nullptr; }, 120)) << "nothing came from the spawner";
    EXPECT_EQ(spawned()->GetState(), kRising) << "it comes rising";
    EXPECT_TRUE(driver_.StepUntil([&] { return spawned() != nullptr && spawned()->GetState() != kRising; }, 300))
        << "risen and about";
    EXPECT_TRUE(driver_.boxes.empty());
}

}  // namespace
