// The real application driven headless: scripted input, the manual clock, a fixed number of frames.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "MainCode/Character/TimeStop.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TMapData.h"
#include "MainCode/Menu/TYesNoLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/TGameWnd.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/sound/TDSound8.h"
#include "formats/byte_writer.h"
#include "formats/field_writer.h"
#include "game_folder.h"
#include "platform/testing/d3d8.h"
#include "support/dx_probe.h"
#include "support/main_probe.h"
#include "support/menu_probe.h"
#include "support/scene_probe.h"

namespace {

const char kTitle[] = "Quillmark 4章 ～ Solstice ～";

// Runs the application in a fresh game folder with the manual clock; each frame advances the clock
// by one step interval and lets the test act.
class ScriptedGameWnd : public TGameWnd {
public:
    ScriptedGameWnd()
        : TGameWnd(0, maintest::kGameClass, kTitle, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr,
                   nullptr, nullptr, 101, 104)
    {
    }
    bool Frame() override
    {
        ++frames;
        platform::ManualClock::Advance(17);
        if (onFrame) {
            onFrame(*this, frames);
        }
        if (frames > 10000) {
            return false;  // a safety net so a broken script cannot hang the test
        }
        return TGameWnd::Frame();
    }
    void Shutdown() override
    {
        if (TMainProbe::IsInitialised(*this)) {
            ++shutdowns;
        }
        TGameWnd::Shutdown();
    }

    int frames = 0;
    int shutdowns = 0;
    std::function<void(ScriptedGameWnd&, int)> onFrame;
};

class GameWndRun : public maintest::GameFolderTest {
protected:
    // The back buffer's pixel as 0xRRGGBB.
    static std::uint32_t ScreenPixel(int x, int y)
    {
        platform::RgbaImage image;
        EXPECT_TRUE(platform::ReadBackBuffer(TD3D8::GetDevice(), &image));
        if (image.pixels.empty()) {
            return 0xFFFFFFFF;
        }
        const std::uint8_t* p = image.At(x, y);
        return (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
    }
    static void Tap(int vk)
    {
        platform::InjectKey(vk, true);
        platform::InjectKey(vk, false);
    }
};

}  // namespace

TEST_F(GameWndRun, RunsTheTitleAndQuitsThroughTheYesNoDialog)
{
    // The question's pictures.
    std::filesystem::create_directories("data/ptx04");
    qmtest::SaveBytes("data/ptx04/sprite.ptx", qmtest::BuildPtx(qmtest::FieldSprites()));
    ScriptedGameWnd app;
    TTitleLoop* title = nullptr;
    int dialogFrame = 0;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    TRefPtr<TFrame> board(new TFrame("TimeStop", identity, nullptr));
    app.onFrame = [&](ScriptedGameWnd& a, int frame) {
        if (frame == 1) {
            SetTimeStopBoard(board);  // held until shut-down, which lets it go before the device
            title = dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(a));
            ASSERT_NE(title, nullptr);
            EXPECT_EQ(a.GetSceneCount(), 1);
            EXPECT_TRUE(TMainProbe::IsActive(a));
            RECT client;
            GetClientRect(TMainProbe::Handle(a), &client);
            EXPECT_EQ(client.right - client.left, 640);
            EXPECT_EQ(client.bottom - client.top, 480);
            // The folders the start-up sets.
            EXPECT_EQ(TGameData::GetSaveDirectory(), "save/");
            EXPECT_EQ(TMapData::GetDirectory(), "data/scr04/");
        }
        if (frame == 20) {
            EXPECT_GE(TSceneProbe::Counter(*title), 18u);
            Tap(VK_ESCAPE);  // the quit question over the title
        }
        if (frame == 21) {
            auto* dialog = dynamic_cast<TYesNoLoop*>(TMainProbe::CurrentScene(a));
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(TMenuProbe::Kind(*dialog), 1);
            EXPECT_EQ(a.GetSceneCount(), 2);
            EXPECT_TRUE(TMainProbe::IsSuspended(*title));
            Tap(VK_ESCAPE);  // never a second dialog over the first
            dialogFrame = frame;
        }
        // The question opens on "no" and takes its first answer once darkened and slid in.
        if (frame == 50) {
            EXPECT_EQ(a.GetSceneCount(), 2);
            platform::InjectKey(VK_UP, true);  // to "yes"
        }
        if (frame == 52) {
            platform::InjectKey(VK_UP, false);
            platform::InjectKey('Z', true);  // decide: yes
        }
    };
    EXPECT_EQ(app.Run(1), 0);
    EXPECT_EQ(dialogFrame, 21);
    EXPECT_EQ(app.shutdowns, 1);
    EXPECT_LT(app.frames, 120);  // the screen fades to black over 50 steps first
    EXPECT_EQ(app.GetSceneCount(), 0);
    EXPECT_TRUE(std::filesystem::is_directory("save"));
    EXPECT_FALSE(TD3D8::Instance()->IsInitialized());
    EXPECT_FALSE(TDxProbe::IsInitialized(*TDSound8::Instance()));
    EXPECT_EQ(TGameData::GetInstance(), nullptr);
    EXPECT_EQ(GetTimeStopBoard().Get(), nullptr);
    EXPECT_EQ(board.UseCount(), 1u);
    EXPECT_TRUE(boxes.empty());
}

// The title's first frames: black while it waits, then the maker's logo; a lost device skips the
// frame that finds it lost and the one that resets it.
TEST_F(GameWndRun, TheTitleWaitsInBlackThenShowsTheLogoAndALostDeviceIsReset)
{
    ScriptedGameWnd app;
    // The logo's middle (0xF0C850) at the hold's alpha of 252 (one ramp step short of whole), rounded.
    const std::uint32_t diamond = 0xEDC64F;
    std::vector<std::uint32_t> middle;
    app.onFrame = [&](ScriptedGameWnd& a, int frame) {
        auto* scene = dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(a));
        ASSERT_NE(scene, nullptr);
        if (frame == 1) {
            EXPECT_EQ(ScreenPixel(320, 212), 0u);  // nothing drawn yet
            EXPECT_TRUE(TD3D8::Instance()->IsWindowed());
        }
        if (frame >= 2 && frame <= 6) {
            middle.push_back(ScreenPixel(320, 212));
        }
        if (frame == 100) {
            EXPECT_EQ(TSceneProbe::State(*scene), TSceneProbe::TitleState::StartWait);
            EXPECT_EQ(ScreenPixel(320, 212), 0u);  // the start wait is black
        }
        if (frame == 240) {
            EXPECT_EQ(TSceneProbe::State(*scene), TSceneProbe::TitleState::LogoHold);
            EXPECT_EQ(ScreenPixel(320, 212), diamond);
            platform::InjectDeviceLoss(TD3D8::GetDevice());
        }
        if (frame == 242) {
            EXPECT_EQ(ScreenPixel(320, 212), 0u);  // the reset frame drew nothing on the fresh buffer
        }
        if (frame == 243) {
            EXPECT_EQ(ScreenPixel(320, 212), diamond);
            SendMessageA(TMainProbe::Handle(a), WM_CLOSE, 0, 0);
        }
    };
    EXPECT_EQ(app.Run(1), 0);
    EXPECT_EQ(app.shutdowns, 1);
    EXPECT_EQ(middle, std::vector<std::uint32_t>(5, 0u));
    EXPECT_TRUE(std::filesystem::exists("DeviceLog.txt"));
    EXPECT_EQ(TD3D8::GetDevice(), nullptr);
}
