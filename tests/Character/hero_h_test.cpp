// THeroH: its table at the bounds, the factory, the charge that leaps into an air step which goes on
// with the jump attack, the air-only hover skill and the air charge from a fall well above the ground.
#include <gtest/gtest.h>

#include "MainCode/Character/THeroH.h"
#include "hero_fixture.h"

namespace herotest {
namespace {

using Rows = std::vector<std::uint32_t>;

class TestHeroH : public THeroH {
public:
    using THeroH::THeroH;
    // Hangs in the air where it is put.
    void Hover()
    {
        m_gravity = 0.0F;
        m_velocity.y = 0.0F;
    }
    // How far the centre stands above the frame.
    float CentreRise() const
    {
        D3DXVECTOR3 centre;
        D3DXVECTOR3 position;
        GetCenterPosition(&centre);
        GetPosition(&position);
        return centre.y - position.y;
    }
};

class HeroHTest : public HeroFixture {
protected:
    void SetUp() override
    {
        HeroFixture::SetUp();
        WriteHeroModel("hero07");
        std::vector<std::uint32_t> frames(80, 4);
        frames[53] = 5;   // row 31, the charge's leap
        frames[54] = 10;  // row 32, its air step
        frames[43] = 6;   // row 34
        frames[45] = 8;   // row 36
        frames[71] = 8;   // row 70, the hover strike
        qmtest::SaveHeroTraceModel("char04/", "hero07", frames);
    }

