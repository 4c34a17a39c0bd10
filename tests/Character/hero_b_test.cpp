// THeroB: its table at both ends and against THeroA's attack rows, the held skill deciding ground or
// air from the skill record, skills of another weapon, and the factory building it.
#include <gtest/gtest.h>

#include "MainCode/Character/THeroB.h"
#include "hero_fixture.h"

namespace herotest {
namespace {

using Rows = std::vector<std::uint32_t>;

class HeroBTest : public HeroFixture {
protected:
    std::unique_ptr<THeroB> MakeB()
    {
        TCharacterRecord* record = data_->GetCharacterData(0);
        record->WeaponId = 1001;
        return std::make_unique<THeroB>(nullptr, 0, *record, "hero01");
    }

    void SlotSkill(std::uint32_t id, std::uint8_t type, std::uint8_t subKind)
    {
        HeroFixture::SlotSkill(id, type);
        TSkillTable::Get(id).SubKind = subKind;
    }
};

TEST_F(HeroBTest, TableAsTranscribed)
{
    const THeroClassDef& b = THeroB::GetDef();
    const THeroClassDef& a = THeroA::GetDef();
    ASSERT_EQ(b.RowCount, 87u);
    EXPECT_EQ(b.WeaponType, 1u);
    EXPECT_EQ(b.ChargeAction, 33u);
    EXPECT_TRUE(b.HasFollowUpFlag);
    EXPECT_EQ(b.SkillHold, THeroSkillHold::AirByRecord);
    // The attack rows are THeroA's but for the two motions of the ground charge.
    for (std::uint32_t i = 25; i <= 46; ++i) {
        const THeroRow& x = b.Rows[i];
        const THeroRow& y = a.Rows[i];
        if (i != 33 && i != 34) {
            EXPECT_EQ(x.Motion, y.Motion) << i;
        }
        EXPECT_EQ(x.Kind, y.Kind) << i;
        EXPECT_EQ(Rows({x.X, x.Y, x.C, x.A, x.B, x.P, x.Q}), Rows({y.X, y.Y, y.C, y.A, y.B, y.P, y.Q})) << i;
    }
    EXPECT_EQ(b.Rows[33].Motion, 57u);
    EXPECT_EQ(b.Rows[34].Motion, 40u);
    EXPECT_EQ(b.Attack.DashHold, 45u);
    EXPECT_EQ(b.Attack.GroundHold, 33u);
    EXPECT_EQ(b.Attack.AirHold, 41u);
    EXPECT_EQ(b.Attack.AirRelease, 35u);
    EXPECT_EQ(b.Attack.DashRelease, 43u);
    // The skill chains: first and last pair, each tap and hold with its recovery.
    struct Expect {
        std::uint32_t row, motion, c, a, b;
    };
    for (const Expect e : {Expect{47, 75, 48, 47, 49}, Expect{49, 76, 50, 47, 49}, Expect{63, 88, 64, 63, 65},
                           Expect{83, 119, 84, 83, 85}, Expect{85, 119, 86, 83, 85}}) {
        const THeroRow& r = b.Rows[e.row];
        EXPECT_EQ(r.Kind, THeroKind::Chain) << e.row;
        EXPECT_EQ(r.Motion, e.motion) << e.row;
        EXPECT_EQ(Rows({r.C, r.A, r.B}), Rows({e.c, e.a, e.b})) << e.row;
    }
    for (const auto& [row, motion] : {std::pair{48u, 40u}, std::pair{64u, 89u}, std::pair{66u, 89u},
                                      std::pair{78u, 54u}, std::pair{86u, 40u}}) {
        EXPECT_EQ(b.Rows[row].Kind, THeroKind::Recover) << row;
        EXPECT_EQ(b.Rows[row].Motion, motion) << row;
    }
    ASSERT_EQ(b.SkillCount, 15u);
    EXPECT_EQ(b.Skills[5].Id, 2100u);
    EXPECT_EQ(b.Skills[14].Id, 2109u);
    EXPECT_EQ(b.Skills[14].Tap, 83u);
    EXPECT_EQ(b.Skills[14].Hold, 85u);
    EXPECT_EQ(b.AirActionCount, 0u);

    std::unique_ptr<THeroB> hero = MakeB();
    for (std::uint32_t n = 0; n < 87; ++n) {
        EXPECT_FALSE(hero->IsAirAction(n)) << n;
    }
    TSkillTable::Get(2100).Type = 5;
    TSkillTable::Get(2109).Type = 5;
    TSkillTable::Get(2000).Type = 4;
    EXPECT_EQ(hero->GetSkillAction(2100, 0), 47);
    EXPECT_EQ(hero->GetSkillAction(2109, 1), 85);
    EXPECT_EQ(hero->GetSkillAction(2000, 0), -1) << "THeroA's weapon skill";
}

TEST_F(HeroBTest, HeldSkillIsAnAirSkillByItsRecordAndATapNeverIs)
{
    struct Case {
        std::uint8_t subKind;
        bool air;
    };
    for (const Case c : {Case{31, false}, Case{32, true}, Case{36, true}, Case{37, false}}) {
        SCOPED_TRACE(int(c.subKind));
        {
            std::unique_ptr<THeroB> hero = MakeB();
            SlotSkill(2101, 5, c.subKind);
            qmtest::HeroTrace t(*hero, *input_);
            HoldSkill(t);
            EXPECT_EQ(t.Rows(), c.air ? Rows{} : Rows{53}) << "held on the ground";
        }
        {
            std::unique_ptr<THeroB> hero = MakeB();
            SlotSkill(2101, 5, c.subKind);
            qmtest::HeroTrace t(*hero, *input_);
            t.PlaceAt(50.0F);
            ASSERT_TRUE(t.StepUntilState(5, 30)) << "falling";
            HoldSkill(t);
            EXPECT_EQ(t.Rows(), c.air ? Rows{53} : Rows{}) << "held in the air";
        }
        {
            std::unique_ptr<THeroB> hero = MakeB();
            SlotSkill(2101, 5, c.subKind);
            qmtest::HeroTrace t(*hero, *input_);
            Tap(t, kSkill);
            t.Step(4);
            EXPECT_EQ(t.Rows(), Rows{51}) << "tapped on the ground";
        }
        {
            std::unique_ptr<THeroB> hero = MakeB();
            SlotSkill(2101, 5, c.subKind);
            qmtest::HeroTrace t(*hero, *input_);
            t.PlaceAt(50.0F);
            ASSERT_TRUE(t.StepUntilState(5, 30)) << "falling";
            Tap(t, kSkill);
            t.Step(4);
            EXPECT_EQ(t.Rows(), Rows{}) << "tapped in the air";
        }
    }
}

TEST_F(HeroBTest, AnotherWeaponsSkillStartsAndReservesNothing)
{
    for (const std::uint32_t id : {2000u, 2015u}) {
        for (const std::uint8_t subKind : {std::uint8_t{0}, std::uint8_t{32}}) {
            SCOPED_TRACE(id);
            std::unique_ptr<THeroB> hero = MakeB();
            SlotSkill(id, 4, subKind);
            qmtest::HeroTrace t(*hero, *input_);
            Tap(t, kSkill);
            t.Step(4);
            HoldSkill(t);
            t.PlaceAt(50.0F);
            HoldSkill(t);
            EXPECT_EQ(t.Rows(), Rows{});
            hero->StartAction(25);
            HoldSkill(t);
            EXPECT_EQ(hero->GetReservedKind(), 0u);
        }
    }
}

TEST_F(HeroBTest, GroundChargePlaysItsOwnMotionsAndTheFactoryBuildsTheClass)
{
    std::unique_ptr<THeroB> hero = MakeB();
    qmtest::HeroTrace t(*hero, *input_);
    t.Hold(kAttack);
    ASSERT_TRUE(t.StepUntilRow(33, 30));
    EXPECT_EQ(t.Frames().back().motion, 57u);
    t.Release(kAttack);
    ASSERT_TRUE(t.StepUntilRow(34, 30));
    EXPECT_EQ(t.Frames().back().motion, 40u);
    ASSERT_TRUE(t.StepUntilState(0));
    EXPECT_EQ(t.Rows(), (Rows{33, 34}));

    data_->GetCharacterData(0)->WeaponId = 1001;
    TRefPtr<TPlayerCharacter> made = CreatePlayerCharacter(nullptr, 0);
    ASSERT_NE(made.Get(), nullptr);
    auto* b = dynamic_cast<THeroB*>(made.Get());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(&b->GetClassDef(), &THeroB::GetDef());
}

}  // namespace
}  // namespace herotest
