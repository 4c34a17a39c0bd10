// The hero classes B to F and K: each table at both ends, the factory building each class, and what
// each class plays differently: combos, charges, plunges, leaps, hovering and air-only skills.
#include <gtest/gtest.h>

#include <algorithm>

#include "MainCode/Character/THeroB.h"
#include "MainCode/Character/THeroC.h"
#include "MainCode/Character/THeroD.h"
#include "MainCode/Character/THeroE.h"
#include "MainCode/Character/THeroF.h"
#include "MainCode/Character/THeroK.h"
#include "hero_fixture.h"

namespace herotest {
namespace {

using Rows = std::vector<std::uint32_t>;
using K = THeroKind;

class TestHeroK : public THeroK {
public:
    using THeroK::THeroK;
    void SetAttackHeldFrames(std::uint32_t n) { m_holdCountA = n; }
};

struct HeroClass {
    const char* name;
    const THeroClassDef& (*def)();
    std::uint32_t character;
    std::uint32_t weaponId;
    const char* model;
    // Motion frames written over 4 for the model; none: the fixture's hero01 stays.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> frames;
    std::unique_ptr<THero> (*make)(const TCharacterRecord&);
    bool (*is)(TPlayerCharacter*);
    std::uint8_t skillType;
    // The table as transcribed.
    std::uint32_t weaponType, rowCount, chargeAction;
    bool followUp;
    Rows attack;  // ground, dash, air release; ground, dash, air hold
    bool airReleaseClears;
    THeroHitLanded hitLanded;
    THeroSkillHold skillHold;
    std::uint32_t skillCount;
    THeroSkillPair firstSkill, lastSkill;
    Rows airRows;
    std::vector<std::pair<std::uint32_t, THeroRow>> rows;
    std::uint32_t foreignSkill;  // another weapon's skill, of that weapon's type
    std::uint8_t foreignType;
};

template <typename T>
bool Is(TPlayerCharacter* p)
{
    return dynamic_cast<T*>(p) != nullptr;
}

const HeroClass kB{"B", &THeroB::GetDef, 0, 1001, "hero01", {},
                   [](const TCharacterRecord& r) -> std::unique_ptr<THero> {
                       return std::make_unique<THeroB>(nullptr, 0, r, "hero01");
                   },
                   &Is<THeroB>, 5, 1, 87, 33, true, {25, 43, 35, 33, 45, 41}, true, THeroHitLanded::Standard,
                   THeroSkillHold::AirByRecord, 15, {2100, 47, 49}, {2109, 83, 85}, {},
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
                   [](const TCharacterRecord& r) -> std::unique_ptr<THero> {
                       return std::make_unique<THeroC>(nullptr, 0, r, "hero02");
                   },
                   &Is<THeroC>, 6, 2, 109, 35, true, {25, 45, 37, 35, 47, 43}, true, THeroHitLanded::HopsOnly,
                   THeroSkillHold::Shared, 19, {2200, 49, 51}, {2213, 105, 107}, {67, 69, 71, 73, 93, 95, 97, 99},
                   {{31, {43, K::ComboStep, 33, 35, 32}}, {33, {45, K::FixedChain, 0, 35, 34}},
                    {35, {58, K::SkillChain, 0, 0, 36}}, {91, {89, K::AirComboStep, 37, 43, 92, 87, 90}},
                    {108, {64, K::Recover}}},
                   2100, 5};
const HeroClass kD{"D", &THeroD::GetDef, 0, 1005, "hero04",
                   {{37, 30}, {39, 12}, {41, 12}, {43, 3}, {44, 6}, {60, 5}, {61, 8}},
                   [](const TCharacterRecord& r) -> std::unique_ptr<THero> {
                       return std::make_unique<THeroD>(nullptr, 0, r);
                   },
                   &Is<THeroD>, 9, 5, 93, 31, false, {25, 37, 33, 31, 39, 35}, false, THeroHitLanded::RingsOnly,
                   THeroSkillHold::Shared, 17, {2500, 41, 43}, {2511, 89, 91}, {59, 61, 81, 83},
                   {{29, {41, K::FixedChain, 0, 31, 30}}, {33, {43, K::StrikeUntilLanding, 34}},
                    {34, {44, K::FixedChainOrRecover, 0, 31}}, {84, {111, K::ChainOrRecover}},
                    {91, {118, K::Chain, 0, 0, 92, 89, 91}}, {92, {50, K::Recover}}},
                   2200, 6};
const HeroClass kE{"E", &THeroE::GetDef, 0, 1006, "hero04", {{69, 8}, {70, 8}},
                   [](const TCharacterRecord& r) -> std::unique_ptr<THero> {
                       return std::make_unique<THeroE>(nullptr, 0, r);
                   },
                   &Is<THeroE>, 10, 6, 73, 31, false, {25, 37, 33, 31, 39, 35}, false, THeroHitLanded::RingsOnly,
                   THeroSkillHold::Shared, 13, {2600, 41, 43}, {2607, 69, 71}, {},
                   {{31, {51, K::SkillChain, 0, 0, 32}}, {32, {40, K::Recover}},
                    {41, {69, K::Chain, 0, 0, 42, 41, 43}}, {71, {119, K::Chain, 0, 0, 72, 69, 71}},
                    {72, {50, K::Recover}}},
                   2500, 9};
const HeroClass kF{"F", &THeroF::GetDef, 0, 1007, "hero04", {{52, 8}, {84, 5}, {85, 8}, {104, 3}},
                   [](const TCharacterRecord& r) -> std::unique_ptr<THero> {
                       return std::make_unique<THeroF>(nullptr, 0, r);
                   },
                   &Is<THeroF>, 11, 7, 75, 31, false, {25, 37, 33, 31, 39, 35}, false, THeroHitLanded::Plain,
                   THeroSkillHold::Shared, 13, {2700, 41, 43}, {2707, 71, 73}, {63, 65},
                   {{31, {52, K::SkillChain, 0, 0, 32}}, {54, {85, K::AirComboStep, 33, 35, 55, 53, 56}},
                    {57, {87, K::AirComboStep, 33, 35, 58, 53, 56}}, {66, {107, K::ChainOrRecover}},
                    {73, {120, K::Chain, 0, 0, 74, 71, 73}}, {74, {42, K::Recover}}},
                   2600, 10};
const HeroClass kK{"K", &THeroK::GetDef, 1, 1009, "heroine06", {{43, 10}, {65, 10}},
                   [](const TCharacterRecord& r) -> std::unique_ptr<THero> {
                       return std::make_unique<TestHeroK>(nullptr, 1, r);
                   },
                   &Is<THeroK>, 13, 9, 83, 31, false, {25, 37, 33, 31, 39, 35}, false, THeroHitLanded::RingsOnly,
                   THeroSkillHold::Shared, 15, {2900, 41, 43}, {2909, 79, 81}, {59, 61, 63, 65, 71, 73, 79, 81},
                   {{32, {42, K::Recover}}, {33, {43, K::HoverStrikeWithSkill, 0, 35, 34}},
                    {34, {44, K::SteeredAirRecovery}}, {41, {50, K::Chain, 0, 0, 42, 41, 43}},
                    {81, {74, K::HoverStrike, 0, 35, 82}}, {82, {63, K::AirRecovery}}},
                   2700, 11};
const HeroClass* const kClasses[] = {&kB, &kC, &kD, &kE, &kF, &kK};

Rows Fields(const THeroRow& r) { return {r.Motion, r.X, r.Y, r.C, r.A, r.B, r.P, r.Q}; }

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
        return c.make(*record);
    }
    // Skill `id` of the class's type (or `type`) in the class's character's selected slot.
    void Slot(const HeroClass& c, std::uint32_t id, std::uint8_t subKind = 0, std::uint8_t type = 0)
    {
        TSkillRecord& skill = TSkillTable::Get(id);
        skill.Type = type != 0 ? type : c.skillType;
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

TEST_F(HeroClasses, TablesAsTranscribedAndTheFactoryBuildsEachClass)
{
    for (const HeroClass* c : kClasses) {
        SCOPED_TRACE(c->name);
        const THeroClassDef& d = c->def();
        ASSERT_EQ(d.RowCount, c->rowCount);
        EXPECT_EQ(d.WeaponType, c->weaponType);
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
        for (const auto& [got, want] :
             {std::pair{d.Skills[5], c->firstSkill}, {d.Skills[d.SkillCount - 1], c->lastSkill}}) {
            EXPECT_EQ(Rows({got.Id, got.Tap, got.Hold}), Rows({want.Id, want.Tap, want.Hold}));
        }
        EXPECT_EQ(d.AirActionCount, c->airRows.size());

        std::unique_ptr<THero> hero = Make(*c);
        EXPECT_EQ(hero->GetBodyMesh()->GetName(), c->model);
        for (std::uint32_t n = 0; n < c->rowCount; ++n) {
            EXPECT_EQ(hero->IsAirAction(n), std::count(c->airRows.begin(), c->airRows.end(), n) == 1) << n;
        }
        for (const THeroSkillPair& s : {c->firstSkill, c->lastSkill}) {
            TSkillTable::Get(s.Id).Type = c->skillType;
            EXPECT_EQ(hero->GetSkillAction(s.Id, 0), static_cast<std::int32_t>(s.Tap)) << s.Id;
            EXPECT_EQ(hero->GetSkillAction(s.Id, 1), static_cast<std::int32_t>(s.Hold)) << s.Id;
        }
        TSkillTable::Get(c->foreignSkill).Type = c->foreignType;
        EXPECT_EQ(hero->GetSkillAction(c->foreignSkill, 0), -1) << "another weapon's skill";

        TRefPtr<TPlayerCharacter> made = CreatePlayerCharacter(nullptr, c->character);
        ASSERT_NE(made.Get(), nullptr);
        EXPECT_TRUE(c->is(made.Get()));
        EXPECT_EQ(&dynamic_cast<THero*>(made.Get())->GetClassDef(), &d);
        EXPECT_EQ(made->GetBodyMesh()->GetName(), c->model);
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

TEST_F(HeroClasses, ReleasesInRhythmRunTheComboAndOneMoreIsDropped)
{
    for (const auto& [c, combo, end] : {std::tuple{&kC, Rows{25, 27, 29, 31, 33}, 34u},
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
        EXPECT_EQ(h.hero->GetCommandCount(), 0u);
    }
}

TEST_F(HeroClasses, LeapSkillsGoOnWithTheAirAttack)
{
    for (const auto& [c, skill, leap, air] : {std::tuple{&kC, 2203u, 61u, 37u}, std::tuple{&kD, 2503u, 53u, 33u}}) {
        SCOPED_TRACE(c->name);
        Traced h = Trace(*c, skill);
        Tap(*h.trace, kSkill);
        ASSERT_TRUE(h.trace->StepUntilRow(leap, 5));
        ASSERT_TRUE(h.trace->StepUntilRow(leap + 1, 10));
        Tap(*h.trace, kAttack);
        ASSERT_TRUE(h.trace->StepUntilRow(air, 12));
        EXPECT_EQ(h.trace->Rows(), (Rows{leap, leap + 1, air}));
        EXPECT_GT(h.trace->Frames().back().height, 0.5F) << "in the air";
        EXPECT_EQ(h.hero->GetFollowUpFlag(), 0u);
    }
}

TEST_F(HeroClasses, AirSkillsStartOnlyInAJumpAndTheHoveringOnesHoldTheVerticalSpeed)
{
    const std::tuple<const HeroClass*, std::uint32_t, std::uint32_t, std::uint32_t> cases[] = {
        {&kC, 2204, 67, 8}, {&kC, 2205, 71, 8}, {&kC, 2210, 93, 8}, {&kC, 2211, 97, 8}, {&kK, 2905, 63, 0}};
    for (const auto& [c, skill, row, hover] : cases) {
        SCOPED_TRACE(skill);
        Traced h = Trace(*c, skill);
        Tap(*h.trace, kSkill);
        h.trace->Step(6);
        EXPECT_TRUE(h.trace->Rows().empty()) << "on the ground";
        Tap(*h.trace, kJump);
        ASSERT_EQ(h.hero->GetState(), 4u);
        Tap(*h.trace, kSkill);
        ASSERT_TRUE(h.trace->StepUntilRow(row, 6));
        for (std::uint32_t i = 0; i < hover; ++i) {
            const qmtest::HeroTraceFrame& f = h.trace->Step();
            ASSERT_EQ(f.row, row) << i;
            EXPECT_EQ(f.verticalSpeed, 0.0F) << i;
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

TEST_F(HeroClasses, BAnotherWeaponsSkillStartsAndReservesNothing)
{
    for (const std::uint32_t id : {2000u, 2015u}) {
        for (const std::uint8_t subKind : {std::uint8_t{0}, std::uint8_t{32}}) {
            SCOPED_TRACE(id);
            std::unique_ptr<THero> hero = Make(kB);
            Slot(kB, id, subKind, 4);
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

}  // namespace
}  // namespace herotest
