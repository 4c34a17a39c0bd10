// Every hero class from one table: each class's table at both ends, its lookups and the factory
// building it; then what each class plays differently: combos, charges, plunges, leaps, hovering,
// air-only skills and the bow heroine's shots.
#include <gtest/gtest.h>

#include <algorithm>
#include <type_traits>

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

using Rows = std::vector<std::uint32_t>;
using K = THeroKind;

// A hero that hangs in the air where it is put.
class Hoverable {
public:
    virtual ~Hoverable() = default;
    virtual void Hover() = 0;
    // How far the centre stands above the frame.
    virtual float CentreRise() const = 0;
};

template <typename T>
class Hovering : public T, public Hoverable {
public:
    using T::T;
    void Hover() override
    {
        this->m_gravity = 0.0F;
        this->m_velocity.y = 0.0F;
    }
    float CentreRise() const override
    {
        D3DXVECTOR3 centre;
        D3DXVECTOR3 position;
        this->GetCenterPosition(&centre);
        this->GetPosition(&position);
        return centre.y - position.y;
    }
};

class TestHeroK : public THeroK {
public:
    using THeroK::THeroK;
    void SetAttackHeldFrames(std::uint32_t n) { m_holdCountA = n; }
};

class TestHeroine08 : public THeroine08 {
public:
    using THeroine08::THeroine08;
    void SetFollowUpFlag(std::uint8_t on) { m_followUp = on; }
};

template <typename T>
std::unique_ptr<THero> MakeAs(const TCharacterRecord& r, std::uint32_t character, const char* model)
{
    if constexpr (std::is_constructible_v<T, TFieldLoop*, std::uint32_t, const TCharacterRecord&>) {
        return std::make_unique<T>(nullptr, character, r);
    } else {
        return std::make_unique<T>(nullptr, character, r, model);
    }
}

template <typename T>
bool Is(TPlayerCharacter* p)
{
    return dynamic_cast<T*>(p) != nullptr;
}

struct HeroClass {
    const char* name;
    const THeroClassDef& (*def)();
    std::uint32_t character;
    std::uint32_t weaponId;  // 1000 + the weapon type; its skills are typed 4 + the weapon type
    const char* model;
    // Motion frames written over 4 for the model; none: the fixture's hero01 stays.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> frames;
    std::unique_ptr<THero> (*make)(const TCharacterRecord&, std::uint32_t, const char*);
    bool (*is)(TPlayerCharacter*);
    // The table as transcribed.
    std::uint32_t queue, rowCount, chargeAction;
    bool followUp;
    Rows attack;  // ground, dash, air release; ground, dash, air hold
    bool airReleaseClears;
    THeroHitLanded hitLanded;
    THeroSkillHold skillHold;
    std::uint32_t skillCount;
    std::vector<THeroSkillPair> skills;  // the first and the last of the class's own, and some between
    Rows airRows;
    std::vector<std::pair<std::uint32_t, THeroRow>> rows;
    std::uint32_t foreignSkill;  // another weapon's skill, of that weapon's type
    std::uint8_t foreignType;
};

std::uint8_t SkillType(const HeroClass& c) { return static_cast<std::uint8_t>(c.weaponId - 1000 + 4); }

const HeroClass kA{"A", &THeroA::GetDef, 0, 1000, "hero01", {}, &MakeAs<Hovering<TestHeroA>>, &Is<THeroA>,
                   10, 117, 33, true, {25, 43, 35, 33, 45, 41}, true, THeroHitLanded::Standard,
                   THeroSkillHold::Shared, 21, {{2000, 47, 49}, {2003, 59, 62}, {2013, 101, 104}, {2015, 111, 114}},
                   {65, 67, 69, 71, 77, 79, 85, 87},
                   {{25, {37, K::ComboStep, 27, 33, 26}},
                    {35, {45, K::SteeredAirStrikeFollowUp, 0, 41, 0, 0, 0, 36, 37}},
                    {36, {46, K::SteeredAirRecovery}}, {114, {117, K::Leap, 115}},
                    {115, {118, K::AirComboStep, 35, 41, 116, 111, 114}}, {116, {67, K::RecoverAirborne}}},
                   2100, 5};
const HeroClass kB{"B", &THeroB::GetDef, 0, 1001, "hero01", {}, &MakeAs<THeroB>, &Is<THeroB>,
                   10, 87, 33, true, {25, 43, 35, 33, 45, 41}, true, THeroHitLanded::Standard,
                   THeroSkillHold::AirByRecord, 15, {{2100, 47, 49}, {2109, 83, 85}}, {},
                   {{33, {57, K::SkillChain, 0, 0, 34}}, {34, {40, K::Recover}},
                    {47, {75, K::Chain, 0, 0, 48, 47, 49}}, {48, {40, K::Recover}},
                    {49, {76, K::Chain, 0, 0, 50, 47, 49}}, {63, {88, K::Chain, 0, 0, 64, 63, 65}},
                    {64, {89, K::Recover}}, {66, {89, K::Recover}}, {78, {54, K::Recover}},
                    {83, {119, K::Chain, 0, 0, 84, 83, 85}}, {85, {119, K::Chain, 0, 0, 86, 83, 85}},
                    {86, {40, K::Recover}}},
                   2000, 4};
const HeroClass kC{"C", &THeroC::GetDef, 0, 1002, "hero02",
                   {{37, 30}, {39, 12}, {41, 12}, {43, 12}, {45, 12}, {69, 5}, {70, 8}, {74, 10}, {76, 10},
                    {90, 10}, {92, 10}},
                   &MakeAs<THeroC>, &Is<THeroC>, 10, 109, 35, true, {25, 45, 37, 35, 47, 43}, true,
                   THeroHitLanded::HopsOnly, THeroSkillHold::Shared, 19, {{2200, 49, 51}, {2213, 105, 107}},
                   {67, 69, 71, 73, 93, 95, 97, 99},
                   {{31, {43, K::ComboStep, 33, 35, 32}}, {33, {45, K::FixedChain, 0, 35, 34}},
                    {35, {58, K::SkillChain, 0, 0, 36}}, {91, {89, K::AirComboStep, 37, 43, 92, 87, 90}},
                    {108, {64, K::Recover}}},
                   2100, 5};
const HeroClass kD{"D", &THeroD::GetDef, 0, 1005, "hero04",
                   {{37, 30}, {39, 12}, {41, 12}, {43, 3}, {44, 6}, {60, 5}, {61, 8}},
                   &MakeAs<THeroD>, &Is<THeroD>, 10, 93, 31, false, {25, 37, 33, 31, 39, 35}, false,
                   THeroHitLanded::RingsOnly, THeroSkillHold::Shared, 17, {{2500, 41, 43}, {2511, 89, 91}},
                   {59, 61, 81, 83},
                   {{29, {41, K::FixedChain, 0, 31, 30}}, {33, {43, K::StrikeUntilLanding, 34}},
                    {34, {44, K::FixedChainOrRecover, 0, 31}}, {84, {111, K::ChainOrRecover}},
                    {91, {118, K::Chain, 0, 0, 92, 89, 91}}, {92, {50, K::Recover}}},
                   2200, 6};
