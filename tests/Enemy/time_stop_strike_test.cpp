// The time-stopping enemy's strike and aura: the strike is the hit of its own code, the aura rides
// the body and both weapons, effects dropped before their owner goes are not touched again, and a
// map unloaded during a stop ends it and leaves no board on the camera.
#include <gtest/gtest.h>

#include <cfloat>

#include "MainCode/Character/TEnemyC.h"
#include "MainCode/Character/THeldRandomOffsetMotion.h"
#include "MainCode/Character/TTimeStopEnemy.h"
#include "MainCode/Effect/TEffect.h"
#include "MainCode/Enemy/TimeStop.h"
#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Shot/TShot.h"
#include "enemy_fixture.h"
#include "formats/bht_writer.h"

namespace enemytest {
namespace {

class TimeStopStrikeTest : public TimeStopTest {
protected:
    void SetUp() override
    {
        TimeStopTest::SetUp();
        // The strike's neighbours too, each with its own third word, so that the hit tells its code.
        std::vector<TAttackRecord> records;
        for (std::uint32_t code : {TTimeStopEnemy::kStrikeCode - 1, TTimeStopEnemy::kStrikeCode,
                                   TTimeStopEnemy::kStrikeCode + 1}) {
            TAttackRecord record;
            record.Id = code;
            record.Kind = 0;
            record.Lifetime = 5000;
            record.Param3 = code % 100;
            records.push_back(record);
        }
        LoadAttackTable(records);
    }
    void Place(TEnemy& e, float z = 30.0F)
    {
        e.Spawn(area_.get(), D3DXVECTOR3(0, 0, z), D3DXVECTOR3(0, 0, 1), FLT_MAX, 1);
    }
    static void Stop(TEnemy& e)
    {
        static_cast<TTimeStopEnemy&>(e).OnHitDelivered(nullptr, TTimeStopEnemy::kStopBlow, 5, 0);
    }
};

TEST_F(TimeStopStrikeTest, TheStrikeSixHundredFramesOnIsTheHitOfItsCode)
{
    TRefPtr<TEnemy> prototype(new TTimeStopEnemy(qmtest::SampleEnemyRecord(3), 10, 0, 0));
    TRefPtr<TEnemy> enemy = prototype->Clone(nullptr);
    Place(*enemy);
    Stop(*enemy);
    ASSERT_TRUE(IsTimeStopped());
    const std::size_t before = enemy->GetHits().size();
    for (int frame = 1; frame < 600; ++frame) {
        enemy->Update();
    }
    ASSERT_EQ(enemy->GetHits().size(), before);
    EXPECT_EQ(GetTimeStopCounter(), 1);
    enemy->Update();
    ASSERT_EQ(enemy->GetHits().size(), before + 1);
    const TAttackHit* strike = enemy->GetHits().back().Get();
    EXPECT_EQ(strike->GetParam3(), TTimeStopEnemy::kStrikeCode % 100);
    EXPECT_EQ(strike->GetOwnerId(), enemy->GetObjectId());
    EXPECT_EQ(strike->GetParent(), enemy->GetFrame()->GetParent());
    enemy->LeaveField();
}

// The three aura shots, in order, follow the enemy's own frame, its left-weapon frame and its
// right-weapon frame, each held by its motion and flying for ever.
TEST_F(TimeStopStrikeTest, TheAuraRidesTheBodyAndBothWeapons)
{
    TTimeStopEnemy t(qmtest::SampleEnemyRecord(3), 10, 0, 1);
    Place(t, 0.0F);
    const TFrame* frames[3] = {t.GetFrame(), t.GetLeftWeaponFrame(), t.GetRightWeaponFrame()};
    ASSERT_NE(frames[1], nullptr);
    ASSERT_NE(frames[2], nullptr);
    ASSERT_NE(frames[1], frames[2]);
    for (std::uint32_t i = 0; i < 3; ++i) {
        auto* shot = dynamic_cast<TShot*>(t.GetAuraEffect(i));
        ASSERT_NE(shot, nullptr) << i;
        EXPECT_EQ(shot->GetFlightFrames(), -1) << i;
        auto* motion = dynamic_cast<THeldRandomOffsetMotion*>(shot->GetMotion());
        ASSERT_NE(motion, nullptr) << i;
        EXPECT_EQ(motion->GetHeld().Get(), frames[i]) << i;
    }
    t.LeaveField();
}

// The aura and the element shot end before their enemy leaves: by the area's clear, or killed and
// dropped by the manager's next step. Others take the manager's slots; the enemy's leaving must
// find its effects gone and leave the newcomers alone (the sanitizer watches for freed memory).
TEST_F(TimeStopStrikeTest, EffectsEndedFirstAreNotTouchedWhenTheirEnemyLeaves)
{
    enum class End { kClear, kKilled };
    for (End end : {End::kClear, End::kKilled}) {
        for (bool aura : {true, false}) {
            std::unique_ptr<TEnemy> owner;
            std::vector<TEffect*> effects;
            if (aura) {
                auto t = std::make_unique<TTimeStopEnemy>(qmtest::SampleEnemyRecord(3), 10, 0, 1);
                Place(*t, 0.0F);
                for (std::uint32_t i = 0; i < 3; ++i) {
                    effects.push_back(t->GetAuraEffect(i));
                }
                owner = std::move(t);
            } else {
                auto c = std::make_unique<TEnemyC>(qmtest::SampleEnemyRecord(3), 1, 2, 0);
                Place(*c, 0.0F);
                effects.push_back(c->GetElementEffect());
                owner = std::move(c);
            }
            for (TEffect* effect : effects) {
                ASSERT_NE(effect, nullptr);
            }
            if (end == End::kClear) {
                Manager().Clear();
            } else {
                for (TEffect* effect : effects) {
                    effect->Kill();
                }
                Manager().Update();
            }
            effects.clear();
            if (aura) {
                for (std::uint32_t i = 0; i < 3; ++i) {
                    EXPECT_EQ(static_cast<TTimeStopEnemy*>(owner.get())->GetAuraEffect(i), nullptr) << i;
                }
            } else {
                EXPECT_EQ(static_cast<TEnemyC*>(owner.get())->GetElementEffect(), nullptr);
            }
            const float colour[4] = {1, 1, 1, 1};
            TEffect* newcomer = Create(TTimeStopEnemy::kAuraEffect, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0), colour);
            ASSERT_NE(newcomer, nullptr);
            const std::int32_t serial = newcomer->GetSerial();
            owner->LeaveField();
            owner.reset();
            TRefPtr<TEffect> still = Manager().FindLive(serial);
            ASSERT_NE(still.Get(), nullptr) << "aura " << aura;
            EXPECT_TRUE(still->IsAlive()) << "aura " << aura;
            Manager().Clear();
        }
    }
}

// The battle map goes while time stands still, its effects cleared first or not: the stop ends,
// its loop falls silent, the board comes off the camera and is dropped, and the player moves again.
TEST_F(TimeStopStrikeTest, UnloadingTheMapDuringAStopEndsItAndLeavesNothingBehind)
{
    TFrame* camera = area_->CameraFrame();
    const std::size_t children = camera->GetChildCount();
    for (bool clearedFirst : {false, true}) {
        TestMap map(0, 100.0F);
        map.Place(10027, D3DXVECTOR3(0, 0, 30));
        MakeFactory(map);
        ASSERT_EQ(factory_->GetLive().size(), 1U);
        TEnemy& enemy = *factory_->GetLive().begin()->second;
        ASSERT_NE(dynamic_cast<TTimeStopEnemy*>(&enemy), nullptr);
        MovePlayer(1.0F, 2.0F);
        Stop(enemy);
        ASSERT_TRUE(IsTimeStopped());
        ASSERT_TRUE(Playing(kStoppedLoop));
        TRefPtr<TFrame> board = GetTimeStopBoard();
        ASSERT_EQ(board->GetParent(), camera);
        ASSERT_EQ(camera->GetChildCount(), children + 1);

        if (clearedFirst) {
            Manager().Clear();
        }
        factory_.reset();
        EXPECT_FALSE(IsTimeStopped()) << clearedFirst;
        EXPECT_FALSE(Playing(kStoppedLoop)) << clearedFirst;
        EXPECT_EQ(GetTimeStopBoard().Get(), nullptr) << clearedFirst;
        EXPECT_EQ(board->GetParent(), nullptr) << clearedFirst;
        EXPECT_EQ(camera->GetChildCount(), children) << clearedFirst;
        board = TRefPtr<TFrame>();
        // The area steps on without its enemies, and the player is no longer held.
        Manager().Update();
        MovePlayer(4.0F, 4.0F);
        PlaceAtTimeStopPoint(player_.get());
        D3DXVECTOR3 p;
        player_->GetPosition(&p);
        EXPECT_EQ(p.x, 4.0F);
        Manager().Clear();
    }
}

}  // namespace
}  // namespace enemytest
