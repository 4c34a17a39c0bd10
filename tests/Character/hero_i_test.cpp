// THeroI: its table at the bounds, the factory, the leaping skill whose air step takes a hover
// skill but no leap, and the charge that leaps.
#include <gtest/gtest.h>

#include "MainCode/Character/THeroI.h"
#include "hero_fixture.h"

namespace herotest {
namespace {

using Rows = std::vector<std::uint32_t>;

class TestHeroI : public THeroI {
public:
    using THeroI::THeroI;
};

class HeroITest : public HeroFixture {
protected:
    void SetUp() override
    {
        HeroFixture::SetUp();
        WriteHeroModel("heroine03");
        std::vector<std::uint32_t> frames(110, 4);
        frames[56] = 5;   // row 35, the charge's leap
        frames[57] = 10;  // row 36
        frames[84] = 5;   // row 70, the skill's leap
        frames[85] = 12;  // row 71, its air step
        frames[67] = 8;   // row 62, a hover strike
        qmtest::SaveHeroTraceModel("char04/", "heroine03", frames);
    }

    std::unique_ptr<TestHeroI> MakeI()
    {
        TCharacterRecord* record = data_->GetCharacterData(1);
        record->WeaponId = 1003;
        return std::make_unique<TestHeroI>(nullptr, 1, *record);
    }

    void SlotHeroineSkill(std::uint32_t id)
    {
        TSkillTable::Get(id).Type = 7;
        data_->GetCharacterData(1)->SkillSlot[0] = id;
        gauge_.SetSelection(0);
    }
};

TEST_F(HeroITest, TableAndLookupsAtTheirBounds)
{
    const THeroClassDef& def = THeroI::GetDef();
    ASSERT_EQ(def.RowCount, 102u);
    EXPECT_EQ(def.SkillCount, 17u);
    const THeroRow& first = def.Rows[25];
    EXPECT_EQ(first.Kind, THeroKind::ComboStep);
    EXPECT_EQ(first.Motion, 37u);
    EXPECT_EQ(first.X, 27u);
    EXPECT_EQ(first.Y, 35u);
    EXPECT_EQ(def.Rows[32].Motion, 38u);
    const THeroRow& charged = def.Rows[36];
    EXPECT_EQ(charged.Kind, THeroKind::AirComboStep);
    EXPECT_EQ(charged.A, 35u);
    EXPECT_EQ(charged.B, 0u) << "only the leap is excluded";
    EXPECT_EQ(charged.X, 38u);
    EXPECT_EQ(charged.Y, 44u);
    const THeroRow& step = def.Rows[84];
    EXPECT_EQ(step.Motion, 95u);
    EXPECT_EQ(step.A, 80u);
    EXPECT_EQ(step.B, 83u);
    EXPECT_EQ(step.C, 85u);
    // The last two hover strikes and their recoveries share their motions.
    EXPECT_EQ(def.Rows[98].Motion, 109u);
    EXPECT_EQ(def.Rows[100].Motion, 109u);
    EXPECT_EQ(def.Rows[100].C, 101u);
    EXPECT_EQ(def.Rows[99].Motion, 99u);
    EXPECT_EQ(def.Rows[101].Motion, 99u);
    EXPECT_EQ(def.Rows[101].Kind, THeroKind::AirRecovery);

    std::unique_ptr<TestHeroI> hero = MakeI();
    EXPECT_EQ(hero->GetWeaponModelName(), "heroine03");
    struct Case {
        std::uint32_t id;
        std::int32_t tap;
        std::int32_t hold;
    };
    for (const Case c : {Case{2300, 50, 52}, Case{2305, 70, 73}, Case{2307, 80, 83}, Case{2311, 98, 100}}) {
        TSkillTable::Get(c.id).Type = 7;
        EXPECT_EQ(hero->GetSkillAction(c.id, 0), c.tap) << c.id;
        EXPECT_EQ(hero->GetSkillAction(c.id, 1), c.hold) << c.id;
    }
    TSkillTable::Get(2312).Type = 7;
    EXPECT_EQ(hero->GetSkillAction(2312, 0), 0) << "past the class's skills";
    TSkillTable::Get(2400).Type = 8;
    EXPECT_EQ(hero->GetSkillAction(2400, 0), -1) << "the next weapon type's skill";
    for (std::uint32_t n : {62u, 64u, 66u, 68u, 76u, 78u, 86u, 88u, 94u, 96u, 98u, 100u}) {
        EXPECT_TRUE(hero->IsAirAction(n)) << n;
    }
    for (std::uint32_t n : {61u, 63u, 70u, 73u, 80u, 90u, 99u, 101u}) {
        EXPECT_FALSE(hero->IsAirAction(n)) << n;
    }
    EXPECT_EQ(hero->GetChainAction(), 35u);
    hero->StartAction(102);
    EXPECT_EQ(hero->GetState(), 0u) << "past the table";
}

TEST_F(HeroITest, LeapSkillsAirStepTakesAHoverSkillButNoLeap)
{
    std::unique_ptr<TestHeroI> hero = MakeI();
    SlotHeroineSkill(2305);
    qmtest::HeroTrace t(*hero, *input_);
    Tap(t, kSkill);
    ASSERT_TRUE(t.StepUntilRow(71, 15));
    Tap(t, kSkill);  // the leap again: excluded
    ASSERT_TRUE(t.StepUntilRow(72, 15));
    EXPECT_EQ(t.Rows(), (Rows{70, 71, 72}));

    std::unique_ptr<TestHeroI> second = MakeI();
    qmtest::HeroTrace s(*second, *input_);
    SlotHeroineSkill(2305);
    Tap(s, kSkill);
    ASSERT_TRUE(s.StepUntilRow(71, 15));
    SlotHeroineSkill(2303);
    Tap(s, kSkill);
    ASSERT_TRUE(s.StepUntilRow(62, 15)) << "a hover skill follows the air step";
    EXPECT_EQ(s.Rows(), (Rows{70, 71, 62}));
}

TEST_F(HeroITest, ChargeLeapsAndAQueuedAttackGoesOnWithTheJumpAttack)
{
    std::unique_ptr<TestHeroI> hero = MakeI();
    qmtest::HeroTrace t(*hero, *input_);
    t.Hold(kAttack);
    ASSERT_TRUE(t.StepUntilRow(35, 30));
    t.Release(kAttack);
    ASSERT_TRUE(t.StepUntilRow(36, 10));
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilRow(38, 15));
    EXPECT_EQ(t.Rows(), (Rows{35, 36, 38}));
    EXPECT_GT(t.Frames().back().height, 0.1F);
}

}  // namespace
}  // namespace herotest
