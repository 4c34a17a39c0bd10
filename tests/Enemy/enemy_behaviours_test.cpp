// The eight behaviour routines one by one, the think timer that behaviours 3 and 4 clear, and the
// acting-player rows of Think in both tables, with the draws from seed 5489 worked out by hand.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "MainCode/Character/TEnemyA.h"
#include "enemy_fixture.h"
#include "probe_enemy.h"
#include "support/character_probe.h"

namespace enemytest {
namespace {

// The shared generator's first eleven draws after init_genrand(5489).
constexpr std::uint32_t kDraws[] = {3499211612U, 581869302U, 3890346734U, 3586334585U, 545404204U, 4161255391U,
                                    3922919429U, 949333985U, 2715962298U, 1323567403U, 418932835U};

class EnemyBehavioursTest : public EnemyTest {
protected:
    void SetUp() override
    {
        EnemyTest::SetUp();
        WriteEnemyMotions(dir_.Path());
    }
    // At the origin facing +z, at home unless told otherwise.
    std::unique_ptr<ProbeEnemy> MakeEnemy(std::uint8_t tableFlag = 0, float leash = FLT_MAX,
                                              const D3DXVECTOR3& home = D3DXVECTOR3(0, 0, 0))
    {
        auto e = std::make_unique<ProbeEnemy>(qmtest::SampleEnemyRecord(3), 1, tableFlag);
        e->Spawn(area_.get(), home, D3DXVECTOR3(0, 0, 1), leash, 1);
        e->SetPosition(D3DXVECTOR3(0, 0, 0));
        e->SetMode(1);
        return e;
    }
    static D3DXVECTOR3 Front(TEnemy& e)
    {
        D3DXVECTOR3 f;
        e.GetFront(&f);
        return f;
    }
};

// Each routine run once with the player to the enemy's side: 0 and 1 leave it be; 2-6 turn it toward
// the player and take states 0-4; 7 turns it and blinks 80 + r mod 60 frames unless it blinks.
TEST_F(EnemyBehavioursTest, EachBehaviourTurnsStandsOrBlinks)
{
    ASSERT_EQ(80 + kDraws[0] % 60, 112U);
    struct Row {
        int behaviour;
        std::int32_t flashBefore;
        bool turns;
        std::uint32_t state;
        std::int32_t flashAfter;
        std::uint32_t nextDraw;  // index into kDraws of the generator's next draw
    };
    const Row rows[] = {
        {0, 0, false, 1, 0, 0}, {1, 0, false, 1, 0, 0}, {2, 0, true, 0, 0, 0}, {3, 0, true, 1, 0, 0},
        {4, 0, true, 2, 0, 0},  {5, 0, true, 3, 0, 0},  {6, 0, true, 4, 0, 0}, {7, 0, true, 1, 112, 1},
        {7, 5, true, 1, 5, 0},  // already blinking: no new blink, no draw
        {8, 0, true, 1, 112, 1},  // past the last number: the last
    };
    MovePlayer(3.0F, 0.0F);
    for (const Row& row : rows) {
        auto e = MakeEnemy();
        e->SetState(1);
        e->SetFlash(row.flashBefore);
        e->SetBehaviour(static_cast<std::uint8_t>(row.behaviour));
        const D3DXVECTOR3 before = Front(*e);
        init_genrand(5489);
        e->RunBehaviour();
        // Turning is a step toward the player (+x), not a snap.
        const D3DXVECTOR3 f = Front(*e);
        if (row.turns) {
            EXPECT_GT(f.x, before.x + 0.1F) << row.behaviour;
        } else {
            EXPECT_NEAR(f.x, before.x, 1e-6F) << row.behaviour;
            EXPECT_NEAR(f.z, before.z, 1e-6F) << row.behaviour;
        }
        EXPECT_EQ(e->GetState(), row.state) << row.behaviour;
        EXPECT_EQ(e->GetFlashTime(), row.flashAfter) << row.behaviour;
        EXPECT_EQ(genrand_int32(), kDraws[row.nextDraw]) << row.behaviour;
    }
}

// A standing behaviour already in its state leaves the motion running rather than restarting it.
TEST_F(EnemyBehavioursTest, AStandingBehaviourKeepsAMotionAlreadyRunning)
{
    MovePlayer(3.0F, 0.0F);
    auto e = MakeEnemy();
    e->SetBehaviour4();
    e->RunBehaviour();
    ASSERT_EQ(e->GetState(), 2U);
    for (int i = 0; i < 3; ++i) {
        e->GetBodyMesh()->AdvanceMorph(true, 1.0F);
    }
    const float time = e->GetBodyMesh()->GetMorphTime();
    ASSERT_GT(time, 0.0F);
    e->RunBehaviour();
    EXPECT_EQ(e->GetBodyMesh()->GetMorphTime(), time);
}

// Between decisions (timer 10) Think runs the held behaviour; 4 clears the timer beyond 3.0 unless
// the enemy is out of its leash, 3 clears it within the close distance; the others count down.
TEST_F(EnemyBehavioursTest, BehavioursThreeAndFourClearTheThinkTimer)
{
    auto probe = MakeEnemy();
    const float close = (player_->GetCenterHeight() + probe->GetCenterHeight()) * 1.1F;
    ASSERT_LT(close, 2.5F);
    struct Row {
        int behaviour;
        float d;
        bool outsideLeash;
        std::int32_t timer;
    };
    const Row rows[] = {
        {4, 3.01F, false, 0},
        {4, 3.0F, false, 9},
        {4, 7.5F, false, 0},
        {4, 3.01F, true, 9},
        {3, close, false, 0},
        {3, 0.5F, false, 0},
        {3, close + 0.01F, false, 9},
        {3, 3.01F, false, 9},
        {2, 0.5F, false, 9},
        {5, 3.01F, false, 9},
        {7, 0.5F, false, 9},
    };
    for (const Row& row : rows) {
        auto e = row.outsideLeash ? MakeEnemy(0, 1.0F, D3DXVECTOR3(-5, 0, 0)) : MakeEnemy();
        ASSERT_EQ(e->IsOutsideLeash(), row.outsideLeash);
        MovePlayer(0.0F, row.d);
        e->SetBehaviour(static_cast<std::uint8_t>(row.behaviour));
        e->SetThinkTimer(10);
        e->Think();
        EXPECT_EQ(Held(*e), row.behaviour) << row.behaviour << " at " << row.d;
        EXPECT_EQ(TCharacterProbe::ThinkTimer(*e), row.timer) << row.behaviour << " at " << row.d;
    }
}

// An acting player with a crowd about it: row 10 within the near distance, 11 between it and 3.0,
// read from the first table or the second. The timer is 40 + r mod 30, the column the next r mod 10.
TEST_F(EnemyBehavioursTest, AnActingPlayerInACrowdTakesRowsTenAndElevenOfEitherTable)
{
    player_->SetSubState(0);
    ASSERT_TRUE(player_->IsSpecialActionState());
    player_->SetNearbyCount(2);
    const float near = (player_->GetCenterHeight() + MakeEnemy()->GetCenterHeight()) * 1.3F;
    ASSERT_LT(near, 2.9F);
    struct Row {
        std::uint32_t row;
        std::uint8_t table;
        int skipped;  // draws taken before Think
        std::int32_t timer;
        int behaviour;
        std::uint32_t state;
    };
    const Row rows[] = {
        {10, 0, 0, 42, 4, 2},  // column 2
        {10, 0, 2, 54, 4, 2},  // column 5
        {10, 1, 2, 54, 2, 0},  // column 5 of the second table
        {11, 0, 0, 42, 5, 3},  // column 2
        {11, 1, 0, 42, 5, 3},
        {11, 0, 8, 58, 5, 3},  // column 3
        {11, 1, 8, 58, 6, 4},
    };
    for (const Row& r : rows) {
        auto e = MakeEnemy(r.table);
        MovePlayer(0.0F, r.row == 10 ? near * 0.9F : 2.95F);
        e->SetState(1);
        e->SetThinkTimer(1);
        init_genrand(5489);
        for (int i = 0; i < r.skipped; ++i) {
            genrand_int32();
        }
        e->Think();
        EXPECT_EQ(TCharacterProbe::ThinkTimer(*e), r.timer) << "row " << r.row << " table " << int{r.table};
        EXPECT_EQ(Held(*e), r.behaviour) << "row " << r.row << " table " << int{r.table};
        EXPECT_EQ(e->GetState(), r.state) << "row " << r.row << " table " << int{r.table};
        EXPECT_EQ(genrand_int32(), kDraws[r.skipped + 2]) << "two draws: row " << r.row;
    }
    // With a lone player the same place is row 8, whose column 2 is 5, not row 10's 4.
    player_->SetNearbyCount(1);
    auto e = MakeEnemy();
    MovePlayer(0.0F, near * 0.9F);
    e->SetThinkTimer(1);
    init_genrand(5489);
    e->Think();
    EXPECT_EQ(Held(*e), 5);
}

}  // namespace
}  // namespace enemytest
