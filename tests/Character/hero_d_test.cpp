// THeroD: its table at both ends, the three-hit combo, the plunge that lasts until the landing and
// what follows it, the leap skill going on with the plunge, and the factory building it.
#include <gtest/gtest.h>

#include "MainCode/Character/THeroD.h"
#include "hero_fixture.h"

namespace herotest {
namespace {

using Rows = std::vector<std::uint32_t>;

class HeroDTest : public HeroFixture {
protected:
    void SetUp() override
    {
        HeroFixture::SetUp();
        WriteHeroModel("hero04");
        std::vector<std::uint32_t> frames(120, 4);
        frames[37] = 30;  // row 25
        frames[39] = 12;  // row 27
        frames[41] = 12;  // row 29
        frames[43] = 3;   // row 33
        frames[44] = 6;   // row 34
        frames[60] = 5;   // row 53
        frames[61] = 8;   // row 54
        qmtest::SaveHeroTraceModel("char04/", "hero04", frames);
    }

    std::unique_ptr<THeroD> MakeD()
    {
        TCharacterRecord* record = data_->GetCharacterData(0);
        record->WeaponId = 1005;
        return std::make_unique<THeroD>(nullptr, 0, *record);
    }
};

TEST_F(HeroDTest, TableAsTranscribed)
{
    const THeroClassDef& d = THeroD::GetDef();
    ASSERT_EQ(d.RowCount, 93u);
    EXPECT_EQ(d.WeaponType, 5u);
    EXPECT_EQ(d.ChargeAction, 31u);
    EXPECT_FALSE(d.HasFollowUpFlag);
    EXPECT_EQ(d.HitLanded, THeroHitLanded::RingsOnly);
    const THeroAttackRows& a = d.Attack;
    EXPECT_EQ(Rows({a.GroundRelease, a.DashRelease, a.AirRelease, a.GroundHold, a.DashHold, a.AirHold}),
              Rows({25, 37, 33, 31, 39, 35}));
    EXPECT_FALSE(a.AirReleaseClearsFlag);
    const THeroRow& third = d.Rows[29];
    EXPECT_EQ(third.Kind, THeroKind::FixedChain);
    EXPECT_EQ(Rows({third.Motion, third.Y, third.C}), Rows({41, 31, 30}));
    EXPECT_EQ(d.Rows[33].Kind, THeroKind::StrikeUntilLanding);
    EXPECT_EQ(d.Rows[33].X, 34u);
    EXPECT_EQ(d.Rows[34].Kind, THeroKind::FixedChainOrRecover);
    EXPECT_EQ(d.Rows[84].Kind, THeroKind::ChainOrRecover);
    EXPECT_EQ(d.Rows[84].Motion, 111u);
    const THeroRow& last = d.Rows[92];
    EXPECT_EQ(last.Kind, THeroKind::Recover);
    EXPECT_EQ(last.Motion, 50u);
    const THeroRow& lastChain = d.Rows[91];
    EXPECT_EQ(Rows({lastChain.Motion, lastChain.C, lastChain.A, lastChain.B}), Rows({118, 92, 89, 91}));
    ASSERT_EQ(d.SkillCount, 17u);
    EXPECT_EQ(d.Skills[5].Id, 2500u);
    EXPECT_EQ(d.Skills[16].Id, 2511u);
    EXPECT_EQ(d.Skills[16].Hold, 91u);

    std::unique_ptr<THeroD> hero = MakeD();
    EXPECT_EQ(hero->GetBodyMesh()->GetName(), "hero04");
    const Rows airRows{59, 61, 81, 83};
    for (std::uint32_t n = 0; n < 93; ++n) {
        EXPECT_EQ(hero->IsAirAction(n), std::find(airRows.begin(), airRows.end(), n) != airRows.end()) << n;
    }
    TSkillTable::Get(2500).Type = 9;
    TSkillTable::Get(2511).Type = 9;
    TSkillTable::Get(2200).Type = 6;
    EXPECT_EQ(hero->GetSkillAction(2500, 0), 41);
    EXPECT_EQ(hero->GetSkillAction(2511, 1), 91);
    EXPECT_EQ(hero->GetSkillAction(2200, 0), -1);
}

TEST_F(HeroDTest, ThreeReleasesInRhythmRunTheComboAndAFourthIsDropped)
{
    std::unique_ptr<THeroD> hero = MakeD();
    qmtest::HeroTrace t(*hero, *input_);
    for (std::uint32_t row : {25u, 27u, 29u}) {
        Tap(t, kAttack);
        ASSERT_TRUE(t.StepUntilRow(row)) << row;
    }
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilState(0));
    EXPECT_EQ(t.Rows(), (Rows{25, 27, 29, 30}));
    EXPECT_EQ(hero->GetCommandCount(), 0u);
}

TEST_F(HeroDTest, ThePlungeLastsUntilTheLandingAndThenTakesAChargeOrEndsInIdle)
{
    for (const bool charge : {false, true}) {
        SCOPED_TRACE(charge);
        std::unique_ptr<THeroD> hero = MakeD();
        qmtest::HeroTrace t(*hero, *input_);
        Tap(t, kJump);
        ASSERT_EQ(hero->GetState(), 4u);
        Tap(t, kAttack);
        ASSERT_TRUE(t.StepUntilRow(33, 6));
        const std::size_t start = t.Frames().size();
        ASSERT_TRUE(t.StepUntilRow(34, 100));
        EXPECT_GT(t.Frames().size() - start, 3u) << "well past the motion's three frames";
        EXPECT_LT(t.Frames()[t.Frames().size() - 2].height, 0.01F) << "until the ground";
        if (charge) {
            hero->SetReservedAction(1, 0);
            ASSERT_TRUE(t.StepUntilRow(31, 10));
            EXPECT_EQ(t.Rows(), (Rows{33, 34, 31}));
        } else {
            ASSERT_TRUE(t.StepUntilState(0, 10));
            EXPECT_EQ(t.Rows(), (Rows{33, 34}));
        }
    }
}

TEST_F(HeroDTest, LeapSkillGoesOnWithThePlunge)
{
    std::unique_ptr<THeroD> hero = MakeD();
    SlotSkill(2503, 9);
    qmtest::HeroTrace t(*hero, *input_);
    Tap(t, kSkill);
    ASSERT_TRUE(t.StepUntilRow(53, 5));
    ASSERT_TRUE(t.StepUntilRow(54, 10));
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilRow(33, 12));
    EXPECT_EQ(t.Rows(), (Rows{53, 54, 33}));
    EXPECT_GT(t.Frames().back().height, 0.5F) << "in the air";
    EXPECT_EQ(hero->GetFollowUpFlag(), 0u);
}

TEST_F(HeroDTest, TheFactoryBuildsTheClassWithItsOwnModel)
{
    data_->GetCharacterData(0)->WeaponId = 1005;
    TRefPtr<TPlayerCharacter> made = CreatePlayerCharacter(nullptr, 0);
    ASSERT_NE(made.Get(), nullptr);
    EXPECT_NE(dynamic_cast<THeroD*>(made.Get()), nullptr);
    EXPECT_EQ(made->GetBodyMesh()->GetName(), "hero04");
}

}  // namespace
}  // namespace herotest
