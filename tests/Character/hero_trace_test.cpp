// THeroA stepped frame by frame: the hold threshold, the ground combo, charges on the ground and in
// the air, the air follow-up, the leap skill, the air-only skill, skills that start nothing, a
// skill reserved during an action, the pattern skills, the time stop and the town step.
#include <gtest/gtest.h>

#include <cmath>

#include "MainCode/Character/TVillager.h"
#include "MainCode/Script/TVillagerInfoModule.h"
#include "hero_fixture.h"
#include "support/character_probe.h"
#include "support/dx_probe.h"
#include "support/hud_probe.h"

namespace herotest {
namespace {

using Rows = std::vector<std::uint32_t>;

class HeroTraceTest : public HeroFixture {};

TEST_F(HeroTraceTest, HoldFiresOnTheTwentiethFrameAfterThePressAndItsReleaseFiresNothing)
{
    std::unique_ptr<TestHeroA> hero = MakeA();
    qmtest::HeroTrace t(*hero, *input_);
    t.Hold(kAttack);
    t.Step(qmtest::HeroTrace::kAttackDelay + 1);
    ASSERT_EQ(TCharacterProbe::HoldCountA(*hero), 1u) << "the press is seen";
    t.Step(19);
    EXPECT_EQ(TCharacterProbe::HoldCountA(*hero), 20u);
    EXPECT_EQ(hero->GetState(), 0u) << "one frame short of the threshold";
    const qmtest::HeroTraceFrame& fired = t.Step();
    EXPECT_EQ(fired.state, 19u);
    EXPECT_EQ(fired.row, 33u) << "the ground charge";
    EXPECT_EQ(fired.motion, 56u);
    EXPECT_EQ(TCharacterProbe::HoldCountA(*hero), THero::kHeldMark);

    t.Release(kAttack);
    ASSERT_TRUE(t.StepUntilState(0));
    EXPECT_EQ(t.Rows(), (Rows{33, 34}));
    EXPECT_EQ(TCharacterProbe::HoldCountA(*hero), 0u);
    for (const qmtest::HeroTraceFrame& f : t.Frames()) {
        EXPECT_EQ(f.queued, 0u) << "the release after the hold queues nothing";
    }
}

TEST_F(HeroTraceTest, ReleaseBeforeTheThresholdTaps)
{
    std::unique_ptr<TestHeroA> hero = MakeA();
    qmtest::HeroTrace t(*hero, *input_);
    t.Hold(kAttack);
    t.Step(qmtest::HeroTrace::kAttackDelay + 1 + 17);
    t.Release(kAttack);
    t.Step(qmtest::HeroTrace::kAttackDelay);
    EXPECT_EQ(TCharacterProbe::HoldCountA(*hero), 20u);
    EXPECT_EQ(hero->GetState(), 0u);
    const qmtest::HeroTraceFrame& tapped = t.Step();
    EXPECT_EQ(tapped.state, 19u);
    EXPECT_EQ(tapped.row, 25u);
    EXPECT_EQ(tapped.motion, 37u);
}

TEST_F(HeroTraceTest, HoldDuringAGroundRowStartsTheChargeAtItsEnd)
{
    std::unique_ptr<TestHeroA> hero = MakeA();
    qmtest::HeroTrace t(*hero, *input_);
    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilRow(25));
    t.Hold(kAttack);
    t.Step(qmtest::HeroTrace::kAttackDelay + 1 + 20);
    EXPECT_EQ(TCharacterProbe::SubState(*hero), 25u) << "the row runs on";
    EXPECT_EQ(TCharacterProbe::ReservedKind(*hero), 1u);
    t.Release(kAttack);
    ASSERT_TRUE(t.StepUntilState(0));
    EXPECT_EQ(t.Rows(), (Rows{25, 33, 34}));
}

TEST_F(HeroTraceTest, ChargeDuringAnAirStrikeStartsOnlyWellAboveTheGround)
{
    std::unique_ptr<TestHeroA> high = MakeA();
    qmtest::HeroTrace h(*high, *input_);
    h.PlaceAt(10.0F);
    high->StartAction(35);
    high->SetReservedAction(1, 0);
    ASSERT_TRUE(h.StepUntilRow(41, 20));
    EXPECT_EQ(h.Rows(), (Rows{35, 41}));

    // 1.3 above: the charge is lost and the strike recovers.
    std::unique_ptr<TestHeroA> low = MakeA();
    qmtest::HeroTrace l(*low, *input_);
    l.PlaceAt(0.6F);
    low->SetFollowUpFlag(1);
    low->StartAction(35);
    low->SetReservedAction(1, 0);
    l.Step(6);
    EXPECT_EQ(TCharacterProbe::SubState(*low), 35u);
    EXPECT_EQ(TCharacterProbe::ReservedKind(*low), 0u) << "used up";
    EXPECT_EQ(TCharacterProbe::FollowUpFlag(*low), 0u) << "cleared all the same";
    l.Step();
    EXPECT_EQ(l.Rows(), (Rows{35, 36}));
}

TEST_F(HeroTraceTest, LandedAirHitsWithAQueuedAttackContinueTheAirCombo)
{
    std::unique_ptr<TestHeroA> hero = MakeA();
    qmtest::HeroTrace t(*hero, *input_);
    t.PlaceAt(10.0F);
    hero->StartAction(35);
    t.Step();
    hero->PushCommand(1);
    hero->OnHitDelivered(nullptr, 1, 10, 0);
    EXPECT_EQ(TCharacterProbe::FollowUpFlag(*hero), 1u);
    EXPECT_EQ(TCharacterProbe::CommandCount(*hero), 0u) << "the queued attack is used up";
    ASSERT_TRUE(t.StepUntilRow(37, 10));
    EXPECT_EQ(TCharacterProbe::FollowUpFlag(*hero), 0u);
    hero->PushCommand(1);
    hero->OnHitDelivered(nullptr, 2, 10, 0);
    ASSERT_TRUE(t.StepUntilRow(39, 10));
    t.StepUntilRow(40, 10);
    EXPECT_EQ(t.Rows(), (Rows{35, 37, 39, 40}));

    // A queued attack without a landed hit is not used by 35 or 37.
    for (std::uint32_t row : {35u, 37u}) {
        std::unique_ptr<TestHeroA> plain = MakeA();
        qmtest::HeroTrace p(*plain, *input_);
        p.PlaceAt(10.0F);
        plain->StartAction(row);
        plain->PushCommand(1);
        p.Step(8);
        EXPECT_EQ(p.Rows(), (Rows{row, row + 1}));
    }
}

TEST_F(HeroTraceTest, SkillsThatStartNothing)
{
    struct Case {
        std::uint32_t id;
        std::uint8_t type;
    };
    // Ids 0 and 5, the two passive types, another class's weapon skill (type 5) and an id the
    // class does not map.
    for (const Case c : {Case{0, 4}, Case{5, 0}, Case{2003, 2}, Case{2003, 3}, Case{2003, 5}, Case{2016, 4}}) {
        std::unique_ptr<TestHeroA> hero = MakeA();
        SlotSkill(c.id, c.type);
        qmtest::HeroTrace t(*hero, *input_);
        Tap(t, kSkill);
        t.Step(4);
        EXPECT_EQ(hero->GetState(), 0u) << c.id << " type " << int(c.type);
        // Nor does it follow a running action, which ends in its recovery.
        hero->StartAction(25);
        Tap(t, kSkill);
        t.Step(3);
        if (c.id != 2016) {
            EXPECT_EQ(TCharacterProbe::ReservedKind(*hero), 0u) << c.id << " type " << int(c.type);
        }
        ASSERT_TRUE(t.StepUntilState(0, 60)) << c.id << " type " << int(c.type);
        EXPECT_EQ(t.Rows(), (Rows{25, 26})) << c.id << " type " << int(c.type);
    }
}

TEST_F(HeroTraceTest, SkillReservedDuringAnActionStartsOnlyWhereItsExecutorAllowsIt)
{
    struct Case {
        std::uint32_t running;
        std::uint32_t skill;
        std::uint32_t next;
    };
    const Case cases[] = {
        {47, 2001, 51},  // another ground skill chains
        {47, 2000, 48},  // the running skill's own row falls through
        {47, 2004, 48},  // an air skill on the ground falls through
        {25, 2001, 51},  // the combo takes a ground skill
        {60, 2005, 69},  // the air step takes an air skill
        {60, 2001, 61},  // but no ground skill
    };
    for (const Case& c : cases) {
        std::unique_ptr<TestHeroA> hero = MakeA();
        SlotSkill(c.skill, 4);
        qmtest::HeroTrace t(*hero, *input_);
        if (c.running == 60) {
            t.PlaceAt(10.0F);
        }
        hero->StartAction(c.running);
        Tap(t, kSkill);
        t.Step(3);
        EXPECT_EQ(TCharacterProbe::ReservedKind(*hero), 2u) << c.running << " " << c.skill;
        ASSERT_TRUE(t.StepUntilRow(c.next, 40)) << c.running << " " << c.skill;
        EXPECT_EQ(t.Rows(), (Rows{c.running, c.next})) << c.running << " " << c.skill;
    }
}

TEST_F(HeroTraceTest, PatternSkillsRunInRowsOneAndThreeThenRecoverOrTakeTheCharge)
{
    struct Case {
        bool hold;
        bool charge;  // reserved while the skill runs
        Rows rows;
    };
    for (const Case& c : {Case{false, false, {1, 2}}, Case{true, false, {3, 4}}, Case{false, true, {1, 33, 34}},
                          Case{true, true, {3, 33, 34}}}) {
        std::unique_ptr<TestHeroA> hero = MakeA();
        // Skill 107 only plays its motion.
        SlotSkill(107, 1);
        qmtest::HeroTrace t(*hero, *input_);
        if (c.hold) {
            HoldSkill(t);
        } else {
            Tap(t, kSkill);
        }
        ASSERT_TRUE(t.StepUntilRow(c.rows[0], 40)) << c.hold;
        EXPECT_EQ(TCharacterProbe::CurrentPatternAction(*hero), hero->GetPatternFunc(107, c.hold ? 1 : 0));
        if (c.charge) {
            hero->SetReservedAction(1, 0);
        }
        ASSERT_TRUE(t.StepUntilState(0, 60)) << c.hold << c.charge;
        EXPECT_EQ(t.Rows(), c.rows) << c.hold << c.charge;
    }
}

TEST_F(HeroTraceTest, TimeStopHoldsTheHeroAndHidesTheButtons)
{
    std::unique_ptr<TestHeroA> hero = MakeA();
    qmtest::HeroTrace t(*hero, *input_);
    SetTimeStop(true, nullptr, nullptr);
    t.PlaceAt(1.0F);
    t.Hold(kAttack | 1);
    for (std::uint32_t i = 0; i < 30; ++i) {
        t.Step();
        EXPECT_EQ(input_->GetWord(2) & 0xFFFF, 0u) << "not written back while the stop lasts";
    }
    EXPECT_EQ(hero->GetState(), 0u);
    EXPECT_EQ(TCharacterProbe::HoldCountA(*hero), 0u) << "the button reads as released";
    EXPECT_TRUE(t.Rows().empty());
    D3DXVECTOR3 p;
    hero->GetPosition(&p);
    EXPECT_FLOAT_EQ(p.y, TCharacterProbe::TimeStopPoint().y) << "held at the stop point";

    // Once time runs the held buttons count from a new press.
    SetTimeStop(false, nullptr, nullptr);
    t.Step(qmtest::HeroTrace::kAttackDelay + 1);
    EXPECT_EQ(TCharacterProbe::HoldCountA(*hero), 1u);
}

// A town whose script state the tests set.
class ScriptedTown : public objtest::TestArea {
public:
    using TestArea::TestArea;
    void SetScriptActive(std::uint8_t on) { m_scriptActive = on; }
    void SetTalkingVillager(const TRefPtr<TVillager>& villager) { m_talkingVillager = villager; }
};

TEST_F(HeroTraceTest, TownStepDropsTheButtonsWhileAScriptOrTheRingHasThem)
{
    TVillagerInfo info;
    info.name = "hero";
    const TRefPtr<TVillager> villager(new TVillager(info));
    struct Case {
        std::uint8_t script;
        bool talking;
        bool ring;
        std::uint32_t state;  // after one step with the stick held
    };
    // The ring last: it stays open after its case.
    for (const Case& c : {Case{1, false, false, 0}, Case{0, true, false, 0}, Case{0, false, false, 1},
                          Case{0, false, true, 0}}) {
        ScriptedTown town(scene_.Get());
        town.SetScriptActive(c.script);
        if (c.talking) {
            town.SetTalkingVillager(villager);
        }
        std::unique_ptr<TestHeroA> hero = MakeA();
        hero->AttachToField(&town);
        // "D" held: the closed ring opens on this step and takes the buttons from the next.
        const std::uint32_t ring = c.ring ? kButtonD : 0;
        Buttons(ring, 0, 0, 0);
        ring_->RunState(hero.get());
        Buttons(1 | ring, ring, 0, 0);
        hero->UpdateInTown();
        EXPECT_EQ(hero->GetState(), c.state) << int{c.script} << c.talking << c.ring;
        EXPECT_EQ(input_->GetWord(0), 1u | ring) << "put back after the step";
        hero->DetachFromField();
    }
}

TEST_F(HeroTraceTest, TownStepRunsTheHudAndTheTimersButNeverAnAttack)
{
    std::unique_ptr<TestHeroA> hero = MakeA();
    hero->GetAttackSeal().Remaining = 40;
    SetTimeStop(true, nullptr, nullptr);
    // The notices: a pause of 31 steps ends on the 31st, the text behind it waits.
    getRender_->PushKind4(31);
    getRender_->PushText("TEXT");
    // An attack pressed, held and released in town starts nothing, time stop or not. "F" comes
    // anew on each of the 31 steps: the gauge goes back 31 slots.
    for (std::uint32_t i = 0; i < 30; ++i) {
        Buttons(1 | 0x200, 0, kAttack, i == 0 ? 0 : kAttack);
        hero->UpdateInTown();
    }
    Buttons(0x200, 0, 0, kAttack);
    hero->UpdateInTown();
    EXPECT_NE(hero->GetState(), 19u);
    EXPECT_EQ(TCharacterProbe::HoldCountA(*hero), 0u);
    EXPECT_EQ(hero->GetState(), 0u) << "the state handler ran through the stop: walked, then stopped";
    EXPECT_TRUE(TDxProbe::Image(panel_->GetLevelDigit(1)).HasTexture()) << "the panel was updated";
    EXPECT_EQ(gauge_->GetSelection(), 4);
    EXPECT_EQ(THudProbe::Queue(*getRender_).size(), 1u);
    EXPECT_TRUE(THudProbe::IsIdle(*getRender_));
    // The icon group turns a degree an update.
    const D3DXMATRIX* root = THudProbe::Root(TCharacterProbe::StatusIcons(*hero))->GetMatrix();
    EXPECT_NEAR(std::atan2(-root->_13, root->_11), 31.0 * 0.017453292, 1e-4);
    EXPECT_EQ(hero->GetAttackSeal().Remaining, 9);
}

}  // namespace
}  // namespace herotest