const HeroClass kE{"E", &THeroE::GetDef, 0, 1006, "hero04", {{69, 8}, {70, 8}}, &MakeAs<THeroE>, &Is<THeroE>,
                   10, 73, 31, false, {25, 37, 33, 31, 39, 35}, false, THeroHitLanded::RingsOnly,
                   THeroSkillHold::Shared, 13, {{2600, 41, 43}, {2607, 69, 71}}, {},
                   {{31, {51, K::SkillChain, 0, 0, 32}}, {32, {40, K::Recover}},
                    {41, {69, K::Chain, 0, 0, 42, 41, 43}}, {71, {119, K::Chain, 0, 0, 72, 69, 71}},
                    {72, {50, K::Recover}}},
                   2500, 9};
const HeroClass kF{"F", &THeroF::GetDef, 0, 1007, "hero04", {{52, 8}, {84, 5}, {85, 8}, {104, 3}},
                   &MakeAs<THeroF>, &Is<THeroF>, 10, 75, 31, false, {25, 37, 33, 31, 39, 35}, false,
                   THeroHitLanded::Plain, THeroSkillHold::Shared, 13, {{2700, 41, 43}, {2707, 71, 73}}, {63, 65},
                   {{31, {52, K::SkillChain, 0, 0, 32}}, {54, {85, K::AirComboStep, 33, 35, 55, 53, 56}},
                    {57, {87, K::AirComboStep, 33, 35, 58, 53, 56}}, {66, {107, K::ChainOrRecover}},
                    {73, {120, K::Chain, 0, 0, 74, 71, 73}}, {74, {42, K::Recover}}},
                   2600, 10};
const HeroClass kG{"G", &THeroG::GetDef, 0, 1008, "hero05", {{85, 30}, {87, 8}, {70, 5}, {71, 8}, {58, 12}},
                   &MakeAs<THeroG>, &Is<THeroG>, 10, 91, 35, true, {25, 45, 37, 35, 47, 43}, true,
                   THeroHitLanded::Standard, THeroSkillHold::Shared, 15,
                   {{2800, 49, 51}, {2804, 65, 68}, {2809, 87, 89}}, {75, 77, 83, 85},
                   {{25, {37, K::ComboStep, 27, 35, 26}}, {31, {43, K::ComboStep, 33, 35, 32}},
                    {33, {45, K::FixedChain, 0, 35, 34}},
                    {37, {47, K::SteeredAirStrikeFollowUp, 0, 43, 0, 0, 0, 38, 39}},
                    {69, {74, K::AirComboStep, 37, 43, 70, 65, 68}}, {89, {88, K::Chain, 0, 0, 90, 87, 89}},
                    {90, {61, K::Recover}}},
                   2000, 4};
const HeroClass kH{"H", &THeroH::GetDef, 0, 1010, "hero07", {{53, 5}, {54, 10}, {43, 6}, {45, 8}, {71, 8}},
                   &MakeAs<Hovering<THeroH>>, &Is<THeroH>, 10, 78, 31, true, {25, 42, 34, 31, 44, 40}, true,
                   THeroHitLanded::Standard, THeroSkillHold::Shared, 13,
                   {{3000, 46, 48}, {3006, 70, 72}, {3007, 74, 76}}, {70, 72},
                   {{25, {37, K::ComboStep, 27, 31, 26}}, {29, {41, K::FixedChain, 0, 31, 30}},
                    {32, {54, K::AirComboStep, 34, 40, 33, 31, 0}}, {76, {74, K::Chain, 0, 0, 77, 74, 76}},
                    {77, {38, K::Recover}}},
                   2800, 12};
const HeroClass kI{"I", &THeroI::GetDef, 1, 1003, "heroine03", {{56, 5}, {57, 10}, {84, 5}, {85, 12}, {67, 8}},
                   &MakeAs<THeroI>, &Is<THeroI>, 10, 102, 35, true, {25, 46, 38, 35, 48, 44}, true,
                   THeroHitLanded::Standard, THeroSkillHold::Shared, 17,
                   {{2300, 50, 52}, {2305, 70, 73}, {2307, 80, 83}, {2311, 98, 100}},
                   {62, 64, 66, 68, 76, 78, 86, 88, 94, 96, 98, 100},
                   {{25, {37, K::ComboStep, 27, 35, 26}}, {32, {38, K::Recover}},
                    {36, {57, K::AirComboStep, 38, 44, 37, 35, 0}}, {84, {95, K::AirComboStep, 38, 44, 85, 80, 83}},
                    // The last two hover strikes and their recoveries share their motions.
                    {98, {109, K::HoverStrike, 0, 44, 99}}, {99, {99, K::AirRecovery}},
                    {100, {109, K::HoverStrike, 0, 44, 101}}, {101, {99, K::AirRecovery}}},
                   2400, 8};
const HeroClass kJ{"J", &THeroJ::GetDef, 1, 1004, "heroine03", {{59, 12}, {80, 3}}, &MakeAs<THeroJ>, &Is<THeroJ>,
                   10, 85, 35, true, {25, 45, 37, 35, 47, 43}, true, THeroHitLanded::Standard,
                   THeroSkillHold::Shared, 13, {{2400, 49, 51}, {2402, 57, 60}, {2406, 75, 78}, {2407, 81, 83}},
                   {63, 65, 71, 73},
                   {{25, {37, K::ComboStep, 27, 35, 26}}, {35, {59, K::SkillChain, 0, 0, 36}},
                    {79, {108, K::AirComboStep, 37, 43, 80, 75, 78}},
                    // Both of the last skill's rows play one motion.
                    {81, {110, K::Chain, 0, 0, 82, 81, 83}}, {83, {110, K::Chain, 0, 0, 84, 81, 83}},
                    {84, {45, K::Recover}}},
                   2300, 7};
const HeroClass kK{"K", &THeroK::GetDef, 1, 1009, "heroine06", {{43, 10}, {65, 10}}, &MakeAs<TestHeroK>,
                   &Is<THeroK>, 10, 83, 31, false, {25, 37, 33, 31, 39, 35}, false, THeroHitLanded::RingsOnly,
                   THeroSkillHold::Shared, 15, {{2900, 41, 43}, {2909, 79, 81}}, {59, 61, 63, 65, 71, 73, 79, 81},
                   {{32, {42, K::Recover}}, {33, {43, K::HoverStrikeWithSkill, 0, 35, 34}},
                    {34, {44, K::SteeredAirRecovery}}, {41, {50, K::Chain, 0, 0, 42, 41, 43}},
                    {81, {74, K::HoverStrike, 0, 35, 82}}, {82, {63, K::AirRecovery}}},
                   2700, 11};
