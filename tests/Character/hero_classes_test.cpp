// Every hero class from one table: each class's tables checked whole by their sums, its lookups at
// their bounds; then what each class plays differently: combos, charges, plunges, leaps, hovering,
// air-only skills and the bow heroine's shots.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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
#include "support/character_probe.h"

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
std::unique_ptr<THero> MakeAs(const TPlayerFieldLinks& links, const TCharacterRecord& r, std::uint32_t character,
                              const char* model)
{
    if constexpr (std::is_constructible_v<T, const TPlayerFieldLinks&, std::uint32_t, const TCharacterRecord&>) {
        return std::make_unique<T>(links, character, r);
    } else {
        return std::make_unique<T>(links, character, r, model);
    }
}

using Frames = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
// A whole class table in twelve numbers: rows; their motions, and by row; their kinds (by the
// enum's order) by row; their links (X + 3Y + 5c + 7a + 11b + 13p + 17q), and by row; skills, their
// ids, their tap and hold rows by place in the map (from 1); air actions and their sum. Worked out
// from the class tables, not from this code, so a slip in any row, link, skill pair or air action
// shows.
using Sums = std::array<std::uint64_t, 12>;

Sums SumsOf(const THeroClassDef& d)
{
    Sums s{d.RowCount, 0, 0, 0, 0, 0, d.SkillCount, 0, 0, 0, d.AirActionCount, 0};
    for (std::uint64_t i = 0; i < d.RowCount; ++i) {
        const THeroRow& r = d.Rows[i];
        const std::uint64_t links = r.X + 3 * r.Y + 5 * r.C + 7 * r.A + 11 * r.B + 13 * r.P + 17 * r.Q;
        s[1] += r.Motion;
        s[2] += i * r.Motion;
        s[3] += i * static_cast<std::uint64_t>(r.Kind);
        s[4] += links;
        s[5] += i * links;
    }
    for (std::uint64_t i = 0; i < d.SkillCount; ++i) {
        s[7] += d.Skills[i].Id;
        s[8] += (i + 1) * d.Skills[i].Tap;
        s[9] += (i + 1) * d.Skills[i].Hold;
    }
    for (std::uint32_t i = 0; i < d.AirActionCount; ++i) {
        s[11] += d.AirActions[i];
    }
    return s;
}

struct HeroClass {
    const char* name;
    std::uint32_t character;
    std::uint32_t weaponId;  // 1000 + the weapon type; its skills are typed 4 + the weapon type
    const char* model;
    Frames frames;  // motion frames written over 4 for the model; none: the fixture's hero01 stays
    std::unique_ptr<THero> (*make)(const TPlayerFieldLinks&, const TCharacterRecord&, std::uint32_t, const char*);
    std::uint32_t queue, chargeAction;
    bool followUp;
    Rows attack;  // ground, dash, air release; ground, dash, air hold
    bool airReleaseClears;
    THeroHitLanded hitLanded;
    THeroSkillHold skillHold;
    Sums sums;
    std::uint32_t foreignSkill;  // another weapon's skill, of that weapon's type
    std::uint8_t foreignType;
};

std::uint8_t SkillType(const HeroClass& c) { return static_cast<std::uint8_t>(c.weaponId - 1000 + 4); }

using HL = THeroHitLanded;
using SH = THeroSkillHold;
const HeroClass kA{"A", 0, 1000, "hero01", {}, &MakeAs<Hovering<TestHeroA>>, 10, 33,
                   true, {25, 43, 35, 33, 45, 41}, true, HL::Standard, SH::Shared,
                   {117, 7209, 511135, 65434, 54815, 4528683, 21, 32135, 18681, 19192, 8, 600}, 2100, 5};
const HeroClass kB{"B", 0, 1001, "hero01", {}, &MakeAs<THeroB>, 10, 33, true,
                   {25, 43, 35, 33, 45, 41}, true, HL::Standard, SH::AirByRecord,
                   {87, 4675, 247969, 24163, 35385, 2248914, 15, 21060, 7390, 7630, 0, 0}, 2000, 4};
