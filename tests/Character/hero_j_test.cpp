// THeroJ: its table at the bounds, the factory, the charge that a second charge ends in its recovery,
// and the air-only skill that strikes until the ground.
#include <gtest/gtest.h>

#include "MainCode/Character/THeroJ.h"
#include "hero_fixture.h"

namespace herotest {
namespace {

using Rows = std::vector<std::uint32_t>;

class TestHeroJ : public THeroJ {
public:
    using THeroJ::THeroJ;
};

class HeroJTest : public HeroFixture {
protected:
    void SetUp() override
    {
        HeroFixture::SetUp();
        WriteHeroModel("heroine03");
        std::vector<std::uint32_t> frames(112, 4);
        frames[59] = 12;  // row 35, the charge
        frames[80] = 3;   // row 63, strike until landing
        qmtest::SaveHeroTraceModel("char04/", "heroine03", frames);
    }

    std::unique_ptr<TestHeroJ> MakeJ()
    {
        TCharacterRecord* record = data_->GetCharacterData(1);
        record->WeaponId = 1004;
        return std::make_unique<TestHeroJ>(nullptr, 1, *record);
    }
};

TEST_F(HeroJTest, TableAndLookupsAtTheirBounds)
{
    const THeroClassDef& def = THeroJ::GetDef();
    ASSERT_EQ(def.RowCount, 85u);
    EXPECT_EQ(def.SkillCount, 13u);
    const THeroRow& first = def.Rows[25];
    EXPECT_EQ(first.Kind, THeroKind::ComboStep);
    EXPECT_EQ(first.Motion, 37u);
    EXPECT_EQ(first.Y, 35u);
    EXPECT_EQ(def.Rows[35].Kind, THeroKind::SkillChain);
    EXPECT_EQ(def.Rows[35].Motion, 59u);
    EXPECT_EQ(def.Rows[35].C, 36u);
    const THeroRow& step = def.Rows[79];
    EXPECT_EQ(step.Kind, THeroKind::AirComboStep);
    EXPECT_EQ(step.Motion, 108u);
    EXPECT_EQ(step.X, 37u);
    EXPECT_EQ(step.A, 75u);
    EXPECT_EQ(step.B, 78u);
    EXPECT_EQ(step.C, 80u);
    // Both of the last skill's rows play one motion.
    EXPECT_EQ(def.Rows[81].Motion, 110u);
    EXPECT_EQ(def.Rows[83].Motion, 110u);
    EXPECT_EQ(def.Rows[83].C, 84u);
    EXPECT_EQ(def.Rows[84].Kind, THeroKind::Recover);
    EXPECT_EQ(def.Rows[84].Motion, 45u);

    std::unique_ptr<TestHeroJ> hero = MakeJ();
    EXPECT_EQ(hero->GetWeaponModelName(), "heroine03");
    struct Case {
        std::uint32_t id;
        std::int32_t tap;
        std::int32_t hold;
    };
    for (const Case c : {Case{2400, 49, 51}, Case{2402, 57, 60}, Case{2406, 75, 78}, Case{2407, 81, 83}}) {
        TSkillTable::Get(c.id).Type = 8;
        EXPECT_EQ(hero->GetSkillAction(c.id, 0), c.tap) << c.id;
        EXPECT_EQ(hero->GetSkillAction(c.id, 1), c.hold) << c.id;
    }
    TSkillTable::Get(2408).Type = 8;
    EXPECT_EQ(hero->GetSkillAction(2408, 0), 0) << "past the class's skills";
    TSkillTable::Get(2300).Type = 7;
    EXPECT_EQ(hero->GetSkillAction(2300, 0), -1) << "the previous weapon type's skill";
    for (std::uint32_t n : {63u, 65u, 71u, 73u}) {
        EXPECT_TRUE(hero->IsAirAction(n)) << n;
    }
    for (std::uint32_t n : {62u, 64u, 66u, 70u, 72u, 74u, 43u}) {
        EXPECT_FALSE(hero->IsAirAction(n)) << n;
    }
    EXPECT_EQ(hero->GetChainAction(), 35u);
    hero->StartAction(85);
    EXPECT_EQ(hero->GetState(), 0u) << "past the table";

    data_->GetCharacterData(1)->WeaponId = 1004;
    TRefPtr<TPlayerCharacter> made = CreatePlayerCharacter(nullptr, 1);
    ASSERT_NE(dynamic_cast<THeroJ*>(made.Get()), nullptr);
    EXPECT_EQ(made->GetWeaponModelName(), "heroine03");
}

TEST_F(HeroJTest, SecondChargeInTheChargeRecoversAndTheAirSkillStrikesUntilTheGround)
{
    std::unique_ptr<TestHeroJ> hero = MakeJ();
    qmtest::HeroTrace c(*hero, *input_);
    c.Hold(kAttack);
    ASSERT_TRUE(c.StepUntilRow(35, 40));
    c.Release(kAttack);
    c.Step(qmtest::HeroTrace::kAttackDelay + 1);
    c.Hold(kAttack);
    ASSERT_TRUE(c.StepUntilRow(36, 40)) << "a second charge in the charge attack";
    EXPECT_EQ(c.Rows(), (Rows{35, 36}));

    std::unique_ptr<TestHeroJ> air = MakeJ();
    TSkillTable::Get(2403).Type = 8;
    data_->GetCharacterData(1)->SkillSlot[0] = 2403;
    gauge_.SetSelection(0);
    qmtest::HeroTrace t(*air, *input_);
    Tap(t, kSkill);
    t.Step(6);
    EXPECT_EQ(air->GetState(), 0u) << "an air skill on the ground";
    EXPECT_TRUE(t.Rows().empty());
    Tap(t, kJump);
    ASSERT_EQ(air->GetState(), 4u);
    Tap(t, kSkill);
    ASSERT_TRUE(t.StepUntilRow(63, 6));
    const std::size_t start = t.Frames().size();
    ASSERT_TRUE(t.StepUntilRow(64, 100));
    EXPECT_GT(t.Frames().size() - start, 3u) << "stepped well past the motion's three frames";
    EXPECT_LT(t.Frames()[t.Frames().size() - 2].height, 0.01F) << "until the ground";
    EXPECT_EQ(t.Rows(), (Rows{63, 64}));
}

}  // namespace
}  // namespace herotest