const HeroClass k08{"08", &THeroine08::GetDef, 1, 1011, "heroine08",
                    {{37, 30}, {39, 6}, {40, 10}, {42, 10}, {43, 10}}, &MakeAs<TestHeroine08>, &Is<THeroine08>,
                    3, 75, 29, true, {25, 37, 31, 29, 39, 35}, false, THeroHitLanded::RingsOnly,
                    THeroSkillHold::Shared, 13, {{3100, 41, 43}, {3102, 49, 52}, {3107, 71, 73}}, {59, 61, 67, 69},
                    // The second hit repeats itself.
                    {{25, {37, K::ComboStep, 27, 29, 26}}, {27, {39, K::ComboStep, 27, 29, 28}},
                     {33, {42, K::FallingComboStep, 33, 35, 34}}, {35, {43, K::HoverSkillChain, 0, 0, 36}},
                     {53, {58, K::AirComboStep, 31, 35, 54, 49, 52}}, {73, {68, K::Chain, 0, 0, 74, 71, 73}},
                     {74, {38, K::Recover}}},
                    3000, 14};
const HeroClass* const kClasses[] = {&kA, &kB, &kC, &kD, &kE, &kF, &kG, &kH, &kI, &kJ, &kK, &k08};

Rows Fields(const THeroRow& r) { return {r.Motion, r.X, r.Y, r.C, r.A, r.B, r.P, r.Q}; }
Rows Fields(const THeroSkillPair& s) { return {s.Id, s.Tap, s.Hold}; }

bool IsSkillPair(const THeroClassDef& def, std::uint32_t a, std::uint32_t b)
{
    return std::any_of(def.Skills, def.Skills + def.SkillCount, [&](const THeroSkillPair& p) {
        return (p.Tap == a && p.Hold == b) || (p.Tap == b && p.Hold == a);
    });
}

class HeroClasses : public HeroFixture {
protected:
    // The class's model written, then the class made directly for its character.
    std::unique_ptr<THero> Make(const HeroClass& c)
    {
        if (!c.frames.empty()) {
            WriteHeroModel(c.model);
            std::vector<std::uint32_t> frames(120, 4);
            for (const auto& [motion, n] : c.frames) {
                frames[motion] = n;
            }
            qmtest::SaveHeroTraceModel("char04/", c.model, frames);
        }
        TCharacterRecord* record = data_->GetCharacterData(c.character);
        record->WeaponId = c.weaponId;
        return c.make(*record, c.character, c.model);
    }
    // Skill `id` of the class's type (or `type`) in the class's character's selected slot.
    void Slot(const HeroClass& c, std::uint32_t id, std::uint8_t subKind = 0, std::uint8_t type = 0)
    {
        TSkillRecord& skill = TSkillTable::Get(id);
        skill.Type = type != 0 ? type : SkillType(c);
        skill.SubKind = subKind;
        data_->GetCharacterData(c.character)->SkillSlot[0] = id;
        gauge_.SetSelection(0);
    }
    // Made, its skill slotted, traced, and falling from `height` when that is above 0.
    struct Traced {
        std::unique_ptr<THero> hero;
        std::unique_ptr<qmtest::HeroTrace> trace;
    };
    Traced Trace(const HeroClass& c, std::uint32_t skill = 0, std::uint8_t subKind = 0, float falling = 0.0F)
    {
        Traced t{Make(c), nullptr};
        if (skill != 0) {
            Slot(c, skill, subKind);
        }
        t.trace = std::make_unique<qmtest::HeroTrace>(*t.hero, *input_);
        if (falling > 0.0F) {
            t.trace->PlaceAt(falling);
            EXPECT_TRUE(t.trace->StepUntilState(5, 30)) << "falling";
        }
        return t;
    }
};

TEST_F(HeroClasses, TablesAsTranscribedAndTheirReferencesInside)
{
    for (const HeroClass* c : kClasses) {
        SCOPED_TRACE(c->name);
        const THeroClassDef& d = c->def();
        ASSERT_EQ(d.RowCount, c->rowCount);
        EXPECT_EQ(d.WeaponType, c->weaponId - 1000);
        EXPECT_EQ(d.QueueCapacity, c->queue);
        EXPECT_EQ(d.ChargeAction, c->chargeAction);
        EXPECT_EQ(d.HasFollowUpFlag, c->followUp);
        const THeroAttackRows& a = d.Attack;
        EXPECT_EQ(Rows({a.GroundRelease, a.DashRelease, a.AirRelease, a.GroundHold, a.DashHold, a.AirHold}),
                  c->attack);
        EXPECT_EQ(a.AirReleaseClearsFlag, c->airReleaseClears);
        EXPECT_EQ(d.HitLanded, c->hitLanded);
        EXPECT_EQ(d.SkillHold, c->skillHold);
        for (const auto& [n, want] : c->rows) {
            EXPECT_EQ(d.Rows[n].Kind, want.Kind) << n;
            EXPECT_EQ(Fields(d.Rows[n]), Fields(want)) << n;
        }
        ASSERT_EQ(d.SkillCount, c->skillCount);
        EXPECT_EQ(Fields(d.Skills[5]), Fields(c->skills.front()));
        EXPECT_EQ(Fields(d.Skills[d.SkillCount - 1]), Fields(c->skills.back()));
        EXPECT_EQ(d.AirActionCount, c->airRows.size());

        // What holds for every class: the shared rows and skills first, every number inside the table.
        for (std::uint32_t i = 0; i < 25; ++i) {
            EXPECT_EQ(d.Rows[i].Motion, g_heroCommonRows[i].Motion) << i;
            EXPECT_EQ(d.Rows[i].Kind, g_heroCommonRows[i].Kind) << i;
        }
        for (std::uint32_t i = 0; i < 5; ++i) {
            EXPECT_EQ(d.Skills[i].Id, g_heroCommonSkills[i].Id) << "the basic commands come first";
        }
        for (std::uint32_t i = 0; i < d.RowCount; ++i) {
            const THeroRow& r = d.Rows[i];
            for (std::uint32_t n : {r.X, r.Y, r.C, r.A, r.B, r.P, r.Q}) {
                EXPECT_LT(n, d.RowCount) << "row " << i;
            }
            // A charge's own air step excludes only the charge's leap.
            if ((r.Kind == K::Chain || r.Kind == K::AirComboStep) && r.A != 0 && r.A != d.ChargeAction) {
                EXPECT_TRUE(IsSkillPair(d, r.A, r.B == 0 ? r.A : r.B)) << "row " << i << " excludes one skill";
            }
        }
        for (std::uint32_t i = 0; i < d.SkillCount; ++i) {
            EXPECT_LT(d.Skills[i].Tap, d.RowCount);
            EXPECT_LT(d.Skills[i].Hold, d.RowCount);
            EXPECT_NE(d.Rows[d.Skills[i].Tap].Kind, K::None);
        }
        for (std::uint32_t i = 0; i < d.AirActionCount; ++i) {
            ASSERT_LT(d.AirActions[i], d.RowCount);
            const K k = d.Rows[d.AirActions[i]].Kind;
            EXPECT_TRUE(k == K::HoverStrike || k == K::StrikeUntilLanding) << d.AirActions[i];
        }
        EXPECT_LT(d.ChargeAction, d.RowCount);
        for (std::uint32_t n : c->attack) {
            EXPECT_LT(n, d.RowCount);
        }
    }
    // B and E share their attack rows with A and D but for the motions of the ground charge.
    for (const auto& [x, y, last, charge] : {std::tuple{&THeroB::GetDef, &THeroA::GetDef, 46u, 33u},
                                             std::tuple{&THeroE::GetDef, &THeroD::GetDef, 40u, 31u}}) {
        for (std::uint32_t i = 25; i <= last; ++i) {
            Rows a = Fields(x().Rows[i]);
            Rows b = Fields(y().Rows[i]);
            if (i == charge || i == charge + 1) {
                a[0] = b[0];
            }
            EXPECT_EQ(x().Rows[i].Kind, y().Rows[i].Kind) << i;
            EXPECT_EQ(a, b) << i;
        }
    }
}

