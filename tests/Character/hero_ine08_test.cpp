// THeroine08's moves: her table at the bounds, the short command queue, the jump shots that sink
// slowly, the air charge shot held in the air, and hits that land without a hop.
#include <gtest/gtest.h>

#include <algorithm>

#include "MainCode/Character/THeroine08.h"
#include "hero_fixture.h"

namespace herotest {
namespace {

using Rows = std::vector<std::uint32_t>;

class TestHeroine08 : public THeroine08 {
public:
    using THeroine08::THeroine08;
    using TPlayerCharacter::PushCommand;
    void SetFollowUpFlag(std::uint8_t on) { m_followUp = on; }
};

class Heroine08Test : public HeroFixture {
protected:
    void SetUp() override
    {
        HeroFixture::SetUp();
        WriteHeroModel("heroine08");
        std::vector<std::uint32_t> frames(70, 4);
        frames[37] = 30;  // row 25
        frames[39] = 6;   // row 27
        frames[40] = 10;  // row 31, a jump shot
        frames[42] = 10;  // row 33
        frames[43] = 10;  // row 35, the air charge shot
        qmtest::SaveHeroTraceModel("char04/", "heroine08", frames);
    }

    std::unique_ptr<TestHeroine08> Make()
    {
        TCharacterRecord* record = data_->GetCharacterData(1);
        record->WeaponId = 1011;
        return std::make_unique<TestHeroine08>(nullptr, 1, *record);
    }
};

TEST_F(Heroine08Test, TableAndLookupsAtTheirBounds)
{
    const THeroClassDef& def = THeroine08::GetDef();
    ASSERT_EQ(def.RowCount, 75u);
    EXPECT_EQ(def.SkillCount, 13u);
    EXPECT_EQ(def.QueueCapacity, 3u);
    EXPECT_FALSE(def.Attack.AirReleaseClearsFlag);
    const THeroRow& first = def.Rows[25];
    EXPECT_EQ(first.Kind, THeroKind::ComboStep);
    EXPECT_EQ(first.Motion, 37u);
    EXPECT_EQ(first.X, 27u);
    EXPECT_EQ(first.Y, 29u);
    EXPECT_EQ(def.Rows[27].X, 27u) << "the second hit repeats itself";
    const THeroRow& shot = def.Rows[33];
    EXPECT_EQ(shot.Kind, THeroKind::FallingComboStep);
    EXPECT_EQ(shot.Motion, 42u);
    EXPECT_EQ(shot.X, 33u);
    EXPECT_EQ(shot.Y, 35u);
    EXPECT_EQ(shot.C, 34u);
    EXPECT_EQ(def.Rows[35].Kind, THeroKind::HoverSkillChain);
    EXPECT_EQ(def.Rows[35].C, 36u);
    const THeroRow& step = def.Rows[53];
    EXPECT_EQ(step.Kind, THeroKind::AirComboStep);
    EXPECT_EQ(step.X, 31u);
    EXPECT_EQ(step.A, 49u);
    EXPECT_EQ(step.B, 52u);
    EXPECT_EQ(def.Rows[73].Motion, 68u);
    EXPECT_EQ(def.Rows[73].C, 74u);
    EXPECT_EQ(def.Rows[74].Kind, THeroKind::Recover);

    std::unique_ptr<TestHeroine08> hero = Make();
    EXPECT_EQ(hero->GetWeaponModelName(), "heroine08");
    struct Case {
        std::uint32_t id;
        std::int32_t tap;
        std::int32_t hold;
    };
    for (const Case c : {Case{3100, 41, 43}, Case{3102, 49, 52}, Case{3107, 71, 73}}) {
        TSkillTable::Get(c.id).Type = 15;
        EXPECT_EQ(hero->GetSkillAction(c.id, 0), c.tap) << c.id;
        EXPECT_EQ(hero->GetSkillAction(c.id, 1), c.hold) << c.id;
    }
    TSkillTable::Get(3108).Type = 15;
    EXPECT_EQ(hero->GetSkillAction(3108, 0), 0) << "past the class's skills";
    TSkillTable::Get(3000).Type = 14;
    EXPECT_EQ(hero->GetSkillAction(3000, 0), -1) << "the previous weapon type's skill";
    for (std::uint32_t n : {59u, 61u, 67u, 69u}) {
        EXPECT_TRUE(hero->IsAirAction(n)) << n;
    }
    for (std::uint32_t n : {58u, 60u, 66u, 70u, 35u, 31u}) {
        EXPECT_FALSE(hero->IsAirAction(n)) << n;
    }
    EXPECT_EQ(hero->GetChainAction(), 29u);
    hero->StartAction(75);
    EXPECT_EQ(hero->GetState(), 0u) << "past the table";
}

TEST_F(Heroine08Test, GroundComboRepeatsTheSecondShotForEachOfTwoWaitingAttacks)
{
    std::unique_ptr<TestHeroine08> hero = Make();
    qmtest::HeroTrace t(*hero, *input_);
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilRow(25, 6));
    for (int i = 0; i < 4; ++i) {
        Tap(t, kAttack);
        t.Step();
    }
    t.Step(qmtest::HeroTrace::kAttackDelay + 1);
    ASSERT_EQ(t.Frames().back().row, 25u);
    EXPECT_EQ(hero->GetCommandCount(), 2u) << "the third and fourth presses are dropped";
    ASSERT_TRUE(t.StepUntilState(TPlayerCharacter::kStateIdle, 60));
    EXPECT_EQ(t.Rows(), (Rows{25, 27, 28}));
    const auto inSecond = std::count_if(t.Frames().begin(), t.Frames().end(),
                                        [](const qmtest::HeroTraceFrame& f) { return f.row == 27; });
    EXPECT_EQ(inSecond, 12) << "the six-frame second shot ran twice, once for each waiting attack";
}

TEST_F(Heroine08Test, JumpShotsSinkSlowlyAndAQueuedAttackRepeatsTheSecond)
{
    std::unique_ptr<TestHeroine08> hero = Make();
    qmtest::HeroTrace t(*hero, *input_);
    t.PlaceAt(30.0F);
    hero->SetState(5);
    hero->SetFollowUpFlag(1);
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilRow(31, 6));
    EXPECT_EQ(hero->GetFollowUpFlag(), 1u) << "her jump shot clears nothing";
    t.Step(3);
    for (std::size_t i = t.Frames().size() - 3; i < t.Frames().size(); ++i) {
        EXPECT_FLOAT_EQ(t.Frames()[i].verticalSpeed, -0.01F) << i;
    }
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilRow(33, 12));
    EXPECT_EQ(hero->GetFollowUpFlag(), 0u) << "cleared at the step's end";
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilRow(34, 30)) << "the repeated shot ends in its recovery";
    EXPECT_EQ(t.Rows(), (Rows{31, 33, 34}));
    const auto inSecond = std::count_if(t.Frames().begin(), t.Frames().end(),
                                        [](const qmtest::HeroTraceFrame& f) { return f.row == 33; });
    EXPECT_GT(inSecond, 15) << "the ten-frame shot ran twice";

    // A landing ends the shot at once with the queue emptied.
    std::unique_ptr<TestHeroine08> low = Make();
    qmtest::HeroTrace l(*low, *input_);
    l.PlaceAt(5.0F);
    low->SetState(5);
    Tap(l, kAttack);
    ASSERT_TRUE(l.StepUntilRow(31, 6));
    low->PushCommand(1);
    l.SetGround(l.Frames().back().height + 0.001F);
    l.Step(2);
    EXPECT_EQ(l.Frames().back().state, TPlayerCharacter::kStateLand);
    EXPECT_EQ(low->GetCommandCount(), 0u);
}