    std::unique_ptr<TestHeroH> MakeH()
    {
        TCharacterRecord* record = data_->GetCharacterData(0);
        record->WeaponId = 1010;
        return std::make_unique<TestHeroH>(nullptr, 0, *record);
    }
};

TEST_F(HeroHTest, TableAndLookupsAtTheirBounds)
{
    const THeroClassDef& def = THeroH::GetDef();
    ASSERT_EQ(def.RowCount, 78u);
    EXPECT_EQ(def.SkillCount, 13u);
    const THeroRow& first = def.Rows[25];
    EXPECT_EQ(first.Kind, THeroKind::ComboStep);
    EXPECT_EQ(first.Motion, 37u);
    EXPECT_EQ(first.X, 27u);
    EXPECT_EQ(first.Y, 31u);
    EXPECT_EQ(first.C, 26u);
    EXPECT_EQ(def.Rows[29].Kind, THeroKind::FixedChain) << "two combo steps before the fixed end";
    const THeroRow& step = def.Rows[32];
    EXPECT_EQ(step.Kind, THeroKind::AirComboStep);
    EXPECT_EQ(step.Motion, 54u);
    EXPECT_EQ(step.X, 34u);
    EXPECT_EQ(step.Y, 40u);
    EXPECT_EQ(step.A, 31u);
    EXPECT_EQ(step.B, 0u) << "only the leap is excluded";
    EXPECT_EQ(step.C, 33u);
    const THeroRow& last = def.Rows[76];
    EXPECT_EQ(last.Kind, THeroKind::Chain);
    EXPECT_EQ(last.Motion, 74u);
    EXPECT_EQ(last.A, 74u);
    EXPECT_EQ(last.B, 76u);
    EXPECT_EQ(last.C, 77u);
    EXPECT_EQ(def.Rows[77].Motion, 38u);

    std::unique_ptr<TestHeroH> hero = MakeH();
    EXPECT_EQ(hero->GetWeaponModelName(), "hero07");
    struct Case {
        std::uint32_t id;
        std::int32_t tap;
        std::int32_t hold;
    };
    for (const Case c : {Case{3000, 46, 48}, Case{3006, 70, 72}, Case{3007, 74, 76}}) {
        TSkillTable::Get(c.id).Type = 14;
        EXPECT_EQ(hero->GetSkillAction(c.id, 0), c.tap) << c.id;
        EXPECT_EQ(hero->GetSkillAction(c.id, 1), c.hold) << c.id;
    }
    TSkillTable::Get(3008).Type = 14;
    EXPECT_EQ(hero->GetSkillAction(3008, 0), 0) << "past the class's skills";
    TSkillTable::Get(2800).Type = 12;
    EXPECT_EQ(hero->GetSkillAction(2800, 0), -1) << "another weapon type's skill";
    for (std::uint32_t n : {70u, 72u}) {
        EXPECT_TRUE(hero->IsAirAction(n)) << n;
    }
    for (std::uint32_t n : {69u, 71u, 73u, 40u, 32u}) {
        EXPECT_FALSE(hero->IsAirAction(n)) << n;
    }
    EXPECT_EQ(hero->GetChainAction(), 31u);
    hero->StartAction(78);
    EXPECT_EQ(hero->GetState(), 0u) << "past the table";

    data_->GetCharacterData(0)->WeaponId = 1010;
    TRefPtr<TPlayerCharacter> made = CreatePlayerCharacter(nullptr, 0);
    ASSERT_NE(dynamic_cast<THeroH*>(made.Get()), nullptr);
    EXPECT_EQ(made->GetWeaponModelName(), "hero07");
}

TEST_F(HeroHTest, ChargeLeapsIntoTheAirStepAndAQueuedAttackGoesOnWithTheJumpAttack)
{
    std::unique_ptr<TestHeroH> hero = MakeH();
    qmtest::HeroTrace t(*hero, *input_);
    t.Hold(kAttack);
    ASSERT_TRUE(t.StepUntilRow(31, 30));
    EXPECT_EQ(t.Frames().back().motion, 53u);
    t.Release(kAttack);
    ASSERT_TRUE(t.StepUntilRow(32, 10));
    t.Step();
    EXPECT_GT(t.Frames().back().height, 0.1F) << "lifted into the air";
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilRow(34, 15));
    EXPECT_EQ(t.Rows(), (Rows{31, 32, 34}));
    EXPECT_GT(t.Frames().back().height, 0.1F);
}

TEST_F(HeroHTest, HoverSkillOnlyInTheAirAndTheAirChargeFromAHighFall)
{
    std::unique_ptr<TestHeroH> hero = MakeH();
    SlotSkill(3006, 14);
    qmtest::HeroTrace t(*hero, *input_);
    Tap(t, kSkill);
    t.Step(6);
    EXPECT_EQ(hero->GetState(), 0u) << "an air skill on the ground";
    EXPECT_TRUE(t.Rows().empty());
    Tap(t, kJump);
    ASSERT_EQ(hero->GetState(), 4u);
    Tap(t, kSkill);
    ASSERT_TRUE(t.StepUntilRow(70, 6));

    std::unique_ptr<TestHeroH> high = MakeH();
    qmtest::HeroTrace h(*high, *input_);
    h.PlaceAt(30.0F);
    high->SetState(5);
    h.Hold(kAttack);
    ASSERT_TRUE(h.StepUntilRow(40, 30));
    EXPECT_EQ(h.Rows(), (Rows{40}));
}

TEST_F(HeroHTest, AirHoldStartsOnlyAboveItsHeight)
{
    // The centre 1.4 above the ground is the bound: just below refused, just above started.
    for (const float above : {1.39F, 1.41F}) {
        std::unique_ptr<TestHeroH> hero = MakeH();
        qmtest::HeroTrace t(*hero, *input_);
        t.PlaceAt(above - hero->CentreRise());
        hero->SetState(5);
        hero->Hover();
        t.Hold(kAttack);
        t.Step(qmtest::HeroTrace::kAttackDelay + THero::kHoldFrames + 2);
        EXPECT_EQ(t.Rows(), above > 1.4F ? Rows{40} : Rows{}) << above;
    }
}

TEST_F(HeroHTest, LandedHitsCarryTheJumpAttackOnThroughItsFollowUps)
{
    // An attack queued in the jump attack turns into the follow-up when a hit lands.
    auto run = [&](bool hits) {
        std::unique_ptr<TestHeroH> hero = MakeH();
        qmtest::HeroTrace t(*hero, *input_);
        t.PlaceAt(30.0F);
        hero->SetState(5);
        Tap(t, kAttack);
        EXPECT_TRUE(t.StepUntilRow(34, 6));
        for (const std::uint32_t next : {36u, 38u}) {
            Tap(t, kAttack);
            t.Step(qmtest::HeroTrace::kAttackDelay + 1);
            EXPECT_EQ(hero->GetCommandCount(), 1u);
            if (hits) {
                hero->OnHitDelivered(nullptr, 1, 10, 0);
                EXPECT_EQ(hero->GetFollowUpFlag(), 1u);
            }
            if (!t.StepUntilRow(next, 12)) {
                break;
            }
        }
        t.Step(2);
        return t.Rows();
    };
    EXPECT_EQ(run(true), (Rows{34, 36, 38}));
    EXPECT_EQ(run(false), (Rows{34, 35})) << "without a landed hit the attack recovers";
}

}  // namespace
}  // namespace herotest