TEST_F(HeroClasses, LookupsAtTheirBoundsAndTheFactoryBuildsEachClass)
{
    for (const HeroClass* c : kClasses) {
        SCOPED_TRACE(c->name);
        const THeroClassDef& d = c->def();
        std::unique_ptr<THero> hero = Make(*c);
        EXPECT_EQ(hero->GetBodyMesh()->GetName(), c->model);
        for (std::uint32_t n = 0; n < c->rowCount; ++n) {
            const bool air = std::count(c->airRows.begin(), c->airRows.end(), n) == 1;
            EXPECT_EQ(hero->IsAirAction(n), air) << n;
            EXPECT_EQ(hero->IsChainBlocked(n), air) << n;
        }
        // The basic commands, the class's own skills, one past them, and another weapon's.
        for (const THeroSkillPair& s : {THeroSkillPair{1, 5, 7}, THeroSkillPair{5, 21, 23}}) {
            TSkillTable::Get(s.Id).Type = 0;
            EXPECT_EQ(hero->GetSkillAction(s.Id, 0), static_cast<std::int32_t>(s.Tap)) << s.Id;
            EXPECT_EQ(hero->GetSkillAction(s.Id, 1), static_cast<std::int32_t>(s.Hold)) << s.Id;
        }
        for (const THeroSkillPair& s : c->skills) {
            TSkillTable::Get(s.Id).Type = SkillType(*c);
            EXPECT_EQ(hero->GetSkillAction(s.Id, 0), static_cast<std::int32_t>(s.Tap)) << s.Id;
            EXPECT_EQ(hero->GetSkillAction(s.Id, 1), static_cast<std::int32_t>(s.Hold)) << s.Id;
        }
        TSkillTable::Get(c->skills.back().Id + 1).Type = SkillType(*c);
        EXPECT_EQ(hero->GetSkillAction(c->skills.back().Id + 1, 0), 0) << "past the class's skills";
        TSkillTable::Get(c->foreignSkill).Type = c->foreignType;
        EXPECT_EQ(hero->GetSkillAction(c->foreignSkill, 0), -1) << "another weapon's skill";
        EXPECT_EQ(hero->GetChainAction(), c->chargeAction);
        // The last row starts; one past it is ignored.
        hero->StartAction(c->rowCount - 1);
        EXPECT_EQ(hero->GetState(), 19u);
        EXPECT_EQ(hero->GetSubState(), c->rowCount - 1);
        EXPECT_EQ(hero->GetBodyMesh()->GetMorphIndex(), d.Rows[c->rowCount - 1].Motion);
        hero->SetState(0);
        hero->StartAction(c->rowCount);
        EXPECT_EQ(hero->GetState(), 0u) << "past the table";

        TRefPtr<TPlayerCharacter> made = CreatePlayerCharacter(nullptr, c->character);
        ASSERT_NE(made.Get(), nullptr);
        EXPECT_TRUE(c->is(made.Get()));
        EXPECT_EQ(&dynamic_cast<THero*>(made.Get())->GetClassDef(), &d);
        EXPECT_EQ(made->GetBodyMesh()->GetName(), c->model);
        EXPECT_EQ(made->GetWeaponModelName(), c->model);
    }
}

TEST_F(HeroClasses, AMapsEveryIdItIsAskedAndSendsThePatternSkillsToTheDispatchers)
{
    std::unique_ptr<THero> hero = Make(kA);
    EXPECT_EQ(hero->GetTapMap().size(), 21u);
    EXPECT_EQ(hero->GetHoldMap().size(), 21u);
    // Past the class's skills: 0, and the id stays in the map so.
    TSkillTable::Get(2016).Type = 4;
    EXPECT_EQ(hero->GetSkillAction(2016, 0), 0);
    EXPECT_EQ(hero->GetTapMap().count(2016), 1u);
    EXPECT_EQ(hero->GetSkillAction(0, 0), 0);
    TSkillTable::Get(120).Type = 1;
    EXPECT_EQ(hero->GetSkillAction(120, 0), 1);
    EXPECT_EQ(hero->GetSkillAction(120, 1), 3);
    // The next weapon type's skills and the passives go to -1.
    for (std::uint8_t type : {2, 3, 5, 15}) {
        TSkillTable::Get(2100).Type = type;
        EXPECT_EQ(hero->GetSkillAction(2100, 0), -1) << int(type);
    }
    hero->StartAction(116);
    for (std::uint32_t n : {117u, 0xFFFFFFFFu}) {
        hero->StartAction(n);
        EXPECT_EQ(hero->GetSubState(), 116u) << n << " leaves the running action";
    }
    // Row 0 has no executor: the hero stays in the action state doing nothing.
    hero->StartAction(0);
    EXPECT_EQ(hero->GetState(), 19u);
    EXPECT_EQ(hero->GetSubState(), 0u);
    EXPECT_FALSE(static_cast<TestHeroA&>(*hero).RunAction());
}

