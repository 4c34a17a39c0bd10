// One step of the player: time stop and the open ring, sounds and voices, the status timers, the
// slowed pattern steps, the HUD, and a scripted walk over a generated ground.
#include <gtest/gtest.h>

#include <cmath>

#include "combat_fixture.h"
#include "support/alloc_probe.h"
#include "support/character_probe.h"
#include "support/hud_probe.h"
#include "support/scene_driver.h"

namespace playertest {
namespace {

class VoiceHero : public TestHero {
public:
    using TestHero::TestHero;
    void SetVoiceTimer(std::int32_t t) { m_voiceTimer = t; }
};

class PlayerUpdateTest : public combattest::CombatFixture {
protected:
    std::unique_ptr<VoiceHero> MakeVoiceHero(std::uint32_t index)
    {
        return std::make_unique<VoiceHero>(links_, index, *data_->GetCharacterData(index),
                                           index == 0 ? "hero01" : "heroine01");
    }
};

TEST_F(PlayerUpdateTest, TimeStopHidesBothCurrentButtonWordsAndFreezesTheState)
{
    std::unique_ptr<TestHero> hero = MakeHero();
    SetTimeStop(true, nullptr, nullptr);
    Buttons(0x10001, 0, 0x10010, 0);
    hero->Update();
    EXPECT_EQ(hero->GetState(), 0u) << "the state handler does not run";
    EXPECT_EQ(TCharacterProbe::HoldCountA(*hero), 0u) << "the attack button reads as released";
    EXPECT_EQ(TCharacterProbe::TapCounter(*hero), 0u);
    EXPECT_EQ(input_->GetWord(0), 0x10000u);
    EXPECT_EQ(input_->GetWord(2), 0x10000u);

    // Once time runs the buttons are read again.
    SetTimeStop(false, nullptr, nullptr);
    Buttons(1, 0, 16, 0);
    hero->Update();
    EXPECT_EQ(hero->GetState(), 1u);
    EXPECT_EQ(TCharacterProbe::HoldCountA(*hero), 1u);
    EXPECT_EQ(input_->GetWord(0), 1u);
}

TEST_F(PlayerUpdateTest, OpenRingHidesTheButtonsForTheStepOnly)
{
    std::unique_ptr<TestHero> hero = MakeHero();
    // "D" held opens the ring; from the next step it takes the buttons, "F" for the gauge among them.
    Buttons(0x80, 0, 0, 0);
    ring_->RunState(hero.get());
    hero->SetHp(hero->GetMaxHp() / 2);
    getRender_->PushText("TEXT");
    Buttons(0x281, 0x80, 16, 0);
    hero->Update();
    EXPECT_EQ(hero->GetState(), 0u);
    EXPECT_EQ(TCharacterProbe::HoldCountA(*hero), 0u);
    EXPECT_EQ(gauge_->GetSelection(), 0);
    EXPECT_EQ(input_->GetWord(0), 0x281u);
    EXPECT_EQ(input_->GetWord(2), 16u);
    EXPECT_FLOAT_EQ(THudProbe::Ratio(*panel_, TStatusPanel::kHp), 0.5F);
    EXPECT_EQ(THudProbe::WindowX(*getRender_), 627) << "one step of the notice's slide";
    const D3DXMATRIX* root = THudProbe::Root(TCharacterProbe::StatusIcons(*hero))->GetMatrix();
    EXPECT_NEAR(std::atan2(-root->_13, root->_11), 0.017453292, 1e-6) << "the icons' update ran once";
}

TEST_F(PlayerUpdateTest, VoicesWaitForTheTimerButTheDownVoiceDoesNot)
{
    std::unique_ptr<VoiceHero> hero = MakeVoiceHero(0);
    hero->PlayVoice(120);
    hero->SetVoiceTimer(3);
    hero->PlayVoice(121);
    hero->PlayDownVoice();
    EXPECT_EQ(Played(1), (std::vector<std::uint32_t>{120, 106}));
    // Without a sound the timer runs out at once.
    EXPECT_EQ(TCharacterProbe::VoiceTimer(*hero), 0);

    std::unique_ptr<VoiceHero> heroine = MakeVoiceHero(1);
    heroine->PlayVoice(120);
    heroine->PlayDownVoice();
    EXPECT_EQ(Played(1), (std::vector<std::uint32_t>{120, 106, 1120, 1100}));
}

TEST_F(PlayerUpdateTest, DeadOnlyWellBelowZeroWithTheVoiceOver)
{
    std::unique_ptr<VoiceHero> hero = MakeVoiceHero(0);
    hero->SetHp(-25);
    EXPECT_FALSE(hero->IsDead());
    hero->SetHp(-26);
    EXPECT_TRUE(hero->IsDead());
    hero->SetVoiceTimer(1);
    EXPECT_FALSE(hero->IsDead());
}

TEST_F(PlayerUpdateTest, ActionVoicesByTheirTable)
{
    struct Case {
        std::uint32_t code;
        std::uint32_t voice;  // before the random part
        int random;           // 0 none, 1 "and 3", 2 "mod 3", 3 "and 1"
    };
    const Case cases[] = {
        {10006, 151, 1}, {11006, 151, 1}, {10016, 201, 2}, {11026, 251, 2}, {10036, 301, 2}, {10046, 351, 3},
        {11056, 401, 2}, {10000, 150, 0}, {11009, 150, 0}, {10010, 200, 0}, {10029, 250, 0}, {11030, 300, 0},
        {10049, 350, 0}, {10050, 400, 0}, {11059, 400, 0}, {9999, 9999, 0},  {10060, 10060, 0}, {11060, 11060, 0},
        {10999, 10999, 0},
    };
    for (std::uint32_t index : {0u, 1u}) {
        std::unique_ptr<VoiceHero> hero = MakeVoiceHero(index);
        init_genrand(5489);
        std::vector<std::uint32_t> expected;
        for (const Case& c : cases) {
            const std::uint32_t r = genrand_int32();
            const std::uint32_t extra = c.random == 1 ? (r & 3) : c.random == 2 ? r % 3 : c.random == 3 ? (r & 1) : 0;
            expected.push_back(c.voice + extra + (index > 0 ? 1000 : 0));
        }
        init_genrand(5489);
        sounds_.clear();
        for (const Case& c : cases) {
            hero->PlayActionVoice(c.code);
        }
        EXPECT_EQ(Played(1), expected) << index;
    }
}

TEST_F(PlayerUpdateTest, LandingOnGroundKindSevenRaisesDust)
{
    std::unique_ptr<TestHero> hero = MakeHero();  // its own pattern events
    hero->AttachToField(area_.get());
    hero->SetGroundKind(6);
    hero->PlaySound(1500);
    EXPECT_TRUE(created_.empty());
    hero->SetGroundKind(7);
    hero->SetState(5);
    hero->SetOnGround(1);
    ASSERT_TRUE(hero->Land());
    EXPECT_EQ(Played(0), (std::vector<std::uint32_t>{1506, 1007}));
    // Landing fires event 1000 first: its dust, then the ground's.
    ASSERT_EQ(CreatedIds(), (std::vector<std::uint32_t>{31, 35}));
    EXPECT_FLOAT_EQ(created_[1].position.y, 0.02F);
    EXPECT_FLOAT_EQ(created_[1].colour[1], 0.35F);
    // Other sounds are played as they are.
    hero->PlaySound(1001);
    EXPECT_EQ(Played(0).back(), 1001u);
    hero->DetachFromField();
}

TEST_F(PlayerUpdateTest, PoisonAndManaDrainBiteAtTheEndOfEachPhase)
{
    std::unique_ptr<TestHero> hero = MakeHero();
    hero->SetHp(5);
    hero->SetMp(1);
    hero->GetPoison().Remaining = 125;
    hero->GetManaDrain().Remaining = 70;
    for (int i = 0; i < 59; ++i) {
        hero->TickStatusTimers();
    }
    EXPECT_EQ(hero->GetHp(), 5);
    hero->TickStatusTimers();
    EXPECT_EQ(hero->GetHp(), 1);
    EXPECT_EQ(hero->GetMp(), 0);
    for (int i = 0; i < 60; ++i) {
        hero->TickStatusTimers();
    }
    EXPECT_EQ(hero->GetHp(), 1) << "below 5 poison stops";
    EXPECT_EQ(hero->GetManaDrain().Remaining, 0);
    EXPECT_EQ(hero->GetManaDrain().Phase, 0);
    EXPECT_EQ(hero->GetPoison().Remaining, 5);
}

// Poison takes 4 HP at a phase's end only from a hero with 5 or more: it wears him down to 1 to 4
// and never fells him.
TEST_F(PlayerUpdateTest, PoisonSparesAHeroUnderFiveHp)
{
    const struct {
        std::int32_t hp;
        std::int32_t afterOne;
        std::int32_t afterTwo;
    } cases[] = {{4, 4, 4}, {5, 1, 1}, {8, 4, 4}, {9, 5, 1}, {3, 3, 3}};
    for (const auto& c : cases) {
        std::unique_ptr<TestHero> hero = MakeHero();
        hero->SetHp(c.hp);
        hero->GetPoison().Remaining = 1000;
        for (int i = 0; i < 60; ++i) {
            hero->TickStatusTimers();
        }
        EXPECT_EQ(hero->GetHp(), c.afterOne) << "from " << c.hp;
        for (int i = 0; i < 60; ++i) {
            hero->TickStatusTimers();
        }
        EXPECT_EQ(hero->GetHp(), c.afterTwo) << "from " << c.hp;
    }
}

TEST_F(PlayerUpdateTest, TimersAndCountdownsRunOutToZero)
{
    std::unique_ptr<TestHero> hero = MakeHero();
    TCharacterProbe::AttackBuff1(*hero).Remaining = 2;
    TCharacterProbe::AttackBuff2(*hero).Remaining = -5;
    hero->GetSlowness().Remaining = 1;
    hero->GetManaSeal().Remaining = -3;
    hero->TickStatusTimers();
    EXPECT_EQ(TCharacterProbe::AttackBuff1(*hero).Remaining, 1);
    EXPECT_EQ(TCharacterProbe::AttackBuff1(*hero).Phase, 1);
    EXPECT_EQ(TCharacterProbe::AttackBuff2(*hero).Remaining, 0);
    EXPECT_EQ(hero->GetSlowness().Remaining, 0);
    EXPECT_EQ(hero->GetManaSeal().Remaining, 0);
    hero->TickStatusTimers();
    EXPECT_EQ(TCharacterProbe::AttackBuff1(*hero).Remaining, 0);
    EXPECT_EQ(TCharacterProbe::AttackBuff1(*hero).Phase, 0);
}

TEST_F(PlayerUpdateTest, SlownessHalvesThePatternStepsOfWalkingAndDashing)
{
    for (std::uint32_t state : {1u, 2u, 3u, 6u}) {
        for (bool slow : {false, true}) {
            std::unique_ptr<TestHero> hero = MakeHero();
            hero->SetState(state);
            hero->GetSlowness().Remaining = slow ? 10 : 0;
            hero->ProcessPatternFrame();
            const float full = -0.05F;
            EXPECT_FLOAT_EQ(hero->Position().z, slow && state <= 3 ? full * 0.5F : full) << state << slow;
        }
    }
}

TEST_F(PlayerUpdateTest, HudDrawsEveryPart)
{
    std::unique_ptr<TestHero> hero = MakeHero();
    getRender_->PushText("TEXT");
    getRender_->Update();
    qmtest::SceneDriver recorder(std::filesystem::current_path());
    recorder.RecordDraws(true);
    hero->DrawHud();
    const std::vector<TSpriteDrawRecord> draws = recorder.draws;
    recorder.RecordDraws(false);
    // The panel's frame first, the notice's window and text last.
    ASSERT_GE(draws.size(), 3u);
    EXPECT_EQ(draws.front().texture, "sprite.ptx/guage09");
    EXPECT_EQ(draws[draws.size() - 2].texture, "sprite.ptx/window22");
    EXPECT_EQ(draws.back().texture, "TGetRender::tGet");
}

// A fixed camera behind the start, a flat ground: stand, start walking, walk, jump and land.
TEST_F(PlayerUpdateTest, StandingAndWalkingStepsAllocateNothing)
{
    Load(qmtest::GroundMesh().Floor(-20.0F, -20.0F, 20.0F, 20.0F, 0.0F).File(), "flat.msh");
    objtest::TestArea area(scene_.Get());
    area.GetCollisionWorld()->Load("flat.msh", 4.0F, 4.0F);
    std::unique_ptr<TestHero> hero = MakeHero();
    hero->AttachToField(&area);
    hero->SetCameraFrame(camera_.Get());
    for (std::uint32_t buttons : {0u, 1u}) {
        // Past the first steps of the state (and the target timer running out).
        for (int i = 0; i < 20; ++i) {
            Buttons(buttons, buttons);
            hero->Update();
        }
        qmtest::AllocationProbe probe;
        for (int i = 0; i < 20; ++i) {
            hero->Update();
        }
        if (qmtest::AllocationProbe::Available()) {
            EXPECT_EQ(probe.OwnThreadAllocations(), 0) << buttons;
        }
    }
    hero->DetachFromField();
}

TEST_F(PlayerUpdateTest, ScriptedWalkOnGeneratedGround)
{
    qmtest::GroundMesh ground;
    for (int x = -10; x < 10; x += 2) {
        for (int z = -10; z < 10; z += 2) {
            ground.Floor(static_cast<float>(x), static_cast<float>(z), static_cast<float>(x + 2),
                         static_cast<float>(z + 2), 0.0F);
        }
    }
    Load(ground.File(), "ground.msh");
    objtest::TestArea area(scene_.Get());
    area.GetCollisionWorld()->Load("ground.msh", 4.0F, 4.0F);
    std::unique_ptr<TestHero> hero = MakeHero();
    hero->AttachToField(&area);
    hero->SetCameraFrame(camera_.Get());
    camera_->SetMatrix(D3DXMATRIX(-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 2, 6, 1));
    const auto step = [&](std::uint32_t buttons) {
        input_->SetWord(1, input_->GetWord(0));
        input_->SetWord(0, buttons);
        hero->Update();
        hero->ApplyVelocity();
        area.GetCollisionWorld()->ResolveGround();
        hero->UpdateShadow();
    };
    step(0);
    step(0);
    EXPECT_EQ(hero->GetState(), 0u);
    EXPECT_FLOAT_EQ(hero->Position().z, 0.0F);

    // Up (1): away from the camera, straight ahead; the pattern carries the body.
    std::vector<std::uint32_t> states;
    std::vector<float> zs;
    for (int i = 0; i < 8; ++i) {
        step(1);
        states.push_back(hero->GetState());
        zs.push_back(hero->Position().z);
    }
    EXPECT_EQ(states[0], 1u);
    EXPECT_EQ(states.back(), 2u);
    // The first step sees state 0's pattern (no step); each later one moves 0.05 ahead.
    EXPECT_FLOAT_EQ(zs[0], 0.0F);
    for (std::size_t i = 1; i < zs.size(); ++i) {
        EXPECT_NEAR(zs[i] - zs[i - 1], -0.05F, 1e-5F) << i;
    }
    EXPECT_NEAR(hero->Position().x, 0.0F, 1e-5F);
    EXPECT_FLOAT_EQ(hero->Position().y, 0.0F) << "kept on the ground";

    // Jump: up, then down and landing, direction held so no landing state.
    step(1 | 64);
    EXPECT_EQ(hero->GetState(), 4u);
    float top = 0.0F;
    int frames = 0;
    while (hero->GetState() != 2u && frames < 200) {
        step(1);
        top = std::max(top, hero->Position().y);
        ++frames;
    }
    EXPECT_EQ(hero->GetState(), 2u);
    EXPECT_GT(top, 1.0F);
    EXPECT_NEAR(hero->Position().y, 0.0F, 1e-4F);
    EXPECT_EQ(Played(0).back(), 1000u + hero->GetGroundKind());
    hero->DetachFromField();
}

}  // namespace
}  // namespace playertest
