// The shared enemy behaviour: the two behaviour tables and the state table at their bounds, the
// decision of Think by distance and flags against the generator drawn alongside, the five
// reactions, and the stagger, launch, hold and death sequences stepped frame by frame.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "MainCode/Character/TEnemyA.h"
#include "dx/dx8/3d/TMeshGeometry.h"
#include "enemy_fixture.h"
#include "probe_enemy.h"
#include "support/character_probe.h"

namespace enemytest {
namespace {

class EnemyBehaviourTest : public EnemyTest {
protected:
    void SetUp() override
    {
        EnemyTest::SetUp();
        WriteAnimatedEnemy();
    }
    std::unique_ptr<ProbeEnemy> MakeEnemy(std::uint8_t tableFlag = 0, std::uint32_t attackCount = 1)
    {
        auto e = std::make_unique<ProbeEnemy>(qmtest::SampleEnemyRecord(3), attackCount, tableFlag);
        e->Spawn(area_.get(), D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), FLT_MAX, 1);
        return e;
    }
};

TEST_F(EnemyBehaviourTest, BehaviourTablesAtTheirBoundsAndEveryRowBySum)
{
    // Past either bound there is nothing; within, every entry shows in its row's sums.
    EXPECT_EQ(TEnemy::BehaviourAt(false, 23, 0), 0);
    EXPECT_EQ(TEnemy::BehaviourAt(true, 0, 10), 0);
    // Row sums and weighted sums (position-sensitive) of both tables, by hand from the design.
    const int sums[2][23] = {
        {22, 28, 27, 29, 29, 27, 41, 34, 40, 34, 30, 41, 30, 34, 31, 29, 42, 40, 17, 16, 40, 40, 23},
        {28, 28, 29, 29, 29, 27, 44, 44, 43, 44, 30, 41, 24, 31, 22, 25, 36, 36, 20, 20, 40, 33, 35},
    };
    const int weighted[2][23] = {
        {162, 201, 193, 188, 155, 138, 246, 227, 183, 161, 150, 209, 204, 208, 199, 140, 233, 223, 80, 95, 277, 202,
         140},
        {204, 201, 214, 188, 155, 138, 245, 286, 231, 242, 140, 188, 174, 225, 165, 153, 226, 226, 149, 149, 295, 167,
         213},
    };
    for (int t = 0; t < 2; ++t) {
        for (std::uint32_t row = 0; row < 23; ++row) {
            int sum = 0;
            int weight = 0;
            for (std::uint32_t c = 0; c < 10; ++c) {
                const int b = TEnemy::BehaviourAt(t == 1, row, c);
                EXPECT_GE(b, 1);
                EXPECT_LE(b, 7);
                sum += b;
                weight += b * static_cast<int>(c + 1);
            }
            EXPECT_EQ(weight, weighted[t][row]) << "table " << t << " row " << row;
            EXPECT_EQ(sum, sums[t][row]) << "table " << t << " row " << row;
        }
    }
}

TEST_F(EnemyBehaviourTest, StateTableAtItsBounds)
{
    EXPECT_EQ(TEnemy::StateHandlerAt(0), &TEnemy::LoopMotion);
    EXPECT_EQ(TEnemy::StateHandlerAt(4), &TEnemy::LoopMotion);
    EXPECT_EQ(TEnemy::StateHandlerAt(5), &TEnemy::StaggerForward);
    EXPECT_EQ(TEnemy::StateHandlerAt(8), &TEnemy::KnockDownBack);
    EXPECT_EQ(TEnemy::StateHandlerAt(9), &TEnemy::Down);
    EXPECT_EQ(TEnemy::StateHandlerAt(10), &TEnemy::Down);
    EXPECT_EQ(TEnemy::StateHandlerAt(13), &TEnemy::Landing);
    EXPECT_EQ(TEnemy::StateHandlerAt(14), &TEnemy::StateHeld);
    EXPECT_EQ(TEnemy::StateHandlerAt(15), &TEnemy::StateAppear);
    EXPECT_EQ(TEnemy::StateHandlerAt(16), &TEnemy::StateAttack);
    EXPECT_EQ(TEnemy::StateHandlerAt(17), nullptr);
}

TEST_F(EnemyBehaviourTest, ThinkTakesEachRowByGeometryAndFlagsWithTheDrawsByHand)
{
    auto e = MakeEnemy();
    const float heights = player_->GetCenterHeight() + e->GetCenterHeight();
    const float near = heights * 1.3F;
    const float close = heights * 1.1F;
    ASSERT_LT(near, 2.9F);

    // Decisions from several seeds (rows alike in one column differ in another); checks the
    // behaviour drawn from the row and the timer.
    auto decide = [&](float d, std::uint32_t nearby, std::int32_t flash, bool hit, std::uint32_t row) {
        MovePlayer(0.0F, d);
        player_->SetNearbyCount(nearby);
        for (std::uint32_t seed = 1; seed <= 12; ++seed) {
            e->SetFlash(flash);
            e->SetMode(1);
            e->SetState(0);
            e->SetThinkTimer(hit ? -1000 : 1);
            init_genrand(seed);
            std::mt19937 oracle(seed);
            e->Think();
            const std::int32_t timer = static_cast<std::int32_t>(40 + oracle() % 30);
            const int b = TEnemy::BehaviourAt(false, row, oracle() % 10);
            EXPECT_EQ(Held(*e), b) << "d " << d << " row " << row << " seed " << seed;
            std::int32_t expected = timer;
            if ((b == 4 && d > 3.0F) || (b == 3 && d <= close)) {
                expected = 0;
            }
            EXPECT_EQ(TCharacterProbe::ThinkTimer(*e), expected) << "d " << d << " row " << row << " seed " << seed;
            if (b == 1) {
                EXPECT_EQ(e->GetState(), 16U);
            }
        }
    };
    decide(3.0F, 0, 0, false, 0);  // exactly 3.0 and beyond the near distance
    decide(2.9F, 0, 0, false, 2);
    decide(2.9F, 2, 0, false, 3);
    decide(2.9F, 0, 30, false, 15);  // own blink
    decide(3.01F, 0, 0, false, 4);
    decide(3.01F, 2, 0, false, 5);
    decide(7.99F, 0, 0, false, 4);
    decide(8.0F, 0, 0, false, 22);
    decide(near, 0, 0, false, 0);
    decide(near, 2, 0, false, 1);
    decide(near, 0, 30, false, 14);
    decide(3.0F, 0, 0, true, 20);  // after a hit, whatever the distance
    decide(9.0F, 0, 0, true, 20);
}

TEST_F(EnemyBehaviourTest, ThinkWaitsOutItsTimerAndStandsAsideInAnyOtherMode)
{
    auto e = MakeEnemy();
    MovePlayer(0.0F, 5.0F);
    e->SetThinkTimer(3);
    e->SetBehaviour5();
    e->Think();
    EXPECT_EQ(TCharacterProbe::ThinkTimer(*e), 2);
    EXPECT_TRUE(e->IsBehaviour5());
    EXPECT_EQ(e->GetState(), 3U);

    e->SetMode(10);
    e->Think();
    EXPECT_EQ(TCharacterProbe::ThinkTimer(*e), 1);
    EXPECT_TRUE(e->IsBehaviour0());
    // Behaviours 0 and 1 are one routine.
    EXPECT_TRUE(e->IsBehaviour1());
    // Appearing or attacking, the timer only counts down, even past its end.
    e->SetMode(1);
    for (std::uint32_t state : {15U, 16U}) {
        e->SetState(state);
        e->SetThinkTimer(0);
        e->Think();
        EXPECT_EQ(TCharacterProbe::ThinkTimer(*e), -1) << state;
    }
}

TEST_F(EnemyBehaviourTest, LightHitsStaggerKnockDownOrLeaveADownedEnemyLying)
{
    auto e = MakeEnemy();
    e->ReactLight(0, -1, 0, 10, 1, 0.5F, 30.0F, 1);
    EXPECT_EQ(e->GetReactionMode(), 10U);
    EXPECT_EQ(e->GetState(), 5U);
    EXPECT_EQ(TCharacterProbe::StunTime(*e), 4);
    EXPECT_FLOAT_EQ(TCharacterProbe::KnockTime(*e), 30.0F);
    EXPECT_FLOAT_EQ(TCharacterProbe::ReactionScale(*e), 0.5F);
    e->ReactLight2(0, -1, 0, 10, 0, 0.5F, 30.0F, 1);
    EXPECT_EQ(e->GetState(), 6U);
    e->ReactLight(0, -1, 0x20, 1000, 1, 0.5F, 30.0F, 1);
    EXPECT_EQ(e->GetReactionMode(), 1000U);
    EXPECT_EQ(e->GetState(), 7U);

    // Downed: a hit of level 1000 leaves it lying, one of 1001 gets through.
    e->SetState(9);
    e->ReactLight(0, -1, 0, 1000, 1, 0.5F, 30.0F, 1);
    EXPECT_EQ(e->GetState(), 9U);
    EXPECT_EQ(e->GetReactionMode(), 1000U);
    e->ReactLight(0, -1, 0, 1001, 0, 0.5F, 30.0F, 1);
    EXPECT_EQ(e->GetState(), 6U);
    EXPECT_EQ(e->GetReactionMode(), 10U);

    // A kind-0 hit that kills throws it down: 1.0 / 120 for kind 1, 0.0 for kind 2.
    auto k1 = MakeEnemy();
    k1->ReactLight(0, -1, 0, 10, 1, 0.5F, 30.0F, k1->GetHp());
    EXPECT_EQ(k1->GetReactionMode(), 1000U);
    EXPECT_EQ(k1->GetState(), 7U);
    EXPECT_FLOAT_EQ(TCharacterProbe::KnockTime(*k1), 120.0F);
    EXPECT_FLOAT_EQ(TCharacterProbe::ReactionScale(*k1), 1.0F);
    auto k2 = MakeEnemy();
    k2->ReactLight2(0, -1, 0, 10, 0, 0.5F, 30.0F, k2->GetHp());
    EXPECT_EQ(k2->GetState(), 8U);
    EXPECT_FLOAT_EQ(TCharacterProbe::KnockTime(*k2), 0.0F);
    // A knock-down of speed scale 0 does not slide away.
    D3DXVECTOR3 before;
    k2->GetPosition(&before);
    k2->KnockDownBack();
    D3DXVECTOR3 after;
    k2->GetPosition(&after);
    EXPECT_TRUE(std::isfinite(after.z));
    EXPECT_EQ(after.z, before.z);
}

TEST_F(EnemyBehaviourTest, StaggerSlidesByTheRemainingFramesAndReturnsToIdle)
{
    auto e = MakeEnemy();
    e->ReactLight(0, -1, 0, 10, 1, 0.5F, 30.0F, 1);
    TMesh8* mesh = e->GetBodyMesh();
    const TMorphRecord* morph = mesh->GetGeometry()->GetMorphRecord(mesh->GetMorphIndex());
    ASSERT_NE(morph, nullptr);
    ASSERT_GT(morph->frameCount, 1U);
    const float last = static_cast<float>(morph->frameCount - 1);
    for (int frame = 0; frame < 2; ++frame) {
        D3DXVECTOR3 a;
        e->GetPosition(&a);
        const float t = mesh->GetMorphTime();
        e->StaggerForward();
        D3DXVECTOR3 b;
        e->GetPosition(&b);
        const D3DXVECTOR3 moved = b - a;
        EXPECT_NEAR(D3DXVec3Length(&moved), (last - t) / 30.0F * 0.5F, 1e-5) << frame;
    }
    // 10 frames at half speed: 18 frames, the first two stepped above.
    for (int i = 2; i < 18; ++i) {
        e->StaggerForward();
        ASSERT_EQ(e->GetState(), 5U) << i;
    }
    e->StaggerForward();
    EXPECT_NE(e->GetState(), 5U);
    EXPECT_EQ(e->GetReactionMode(), 1U);
}

TEST_F(EnemyBehaviourTest, LaunchFliesFallsLandsAndGetsUp)
{
    auto e = MakeEnemy();
    e->ReactLaunch(0, -1, 0, 100000, 1, 0.5F, 30.0F, 0.02F, 1);
    EXPECT_EQ(e->GetState(), 11U);
    EXPECT_EQ(e->GetReactionMode(), 100000U);
    EXPECT_FLOAT_EQ(TCharacterProbe::Gravity(*e), -0.002F);
    EXPECT_FLOAT_EQ(TCharacterProbe::Velocity(*e).y, 0.02F);
    // A second launch in the air does not start over: it juggles, lifting to 0.02 / ((1 + 1) / 3).
    e->ReactLaunch(0, -1, 0, 100000, 1, 0.5F, 30.0F, 0.05F, 1);
    EXPECT_EQ(e->GetState(), 11U);
    EXPECT_FLOAT_EQ(TCharacterProbe::Velocity(*e).y, 0.03F);
    // Nor does a heavy hit.
    e->ReactHeavy(0, -1, 0, 1000000, 1, 0.5F, 30.0F, 1);
    EXPECT_EQ(e->GetReactionMode(), 100000U);

    std::vector<std::uint32_t> states{e->GetState()};
    for (int i = 0; i < 2000 && states.size() < 5; ++i) {
        e->ApplyVelocity();
        if (e->GetState() == 12 && TCharacterProbe::Velocity(*e).y < -0.01F) {
            e->Ground();
        }
        e->Update();
        if (e->GetState() != states.back()) {
            states.push_back(e->GetState());
            if (states.size() == 5) {
                // Getting up blinks for 30 frames or more.
                EXPECT_GE(e->GetFlashTime(), 29);
            }
        }
    }
    ASSERT_GE(states.size(), 5U);
    EXPECT_EQ(std::vector<std::uint32_t>(states.begin(), states.begin() + 4),
              (std::vector<std::uint32_t>{11, 12, 13, 9}));
    EXPECT_EQ(e->GetReactionMode(), 1U);
}

TEST_F(EnemyBehaviourTest, StunsHoldTheirFramesAndASecondStunThrowsDown)
{
    auto e = MakeEnemy();
    e->ReactStun(0, -1, 0, 100, 1, 1, 0.5F, 30.0F, 1);
    EXPECT_EQ(e->GetState(), 14U);
    EXPECT_EQ(e->GetReactionMode(), 100U);
    EXPECT_EQ(TCharacterProbe::StunTime(*e), 400);
    EXPECT_TRUE(e->IsHeld());
    for (int i = 1; i < 400; ++i) {
        e->StateHeld();
        ASSERT_EQ(e->GetState(), 14U) << i;
    }
    e->StateHeld();
    EXPECT_NE(e->GetState(), 14U);
    EXPECT_EQ(e->GetReactionMode(), 1U);

    auto s = MakeEnemy();
    s->ReactStun(0, -1, 0, 100, 0, 0, 0.5F, 30.0F, 1);
    EXPECT_EQ(TCharacterProbe::StunTime(*s), 4);
    s->ReactStun(0, -1, 0, 100, 0, 0, 0.5F, 30.0F, 1);
    EXPECT_EQ(s->GetReactionMode(), 1000U);
    EXPECT_EQ(s->GetState(), 8U);
    EXPECT_FLOAT_EQ(TCharacterProbe::KnockTime(*s), 120.0F);

    // Only a standing enemy is held by any stun (a staggering hero is too); in every other mode the
    // stun must be above it: a knocked-down enemy struck by a stun of the fall's own level lies on.
    const struct {
        std::uint32_t mode;
        std::int32_t level;
        bool held;
    } cases[] = {
        {1U, 1, true},        {10U, 100, true},  {10U, 11, true},         {10U, 10, false},
        {10U, 2, false},      {1000U, 1000, false}, {1000U, 1001, true}, {100000U, 100, false},
        {100000U, 100001, true},
    };
    for (const auto& c : cases) {
        auto m = MakeEnemy();
        m->SetMode(c.mode);
        m->SetState(9);
        m->ReactStun(0, -1, 0, c.level, 0, 1, 0.5F, 30.0F, 1);
        EXPECT_EQ(m->GetReactionMode(), c.held ? 100U : c.mode) << c.mode << " / " << c.level;
        EXPECT_EQ(m->GetState(), c.held ? 14U : 9U) << c.mode << " / " << c.level;
    }

    // Heavy hits knock down with their own numbers.
    auto h = MakeEnemy();
    h->ReactHeavy(0, -1, 0, 1000000, 1, 0.7F, 40.0F, 1);
    EXPECT_EQ(h->GetReactionMode(), 1000000U);
    EXPECT_EQ(h->GetState(), 7U);
    EXPECT_FLOAT_EQ(TCharacterProbe::KnockTime(*h), 40.0F);
}

TEST_F(EnemyBehaviourTest, DownCountsHpToMinusFifteenThenFiresTheDeathEventAndEnds)
{
    auto e = MakeEnemy();
    KnockOut(e.get());
    for (int i = 0; i < 1000 && e->GetState() != 9; ++i) {
        e->Update();
    }
    ASSERT_EQ(e->GetState(), 9U);
    ASSERT_EQ(e->GetHp(), 0);
    for (int i = 1; i < 15; ++i) {
        e->Update();
        ASSERT_TRUE(e->IsAlive()) << i;
        ASSERT_EQ(e->GetHp(), -i);
    }
    EXPECT_TRUE(e->events.empty());
    EXPECT_FALSE(e->Update());
    EXPECT_EQ(e->GetHp(), -15);
    EXPECT_EQ(e->events, std::vector<std::uint16_t>{1001});
}

}  // namespace
}  // namespace enemytest