TEST_F(HeroClasses, ReleasesInRhythmRunTheComboAndOneMoreIsQueuedAndDropped)
{
    for (const auto& [c, combo, end] : {std::tuple{&kA, Rows{25, 27, 29, 31}, 32u},
                                        std::tuple{&kC, Rows{25, 27, 29, 31, 33}, 34u},
                                        std::tuple{&kD, Rows{25, 27, 29}, 30u}}) {
        SCOPED_TRACE(c->name);
        Traced h = Trace(*c);
        for (std::uint32_t row : combo) {
            Tap(*h.trace, kAttack);
            ASSERT_TRUE(h.trace->StepUntilRow(row)) << row;
        }
        Tap(*h.trace, kAttack);
        ASSERT_TRUE(h.trace->StepUntilState(0));
        Rows all = combo;
        all.push_back(end);
        EXPECT_EQ(h.trace->Rows(), all);
        EXPECT_TRUE(std::any_of(h.trace->Frames().begin(), h.trace->Frames().end(), [&](const auto& f) {
            return f.row == combo.back() && f.state == 19 && f.queued == 1;
        })) << "the last release was queued";
        EXPECT_EQ(h.hero->GetCommandCount(), 0u) << "and dropped with the recovery";
    }
}

TEST_F(HeroClasses, LeapsBySkillOrByChargeGoOnWithTheAirAttack)
{
    struct Case {
        const HeroClass* c;
        std::uint32_t skill;  // 0: the held attack's charge leaps
        std::uint32_t leap, air;
    };
    for (const Case& k : {Case{&kA, 2003, 59, 35}, Case{&kC, 2203, 61, 37}, Case{&kD, 2503, 53, 33},
                          Case{&kH, 0, 31, 34}, Case{&kI, 0, 35, 38}}) {
        SCOPED_TRACE(k.c->name);
        Traced h = Trace(*k.c, k.skill);
        if (k.skill != 0) {
            Tap(*h.trace, kSkill);
        } else {
            h.trace->Hold(kAttack);
        }
        ASSERT_TRUE(h.trace->StepUntilRow(k.leap, 30));
        h.trace->Release(kAttack);
        ASSERT_TRUE(h.trace->StepUntilRow(k.leap + 1, 10));
        EXPECT_FLOAT_EQ(h.trace->Frames().back().verticalSpeed, 0.18F);
        EXPECT_FLOAT_EQ(h.trace->Frames().back().gravity, -0.007F);
        Tap(*h.trace, kAttack);
        ASSERT_TRUE(h.trace->StepUntilRow(k.air, 15));
        EXPECT_EQ(h.trace->Rows(), (Rows{k.leap, k.leap + 1, k.air}));
        EXPECT_GT(h.trace->Frames().back().height, 0.5F) << "in the air";
        EXPECT_EQ(h.hero->GetFollowUpFlag(), 0u);
    }
}

TEST_F(HeroClasses, AirSkillsStartOnlyInAJumpThenHoverOrStrikeUntilTheGround)
{
    struct Case {
        const HeroClass* c;
        std::uint32_t skill, row;
        std::uint32_t hover;    // frames the vertical speed is held at 0
        std::uint32_t landing;  // 0: none; else the row the landing starts
    };
    const Case cases[] = {{&kA, 2004, 65, 0, 66}, {&kC, 2204, 67, 8, 0}, {&kC, 2205, 71, 8, 0},
                          {&kC, 2210, 93, 8, 0},  {&kC, 2211, 97, 8, 0}, {&kG, 2808, 83, 5, 0},
                          {&kH, 3006, 70, 6, 0},  {&kJ, 2403, 63, 0, 64}, {&kK, 2905, 63, 8, 0}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.skill);
        Traced h = Trace(*k.c, k.skill);
        qmtest::HeroTrace& t = *h.trace;
        Tap(t, kSkill);
        t.Step(6);
        EXPECT_TRUE(t.Rows().empty()) << "on the ground";
        Tap(t, kJump);
        ASSERT_EQ(h.hero->GetState(), 4u);
        Tap(t, kSkill);
        ASSERT_TRUE(t.StepUntilRow(k.row, 6));
        for (std::uint32_t i = 0; i < k.hover; ++i) {
            const float before = t.Frames().back().height;
            const qmtest::HeroTraceFrame& f = t.Step();
            ASSERT_EQ(f.row, k.row) << i;
            EXPECT_EQ(f.verticalSpeed, 0.0F) << i;
            // Only this frame's gravity moves it: no fall builds up.
            EXPECT_NEAR(before - f.height, 0.007F, 1e-4F) << i;
        }
        if (k.landing != 0) {
            const std::size_t start = t.Frames().size();
            ASSERT_TRUE(t.StepUntilRow(k.landing, 100));
            EXPECT_GT(t.Frames().size() - start, 3u) << "well past the motion's three frames";
            EXPECT_LT(t.Frames()[t.Frames().size() - 2].height, 0.01F) << "until the ground";
            ASSERT_TRUE(t.StepUntilState(0, 10));
            EXPECT_EQ(t.Rows(), (Rows{k.row, k.landing}));
        }
    }
}

TEST_F(HeroClasses, SkillsStartInTheirPlaceOnlyByTapAndByHoldWithTheirMotions)
{
    struct Case {
        const HeroClass* c;
        std::uint32_t skill;
        bool air;
        std::uint32_t tap, tapMotion, hold, holdMotion;
    };
    const Case cases[] = {
        {&kG, 2806, true, 75, 78, 77, 80},    {&kG, 2808, true, 83, 85, 85, 87},
        {&kI, 2303, true, 62, 67, 64, 68},    {&kI, 2304, true, 66, 69, 68, 70},
        {&kI, 2306, true, 76, 88, 78, 89},    {&kI, 2308, true, 86, 96, 88, 97},
        {&kI, 2310, true, 94, 103, 96, 104},  {&kI, 2311, true, 98, 109, 100, 109},
        {&kJ, 2403, true, 63, 80, 65, 82},    {&kJ, 2405, true, 71, 98, 73, 100},
        {&kJ, 2407, false, 81, 110, 83, 110},
    };
    for (const Case& k : cases) {
        for (const bool hold : {false, true}) {
            for (const bool falling : {false, true}) {
                SCOPED_TRACE(testing::Message() << k.skill << (hold ? " held" : " tapped")
                                                << (falling ? " in the air" : " on the ground"));
                Traced h = Trace(*k.c, k.skill, 0, falling ? 50.0F : 0.0F);
                qmtest::HeroTrace& t = *h.trace;
                if (hold) {
                    HoldSkill(t);
                } else {
                    Tap(t, kSkill);
                    t.Step(qmtest::HeroTrace::kAttackDelay + 1);
                }
                if (falling != k.air) {
                    t.Step(4);
                    EXPECT_EQ(t.Rows(), Rows{});
                    continue;
                }
                const std::uint32_t row = hold ? k.hold : k.tap;
                ASSERT_FALSE(t.Rows().empty());
                EXPECT_EQ(t.Rows().front(), row);
                const auto first = std::find_if(t.Frames().begin(), t.Frames().end(),
                                                [](const qmtest::HeroTraceFrame& f) { return f.state == 19; });
                EXPECT_EQ(first->motion, hold ? k.holdMotion : k.tapMotion);
            }
        }
    }
}