const HeroClass kC{"C", 0, 1002, "hero02",
                   {{37, 30}, {39, 12}, {41, 12}, {43, 12}, {45, 12}, {69, 5}, {70, 8}, {74, 10}, {76, 10},
                    {90, 10}, {92, 10}},
                   &MakeAs<THeroC>, 10, 35, true, {25, 45, 37, 35, 47, 43}, true, HL::HopsOnly,
                   SH::Shared, {109, 6154, 397638, 60711, 45951, 3491622, 19, 30906, 14700, 15104, 8, 664}, 2100, 5};
const HeroClass kD{"D", 0, 1005, "hero04",
                   {{37, 30}, {39, 12}, {41, 12}, {43, 3}, {44, 6}, {60, 5}, {61, 8}}, &MakeAs<THeroD>,
                   10, 31, false, {25, 37, 33, 31, 39, 35}, false, HL::RingsOnly, SH::Shared,
                   {93, 5104, 291011, 32136, 32999, 2214603, 17, 30081, 9841, 10169, 4, 284}, 2200, 6};
const HeroClass kE{"E", 0, 1006, "hero04", {{69, 8}, {70, 8}}, &MakeAs<THeroE>, 10,
                   31, false, {25, 37, 33, 31, 39, 35}, false, HL::RingsOnly, SH::Shared,
                   {73, 3615, 161719, 15134, 22499, 1249225, 13, 20843, 4583, 4765, 0, 0}, 2500, 9};
const HeroClass kF{"F", 0, 1007, "hero04", {{52, 8}, {84, 5}, {85, 8}, {104, 3}},
                   &MakeAs<THeroF>, 10, 31, false, {25, 37, 33, 31, 39, 35}, false, HL::Plain,
                   SH::Shared, {75, 3965, 185752, 19433, 20459, 1143144, 13, 21643, 4675, 4866, 2, 128}, 2600, 10};
const HeroClass kG{"G", 0, 1008, "hero05", {{85, 30}, {87, 8}, {70, 5}, {71, 8}, {58, 12}},
                   &MakeAs<THeroG>, 10, 35, true, {25, 45, 37, 35, 47, 43}, true, HL::Standard,
                   SH::Shared, {91, 4828, 265010, 35570, 31665, 2021691, 15, 28060, 7730, 7980, 4, 320}, 2000, 4};
const HeroClass kH{"H", 0, 1010, "hero07", {{53, 5}, {54, 10}, {43, 6}, {45, 8}, {71, 8}},
                   &MakeAs<Hovering<THeroH>>, 10, 31, true, {25, 42, 34, 31, 44, 40}, true,
                   HL::Standard, SH::Shared,
                   {78, 3495, 158859, 24408, 25100, 1412216, 13, 24043, 4963, 5145, 2, 142}, 2800, 12};
const HeroClass kI{"I", 1, 1003, "heroine03", {{56, 5}, {57, 10}, {84, 5}, {85, 12}, {67, 8}},
                   &MakeAs<THeroI>, 10, 35, true, {25, 46, 38, 35, 48, 44}, true, HL::Standard,
                   SH::Shared, {102, 5671, 353794, 66398, 32380, 2197778, 17, 27681, 11041, 11371, 12, 976}, 2400, 8};
const HeroClass kJ{"J", 1, 1004, "heroine03", {{59, 12}, {80, 3}}, &MakeAs<THeroJ>,
                   10, 35, true, {25, 45, 37, 35, 47, 43}, true, HL::Standard, SH::Shared,
                   {85, 4607, 242968, 33957, 25461, 1555434, 13, 19243, 5327, 5529, 4, 272}, 2300, 7};
const HeroClass kK{"K", 1, 1009, "heroine06", {{43, 10}, {65, 10}}, &MakeAs<TestHeroK>,
                   10, 31, false, {25, 37, 33, 31, 39, 35}, false, HL::RingsOnly, SH::Shared,
                   {83, 3820, 186359, 37989, 21523, 1253787, 15, 29060, 6910, 7159, 8, 552}, 2700, 11};
