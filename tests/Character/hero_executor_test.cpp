// The executor kinds on THeroA's rows (and a class of one row for the kind it does not use): what
// ends them, what chains from them and what they do with a reservation.
#include <gtest/gtest.h>

#include "hero_fixture.h"
#include "support/character_probe.h"

namespace herotest {
namespace {

using Rows = std::vector<std::uint32_t>;

class HeroExecutorTest : public HeroFixture {
protected:
    struct Running {
        std::unique_ptr<TestHeroA> hero;
        std::unique_ptr<qmtest::HeroTrace> trace;
    };
    // Action n running at `height` above the ground (0: standing, contact taken), with `kind` and
    // `argument` reserved when kind is not 0.
    Running Start(std::uint32_t n, float height = 0.0F, std::uint32_t kind = 0, std::uint32_t argument = 0)
    {
        Running r{MakeA(), nullptr};
        r.trace = std::make_unique<qmtest::HeroTrace>(*r.hero, *input_);
        if (height > 0.0F) {
            r.trace->PlaceAt(height);
        } else {
            r.trace->Step();
        }
        r.hero->StartAction(n);
        if (kind != 0) {
            r.hero->SetReservedAction(kind, argument);
        }
        return r;
    }
};

TEST_F(HeroExecutorTest, HoverStrikeHoldsTheHeroUpUntilItsMotionEnds)
{
    Running r = Start(69, 10.0F);
    for (std::uint32_t i = 0; i < 9; ++i) {
        EXPECT_EQ(r.trace->Step().verticalSpeed, 0.0F) << i;
    }
    r.trace->Step();
    EXPECT_EQ(r.trace->Rows(), (Rows{69, 70}));

    // A skill request is dropped for the else row; a charge low above the ground waits.
    Running skill = Start(69, 10.0F, 2, 71);
    skill.trace->Step(10);
    EXPECT_EQ(skill.trace->Rows(), (Rows{69, 70}));

    Running low = Start(69, 0.5F, 1, 0);
    low.trace->Step(10);
    EXPECT_EQ(low.trace->Rows(), (Rows{69})) << "no charge and no else row on that frame";
    EXPECT_EQ(TCharacterProbe::ReservedKind(*low.hero), 0u);
    low.trace->Step();
    EXPECT_EQ(low.trace->Rows(), (Rows{69, 70}));
}

TEST_F(HeroExecutorTest, LandingEndsEveryAirRowAtOnceWithTheQueueEmptied)
{
    for (std::uint32_t row : {35u, 36u, 37u, 38u, 39u, 40u, 69u, 70u}) {
        Running r = Start(row);
        r.hero->PushCommand(1);
        const qmtest::HeroTraceFrame& f = r.trace->Step();
        EXPECT_EQ(f.state, TPlayerCharacter::kStateLand) << row;
        EXPECT_EQ(f.queued, 0u) << row;
    }
}

TEST_F(HeroExecutorTest, RecoveriesReturnToIdleOrToFalling)
{
    Running r = Start(26);
    r.hero->PushCommand(1);
    r.trace->Step(3);
    EXPECT_EQ(r.hero->GetState(), 19u);
    EXPECT_EQ(r.trace->Step().state, 0u) << "on the motion's fourth frame";
    EXPECT_EQ(TCharacterProbe::CommandCount(*r.hero), 0u);

    EXPECT_EQ(Start(61, 10.0F).trace->Step(4).state, TPlayerCharacter::kStateFall);
    // The air recovery falls at its motion's end.
    Running air = Start(38, 10.0F);
    EXPECT_EQ(air.trace->Step(3).state, 19u);
    EXPECT_EQ(air.trace->Step().state, TPlayerCharacter::kStateFall);
}

TEST_F(HeroExecutorTest, AirStrikeEndsInItsElseRowWhateverTheFlagAndClearsItButTakesAnAirSkill)
{
    // Nothing reserved, an air skill and a ground one.
    for (const auto& [kind, argument, next] : {std::tuple{0u, 0u, 40u}, {2u, 69u, 69u}, {2u, 47u, 40u}}) {
        for (const std::uint8_t flag : {0, 1}) {
            SCOPED_TRACE(testing::Message() << argument << " flag " << int{flag});
            Running r = Start(39, 10.0F, kind, argument);
            r.hero->SetFollowUpFlag(flag);
            ASSERT_TRUE(r.trace->StepUntilRow(next, 8));
            EXPECT_EQ(r.trace->Rows(), (Rows{39, next}));
            EXPECT_EQ(TCharacterProbe::FollowUpFlag(*r.hero), 0u);
        }
    }
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
        SCOPED_TRACE(testing::Message() << c.row << " " << c.kind << " " << c.argument);
        Running r = Start(c.row, 0.0F, c.kind, c.argument);
        TestHeroA* hero = r.hero.get();
        hero->PushCommand(1);
        for (std::uint32_t i = 0; i < 40 && hero->GetState() == 19 && TCharacterProbe::SubState(*hero) == c.row; ++i) {
            r.trace->Step();
        }
        if (c.next == 0) {
            EXPECT_EQ(hero->GetState(), 0u);
            EXPECT_EQ(TCharacterProbe::CommandCount(*hero), 0u);
        } else {
            EXPECT_EQ(hero->GetState(), 19u);
            EXPECT_EQ(TCharacterProbe::SubState(*hero), c.next);
        }
        EXPECT_EQ(TCharacterProbe::ReservedKind(*hero), 0u) << "used up";
    }
    // The skill chain's charge goes to its else row at once, not through the row again (six frames).
    ASSERT_TRUE(Start(33, 0.0F, 1, 0).trace->StepUntilRow(34, 7));
}

TEST_F(HeroExecutorTest, ComboStepPrefersTheQueuedAttackAndAirStepClearsTheFlag)
{
    Running r = Start(27, 0.0F, 1, 0);
    r.hero->PushCommand(1);
    ASSERT_TRUE(r.trace->StepUntilRow(29, 20));
    EXPECT_EQ(TCharacterProbe::ReservedKind(*r.hero), 1u) << "left for the next hit";

    Running air = Start(63, 10.0F);
    air.hero->SetFollowUpFlag(1);
    air.hero->PushCommand(1);
    ASSERT_TRUE(air.trace->StepUntilRow(35, 8));
    EXPECT_EQ(TCharacterProbe::FollowUpFlag(*air.hero), 0u);
    // The leap's own rows are excluded; another air skill is taken, a charge goes to 41.
    for (const auto& [kind, argument, next] :
         {std::tuple{2u, 59u, 64u}, {2u, 62u, 64u}, {2u, 65u, 65u}, {1u, 0u, 41u}}) {
        ASSERT_TRUE(Start(63, 10.0F, kind, argument).trace->StepUntilRow(next, 8)) << kind << " " << argument;
    }
}

TEST_F(HeroExecutorTest, SteeredAirRowsMoveWithTheStickWithoutTurning)
{
    for (std::uint32_t row : {35u, 36u, 37u}) {
        Running r = Start(row, 10.0F);
        TestHeroA* hero = r.hero.get();
        qmtest::HeroTrace& t = *r.trace;
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
        Running r = Start(c.row);
        ASSERT_TRUE(r.trace->StepUntilState(0, 20)) << c.row;
        EXPECT_EQ(r.trace->Rows(), c.rows) << c.row;
    }
    EXPECT_EQ(Start(21).trace->Step(4).motion, 35u);
}

TEST_F(HeroExecutorTest, ThenStartsTheNextRowAtTheMotionsEnd)
{
    static const THeroRow rows[] = {{0, THeroKind::None}, {30, THeroKind::Then, 2}, {31, THeroKind::Recover}};
    static const std::uint32_t noAir[] = {0};
    const THeroClassDef def = {0, 10, false, rows, 3, g_heroCommonSkills, 5, noAir, 0, 2,
                               {1, 1, 1, 1, 1, 1, false}, THeroHitLanded::Standard, THeroSkillHold::Shared};
    TCharacterRecord* record = data_->GetCharacterData(0);
    THero hero(links_, 0, *record, "hero01", def);
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
    EXPECT_EQ(TCharacterProbe::FollowUpFlag(hero), 0u);
}

}  // namespace
}  // namespace herotest
