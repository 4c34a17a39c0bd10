// THeroF: its table at both ends, the air skill that starts only in the air and ends on the
// landing, the leap skill that cannot follow itself, a second charge, where a release starts, and
// the factory building it.
#include <gtest/gtest.h>

#include "MainCode/Character/THeroF.h"
#include "hero_fixture.h"

namespace herotest {
namespace {

using Rows = std::vector<std::uint32_t>;

class HeroFTest : public HeroFixture {
protected:
    void SetUp() override
    {
        HeroFixture::SetUp();
        WriteHeroModel("hero04");
        std::vector<std::uint32_t> frames(120, 4);
        frames[52] = 8;   // row 31
        frames[84] = 5;   // row 53
        frames[85] = 8;   // row 54
        frames[104] = 3;  // row 63
        qmtest::SaveHeroTraceModel("char04/", "hero04", frames);
    }

    std::unique_ptr<THeroF> MakeF()
    {
        TCharacterRecord* record = data_->GetCharacterData(0);
        record->WeaponId = 1007;
        return std::make_unique<THeroF>(nullptr, 0, *record);
    }
};

TEST_F(HeroFTest, TableAsTranscribed)
{
    const THeroClassDef& f = THeroF::GetDef();
    ASSERT_EQ(f.RowCount, 75u);
    EXPECT_EQ(f.WeaponType, 7u);
    EXPECT_EQ(f.ChargeAction, 31u);
    EXPECT_FALSE(f.HasFollowUpFlag);
    EXPECT_EQ(f.HitLanded, THeroHitLanded::Plain);
    const THeroAttackRows& a = f.Attack;
    EXPECT_EQ(Rows({a.GroundRelease, a.DashRelease, a.AirRelease, a.GroundHold, a.DashHold, a.AirHold}),
              Rows({25, 37, 33, 31, 39, 35}));
    EXPECT_FALSE(a.AirReleaseClearsFlag);
    EXPECT_EQ(f.Rows[31].Kind, THeroKind::SkillChain);
    EXPECT_EQ(f.Rows[31].Motion, 52u);
    for (const std::uint32_t r : {54u, 57u}) {
        const THeroRow& step = f.Rows[r];
        EXPECT_EQ(step.Kind, THeroKind::AirComboStep) << r;
        EXPECT_EQ(Rows({step.X, step.Y, step.C, step.A, step.B}), Rows({33, 35, r + 1, 53, 56})) << r;
    }
    EXPECT_EQ(f.Rows[66].Kind, THeroKind::ChainOrRecover);
    EXPECT_EQ(f.Rows[66].Motion, 107u);
    const THeroRow& lastChain = f.Rows[73];
    EXPECT_EQ(lastChain.Kind, THeroKind::Chain);
    EXPECT_EQ(lastChain.Motion, 120u);
    EXPECT_EQ(Rows({lastChain.C, lastChain.A, lastChain.B}), Rows({74, 71, 73}));
    EXPECT_EQ(f.Rows[74].Kind, THeroKind::Recover);
    EXPECT_EQ(f.Rows[74].Motion, 42u);
    ASSERT_EQ(f.SkillCount, 13u);
    EXPECT_EQ(f.Skills[5].Id, 2700u);
    EXPECT_EQ(f.Skills[12].Id, 2707u);
    EXPECT_EQ(f.Skills[12].Hold, 73u);

    std::unique_ptr<THeroF> hero = MakeF();
    EXPECT_EQ(hero->GetBodyMesh()->GetName(), "hero04");
    for (std::uint32_t n = 0; n < 75; ++n) {
        EXPECT_EQ(hero->IsAirAction(n), n == 63 || n == 65) << n;
    }
    TSkillTable::Get(2700).Type = 11;
    TSkillTable::Get(2707).Type = 11;
    TSkillTable::Get(2600).Type = 10;
    EXPECT_EQ(hero->GetSkillAction(2700, 0), 41);
    EXPECT_EQ(hero->GetSkillAction(2707, 1), 73);
    EXPECT_EQ(hero->GetSkillAction(2600, 0), -1);
}

TEST_F(HeroFTest, TheAirSkillStartsOnlyInTheAirAndEndsOnlyOnTheLanding)
{
    for (const bool hold : {false, true}) {
        SCOPED_TRACE(hold);
        const std::uint32_t row = hold ? 65 : 63;
        {
            std::unique_ptr<THeroF> hero = MakeF();
            SlotSkill(2705, 11);
            qmtest::HeroTrace t(*hero, *input_);
            if (hold) {
                HoldSkill(t);
            } else {
                Tap(t, kSkill);
            }
            t.Step(4);
            EXPECT_TRUE(t.Rows().empty()) << "on the ground";
        }
        std::unique_ptr<THeroF> hero = MakeF();
        SlotSkill(2705, 11);
        qmtest::HeroTrace t(*hero, *input_);
        t.PlaceAt(hold ? 20.0F : 3.0F);
        ASSERT_TRUE(t.StepUntilState(5, 30));
        if (hold) {
            t.Hold(kSkill);
        } else {
            Tap(t, kSkill);
        }
        ASSERT_TRUE(t.StepUntilRow(row, 30));
        t.Release(kSkill);
        const std::size_t start = t.Frames().size();
        ASSERT_TRUE(t.StepUntilRow(row + 1, 400));
        EXPECT_GT(t.Frames().size() - start, 4u) << "past its motion";
        EXPECT_LT(t.Frames()[t.Frames().size() - 2].height, 0.01F) << "until the ground";
    }
}

TEST_F(HeroFTest, TheLeapCannotFollowItselfButTakesTheAirSkill)
{
    for (const std::uint32_t request : {53u, 56u, 63u}) {
        SCOPED_TRACE(request);
        std::unique_ptr<THeroF> hero = MakeF();
        SlotSkill(2703, 11);
        qmtest::HeroTrace t(*hero, *input_);
        Tap(t, kSkill);
        ASSERT_TRUE(t.StepUntilRow(54, 15));
        hero->SetReservedAction(2, request);
        ASSERT_TRUE(t.StepUntilRow(request == 63 ? 63 : 55, 15));
    }
}

TEST_F(HeroFTest, ASecondChargeEndsTheChargeAndReleasesStartTheComboOrTheDashAttack)
{
    std::unique_ptr<THeroF> hero = MakeF();
    qmtest::HeroTrace t(*hero, *input_);
    hero->StartAction(31);
    hero->SetReservedAction(1, 0);
    ASSERT_TRUE(t.StepUntilState(0, 20));
    EXPECT_EQ(t.Rows(), (Rows{31, 32}));

    for (const auto& [state, row] : {std::pair{3u, 37u}, std::pair{6u, 25u}, std::pair{16u, 25u}}) {
        std::unique_ptr<THeroF> other = MakeF();
        other->SetState(state);
        other->OnAttackReleased();
        EXPECT_EQ(other->GetState(), 19u) << state;
        EXPECT_EQ(other->GetSubState(), row) << state;
    }
}

TEST_F(HeroFTest, TheFactoryBuildsTheClassWithItsOwnModel)
{
    data_->GetCharacterData(0)->WeaponId = 1007;
    TRefPtr<TPlayerCharacter> made = CreatePlayerCharacter(nullptr, 0);
    ASSERT_NE(made.Get(), nullptr);
    EXPECT_NE(dynamic_cast<THeroF*>(made.Get()), nullptr);
    EXPECT_EQ(made->GetBodyMesh()->GetName(), "hero04");
}

}  // namespace
}  // namespace herotest