TEST_F(Heroine08Test, AirChargeShotHoldsInTheAirAndASecondChargeRecovers)
{
    std::unique_ptr<TestHeroine08> hero = Make();
    qmtest::HeroTrace t(*hero, *input_);
    t.PlaceAt(30.0F);
    hero->SetState(5);
    t.Hold(kAttack);
    ASSERT_TRUE(t.StepUntilRow(35, 30));
    t.Release(kAttack);
    t.Step(2);
    EXPECT_FLOAT_EQ(t.Frames().back().verticalSpeed, 0.0F);
    hero->SetReservedAction(1, 0);
    ASSERT_TRUE(t.StepUntilRow(36, 15));
    EXPECT_EQ(t.Rows(), (Rows{35, 36}));
    EXPECT_EQ(hero->GetReservedKind(), 0u) << "used up";
}

TEST_F(Heroine08Test, HitsLandWithoutAHop)
{
    for (std::int32_t code : {1, 2, 3}) {
        std::unique_ptr<TestHeroine08> hero = Make();
        hero->PushCommand(1);
        hero->OnHitDelivered(nullptr, code, 10, 0);
        EXPECT_FLOAT_EQ(hero->GetVelocity().y, 0.0F) << code;
        EXPECT_EQ(hero->GetCommandCount(), 1u) << code;
        EXPECT_EQ(hero->GetFollowUpFlag(), 0u) << code;
    }
}

}  // namespace
}  // namespace herotest
