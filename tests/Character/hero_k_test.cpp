// THeroK: its table at both ends, the charge by state and height, the air skill that starts only in
// a jump, the hovering jump attack that takes an air skill at its end, and the factory building it.
#include <gtest/gtest.h>

#include "MainCode/Character/THeroK.h"
#include "hero_fixture.h"

namespace herotest {
namespace {

using Rows = std::vector<std::uint32_t>;

class TestHeroK : public THeroK {
public:
    using THeroK::THeroK;
    void SetAttackHeldFrames(std::uint32_t n) { m_holdCountA = n; }
};

class HeroKTest : public HeroFixture {
protected:
    void SetUp() override
    {
        HeroFixture::SetUp();
        WriteHeroModel("heroine06");
        std::vector<std::uint32_t> frames(120, 4);
        frames[43] = 10;  // row 33
        frames[65] = 10;  // row 63
        qmtest::SaveHeroTraceModel("char04/", "heroine06", frames);
    }

    std::unique_ptr<TestHeroK> MakeK()
    {
        TCharacterRecord* record = data_->GetCharacterData(1);
        record->WeaponId = 1009;
        return std::make_unique<TestHeroK>(nullptr, 1, *record);
    }

    void SlotHeroineSkill(std::uint32_t id)
    {
        TSkillTable::Get(id).Type = 13;
        data_->GetCharacterData(1)->SkillSlot[0] = id;
        gauge_.SetSelection(0);
    }
};

TEST_F(HeroKTest, TableAsTranscribed)
{
    const THeroClassDef& k = THeroK::GetDef();
    ASSERT_EQ(k.RowCount, 83u);
    EXPECT_EQ(k.WeaponType, 9u);
    EXPECT_EQ(k.ChargeAction, 31u);
    EXPECT_FALSE(k.HasFollowUpFlag);
    EXPECT_EQ(k.HitLanded, THeroHitLanded::RingsOnly);
    const THeroAttackRows& a = k.Attack;
    EXPECT_EQ(Rows({a.GroundRelease, a.DashRelease, a.AirRelease, a.GroundHold, a.DashHold, a.AirHold}),
              Rows({25, 37, 33, 31, 39, 35}));
    EXPECT_FALSE(a.AirReleaseClearsFlag);
    const THeroRow& jump = k.Rows[33];
    EXPECT_EQ(jump.Kind, THeroKind::HoverStrikeWithSkill);
    EXPECT_EQ(Rows({jump.Motion, jump.Y, jump.C}), Rows({43, 35, 34}));
    EXPECT_EQ(k.Rows[34].Kind, THeroKind::SteeredAirRecovery);
    EXPECT_EQ(k.Rows[32].Motion, 42u);
    const THeroRow& first = k.Rows[41];
    EXPECT_EQ(Rows({first.Motion, first.C, first.A, first.B}), Rows({50, 42, 41, 43}));
    const THeroRow& lastHover = k.Rows[81];
    EXPECT_EQ(lastHover.Kind, THeroKind::HoverStrike);
    EXPECT_EQ(Rows({lastHover.Motion, lastHover.Y, lastHover.C}), Rows({74, 35, 82}));
    EXPECT_EQ(k.Rows[82].Kind, THeroKind::AirRecovery);
    EXPECT_EQ(k.Rows[82].Motion, 63u);
    ASSERT_EQ(k.SkillCount, 15u);
    EXPECT_EQ(k.Skills[5].Id, 2900u);
    EXPECT_EQ(k.Skills[14].Id, 2909u);
    EXPECT_EQ(k.Skills[14].Hold, 81u);

    std::unique_ptr<TestHeroK> hero = MakeK();
    EXPECT_EQ(hero->GetBodyMesh()->GetName(), "heroine06");
    const Rows airRows{59, 61, 63, 65, 71, 73, 79, 81};
    for (std::uint32_t n = 0; n < 83; ++n) {
        EXPECT_EQ(hero->IsAirAction(n), std::find(airRows.begin(), airRows.end(), n) != airRows.end()) << n;
    }
    TSkillTable::Get(2900).Type = 13;
    TSkillTable::Get(2909).Type = 13;
    TSkillTable::Get(2700).Type = 11;
    EXPECT_EQ(hero->GetSkillAction(2900, 0), 41);
    EXPECT_EQ(hero->GetSkillAction(2909, 1), 81);
    EXPECT_EQ(hero->GetSkillAction(2700, 0), -1);
}

TEST_F(HeroKTest, TheChargeByStateAndHeight)
{
    struct Case {
        std::uint32_t state;
        float height;
        std::uint32_t held;
        std::uint32_t row;  // 0: nothing starts
    };
    for (const Case c : {Case{3, 0.0F, 21, 39}, Case{3, 0.0F, 20, 0}, Case{0, 0.0F, 21, 31}, Case{2, 0.0F, 21, 31},
                         Case{4, 5.0F, 21, 35}, Case{4, 0.6F, 21, 0}}) {
        SCOPED_TRACE(c.state);
        std::unique_ptr<TestHeroK> hero = MakeK();
        qmtest::HeroTrace t(*hero, *input_);
        t.PlaceAt(c.height);
        t.Step();  // the height above the ground is measured
        hero->SetState(c.state);
        hero->SetAttackHeldFrames(c.held);
        hero->OnAttackHeld();
        if (c.row == 0) {
            EXPECT_EQ(hero->GetState(), c.state);
        } else {
            EXPECT_EQ(hero->GetState(), 19u);
            EXPECT_EQ(hero->GetSubState(), c.row);
        }
    }
}

TEST_F(HeroKTest, TheAirSkillStartsOnlyInAJump)
{
    std::unique_ptr<TestHeroK> hero = MakeK();
    SlotHeroineSkill(2905);
    qmtest::HeroTrace t(*hero, *input_);
    Tap(t, kSkill);
    t.Step(4);
    EXPECT_TRUE(t.Rows().empty()) << "on the ground";
    Tap(t, kJump);
    ASSERT_EQ(hero->GetState(), 4u);
    Tap(t, kSkill);
    ASSERT_TRUE(t.StepUntilRow(63, 6));
}

TEST_F(HeroKTest, TheJumpAttackHoversAndTakesAnAirSkillAtItsEnd)
{
    for (const std::uint32_t request : {63u, 41u}) {
        SCOPED_TRACE(request);
        std::unique_ptr<TestHeroK> hero = MakeK();
        qmtest::HeroTrace t(*hero, *input_);
        Tap(t, kJump);
        ASSERT_EQ(hero->GetState(), 4u);
        Tap(t, kAttack);
        ASSERT_TRUE(t.StepUntilRow(33, 6));
        for (std::uint32_t i = 0; i < 6; ++i) {
            const qmtest::HeroTraceFrame& f = t.Step();
            ASSERT_EQ(f.row, 33u) << i;
            EXPECT_EQ(f.verticalSpeed, 0.0F) << i;
        }
        hero->SetReservedAction(2, request);
        // An air skill starts; a ground one is dropped for the recovery.
        ASSERT_TRUE(t.StepUntilRow(request == 63 ? 63 : 34, 10));
        EXPECT_EQ(t.Rows(), (Rows{33, request == 63 ? 63u : 34u}));
    }
}

TEST_F(HeroKTest, TheFactoryBuildsTheClassWithItsOwnModel)
{
    data_->GetCharacterData(1)->WeaponId = 1009;
    TRefPtr<TPlayerCharacter> made = CreatePlayerCharacter(nullptr, 1);
    ASSERT_NE(made.Get(), nullptr);
    EXPECT_NE(dynamic_cast<THeroK*>(made.Get()), nullptr);
    EXPECT_EQ(made->GetBodyMesh()->GetName(), "heroine06");
}

}  // namespace
}  // namespace herotest
