// THeroC: its table at both ends, the five-hit combo, the leap skill going on with the air attack,
// the hovering air skills that start only in the air, and the factory building it.
#include <gtest/gtest.h>

#include "MainCode/Character/THeroC.h"
#include "hero_fixture.h"

namespace herotest {
namespace {

using Rows = std::vector<std::uint32_t>;

class HeroCTest : public HeroFixture {
protected:
    void SetUp() override
    {
        HeroFixture::SetUp();
        std::vector<std::uint32_t> frames(120, 4);
        frames[37] = 30;  // row 25
        for (std::uint32_t m : {39u, 41u, 43u, 45u}) {
            frames[m] = 12;  // rows 27, 29, 31, 33
        }
        frames[69] = 5;   // row 61
        frames[70] = 8;   // row 62
        frames[74] = 10;  // row 67
        frames[76] = 10;  // row 71
        frames[90] = 10;  // row 93
        frames[92] = 10;  // row 97
        qmtest::SaveHeroTraceModel("char04/", "hero02", frames);
    }

    std::unique_ptr<THeroC> MakeC()
    {
        TCharacterRecord* record = data_->GetCharacterData(0);
        record->WeaponId = 1002;
        return std::make_unique<THeroC>(nullptr, 0, *record, "hero02");
    }
};

TEST_F(HeroCTest, TableAsTranscribed)
{
    const THeroClassDef& c = THeroC::GetDef();
    ASSERT_EQ(c.RowCount, 109u);
    EXPECT_EQ(c.WeaponType, 2u);
    EXPECT_EQ(c.ChargeAction, 35u);
    EXPECT_EQ(c.HitLanded, THeroHitLanded::HopsOnly);
    const THeroAttackRows& a = c.Attack;
    EXPECT_EQ(Rows({a.GroundRelease, a.DashRelease, a.AirRelease, a.GroundHold, a.DashHold, a.AirHold}),
              Rows({25, 45, 37, 35, 47, 43}));
    const THeroRow& fourth = c.Rows[31];
    EXPECT_EQ(fourth.Kind, THeroKind::ComboStep);
    EXPECT_EQ(Rows({fourth.Motion, fourth.X, fourth.Y, fourth.C}), Rows({43, 33, 35, 32}));
    const THeroRow& fifth = c.Rows[33];
    EXPECT_EQ(fifth.Kind, THeroKind::FixedChain);
    EXPECT_EQ(Rows({fifth.Motion, fifth.Y, fifth.C}), Rows({45, 35, 34}));
    EXPECT_EQ(c.Rows[35].Kind, THeroKind::SkillChain);
    EXPECT_EQ(c.Rows[35].Motion, 58u);
    const THeroRow& air = c.Rows[91];
    EXPECT_EQ(air.Kind, THeroKind::AirComboStep);
    EXPECT_EQ(Rows({air.Motion, air.X, air.Y, air.C, air.A, air.B}), Rows({89, 37, 43, 92, 87, 90}));
    const THeroRow& last = c.Rows[108];
    EXPECT_EQ(last.Kind, THeroKind::Recover);
    EXPECT_EQ(last.Motion, 64u);
    ASSERT_EQ(c.SkillCount, 19u);
    EXPECT_EQ(c.Skills[5].Id, 2200u);
    EXPECT_EQ(c.Skills[18].Id, 2213u);
    EXPECT_EQ(c.Skills[18].Hold, 107u);

    std::unique_ptr<THeroC> hero = MakeC();
    const Rows airRows{67, 69, 71, 73, 93, 95, 97, 99};
    for (std::uint32_t n = 0; n < 109; ++n) {
        EXPECT_EQ(hero->IsAirAction(n), std::find(airRows.begin(), airRows.end(), n) != airRows.end()) << n;
    }
    TSkillTable::Get(2200).Type = 6;
    TSkillTable::Get(2213).Type = 6;
    TSkillTable::Get(2100).Type = 5;
    EXPECT_EQ(hero->GetSkillAction(2200, 0), 49);
    EXPECT_EQ(hero->GetSkillAction(2213, 1), 107);
    EXPECT_EQ(hero->GetSkillAction(2100, 0), -1);
}

TEST_F(HeroCTest, FiveReleasesInRhythmRunTheComboAndASixthIsDropped)
{
    std::unique_ptr<THeroC> hero = MakeC();
    qmtest::HeroTrace t(*hero, *input_);
    for (std::uint32_t row : {25u, 27u, 29u, 31u, 33u}) {
        Tap(t, kAttack);
        ASSERT_TRUE(t.StepUntilRow(row)) << row;
    }
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilState(0));
    EXPECT_EQ(t.Rows(), (Rows{25, 27, 29, 31, 33, 34}));
    EXPECT_EQ(hero->GetCommandCount(), 0u);
}

TEST_F(HeroCTest, LeapSkillGoesOnWithTheAirAttack)
{
    std::unique_ptr<THeroC> hero = MakeC();
    SlotSkill(2203, 6);
    qmtest::HeroTrace t(*hero, *input_);
    Tap(t, kSkill);
    ASSERT_TRUE(t.StepUntilRow(61, 5));
    ASSERT_TRUE(t.StepUntilRow(62, 10));
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilRow(37, 12));
    EXPECT_EQ(t.Rows(), (Rows{61, 62, 37}));
    EXPECT_GT(t.Frames().back().height, 0.5F) << "in the air";
}

TEST_F(HeroCTest, HoveringSkillsStartOnlyInTheAirAndHoldTheVerticalSpeed)
{
    for (const auto& [id, tapRow] : {std::pair{2204u, 67u}, std::pair{2205u, 71u}, std::pair{2210u, 93u},
                                     std::pair{2211u, 97u}}) {
        SCOPED_TRACE(id);
        std::unique_ptr<THeroC> hero = MakeC();
        SlotSkill(id, 6);
        qmtest::HeroTrace t(*hero, *input_);
        Tap(t, kSkill);
        t.Step(6);
        EXPECT_TRUE(t.Rows().empty()) << "on the ground";

        Tap(t, kJump);
        ASSERT_EQ(hero->GetState(), 4u);
        Tap(t, kSkill);
        ASSERT_TRUE(t.StepUntilRow(tapRow, 6));
        for (std::uint32_t i = 0; i < 8; ++i) {
            const qmtest::HeroTraceFrame& f = t.Step();
            ASSERT_EQ(f.row, tapRow) << i;
            EXPECT_EQ(f.verticalSpeed, 0.0F) << i;
        }
    }
}

TEST_F(HeroCTest, TheFactoryBuildsTheClass)
{
    data_->GetCharacterData(0)->WeaponId = 1002;
    TRefPtr<TPlayerCharacter> made = CreatePlayerCharacter(nullptr, 0);
    ASSERT_NE(made.Get(), nullptr);
    auto* c = dynamic_cast<THeroC*>(made.Get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(made->GetBodyMesh()->GetName(), "hero02");
}

}  // namespace
}  // namespace herotest