TEST_F(HeroClasses, BHeldSkillIsAnAirSkillByItsRecordAndATapNeverIs)
{
    for (const auto& [subKind, air] : {std::pair{31, false}, {32, true}, {36, true}, {37, false}}) {
        for (const bool falling : {false, true}) {
            SCOPED_TRACE(testing::Message() << subKind << (falling ? " in the air" : " on the ground"));
            Traced held = Trace(kB, 2101, static_cast<std::uint8_t>(subKind), falling ? 50.0F : 0.0F);
            HoldSkill(*held.trace);
            EXPECT_EQ(held.trace->Rows(), air == falling ? Rows{53} : Rows{}) << "held";
            Traced tapped = Trace(kB, 2101, static_cast<std::uint8_t>(subKind), falling ? 50.0F : 0.0F);
            Tap(*tapped.trace, kSkill);
            tapped.trace->Step(4);
            EXPECT_EQ(tapped.trace->Rows(), falling ? Rows{} : Rows{51}) << "tapped";
        }
    }
}

TEST_F(HeroClasses, AnotherWeaponsSkillStartsAndReservesNothing)
{
    for (const auto& [c, id] : {std::pair{&kB, 2000u}, {&kB, 2015u}, {&kG, 2000u}, {&kG, 2015u}}) {
        for (const std::uint8_t subKind : {std::uint8_t{0}, std::uint8_t{32}}) {
            SCOPED_TRACE(testing::Message() << c->name << " " << id);
            std::unique_ptr<THero> hero = Make(*c);
            Slot(*c, id, subKind, 4);
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

TEST_F(HeroClasses, BGroundChargePlaysItsOwnMotions)
{
    Traced h = Trace(kB);
    h.trace->Hold(kAttack);
    ASSERT_TRUE(h.trace->StepUntilRow(33, 30));
    EXPECT_EQ(h.trace->Frames().back().motion, 57u);
    h.trace->Release(kAttack);
    ASSERT_TRUE(h.trace->StepUntilRow(34, 30));
    EXPECT_EQ(h.trace->Frames().back().motion, 40u);
    ASSERT_TRUE(h.trace->StepUntilState(0));
    EXPECT_EQ(h.trace->Rows(), (Rows{33, 34}));
}

TEST_F(HeroClasses, DPlungeLastsUntilTheLandingAndThenTakesAChargeOrEndsInIdle)
{
    for (const bool charge : {false, true}) {
        SCOPED_TRACE(charge);
        Traced h = Trace(kD);
        Tap(*h.trace, kJump);
        ASSERT_EQ(h.hero->GetState(), 4u);
        Tap(*h.trace, kAttack);
        ASSERT_TRUE(h.trace->StepUntilRow(33, 6));
        const std::size_t start = h.trace->Frames().size();
        ASSERT_TRUE(h.trace->StepUntilRow(34, 100));
        EXPECT_GT(h.trace->Frames().size() - start, 3u) << "well past the motion's three frames";
        EXPECT_LT(h.trace->Frames()[h.trace->Frames().size() - 2].height, 0.01F) << "until the ground";
        if (charge) {
            h.hero->SetReservedAction(1, 0);
        }
        ASSERT_TRUE(charge ? h.trace->StepUntilRow(31, 10) : h.trace->StepUntilState(0, 10));
        EXPECT_EQ(h.trace->Rows(), charge ? (Rows{33, 34, 31}) : (Rows{33, 34}));
    }
}

TEST_F(HeroClasses, ESkillsStartOnlyOnTheGroundAndTheirEndTakesAChargeRequest)
{
    for (const std::uint32_t id : {2600u, 2607u}) {
        const std::uint32_t tap = id == 2600 ? 41 : 69;
        for (const bool hold : {false, true}) {
            for (const bool falling : {false, true}) {
                SCOPED_TRACE(testing::Message() << id << " hold " << hold << " falling " << falling);
                Traced h = Trace(kE, id, 0, falling ? 50.0F : 0.0F);
                if (hold) {
                    HoldSkill(*h.trace);
                } else {
                    Tap(*h.trace, kSkill);
                    h.trace->Step(3);
                }
                EXPECT_EQ(h.trace->Rows(), falling ? Rows{} : Rows{hold ? tap + 2 : tap});
            }
        }
    }
    Traced h = Trace(kE, 2600);
    Tap(*h.trace, kSkill);
    ASSERT_TRUE(h.trace->StepUntilRow(41, 5));
    h.hero->SetReservedAction(1, 0);
    ASSERT_TRUE(h.trace->StepUntilRow(31, 12));
    EXPECT_EQ(h.trace->Rows(), (Rows{41, 31}));
    EXPECT_EQ(h.trace->Frames().back().motion, 51u);
}

TEST_F(HeroClasses, FAirSkillStartsOnlyInTheAirAndEndsOnlyOnTheLanding)
{
    for (const bool hold : {false, true}) {
        SCOPED_TRACE(hold);
        const std::uint32_t row = hold ? 65 : 63;
        Traced ground = Trace(kF, 2705);
        if (hold) {
            HoldSkill(*ground.trace);
        } else {
            Tap(*ground.trace, kSkill);
        }
        ground.trace->Step(4);
        EXPECT_TRUE(ground.trace->Rows().empty()) << "on the ground";

        Traced h = Trace(kF, 2705, 0, hold ? 20.0F : 3.0F);
        if (hold) {
            h.trace->Hold(kSkill);
        } else {
            Tap(*h.trace, kSkill);
        }
        ASSERT_TRUE(h.trace->StepUntilRow(row, 30));
        h.trace->Release(kSkill);
        const std::size_t start = h.trace->Frames().size();
        ASSERT_TRUE(h.trace->StepUntilRow(row + 1, 400));
        EXPECT_GT(h.trace->Frames().size() - start, 4u) << "past its motion";
        EXPECT_LT(h.trace->Frames()[h.trace->Frames().size() - 2].height, 0.01F) << "until the ground";
    }
}

TEST_F(HeroClasses, FLeapCannotFollowItselfButTakesTheAirSkill)
{
    for (const std::uint32_t request : {53u, 56u, 63u}) {
        SCOPED_TRACE(request);
        Traced h = Trace(kF, 2703);
        Tap(*h.trace, kSkill);
        ASSERT_TRUE(h.trace->StepUntilRow(54, 15));
        h.hero->SetReservedAction(2, request);
        ASSERT_TRUE(h.trace->StepUntilRow(request == 63 ? 63 : 55, 15));
    }
}

TEST_F(HeroClasses, FSecondChargeEndsTheChargeAndReleasesStartTheComboOrTheDashAttack)
{
    Traced h = Trace(kF);
    h.hero->StartAction(31);
    h.hero->SetReservedAction(1, 0);
    ASSERT_TRUE(h.trace->StepUntilState(0, 20));
    EXPECT_EQ(h.trace->Rows(), (Rows{31, 32}));

    for (const auto& [state, row] : {std::pair{3u, 37u}, std::pair{6u, 25u}, std::pair{16u, 25u}}) {
        std::unique_ptr<THero> other = Make(kF);
        other->SetState(state);
        other->OnAttackReleased();
        EXPECT_EQ(other->GetState(), 19u) << state;
        EXPECT_EQ(other->GetSubState(), row) << state;
    }
}

TEST_F(HeroClasses, KChargeByStateAndHeight)
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
        Traced h = Trace(kK);
        h.trace->PlaceAt(c.height);
        h.trace->Step();  // the height above the ground is measured
        h.hero->SetState(c.state);
        static_cast<TestHeroK&>(*h.hero).SetAttackHeldFrames(c.held);
        h.hero->OnAttackHeld();
        EXPECT_EQ(h.hero->GetState(), c.row == 0 ? c.state : 19u);
        if (c.row != 0) {
            EXPECT_EQ(h.hero->GetSubState(), c.row);
        }
    }
}

TEST_F(HeroClasses, KJumpAttackHoversAndTakesAnAirSkillAtItsEnd)
{
    for (const std::uint32_t request : {63u, 41u}) {
        SCOPED_TRACE(request);
        Traced h = Trace(kK);
        Tap(*h.trace, kJump);
        ASSERT_EQ(h.hero->GetState(), 4u);
        Tap(*h.trace, kAttack);
        ASSERT_TRUE(h.trace->StepUntilRow(33, 6));
        for (std::uint32_t i = 0; i < 6; ++i) {
            const qmtest::HeroTraceFrame& f = h.trace->Step();
            ASSERT_EQ(f.row, 33u) << i;
            EXPECT_EQ(f.verticalSpeed, 0.0F) << i;
        }
        h.hero->SetReservedAction(2, request);
        // An air skill starts; a ground one is dropped for the recovery.
        const std::uint32_t next = request == 63 ? 63u : 34u;
        ASSERT_TRUE(h.trace->StepUntilRow(next, 10));
        EXPECT_EQ(h.trace->Rows(), (Rows{33, next}));
    }
}


TEST_F(HeroClasses, GHoverStrikesHoldTheHeroUpForTheirWholeMotionAndALandingEndsThemAtOnce)
{
    // The tap's motion lasts 30 frames, the hold's 8; the last step of either starts the recovery.
    for (const auto& [hold, row, frames] : {std::tuple{false, 83u, 29}, std::tuple{true, 85u, 7}}) {
        SCOPED_TRACE(row);
        auto press = [&, hold = hold](qmtest::HeroTrace& t) {
            if (hold) {
                HoldSkill(t);
            } else {
                Tap(t, kSkill);
                t.Step(qmtest::HeroTrace::kAttackDelay + 1);
            }
        };
        Traced h = Trace(kG, 2808, 0, 50.0F);
        press(*h.trace);
        ASSERT_TRUE(h.trace->StepUntilRow(row + 1, 40));
        EXPECT_EQ(h.trace->Rows(), (Rows{row, row + 1}));
        std::vector<float> held;
        for (const qmtest::HeroTraceFrame& f : h.trace->Frames()) {
            if (f.state == 19 && f.row == row) {
                held.push_back(f.verticalSpeed);
            }
        }
        EXPECT_EQ(held, std::vector<float>(frames, 0.0F));

        // An attack queued, then the ground comes up to meet the hero.
        Traced low = Trace(kG, 2808, 0, 50.0F);
        qmtest::HeroTrace& t = *low.trace;
        press(t);
        ASSERT_EQ(t.Frames().back().row, row);
        low.hero->PushCommand(1);
        t.SetGround(t.Frames().back().height + 0.001F);
        t.Step(2);
        EXPECT_EQ(t.Frames().back().state, TPlayerCharacter::kStateLand);
        EXPECT_EQ(t.Frames().back().queued, 0u);
        EXPECT_EQ(t.Rows(), (Rows{row}));
    }
}

TEST_F(HeroClasses, LeapSkillsAirStepTakesAnAirSkillButNoLeap)
{
    for (const auto& [c, leapSkill, leap, airSkill, air] :
         {std::tuple{&kG, 2804u, 65u, 2808u, 83u}, std::tuple{&kI, 2305u, 70u, 2303u, 62u}}) {
        SCOPED_TRACE(c->name);
        for (const bool again : {true, false}) {
            Traced h = Trace(*c, leapSkill);
            Tap(*h.trace, kSkill);
            ASSERT_TRUE(h.trace->StepUntilRow(leap + 1, 15));
            if (!again) {
                Slot(*c, airSkill);
            }
            Tap(*h.trace, kSkill);
            const std::uint32_t next = again ? leap + 2 : air;
            ASSERT_TRUE(h.trace->StepUntilRow(next, 15)) << again;
            EXPECT_EQ(h.trace->Rows(), (Rows{leap, leap + 1, next}));
        }
    }
}

TEST_F(HeroClasses, LeapSkillsAirStepsByTapAndHoldTakeAHoverSkillButNoLeap)
{
    struct Case {
        const HeroClass* c;
        std::uint32_t skill;
        bool hold;
        std::uint32_t step;  // the leap is the row before, the else row the one after
    };
    const Case cases[] = {{&kG, 2804, false, 66}, {&kG, 2804, true, 69}, {&kI, 2305, false, 71},
                          {&kI, 2305, true, 74},  {&kI, 2307, false, 81}, {&kI, 2307, true, 84}};
    for (const Case& k : cases) {
        const Rows leaps = k.c == &kG ? Rows{65, 68} : Rows{70, 73, 80, 83};
        const std::uint32_t hover = k.c == &kG ? 83 : 62;
        Rows requests = leaps;
        requests.push_back(hover);
        for (const std::uint32_t request : requests) {
            SCOPED_TRACE(testing::Message() << k.step << " asked for " << request);
            Traced h = Trace(*k.c, k.skill);
            if (k.hold) {
                HoldSkill(*h.trace);
            } else {
                Tap(*h.trace, kSkill);
            }
            ASSERT_TRUE(h.trace->StepUntilRow(k.step, 15));
            h.hero->SetReservedAction(2, request);
            const std::uint32_t next = request == hover ? hover : k.step + 1;
            ASSERT_TRUE(h.trace->StepUntilRow(next, 20));
            EXPECT_EQ(h.trace->Rows(), (Rows{k.step - 1, k.step, next}));
        }
    }
}

TEST_F(HeroClasses, SecondChargeInTheChargeRecovers)
{
    for (const HeroClass* c : {&kG, &kJ}) {
        SCOPED_TRACE(c->name);
        Traced h = Trace(*c);
        h.trace->Hold(kAttack);
        ASSERT_TRUE(h.trace->StepUntilRow(35, 40));
        h.trace->Release(kAttack);
        h.trace->Step(qmtest::HeroTrace::kAttackDelay + 1);
        h.trace->Hold(kAttack);
        ASSERT_TRUE(h.trace->StepUntilRow(36, 40));
        EXPECT_EQ(h.trace->Rows(), (Rows{35, 36}));
    }
}

TEST_F(HeroClasses, AirHoldStartsTheAirChargeOnlyAboveItsHeight)
{
    // The centre 1.4 above the ground is the bound: below and at it refused, just above started.
    for (const auto& [c, row] : {std::pair{&kA, 41u}, std::pair{&kH, 40u}}) {
        for (const float above : {1.39F, 1.4F, 1.41F}) {
            SCOPED_TRACE(testing::Message() << c->name << " " << above);
            Traced h = Trace(*c);
            auto& hover = dynamic_cast<Hoverable&>(*h.hero);
            h.trace->PlaceAt(above - hover.CentreRise());
            h.hero->SetState(5);
            hover.Hover();
            h.trace->Hold(kAttack);
            h.trace->Step(qmtest::HeroTrace::kAttackDelay + THero::kHoldFrames + 2);
            EXPECT_EQ(h.trace->Rows(), above > 1.4F ? Rows{row} : Rows{});
        }
    }
}

TEST_F(HeroClasses, HLandedHitsCarryTheJumpAttackOnThroughItsFollowUps)
{
    // An attack queued in the jump attack turns into the follow-up when a hit lands.
    auto run = [&](bool hits) {
        Traced h = Trace(kH);
        qmtest::HeroTrace& t = *h.trace;
        t.PlaceAt(30.0F);
        h.hero->SetState(5);
        Tap(t, kAttack);
        EXPECT_TRUE(t.StepUntilRow(34, 6));
        for (const std::uint32_t next : {36u, 38u}) {
            Tap(t, kAttack);
            t.Step(qmtest::HeroTrace::kAttackDelay + 1);
            EXPECT_EQ(h.hero->GetCommandCount(), 1u);
            if (hits) {
                h.hero->OnHitDelivered(nullptr, 1, 10, 0);
                EXPECT_EQ(h.hero->GetFollowUpFlag(), 1u);
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

TEST_F(HeroClasses, BowGroundComboRepeatsTheSecondShotForEachOfTwoWaitingAttacks)
{
    Traced h = Trace(k08);
    qmtest::HeroTrace& t = *h.trace;
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilRow(25, 6));
    for (int i = 0; i < 4; ++i) {
        Tap(t, kAttack);
        t.Step();
    }
    t.Step(qmtest::HeroTrace::kAttackDelay + 1);
    ASSERT_EQ(t.Frames().back().row, 25u);
    EXPECT_EQ(h.hero->GetCommandCount(), 2u) << "the third and fourth presses are dropped";
    ASSERT_TRUE(t.StepUntilState(TPlayerCharacter::kStateIdle, 60));
    EXPECT_EQ(t.Rows(), (Rows{25, 27, 28}));
    const auto inSecond = std::count_if(t.Frames().begin(), t.Frames().end(),
                                        [](const qmtest::HeroTraceFrame& f) { return f.row == 27; });
    EXPECT_EQ(inSecond, 12) << "the six-frame second shot ran twice, once for each waiting attack";
}

TEST_F(HeroClasses, BowJumpShotsSinkSlowlyAndAQueuedAttackRepeatsTheSecond)
{
    Traced h = Trace(k08);
    qmtest::HeroTrace& t = *h.trace;
    t.PlaceAt(30.0F);
    h.hero->SetState(5);
    static_cast<TestHeroine08&>(*h.hero).SetFollowUpFlag(1);
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilRow(31, 6));
    EXPECT_EQ(h.hero->GetFollowUpFlag(), 1u) << "her jump shot clears nothing";
    t.Step(3);
    for (std::size_t i = t.Frames().size() - 3; i < t.Frames().size(); ++i) {
        EXPECT_FLOAT_EQ(t.Frames()[i].verticalSpeed, -0.01F) << i;
    }
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilRow(33, 12));
    EXPECT_EQ(h.hero->GetFollowUpFlag(), 0u) << "cleared at the step's end";
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilRow(34, 30)) << "the repeated shot ends in its recovery";
    EXPECT_EQ(t.Rows(), (Rows{31, 33, 34}));
    std::vector<float> inSecond;
    for (const qmtest::HeroTraceFrame& f : t.Frames()) {
        if (f.row == 33) {
            inSecond.push_back(f.verticalSpeed);
        }
    }
    ASSERT_EQ(inSecond.size(), 20u) << "the ten-frame shot ran twice";
    // Each run starts on the frame its predecessor's motion ended, which sets no speed; then it sinks.
    for (std::size_t i = 0; i < inSecond.size(); ++i) {
        if (i % 10 != 0) {
            EXPECT_FLOAT_EQ(inSecond[i], -0.01F) << i;
        }
    }

    // A landing ends either shot at once with the queue emptied.
    for (const std::uint32_t row : {31u, 33u}) {
        Traced low = Trace(k08);
        low.trace->PlaceAt(5.0F);
        low.hero->StartAction(row);
        low.trace->Step();
        low.hero->PushCommand(1);
        low.trace->SetGround(low.trace->Frames().back().height + 0.001F);
        low.trace->Step(2);
        EXPECT_EQ(low.trace->Frames().back().state, TPlayerCharacter::kStateLand) << row;
        EXPECT_EQ(low.hero->GetCommandCount(), 0u) << row;
        EXPECT_EQ(low.trace->Rows(), Rows{row});
    }
}

TEST_F(HeroClasses, BowAirChargeShotHoldsInTheAirAndASecondChargeRecovers)
{
    Traced h = Trace(k08);
    qmtest::HeroTrace& t = *h.trace;
    t.PlaceAt(30.0F);
    h.hero->SetState(5);
    t.Hold(kAttack);
    ASSERT_TRUE(t.StepUntilRow(35, 30));
    t.Release(kAttack);
    t.Step(2);
    EXPECT_FLOAT_EQ(t.Frames().back().verticalSpeed, 0.0F);
    h.hero->SetReservedAction(1, 0);
    ASSERT_TRUE(t.StepUntilRow(36, 15));
    EXPECT_EQ(t.Rows(), (Rows{35, 36}));
    EXPECT_EQ(h.hero->GetReservedKind(), 0u) << "used up";
}

}  // namespace
}  // namespace herotest
