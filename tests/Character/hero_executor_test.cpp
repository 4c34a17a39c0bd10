// The executor kinds on THeroA's rows (and a class of one row for the kind it does not use): what
// ends them, what chains from them and what they do with a reservation.
#include <gtest/gtest.h>

#include "hero_fixture.h"

namespace herotest {
namespace {

using Rows = std::vector<std::uint32_t>;

class HeroExecutorTest : public HeroFixture {
protected:
    // The hero standing on the ground, contact taken, with action n running.
    std::unique_ptr<TestHeroA> StartOnGround(qmtest::HeroTrace*& trace, std::uint32_t n)
    {
        std::unique_ptr<TestHeroA> hero = MakeA();
        traces_.push_back(std::make_unique<qmtest::HeroTrace>(*hero, *input_));
        trace = traces_.back().get();
        trace->Step();
        hero->StartAction(n);
        return hero;
    }
    std::vector<std::unique_ptr<qmtest::HeroTrace>> traces_;
};

TEST_F(HeroExecutorTest, HoverStrikeHoldsTheHeroUpUntilItsMotionEnds)
{
    std::unique_ptr<TestHeroA> hero = MakeA();
    qmtest::HeroTrace t(*hero, *input_);
    t.PlaceAt(10.0F);
    hero->StartAction(69);
    for (std::uint32_t i = 0; i < 9; ++i) {
        EXPECT_EQ(t.Step().verticalSpeed, 0.0F) << i;
    }
    t.Step();
    EXPECT_EQ(t.Rows(), (Rows{69, 70}));

    // A skill request is dropped for the else row; a charge low above the ground waits.
    std::unique_ptr<TestHeroA> skill = MakeA();
    qmtest::HeroTrace s(*skill, *input_);
    s.PlaceAt(10.0F);
    skill->StartAction(69);
    skill->SetReservedAction(2, 71);
    s.Step(10);
    EXPECT_EQ(s.Rows(), (Rows{69, 70}));

    std::unique_ptr<TestHeroA> low = MakeA();
    qmtest::HeroTrace l(*low, *input_);
    l.PlaceAt(0.5F);
    low->StartAction(69);
    low->SetReservedAction(1, 0);
    l.Step(10);
    EXPECT_EQ(l.Rows(), (Rows{69})) << "no charge and no else row on that frame";
    EXPECT_EQ(low->GetReservedKind(), 0u);
    l.Step();
    EXPECT_EQ(l.Rows(), (Rows{69, 70}));
}

TEST_F(HeroExecutorTest, LandingEndsEveryAirRowAtOnceWithTheQueueEmptied)
{
    for (std::uint32_t row : {35u, 36u, 37u, 38u, 39u, 40u, 69u, 70u}) {
        qmtest::HeroTrace* t = nullptr;
        std::unique_ptr<TestHeroA> hero = StartOnGround(t, row);
        hero->PushCommand(1);
        const qmtest::HeroTraceFrame& f = t->Step();
        EXPECT_EQ(f.state, TPlayerCharacter::kStateLand) << row;
        EXPECT_EQ(f.queued, 0u) << row;
    }
}

TEST_F(HeroExecutorTest, RecoveriesReturnToIdleOrToFalling)
{
    qmtest::HeroTrace* t = nullptr;
    std::unique_ptr<TestHeroA> hero = StartOnGround(t, 26);
    hero->PushCommand(1);
    t->Step(3);
    EXPECT_EQ(hero->GetState(), 19u);
    EXPECT_EQ(t->Step().state, 0u) << "on the motion's fourth frame";
    EXPECT_EQ(hero->GetCommandCount(), 0u);

    std::unique_ptr<TestHeroA> air = MakeA();
    qmtest::HeroTrace a(*air, *input_);
    a.PlaceAt(10.0F);
    air->StartAction(61);
    EXPECT_EQ(a.Step(4).state, TPlayerCharacter::kStateFall);

    // The air recovery falls at its motion's end.
    std::unique_ptr<TestHeroA> air2 = MakeA();
    qmtest::HeroTrace b(*air2, *input_);
    b.PlaceAt(10.0F);
    air2->StartAction(38);
    EXPECT_EQ(b.Step(3).state, 19u);
    EXPECT_EQ(b.Step().state, TPlayerCharacter::kStateFall);
}

TEST_F(HeroExecutorTest, AirStrikeEndsInItsElseRowWhateverTheFlagAndClearsIt)
{
    std::unique_ptr<TestHeroA> hero = MakeA();
    qmtest::HeroTrace t(*hero, *input_);
    t.PlaceAt(10.0F);
    hero->StartAction(39);
    hero->SetFollowUpFlag(1);
    ASSERT_TRUE(t.StepUntilRow(40, 8));
    EXPECT_EQ(hero->GetFollowUpFlag(), 0u);
    // An air skill request is taken in the air.
    std::unique_ptr<TestHeroA> skill = MakeA();
    qmtest::HeroTrace s(*skill, *input_);
    s.PlaceAt(10.0F);
    skill->StartAction(39);
    skill->SetReservedAction(2, 69);
    ASSERT_TRUE(s.StepUntilRow(69, 8));
    // A ground one is not.
    std::unique_ptr<TestHeroA> ground = MakeA();
    qmtest::HeroTrace g(*ground, *input_);
    g.PlaceAt(10.0F);
    ground->StartAction(39);
    ground->SetReservedAction(2, 47);
    ASSERT_TRUE(g.StepUntilRow(40, 8));
}

TEST_F(HeroExecutorTest, ChainsByWhatIsReserved)
{
    struct Case {
        std::uint32_t row;
        std::uint32_t kind;
        std::uint32_t argument;
        std::uint32_t next;  // 0: idle
    };
    const Case cases[] = {
        {66, 1, 0, 33},   // chain or recover: charge
        {66, 2, 47, 47},  // a ground skill
        {66, 2, 65, 0},   // not an air one
        {66, 0, 0, 0},
        {42, 1, 0, 33},  // fixed chain or recover
        {42, 2, 51, 51},
        {42, 0, 0, 0},
        {33, 1, 0, 34},  // the skill chain uses a charge up for its else row
        {33, 2, 55, 55},
        {31, 1, 0, 33},  // fixed chain
        {31, 2, 47, 47},
        {31, 0, 0, 32},
        {47, 1, 0, 33},  // chain: the class's charge
        {47, 2, 49, 48},
    };
    for (const Case& c : cases) {
        qmtest::HeroTrace* t = nullptr;
        std::unique_ptr<TestHeroA> hero = StartOnGround(t, c.row);
        hero->SetReservedAction(c.kind, c.argument);
        hero->PushCommand(1);
        for (std::uint32_t i = 0; i < 40 && hero->GetState() == 19 && hero->GetSubState() == c.row; ++i) {
            t->Step();
        }
        const std::string what = std::to_string(c.row) + " " + std::to_string(c.kind) + " " + std::to_string(c.argument);
        if (c.next == 0) {
            EXPECT_EQ(hero->GetState(), 0u) << what;
            EXPECT_EQ(hero->GetCommandCount(), 0u) << what;
        } else {
            EXPECT_EQ(hero->GetState(), 19u) << what;
            EXPECT_EQ(hero->GetSubState(), c.next) << what;
        }
        EXPECT_EQ(hero->GetReservedKind(), 0u) << what << ": used up";
    }
}

TEST_F(HeroExecutorTest, ComboStepPrefersTheQueuedAttackAndAirStepClearsTheFlag)
{
    qmtest::HeroTrace* t = nullptr;
    std::unique_ptr<TestHeroA> hero = StartOnGround(t, 27);
    hero->SetReservedAction(1, 0);
    hero->PushCommand(1);
    ASSERT_TRUE(t->StepUntilRow(29, 20));
    EXPECT_EQ(hero->GetReservedKind(), 1u) << "left for the next hit";

    std::unique_ptr<TestHeroA> air = MakeA();
    qmtest::HeroTrace a(*air, *input_);
    a.PlaceAt(10.0F);
    air->StartAction(63);
    air->SetFollowUpFlag(1);
    air->PushCommand(1);
    ASSERT_TRUE(a.StepUntilRow(35, 8));
    EXPECT_EQ(air->GetFollowUpFlag(), 0u);
    // The leap's own rows are excluded; another air skill is taken, a charge goes to 41.
    for (const auto& [argument, next] : {std::pair<std::uint32_t, std::uint32_t>{59, 64}, {62, 64}, {65, 65}}) {
        std::unique_ptr<TestHeroA> h = MakeA();
        qmtest::HeroTrace s(*h, *input_);
        s.PlaceAt(10.0F);
        h->StartAction(63);
        h->SetReservedAction(2, argument);
        ASSERT_TRUE(s.StepUntilRow(next, 8)) << argument;
    }
    std::unique_ptr<TestHeroA> charge = MakeA();
    qmtest::HeroTrace c(*charge, *input_);
    c.PlaceAt(10.0F);
    charge->StartAction(63);
    charge->SetReservedAction(1, 0);
    ASSERT_TRUE(c.StepUntilRow(41, 8));
}

TEST_F(HeroExecutorTest, SteeredAirRowsMoveWithTheStickWithoutTurning)
{
    for (std::uint32_t row : {35u, 36u, 37u}) {
        std::unique_ptr<TestHeroA> hero = MakeA();
        qmtest::HeroTrace t(*hero, *input_);
        t.PlaceAt(10.0F);
        hero->StartAction(row);
        t.Hold(1);
        D3DXVECTOR3 before;
        hero->GetPosition(&before);
        t.Step();
        D3DXVECTOR3 after;
        hero->GetPosition(&after);
        const bool steered = row != 37;
        EXPECT_NEAR(after.z, before.z - (steered ? 0.01F : 0.0F), 1e-6F) << row;
        EXPECT_FLOAT_EQ(hero->GetFrame()->GetMatrix()->_11, 1.0F) << row << " does not turn";
    }
}

TEST_F(HeroExecutorTest, CommonSkillRowsRunTheirExecutorsAndRecover)
{
    struct Case {
        std::uint32_t row;
        Rows rows;
    };
    // The combo windows of commands 1 and 4 at both ends of the shared rows, and command 5's
    // one-motion rows, which go on to their own recovery.
    for (const Case& c : {Case{5, {5, 6}}, Case{19, {19, 20}}, Case{21, {21, 22}}, Case{23, {23, 24}}}) {
        qmtest::HeroTrace* t = nullptr;
        std::unique_ptr<TestHeroA> hero = StartOnGround(t, c.row);
        ASSERT_TRUE(t->StepUntilState(0, 20)) << c.row;
        EXPECT_EQ(t->Rows(), c.rows) << c.row;
    }
    qmtest::HeroTrace* t = nullptr;
    std::unique_ptr<TestHeroA> hero = StartOnGround(t, 21);
    EXPECT_EQ(t->Step(4).motion, 35u);
}

TEST_F(HeroExecutorTest, ThenStartsTheNextRowAtTheMotionsEnd)
{
    static const THeroRow rows[] = {{0, THeroKind::None}, {30, THeroKind::Then, 2}, {31, THeroKind::Recover}};
    static const std::uint32_t noAir[] = {0};
    const THeroClassDef def = {0, 10, false, rows, 3, g_heroCommonSkills, 5, noAir, 0, 2,
                               {1, 1, 1, 1, 1, 1, false}, THeroHitLanded::Standard, THeroSkillHold::Shared};
    TCharacterRecord* record = data_->GetCharacterData(0);
    THero hero(nullptr, 0, *record, "hero01", def);
    qmtest::HeroTrace t(hero, *input_);
    hero.StartAction(1);
    EXPECT_EQ(t.Step(3).row, 1u);
    const qmtest::HeroTraceFrame& next = t.Step();
    EXPECT_EQ(next.row, 2u);
    EXPECT_EQ(next.motion, 31u);
    // A class without the follow-up flag never sets it.
    t.PlaceAt(10.0F);
    hero.PushCommand(1);
    hero.OnHitDelivered(nullptr, 1, 0, 0);
    EXPECT_EQ(hero.GetFollowUpFlag(), 0u);
}

}  // namespace
}  // namespace herotest