const HeroClass k08{"08", 1, 1011, "heroine08",
                    {{37, 30}, {39, 6}, {40, 10}, {42, 10}, {43, 10}}, &MakeAs<TestHeroine08>, 3,
                    29, true, {25, 37, 31, 29, 39, 35}, false, HL::RingsOnly, SH::Shared,
                    {75, 3123, 134400, 27607, 19418, 1070097, 13, 24843, 4693, 4883, 4, 256}, 3000, 14};
const HeroClass* const kClasses[] = {&kA, &kB, &kC, &kD, &kE, &kF, &kG, &kH, &kI, &kJ, &kK, &k08};

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
        return c.make(links_, *record, c.character, c.model);
    }
    // Skill `id` of the class's type (or `type`) in the class's character's selected slot.
    void Slot(const HeroClass& c, std::uint32_t id, std::uint8_t subKind = 0, std::uint8_t type = 0)
    {
        TSkillRecord& skill = TSkillTable::Get(id);
        skill.Type = type != 0 ? type : SkillType(c);
        skill.SubKind = subKind;
        data_->GetCharacterData(c.character)->SkillSlot[0] = id;
        gauge_->SetSelection(0);
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

TEST_F(HeroClasses, TablesAsTranscribedWholeByTheirSums)
{
    for (const HeroClass* c : kClasses) {
        SCOPED_TRACE(c->name);
        // The table the class hands its hero when made.
        const std::unique_ptr<THero> hero = Make(*c);
        const THeroClassDef& d = TCharacterProbe::Def(*hero);
        EXPECT_EQ(SumsOf(d), c->sums);
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
    }
    // The rows and the commands every class shares, summed alone: motions 19..36 by row, executors
    // (1 and 2 the pattern skills, 3 shared, 4 recover) by row, the command rows by skill id.
    Sums common{};
    for (std::uint64_t i = 0; i < 25; ++i) {
        common[1] += g_heroCommonRows[i].Motion;
        common[2] += i * g_heroCommonRows[i].Motion;
        common[3] += i * static_cast<std::uint64_t>(g_heroCommonRows[i].Kind);
    }
    for (std::uint64_t i = 0; i < 5; ++i) {
        EXPECT_EQ(g_heroCommonSkills[i].Id, i + 1);
        common[8] += (i + 1) * g_heroCommonSkills[i].Tap;
        common[9] += (i + 1) * g_heroCommonSkills[i].Hold;
    }
    EXPECT_EQ(common, (Sums{0, 660, 9102, 1051, 0, 0, 0, 0, 235, 265, 0, 0}));
}

TEST_F(HeroClasses, LookupsAtTheirBounds)
{
    for (const HeroClass* c : kClasses) {
        SCOPED_TRACE(c->name);
        std::unique_ptr<THero> hero = Make(*c);
        const THeroClassDef& d = TCharacterProbe::Def(*hero);
        EXPECT_EQ(hero->GetBodyMesh()->GetName(), c->model);
        for (std::uint32_t n = 0; n < d.RowCount; ++n) {
            const bool air = std::count(d.AirActions, d.AirActions + d.AirActionCount, n) == 1;
            EXPECT_EQ(hero->IsAirAction(n), air) << n;
            EXPECT_EQ(hero->IsChainBlocked(n), air) << n;
        }
        // Every command of the maps, one past the class's skills, and another weapon's.
        for (std::uint32_t i = 0; i < d.SkillCount; ++i) {
            const THeroSkillPair& s = d.Skills[i];
            TSkillTable::Get(s.Id).Type = i < 5 ? 0 : SkillType(*c);
            EXPECT_EQ(hero->GetSkillAction(s.Id, 0), static_cast<std::int32_t>(s.Tap)) << s.Id;
            EXPECT_EQ(hero->GetSkillAction(s.Id, 1), static_cast<std::int32_t>(s.Hold)) << s.Id;
        }
        const std::uint32_t past = d.Skills[d.SkillCount - 1].Id + 1;
        TSkillTable::Get(past).Type = SkillType(*c);
        EXPECT_EQ(hero->GetSkillAction(past, 0), 0) << "past the class's skills";
        TSkillTable::Get(c->foreignSkill).Type = c->foreignType;
        EXPECT_EQ(hero->GetSkillAction(c->foreignSkill, 0), -1) << "another weapon's skill";
        EXPECT_EQ(hero->GetChainAction(), c->chargeAction);
        // The last row starts; one past it is ignored.
        hero->StartAction(d.RowCount - 1);
        EXPECT_EQ(hero->GetState(), 19u);
        EXPECT_EQ(TCharacterProbe::SubState(*hero), d.RowCount - 1);
        EXPECT_EQ(hero->GetBodyMesh()->GetMorphIndex(), d.Rows[d.RowCount - 1].Motion);
        hero->SetState(0);
        hero->StartAction(d.RowCount);
        EXPECT_EQ(hero->GetState(), 0u) << "past the table";
    }
}

TEST_F(HeroClasses, AMapsEveryIdItIsAskedAndSendsThePatternSkillsToTheDispatchers)
{
    std::unique_ptr<THero> hero = Make(kA);
    const auto& a = static_cast<const TestHeroA&>(*hero);
    EXPECT_EQ(a.MapSizes(), (std::pair<std::size_t, std::size_t>{21, 21}));
    // Past the class's skills: 0, and the id stays in the map so.
    TSkillTable::Get(2016).Type = 4;
    EXPECT_EQ(hero->GetSkillAction(2016, 0), 0);
    EXPECT_EQ(a.MapSizes(), (std::pair<std::size_t, std::size_t>{22, 21}));
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
        EXPECT_EQ(TCharacterProbe::SubState(*hero), 116u) << n << " leaves the running action";
    }
    // Row 0 has no executor: the hero stays in the action state doing nothing.
    hero->StartAction(0);
    EXPECT_EQ(hero->GetState(), 19u);
    EXPECT_EQ(TCharacterProbe::SubState(*hero), 0u);
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
        EXPECT_EQ(TCharacterProbe::CommandCount(*h.hero), 0u) << "and dropped with the recovery";
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
        EXPECT_EQ(TCharacterProbe::FollowUpFlag(*h.hero), 0u);
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
    // One skill of each air kind; which rows are air rows the tables' sums hold.
    const Case cases[] = {{&kA, 2004, 65, 0, 66}, {&kC, 2204, 67, 8, 0}, {&kK, 2905, 63, 8, 0}};
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
    // The rows and motions are the tables'; these show the rule of place for an air and a ground skill.
    const Case cases[] = {{&kG, 2806, true, 75, 78, 77, 80}, {&kJ, 2407, false, 81, 110, 83, 110}};
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
            EXPECT_EQ(TCharacterProbe::ReservedKind(*hero), 0u);
        }
    }
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
        EXPECT_EQ(TCharacterProbe::SubState(*other), row) << state;
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
            EXPECT_EQ(TCharacterProbe::SubState(*h.hero), c.row);
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
            EXPECT_EQ(TCharacterProbe::CommandCount(*h.hero), 1u);
            if (hits) {
                h.hero->OnHitDelivered(nullptr, 1, 10, 0);
                EXPECT_EQ(TCharacterProbe::FollowUpFlag(*h.hero), 1u);
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
    EXPECT_EQ(TCharacterProbe::CommandCount(*h.hero), 2u) << "the third and fourth presses are dropped";
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
    EXPECT_EQ(TCharacterProbe::FollowUpFlag(*h.hero), 1u) << "her jump shot clears nothing";
    t.Step(3);
    for (std::size_t i = t.Frames().size() - 3; i < t.Frames().size(); ++i) {
        EXPECT_FLOAT_EQ(t.Frames()[i].verticalSpeed, -0.01F) << i;
    }
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilRow(33, 12));
    EXPECT_EQ(TCharacterProbe::FollowUpFlag(*h.hero), 0u) << "cleared at the step's end";
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
        EXPECT_EQ(TCharacterProbe::CommandCount(*low.hero), 0u) << row;
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
    EXPECT_EQ(TCharacterProbe::ReservedKind(*h.hero), 0u) << "used up";
}

}  // namespace
}  // namespace herotest
