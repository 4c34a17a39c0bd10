// The menu scene frame on a scene of its own, run by the real application: key repeat in every
// phase of its counter, no burst of steps after a long suspension, both draw sequences and a lost
// device, the menu sounds, and a steady step without allocations.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "MainCode/Menu/TListPager.h"
#include "MainCode/Menu/TMenuSceneLoop.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "formats/byte_writer.h"
#include "formats/field_writer.h"
#include "formats/ini_writer.h"
#include "formats/table_writer.h"
#include "support/alloc_probe.h"
#include "support/dx_probe.h"
#include "support/golden.h"
#include "support/menu_probe.h"
#include "support/scene_driver.h"
#include "support/window_settings.h"

namespace {

using qmtest::Button;

// A list screen on the frame: the dim fades in, the cursor moves through a list, cancel ends it.
class TestMenu : public TMenuSceneLoop {
public:
    // Stand-alone without an owner, else a sub-screen over it.
    TestMenu(TGameWnd* app, std::int32_t length, TMenuSceneLoop* owner = nullptr) : TMenuSceneLoop(app)
    {
        SetState(&TestMenu::Select);
        m_window = TSprite::FromFile("sprite.ptx/window06", D3DPOOL_MANAGED, 0);
        m_pager.Reset(length);
        if (owner == nullptr) {
            CaptureBackground("TTestMenuLoop");
            SetDim(0.5F, 10);
            LoadSounds("subset/menu_se.tbl");
            StartStandAlone();
        } else {
            SetOwner(owner);
            StartSubScreen();
        }
    }

    int steps = 0;
    std::vector<int> moves;  // the steps on which the cursor moved
    TListPager m_pager;

private:
    std::uint32_t Select()
    {
        ++steps;
        FadeDimIn();
        const std::int32_t before = m_pager.GetIndex();
        m_pager.Move(Moves(kButtonUp | kButtonDown | kButtonLeft | kButtonRight));
        if (m_pager.GetIndex() != before) {
            moves.push_back(steps);
            PlaySe(601);
        }
        if (Pressed(kButtonCancel) != 0) {
            PlaySe(606);
            return LOOP_END;
        }
        return LOOP_CONTINUE;
    }
    void DrawWindows() override
    {
        m_window.SetColor(WindowColor(0.75F), -1);
        m_window.Draw(100.0F, 60.0F, 64.0F, 32.0F, false);
    }

    TSprite m_window;
};

const std::vector<std::uint32_t> kMenuSounds = {600, 601, 602, 603, 605, 606, 607, 608};

class MenuFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        qmtest::WriteFieldFolder(".", qmtest::DefaultFieldMaps());
        qmtest::WriteWindowedSettingsWithDepth();
        std::filesystem::create_directories("data/tbl04/subset");
        qmtest::SaveBytes("data/tbl04/subset/menu_se.tbl", qmtest::BuildSoundList(kMenuSounds));
        ASSERT_TRUE(driver_.Start());
        driver_.Steps(8);  // past the input's start-up polls, on the title
    }
    TestMenu* Push(std::int32_t length, TMenuSceneLoop* owner = nullptr)
    {
        auto* scene = new TestMenu(driver_.App(), length, owner);
        driver_.App()->PushScene(scene);
        return scene;
    }
    // Time runs on by one step interval and the application runs one frame, however many steps
    // the current scene finds due.
    void Frame()
    {
        platform::ManualClock::Advance(17);
        driver_.App()->Frame();
    }

    qmtest::TempDir dir_;
    qmtest::SceneDriver driver_{dir_.Path()};
};

// The repeat word is taken on every 5th step of the scene's own counter, so where the press falls
// in that count decides whether the first repeat comes on the 10th or as late as the 14th step.
TEST_F(MenuFrame, HeldDownRepeatsAfterTenToFourteenStepsInEveryPhaseAndAShortPressMovesOnce)
{
    const struct {
        int idle;                    // steps of the scene before the press
        std::vector<int> heldMoves;  // held steps (the press is 1) on which the cursor moves
    } phases[] = {
        {0, {1, 10, 15, 20, 25}}, {1, {1, 14, 19, 24}}, {2, {1, 13, 18, 23}},
        {3, {1, 12, 17, 22}},     {4, {1, 11, 16, 21}},
    };
    for (const auto& phase : phases) {
        for (const int held : {25, 9}) {
            SCOPED_TRACE(testing::Message() << phase.idle << " idle steps, held " << held);
            TestMenu* menu = Push(20);
            driver_.Steps(phase.idle);
            driver_.Hold(Button::Down, true);
            driver_.Steps(held);
            driver_.Hold(Button::Down, false);
            driver_.Steps(10);
            std::vector<int> moved;
            for (int step : menu->moves) {
                moved.push_back(step - phase.idle);
            }
            EXPECT_EQ(moved, held == 9 ? std::vector<int>{1} : phase.heldMoves);
            driver_.Press(Button::B);
            ASSERT_EQ(driver_.App()->GetSceneCount(), 1);
        }
    }
}

