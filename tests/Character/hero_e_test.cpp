// THeroE: its table at both ends and against THeroD's attack rows, skills that start only on the
// ground, a charge request at the end of a skill, and the factory building it.
#include <gtest/gtest.h>

#include "MainCode/Character/THeroD.h"
#include "MainCode/Character/THeroE.h"
#include "hero_fixture.h"

namespace herotest {
namespace {

using Rows = std::vector<std::uint32_t>;

class HeroETest : public HeroFixture {
protected:
    void SetUp() override
    {
        HeroFixture::SetUp();
        WriteHeroModel("hero04");
        std::vector<std::uint32_t> frames(120, 4);
        frames[69] = 8;  // row 41
        frames[70] = 8;  // row 43
        qmtest::SaveHeroTraceModel("char04/", "hero04", frames);
    }

    std::unique_ptr<THeroE> MakeE()
    {
        TCharacterRecord* record = data_->GetCharacterData(0);
        record->WeaponId = 1006;
        return std::make_unique<THeroE>(nullptr, 0, *record);
    }
};

TEST_F(HeroETest, TableAsTranscribed)
{
    const THeroClassDef& e = THeroE::GetDef();
    const THeroClassDef& d = THeroD::GetDef();
    ASSERT_EQ(e.RowCount, 73u);
    EXPECT_EQ(e.WeaponType, 6u);
    EXPECT_EQ(e.ChargeAction, 31u);
    EXPECT_FALSE(e.HasFollowUpFlag);
    EXPECT_EQ(e.HitLanded, THeroHitLanded::RingsOnly);
    EXPECT_EQ(e.AirActionCount, 0u);
    // THeroD's attack rows but for the motions of the ground charge.
    for (std::uint32_t i = 25; i <= 40; ++i) {
        const THeroRow& x = e.Rows[i];
        const THeroRow& y = d.Rows[i];
        if (i != 31 && i != 32) {
            EXPECT_EQ(x.Motion, y.Motion) << i;
        }
        EXPECT_EQ(x.Kind, y.Kind) << i;
        EXPECT_EQ(Rows({x.X, x.Y, x.C, x.A, x.B, x.P, x.Q}), Rows({y.X, y.Y, y.C, y.A, y.B, y.P, y.Q})) << i;
    }
    EXPECT_EQ(e.Rows[31].Motion, 51u);
    EXPECT_EQ(e.Rows[32].Motion, 40u);
    const THeroAttackRows& a = e.Attack;
    EXPECT_EQ(Rows({a.GroundRelease, a.DashRelease, a.AirRelease, a.GroundHold, a.DashHold, a.AirHold}),
              Rows({25, 37, 33, 31, 39, 35}));
    const THeroRow& first = e.Rows[41];
    EXPECT_EQ(Rows({first.Motion, first.C, first.A, first.B}), Rows({69, 42, 41, 43}));
    const THeroRow& lastChain = e.Rows[71];
    EXPECT_EQ(lastChain.Kind, THeroKind::Chain);
    EXPECT_EQ(Rows({lastChain.Motion, lastChain.C, lastChain.A, lastChain.B}), Rows({119, 72, 69, 71}));
    EXPECT_EQ(e.Rows[72].Kind, THeroKind::Recover);
    EXPECT_EQ(e.Rows[72].Motion, 50u);
    ASSERT_EQ(e.SkillCount, 13u);
    EXPECT_EQ(e.Skills[5].Id, 2600u);
    EXPECT_EQ(e.Skills[12].Id, 2607u);
    EXPECT_EQ(e.Skills[12].Tap, 69u);

    std::unique_ptr<THeroE> hero = MakeE();
    EXPECT_EQ(hero->GetBodyMesh()->GetName(), "hero04");
    TSkillTable::Get(2600).Type = 10;
    TSkillTable::Get(2607).Type = 10;
    TSkillTable::Get(2500).Type = 9;
    EXPECT_EQ(hero->GetSkillAction(2600, 1), 43);
    EXPECT_EQ(hero->GetSkillAction(2607, 0), 69);
    EXPECT_EQ(hero->GetSkillAction(2500, 0), -1);
}

TEST_F(HeroETest, SkillsStartOnlyOnTheGround)
{
    for (const std::uint32_t id : {2600u, 2607u}) {
        const std::uint32_t tap = id == 2600 ? 41 : 69;
        SCOPED_TRACE(id);
        {
            std::unique_ptr<THeroE> hero = MakeE();
            SlotSkill(id, 10);
            qmtest::HeroTrace t(*hero, *input_);
            Tap(t, kSkill);
            t.Step(3);
            EXPECT_EQ(t.Rows(), Rows{tap});
        }
        {
            std::unique_ptr<THeroE> hero = MakeE();
            SlotSkill(id, 10);
            qmtest::HeroTrace t(*hero, *input_);
            HoldSkill(t);
            EXPECT_EQ(t.Rows(), Rows{tap + 2});
        }
        for (const bool hold : {false, true}) {
            std::unique_ptr<THeroE> hero = MakeE();
            SlotSkill(id, 10);
            qmtest::HeroTrace t(*hero, *input_);
            t.PlaceAt(50.0F);
            ASSERT_TRUE(t.StepUntilState(5, 30));
            if (hold) {
                HoldSkill(t);
            } else {
                Tap(t, kSkill);
                t.Step(3);
            }
            EXPECT_TRUE(t.Rows().empty()) << "in the air, hold " << hold;
        }
    }
}

TEST_F(HeroETest, AChargeRequestAtTheEndOfASkillStartsTheGroundCharge)
{
    std::unique_ptr<THeroE> hero = MakeE();
    SlotSkill(2600, 10);
    qmtest::HeroTrace t(*hero, *input_);
    Tap(t, kSkill);
    ASSERT_TRUE(t.StepUntilRow(41, 5));
    hero->SetReservedAction(1, 0);
    ASSERT_TRUE(t.StepUntilRow(31, 12));
    EXPECT_EQ(t.Rows(), (Rows{41, 31}));
    EXPECT_EQ(t.Frames().back().motion, 51u);
}

TEST_F(HeroETest, TheFactoryBuildsTheClassWithItsOwnModel)
{
    data_->GetCharacterData(0)->WeaponId = 1006;
    TRefPtr<TPlayerCharacter> made = CreatePlayerCharacter(nullptr, 0);
    ASSERT_NE(made.Get(), nullptr);
    EXPECT_NE(dynamic_cast<THeroE*>(made.Get()), nullptr);
    EXPECT_EQ(made->GetBodyMesh()->GetName(), "hero04");
}

}  // namespace
}  // namespace herotest
