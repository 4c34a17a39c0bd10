// THeroG: its table at the bounds, the factory, the air-only hover strike held in the air and ended
// by a landing, the leap that cannot follow itself, and the charge that ends in its recovery.
#include <gtest/gtest.h>

#include "MainCode/Character/THeroG.h"
#include "hero_fixture.h"

namespace herotest {
namespace {

using Rows = std::vector<std::uint32_t>;

class TestHeroG : public THeroG {
public:
    using THeroG::THeroG;
    using THero::RunAction;
};

class HeroGTest : public HeroFixture {
protected:
    void SetUp() override
    {
        HeroFixture::SetUp();
        WriteHeroModel("hero05");
        std::vector<std::uint32_t> frames(100, 4);
        frames[85] = 30;  // row 83, the hover strike
        frames[70] = 5;   // row 65, the leap
        frames[71] = 8;   // row 66, its air step
        frames[58] = 12;  // row 35, the charge
        qmtest::SaveHeroTraceModel("char04/", "hero05", frames);
    }

    std::unique_ptr<TestHeroG> MakeG()
    {
        TCharacterRecord* record = data_->GetCharacterData(0);
        record->WeaponId = 1008;
        return std::make_unique<TestHeroG>(nullptr, 0, *record);
    }
};

TEST_F(HeroGTest, TableAndLookupsAtTheirBounds)
{
    const THeroClassDef& def = THeroG::GetDef();
    ASSERT_EQ(def.RowCount, 91u);
    EXPECT_EQ(def.SkillCount, 15u);
    const THeroRow& first = def.Rows[25];
    EXPECT_EQ(first.Kind, THeroKind::ComboStep);
    EXPECT_EQ(first.Motion, 37u);
    EXPECT_EQ(first.X, 27u);
    EXPECT_EQ(first.Y, 35u);
    EXPECT_EQ(first.C, 26u);
    EXPECT_EQ(def.Rows[31].Kind, THeroKind::ComboStep) << "four combo steps before the fixed end";
    EXPECT_EQ(def.Rows[33].Kind, THeroKind::FixedChain);
    const THeroRow& steered = def.Rows[37];
    EXPECT_EQ(steered.Kind, THeroKind::SteeredAirStrikeFollowUp);
    EXPECT_EQ(steered.Y, 43u);
    EXPECT_EQ(steered.P, 38u);
    EXPECT_EQ(steered.Q, 39u);
    const THeroRow& step = def.Rows[69];
    EXPECT_EQ(step.Kind, THeroKind::AirComboStep);
    EXPECT_EQ(step.Motion, 74u);
    EXPECT_EQ(step.X, 37u);
    EXPECT_EQ(step.A, 65u);
    EXPECT_EQ(step.B, 68u);
    EXPECT_EQ(step.C, 70u);
    const THeroRow& lastChain = def.Rows[89];
    EXPECT_EQ(lastChain.Motion, 88u);
    EXPECT_EQ(lastChain.A, 87u);
    EXPECT_EQ(lastChain.B, 89u);
    EXPECT_EQ(lastChain.C, 90u);
    EXPECT_EQ(def.Rows[90].Kind, THeroKind::Recover);
    EXPECT_EQ(def.Rows[90].Motion, 61u);

    std::unique_ptr<TestHeroG> hero = MakeG();
    EXPECT_EQ(hero->GetWeaponModelName(), "hero05");
    struct Case {
        std::uint32_t id;
        std::int32_t tap;
        std::int32_t hold;
    };
    for (const Case c : {Case{2800, 49, 51}, Case{2804, 65, 68}, Case{2809, 87, 89}}) {
        TSkillTable::Get(c.id).Type = 12;
        EXPECT_EQ(hero->GetSkillAction(c.id, 0), c.tap) << c.id;
        EXPECT_EQ(hero->GetSkillAction(c.id, 1), c.hold) << c.id;
    }
    TSkillTable::Get(2810).Type = 12;
    EXPECT_EQ(hero->GetSkillAction(2810, 0), 0) << "past the class's skills";
    TSkillTable::Get(2000).Type = 4;
    EXPECT_EQ(hero->GetSkillAction(2000, 0), -1) << "another weapon type's skill";
    for (std::uint32_t n : {75u, 77u, 83u, 85u}) {
        EXPECT_TRUE(hero->IsAirAction(n)) << n;
    }
    for (std::uint32_t n : {74u, 76u, 78u, 82u, 84u, 86u, 43u}) {
        EXPECT_FALSE(hero->IsAirAction(n)) << n;
    }
    EXPECT_EQ(hero->GetChainAction(), 35u);
    hero->StartAction(91);
    EXPECT_EQ(hero->GetState(), 0u) << "past the table";

    data_->GetCharacterData(0)->WeaponId = 1008;
    TRefPtr<TPlayerCharacter> made = CreatePlayerCharacter(nullptr, 0);
    ASSERT_NE(dynamic_cast<THeroG*>(made.Get()), nullptr);
    EXPECT_EQ(made->GetWeaponModelName(), "hero05");
}

TEST_F(HeroGTest, HoverStrikeStartsOnlyInTheAirHoldsItThereAndALandingEndsIt)
{
    std::unique_ptr<TestHeroG> hero = MakeG();
    SlotSkill(2808, 12);
    qmtest::HeroTrace t(*hero, *input_);
    Tap(t, kSkill);
    t.Step(6);
    EXPECT_EQ(hero->GetState(), 0u) << "an air skill on the ground";
    EXPECT_TRUE(t.Rows().empty());

    Tap(t, kJump);
    ASSERT_EQ(hero->GetState(), 4u);
    Tap(t, kSkill);
    ASSERT_TRUE(t.StepUntilRow(83, 6));
    const float held = t.Frames().back().height;
    t.Step(5);
    for (std::size_t i = t.Frames().size() - 5; i < t.Frames().size(); ++i) {
        EXPECT_EQ(t.Frames()[i].row, 83u);
        EXPECT_FLOAT_EQ(t.Frames()[i].verticalSpeed, 0.0F) << i;
        // Only this frame's gravity moves it: no fall builds up.
        EXPECT_NEAR(t.Frames()[i - 1].height - t.Frames()[i].height, 0.007F, 1e-4F) << i;
    }
    EXPECT_GT(t.Frames().back().height, held - 0.05F);
    // An attack queued, then the ground comes up to meet the hero: the strike ends at once.
    Tap(t, kAttack);
    t.Step(qmtest::HeroTrace::kAttackDelay + 1);
    ASSERT_EQ(t.Frames().back().row, 83u);
    ASSERT_GT(t.Frames().back().queued, 0u);
    t.SetGround(t.Frames().back().height + 0.001F);
    t.Step(2);
    EXPECT_EQ(t.Frames().back().state, TPlayerCharacter::kStateLand) << "the landing ends it at once";
    EXPECT_EQ(t.Frames().back().queued, 0u);
    EXPECT_EQ(t.Rows(), (Rows{83}));
}

TEST_F(HeroGTest, LeapTakesNoLeapButAnAirSkillAndASecondChargeRecovers)
{
    std::unique_ptr<TestHeroG> hero = MakeG();
    SlotSkill(2804, 12);
    qmtest::HeroTrace t(*hero, *input_);
    Tap(t, kSkill);
    ASSERT_TRUE(t.StepUntilRow(65, 5));
    ASSERT_TRUE(t.StepUntilRow(66, 10));
    Tap(t, kSkill);  // reserved during the air step: the leap is no air skill
    ASSERT_TRUE(t.StepUntilRow(67, 12));
    EXPECT_EQ(t.Rows(), (Rows{65, 66, 67}));

    t.SetGround(0.0F);
    ASSERT_TRUE(t.StepUntilState(0, 200));
    Tap(t, kSkill);
    ASSERT_TRUE(t.StepUntilRow(66, 20));
    SlotSkill(2808, 12);
    Tap(t, kSkill);
    ASSERT_TRUE(t.StepUntilRow(83, 12)) << "the air step chains into the hover strike";
    std::unique_ptr<TestHeroG> second = MakeG();
    qmtest::HeroTrace c(*second, *input_);
    c.Hold(kAttack);
    ASSERT_TRUE(c.StepUntilRow(35, 40));
    c.Release(kAttack);
    c.Step(qmtest::HeroTrace::kAttackDelay + 1);
    c.Hold(kAttack);
    ASSERT_TRUE(c.StepUntilRow(36, 40)) << "a second charge in the charge attack";
    EXPECT_EQ(c.Rows(), (Rows{35, 36}));
}

}  // namespace
}  // namespace herotest