TEST_F(MenuFrame, ASceneSuspendedFiveSecondsRunsNoBurstWhenResumed)
{
    TestMenu* menu = Push(8);
    driver_.Steps(3);
    TestMenu* sub = Push(8, menu);
    for (int i = 0; i < 300; ++i) {
        Frame();
    }
    EXPECT_GE(sub->steps, 299);
    EXPECT_EQ(menu->steps, 3);
    driver_.Hold(Button::B, true);
    Frame();
    driver_.Hold(Button::B, false);
    ASSERT_EQ(driver_.Current(), menu);
    Frame();
    EXPECT_EQ(menu->steps, 4);
}

TEST_F(MenuFrame, BothDrawSequencesAndNothingDrawnOnALostDevice)
{
    TestMenu* menu = Push(8);
    driver_.Steps(12);  // the dim at its end: 0.5 is alpha 127
    EXPECT_EQ(TMenuProbe::DimColor(*menu), 0x7F000000u);
    EXPECT_TRUE(TDxProbe::Image(TMenuProbe::Background(*menu)).HasTexture()) << "the title captured";
    driver_.RecordDraws(true);
    driver_.Step();
    std::string text = "stand-alone\n" + qmtest::FormatDraws(driver_.draws);
    TestMenu* sub = Push(8, menu);
    driver_.RecordDraws(true);
    driver_.Step();
    text += "sub-screen\n" + qmtest::FormatDraws(driver_.draws);
    EXPECT_TRUE(qmtest::MatchesGoldenText(text, "MenuFrameDraws.txt"));

    driver_.RecordDraws(true);
    platform::InjectDeviceLoss(TD3D8::GetDevice());
    const int before = sub->steps;
    driver_.Step();
    EXPECT_EQ(sub->steps, before + 1);
    EXPECT_TRUE(driver_.draws.empty()) << qmtest::FormatDraws(driver_.draws);
    driver_.RecordDraws(false);
}

TEST_F(MenuFrame, AStandAloneSceneLoadsPlaysAndGivesBackItsMenuSounds)
{
    TSoundBank* bank = TDSound8::Instance()->GetBank(0);
    const std::uint32_t uses = TDxProbe::UseCount(*bank, 601);
    driver_.RecordSounds(true);
    Push(8);
    EXPECT_EQ(TDxProbe::UseCount(*bank, 601), uses + 1);
    driver_.Step();
    driver_.Press(Button::Down);
    driver_.Press(Button::B);
    driver_.Step();
    std::vector<TSoundBankRecord> want;
    for (std::uint32_t id : kMenuSounds) {
        want.push_back({TSoundBankRecord::kLoad, 0, id});
    }
    want.push_back({TSoundBankRecord::kPlay, 0, 601});
    want.push_back({TSoundBankRecord::kPlay, 0, 606});
    for (std::uint32_t id : kMenuSounds) {
        want.push_back({TSoundBankRecord::kUnload, 0, id});
    }
    EXPECT_EQ(driver_.sounds, want);
    EXPECT_EQ(TDxProbe::UseCount(*bank, 601), uses);
    driver_.RecordSounds(false);
}

// A sub-screen owns no sound list: its cursor and cancel sounds play on its owner's, and leaving it
// gives nothing back.
TEST_F(MenuFrame, ASubScreenPlaysItsSoundsThroughItsOwnersList)
{
    TestMenu* menu = Push(8);
    driver_.Step();
    TSoundBank* bank = TDSound8::Instance()->GetBank(0);
    const std::uint32_t uses = TDxProbe::UseCount(*bank, 606);
    driver_.RecordSounds(true);
    Push(8, menu);
    driver_.Step();
    driver_.Press(Button::Down);
    driver_.Press(Button::B);
    driver_.Step();
    ASSERT_EQ(driver_.Current(), menu);
    const std::vector<TSoundBankRecord> want = {{TSoundBankRecord::kPlay, 0, 601}, {TSoundBankRecord::kPlay, 0, 606}};
    EXPECT_EQ(driver_.sounds, want);
    EXPECT_EQ(TDxProbe::UseCount(*bank, 606), uses);
    driver_.RecordSounds(false);
}

// The software GL driver allocates inside each draw call and each presented frame of its own, and
// is not counted; the frame's steps and draws ask for no more than the same quads drawn bare and
// presented.
TEST_F(MenuFrame, ASteadyStepAndDrawAllocateNothing)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    TestMenu* menu = Push(8);
    driver_.Steps(20);
    long steps = 0;
    {
        qmtest::AllocationProbe probe(true);
        driver_.Steps(10);
        steps = probe.OwnThreadGameAllocations();
    }
    TSprite background = TMenuProbe::Background(*menu);
    TSprite dim;
    TSprite window = TSprite::FromFile("sprite.ptx/window06", D3DPOOL_MANAGED, 0);
    TD3D8* d3d = TD3D8::Instance();
    long bare = 0;
    {
        qmtest::AllocationProbe probe(true);
        for (int i = 0; i < 10; ++i) {
            d3d->BeginScene();
            TSprite::SetRenderMode(0);
            background.Draw(0.0F, 0.0F, 640.0F, 480.0F, false);
            TSprite::SetRenderMode(1);
            dim.DrawRect(0.0F, 0.0F, 640.0F, 480.0F, false);
            window.Draw(100.0F, 60.0F, 64.0F, 32.0F, false);
            d3d->EndScene();
            d3d->Present();
        }
        bare = probe.OwnThreadGameAllocations();
    }
    EXPECT_EQ(steps, bare);
    EXPECT_EQ(menu->steps, 30);
}

}  // namespace
