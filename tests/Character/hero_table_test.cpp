// The class tables every hero runs on: what holds for every class present, and THeroA's lookups at
// their bounds.
#include <gtest/gtest.h>

#include <algorithm>

#include "MainCode/Character/THeroB.h"
#include "MainCode/Character/THeroC.h"
#include "MainCode/Character/THeroD.h"
#include "MainCode/Character/THeroE.h"
#include "MainCode/Character/THeroF.h"
#include "MainCode/Character/THeroG.h"
#include "MainCode/Character/THeroH.h"
#include "MainCode/Character/THeroI.h"
#include "MainCode/Character/THeroJ.h"
#include "MainCode/Character/THeroK.h"
#include "MainCode/Character/THeroine08.h"
#include "hero_fixture.h"

namespace herotest {
namespace {

const THeroClassDef* const kClasses[] = {&THeroA::GetDef(), &THeroB::GetDef(), &THeroC::GetDef(), &THeroD::GetDef(),
                                         &THeroE::GetDef(), &THeroF::GetDef(), &THeroG::GetDef(), &THeroH::GetDef(),
                                         &THeroI::GetDef(), &THeroJ::GetDef(), &THeroK::GetDef(), &THeroine08::GetDef()};

bool IsSkillPair(const THeroClassDef& def, std::uint32_t a, std::uint32_t b)
{
    return std::any_of(def.Skills, def.Skills + def.SkillCount, [&](const THeroSkillPair& p) {
        return (p.Tap == a && p.Hold == b) || (p.Tap == b && p.Hold == a);
    });
}

TEST(HeroTableTest, EveryClassKeepsItsReferencesInsideItsTable)
{
    for (const THeroClassDef* def : kClasses) {
        SCOPED_TRACE(def->WeaponType);
        ASSERT_GE(def->RowCount, 25u);
        for (std::uint32_t i = 0; i < 25; ++i) {
            EXPECT_EQ(def->Rows[i].Motion, g_heroCommonRows[i].Motion) << i;
            EXPECT_EQ(def->Rows[i].Kind, g_heroCommonRows[i].Kind) << i;
        }
        for (std::uint32_t i = 0; i < def->RowCount; ++i) {
            const THeroRow& r = def->Rows[i];
            for (std::uint32_t n : {r.X, r.Y, r.C, r.A, r.B, r.P, r.Q}) {
                EXPECT_LT(n, def->RowCount) << "row " << i;
            }
            // A charge's own air step excludes only the charge's leap.
            if ((r.Kind == THeroKind::Chain || r.Kind == THeroKind::AirComboStep) && r.A != 0 &&
                r.A != def->ChargeAction) {
                EXPECT_TRUE(IsSkillPair(*def, r.A, r.B == 0 ? r.A : r.B)) << "row " << i << " excludes one skill";
            }
        }
        for (std::uint32_t i = 0; i < def->SkillCount; ++i) {
            EXPECT_LT(def->Skills[i].Tap, def->RowCount);
            EXPECT_LT(def->Skills[i].Hold, def->RowCount);
            EXPECT_NE(def->Rows[def->Skills[i].Tap].Kind, THeroKind::None);
        }
        for (std::uint32_t i = 0; i < 5; ++i) {
            EXPECT_EQ(def->Skills[i].Id, g_heroCommonSkills[i].Id) << "the basic commands come first";
        }
        for (std::uint32_t i = 0; i < def->AirActionCount; ++i) {
            const std::uint32_t n = def->AirActions[i];
            ASSERT_LT(n, def->RowCount);
            const THeroKind k = def->Rows[n].Kind;
            EXPECT_TRUE(k == THeroKind::HoverStrike || k == THeroKind::StrikeUntilLanding) << n;
        }
        EXPECT_LT(def->ChargeAction, def->RowCount);
        for (std::uint32_t n : {def->Attack.GroundRelease, def->Attack.DashRelease, def->Attack.AirRelease,
                                def->Attack.GroundHold, def->Attack.DashHold, def->Attack.AirHold}) {
            EXPECT_LT(n, def->RowCount);
        }
    }
}

TEST(HeroTableTest, HeroARowsAsTranscribed)
{
    const THeroClassDef& def = THeroA::GetDef();
    ASSERT_EQ(def.RowCount, 117u);
    EXPECT_EQ(def.SkillCount, 21u);
    // First and last rows of each kind of block.
    const THeroRow& combo = def.Rows[25];
    EXPECT_EQ(combo.Kind, THeroKind::ComboStep);
    EXPECT_EQ(combo.Motion, 37u);
    EXPECT_EQ(combo.X, 27u);
    EXPECT_EQ(combo.Y, 33u);
    EXPECT_EQ(combo.C, 26u);
    const THeroRow& steered = def.Rows[35];
    EXPECT_EQ(steered.Kind, THeroKind::SteeredAirStrikeFollowUp);
    EXPECT_EQ(steered.Y, 41u);
    EXPECT_EQ(steered.P, 36u);
    EXPECT_EQ(steered.Q, 37u);
    EXPECT_EQ(def.Rows[36].Kind, THeroKind::SteeredAirRecovery);
    const THeroRow& last = def.Rows[116];
    EXPECT_EQ(last.Kind, THeroKind::RecoverAirborne);
    EXPECT_EQ(last.Motion, 67u);
    const THeroRow& step = def.Rows[115];
    EXPECT_EQ(step.Kind, THeroKind::AirComboStep);
    EXPECT_EQ(step.Motion, 118u);
    EXPECT_EQ(step.A, 111u);
    EXPECT_EQ(step.B, 114u);
    EXPECT_EQ(step.C, 116u);
    EXPECT_EQ(def.Rows[114].Motion, 117u);
    EXPECT_EQ(def.Rows[114].X, 115u);
}

class HeroLookupTest : public HeroFixture {};

TEST_F(HeroLookupTest, CommandMapsAndSkillTypesAtTheirBounds)
{
    std::unique_ptr<TestHeroA> hero = MakeA();
    EXPECT_EQ(hero->GetTapMap().size(), 21u);
    EXPECT_EQ(hero->GetHoldMap().size(), 21u);
    struct Case {
        std::uint32_t id;
        std::int32_t tap;
        std::int32_t hold;
    };
    for (const Case c : {Case{1, 5, 7}, Case{5, 21, 23}, Case{2000, 47, 49}, Case{2003, 59, 62},
                         Case{2013, 101, 104}, Case{2015, 111, 114}}) {
        TSkillTable::Get(c.id).Type = c.id < 2000 ? 0 : 4;
        EXPECT_EQ(hero->GetSkillAction(c.id, 0), c.tap) << c.id;
        EXPECT_EQ(hero->GetSkillAction(c.id, 1), c.hold) << c.id;
    }
    // Past the class's skills: 0, and the id stays in the map so.
    TSkillTable::Get(2016).Type = 4;
    EXPECT_EQ(hero->GetSkillAction(2016, 0), 0);
    EXPECT_EQ(hero->GetTapMap().count(2016), 1u);
    EXPECT_EQ(hero->GetSkillAction(0, 0), 0);
    // Pattern skills go to the dispatchers; the next weapon type's skills and the passives to -1.
    TSkillTable::Get(120).Type = 1;
    EXPECT_EQ(hero->GetSkillAction(120, 0), 1);
    EXPECT_EQ(hero->GetSkillAction(120, 1), 3);
    for (std::uint8_t type : {2, 3, 5, 15}) {
        TSkillTable::Get(2100).Type = type;
        EXPECT_EQ(hero->GetSkillAction(2100, 0), -1) << int(type);
    }
}

TEST_F(HeroLookupTest, AirActionsAndActionNumbersAtTheirBounds)
{
    std::unique_ptr<TestHeroA> hero = MakeA();
    for (std::uint32_t n : {65u, 67u, 69u, 71u, 77u, 79u, 85u, 87u}) {
        EXPECT_TRUE(hero->IsAirAction(n)) << n;
        EXPECT_TRUE(hero->IsChainBlocked(n)) << n;
    }
    for (std::uint32_t n : {0u, 64u, 66u, 68u, 86u, 88u, 35u, 41u}) {
        EXPECT_FALSE(hero->IsAirAction(n)) << n;
    }
    EXPECT_EQ(hero->GetChainAction(), 33u);

    hero->StartAction(116);
    EXPECT_EQ(hero->GetState(), 19u);
    EXPECT_EQ(hero->GetSubState(), 116u);
    EXPECT_EQ(hero->GetBodyMesh()->GetMorphIndex(), 67u);
    hero->SetState(0);
    for (std::uint32_t n : {117u, 0xFFFFFFFFu}) {
        hero->StartAction(n);
        EXPECT_EQ(hero->GetState(), 0u) << n;
        EXPECT_EQ(hero->GetSubState(), 116u) << n;
    }
    // Row 0 has no executor: the hero stays in the action state doing nothing.
    hero->StartAction(0);
    EXPECT_EQ(hero->GetState(), 19u);
    EXPECT_EQ(hero->GetSubState(), 0u);
    EXPECT_FALSE(hero->RunAction());
}

TEST_F(HeroLookupTest, FactoryMakesHeroAForWeaponTypeZeroOfBothCharacters)
{
    for (std::uint32_t c = 0; c < 2; ++c) {
        data_->GetCharacterData(c)->WeaponId = 1000;
        TRefPtr<TPlayerCharacter> made = CreatePlayerCharacter(nullptr, c);
        ASSERT_NE(dynamic_cast<THeroA*>(made.Get()), nullptr) << c;
        EXPECT_EQ(made->GetWeaponModelName(), c == 0 ? "hero01" : "heroine01");
        EXPECT_EQ(made->GetState(), 0u);
        // Weapon type 1 keeps its stand-in until its class comes.
        data_->GetCharacterData(c)->WeaponId = 1001;
        TRefPtr<TPlayerCharacter> other = CreatePlayerCharacter(nullptr, c);
        ASSERT_NE(other.Get(), nullptr);
        EXPECT_EQ(dynamic_cast<THeroA*>(other.Get()), nullptr) << c;
    }
}

}  // namespace
}  // namespace herotest
