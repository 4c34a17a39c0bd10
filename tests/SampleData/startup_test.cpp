// The game started in the generated folder: it reaches the title with every start-up file found,
// runs, and closes cleanly on a close message.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/TGameWnd.h"
#include "make-sample-data/SampleData.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/testing/TSoundBankObserver.h"
#include "dx/dx8/testing/TSpriteObserver.h"
#include "platform/testing/d3d8.h"
#include "platform/testing/win32.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"
#include "SampleData/sample_folder_copy.h"
#include "support/dx_probe.h"
#include "support/gamedata_probe.h"
#include "support/main_probe.h"
#include "support/temp_dir.h"
#include "support/scene_driver.h"
#include "support/scene_probe.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFrames = 300;

// The application with one clock step a frame; at the last frame it posts itself a close message.
class SampleRun : public TGameWnd {
public:
    SampleRun()
        : TGameWnd(0, "Verrow Quillmark", "Quillmark 4章 ～ Solstice ～", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                   480, nullptr, nullptr, nullptr, 101, 104)
    {
    }
    bool Frame() override
    {
        platform::ManualClock::Advance(17);
        ++frames;
        if (frames == 1) {
            OnFirstFrame();
        }
        if (frames == kFrames) {
            auto* title = dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(*this));
            titleInLogo = title != nullptr && TSceneProbe::State(*title) == TSceneProbe::TitleState::LogoHold;
            titlePixel = ScreenPixel(320, 212);
            PostMessageA(TMainProbe::Handle(*this), WM_CLOSE, 0, 0);
        }
        return frames <= kFrames + 50 && TGameWnd::Frame();  // a broken close cannot hang the test
    }

    // What start-up found in the folder.
    void OnFirstFrame()
    {
        const sample::Catalogue& c = sample::GetCatalogue();
        EXPECT_NE(dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(*this)), nullptr);
        EXPECT_TRUE(GetD3D()->IsWindowed());
        EXPECT_EQ(GetD3D()->GetBackBufferWidth(), 640u);
        EXPECT_EQ(GetD3D()->GetBackBufferHeight(), 480u);
        EXPECT_EQ(TGameDataProbe::Count<TWeponTable>(), c.wepons.size());
        EXPECT_EQ(TGameDataProbe::Count<TItemMeanTable>(), c.itemMeans.size());
        EXPECT_EQ(TGameDataProbe::Count<TAccessoryTable>(), c.accessories.size());
        EXPECT_EQ(TGameDataProbe::Count<TItemTable>(), c.items.size());
        EXPECT_EQ(TGameDataProbe::Count<TSkillTable>(), c.skills.size());
        EXPECT_EQ(TGameDataProbe::Count<TSvpTable>(), c.savePoints.size());
        EXPECT_EQ(TGameDataProbe::Count<THrdefTable>(), c.heroes.size());
        // This game's chapter and its caps, as start-up sets them.
        EXPECT_EQ(TGameData::GetChapter(), 4);
        EXPECT_EQ(TGameData::GetMaxLevel(), 59u);
        EXPECT_EQ(TGameDataProbe::MaxMoney(), 1700000u);
        // The banks know their names, first and last.
        TSoundBank* se = GetSound()->GetBank(0);
        TSoundBank* bgm = GetSound()->GetBank(2);
        ASSERT_NE(se, nullptr);
        ASSERT_NE(bgm, nullptr);
        EXPECT_EQ(se->FindId(c.se.front().name), static_cast<std::int32_t>(c.se.front().id));
        EXPECT_EQ(se->FindId(c.se.back().name), static_cast<std::int32_t>(c.se.back().id));
        EXPECT_EQ(bgm->FindId(c.bgm.back().name), static_cast<std::int32_t>(c.bgm.back().id));
        // And a sound of each loads from its package.
        se->Load(c.se.front().id);
        bgm->Load(c.bgm.front().id);
        EXPECT_GT(se->GetLength(c.se.front().id), 0);
        EXPECT_GT(bgm->GetLength(c.bgm.front().id), 0);
        se->Unload(c.se.front().id);
        bgm->Unload(c.bgm.front().id);
    }

    // The back buffer's pixel as 0xRRGGBB.
    static std::uint32_t ScreenPixel(int x, int y)
    {
        platform::RgbaImage image;
        if (!platform::ReadBackBuffer(TD3D8::GetDevice(), &image) || image.pixels.empty()) {
            return 0xFFFFFFFF;
        }
        const std::uint8_t* p = image.At(x, y);
        return (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
    }

    int frames = 0;
    bool titleInLogo = false;
    std::uint32_t titlePixel = 0;
};

TEST(SampleStartup, ReachesTheTitleRunsAndClosesCleanly)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    setenv("QM_RUNTIME_DIR", dir.Path().c_str(), 1);
    qmtest::ScopedCwd cwd(dir.Path());
    platform::ManualClock::Enable(1000);
    platform::ResetKeyboardState();
    // Values no start-up sets, so that any a test before this one left cannot stand in for it.
    TGameData::SetChapter(0);
    TGameData::SetMaxLevel(0);
    TGameData::SetMaxMoney(0);
    {
        SampleRun app;
        EXPECT_EQ(app.Run(1), 0);
        EXPECT_EQ(app.frames, kFrames);
        // 120 steps of waiting and 100 of the logo coming in: the logo stands at alpha 252, one
        // ramp step short of whole, the diamond at its middle (0xF0C850) a shade darker.
        EXPECT_TRUE(app.titleInLogo);
        EXPECT_EQ(app.titlePixel, 0xEDC64Fu);
        EXPECT_EQ(app.GetSceneCount(), 0);
    }
    platform::ManualClock::Disable();
    UnregisterClassA("Verrow Quillmark", nullptr);

    EXPECT_FALSE(TD3D8::Instance()->IsInitialized());
    EXPECT_FALSE(TDxProbe::IsInitialized(*TDSound8::Instance()));
    EXPECT_EQ(TGameData::GetInstance(), nullptr);
    EXPECT_TRUE(fs::is_regular_file(dir.Path() / "DeviceLog.txt"));
    EXPECT_FALSE(fs::exists(dir.Path() / "ErrorLog.txt"));
    EXPECT_TRUE(fs::is_directory(dir.Path() / "save"));
}

// The executable as a player starts it, in the folder beside it; the signal a desktop sends on
// logout arrives as a close message.
TEST(SampleStartup, TheGameExecutableRunsInTheFolderAndEndsWithoutAnError)
{
    qmtest::TempDir dir;
    const fs::path game = dir.Path() / "game";
    qmtest::CopySampleFolder(game);
    const fs::path exe = dir.Path() / "quillmark4";
    fs::copy_file(QM_GAME_EXE, exe);

    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (chdir(game.c_str()) != 0 || freopen((dir.Path() / "stderr.txt").c_str(), "w", stderr) == nullptr) {
            _exit(127);
        }
        setenv("QM_RUNTIME_DIR", dir.Path().c_str(), 1);
        execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // The device log is written during start-up; the title runs a moment later.
    for (int i = 0; i < 500 && !fs::exists(game / "DeviceLog.txt"); ++i) {
        usleep(20000);
    }
    usleep(1500000);
    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    std::stringstream err;
    err << std::ifstream(dir.Path() / "stderr.txt").rdbuf();
    ASSERT_TRUE(WIFEXITED(status)) << err.str();
    EXPECT_EQ(WEXITSTATUS(status), 0) << err.str();
    EXPECT_TRUE(fs::is_regular_file(game / "DeviceLog.txt"));
    EXPECT_TRUE(fs::is_directory(game / "save"));
    EXPECT_FALSE(fs::exists(dir.Path() / "ErrorLog.txt"));
    EXPECT_EQ(err.str(), "");
}

// A player's hands for the game started from its entry function, moved on the game's own thread
// from what it draws and plays: decide tapped (10 frames down, 10 up) through the title and the
// carry-over choice, then cancel held from the first story scene's music on.
class OpeningHands : public TSpriteObserver, public TSoundBankObserver {
public:
    void OnRenderMode(int) override { Tick(); }
    void OnDraw(const TSprite&, float, float, float, float, bool) override { Tick(); }
    void OnDrawRect(const TSprite&, float, float, float, float, bool) override { Tick(); }
    void OnDrawTransformed(const TSprite&, float, float, float, float, const D3DMATRIX*, bool) override { Tick(); }
    void OnLoad(std::uint32_t, std::uint32_t) override {}
    void OnUnload(std::uint32_t, std::uint32_t) override {}
    void OnPlay(std::uint32_t bank, std::uint32_t id) override { Heard(bank, id); }
    void OnPlayLoop(std::uint32_t bank, std::uint32_t id) override { Heard(bank, id); }
    void OnStop(std::uint32_t, std::uint32_t) override {}

    static constexpr int kGiveUp = 5000;  // frames drawn
    bool skipping = false;
    bool gaveUp = false;

private:
    void Tick()
    {
        const DWORD now = timeGetTime();
        if (now == last_) {
            return;
        }
        last_ = now;
        if (++frame_ == kGiveUp) {
            // A game that plays on past the opening scenes is closed, so the test ends.
            gaveUp = true;
            for (HWND window : platform::LiveWindowList()) {
                PostMessageA(window, WM_CLOSE, 0, 0);
            }
        }
        if (skipping) {
            return;
        }
        const bool down = (frame_ / 10) % 2 == 1;
        if (down != decide_) {
            decide_ = down;
            platform::InjectKey(qmtest::KeyOf(qmtest::Button::A), down);
        }
    }
    void Heard(std::uint32_t bank, std::uint32_t id)
    {
        if (bank == 2 && id == 51 && !skipping) {  // the first story scene's music
            skipping = true;
            platform::InjectKey(qmtest::KeyOf(qmtest::Button::A), false);
            platform::InjectKey(qmtest::KeyOf(qmtest::Button::B), true);
        }
    }

    DWORD last_ = 0;
    int frame_ = 0;
    bool decide_ = false;
};

// The town's ground gone from the folder: a new game runs through the opening scenes, and the field
// that cannot be built ends the game from its entry function, the error on screen and in the log
// beside the executable, with a failure status.
TEST(SampleStartup, ABrokenTownEndsANewGameWithTheErrorShownRecordedAndAFailure)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    ASSERT_TRUE(fs::remove(dir.Path() / "data/msh04/map04/t04_00.msh"));
    setenv("QM_RUNTIME_DIR", dir.Path().c_str(), 1);
    qmtest::ScopedCwd cwd(dir.Path());
    platform::ManualClock::Enable(1000);
    platform::ResetKeyboardState();
    platform::OverrideModuleFileName((dir.Path() / "quillmark4").string());
    std::vector<platform::MessageBoxRecord> boxes;
    platform::SetMessageBoxHook([&](const platform::MessageBoxRecord& box) { boxes.push_back(box); });
    OpeningHands hands;
    SetSpriteObserver(&hands);
    SetSoundBankObserver(&hands);
    // Time passes only while the game waits for its next step, a millisecond a wait.
    std::atomic<bool> ended{false};
    std::thread clock([&] {
        while (!ended.load()) {
            if (platform::IsWaitingForMessage()) {
                platform::ManualClock::Advance(1);
            }
            std::this_thread::yield();
        }
    });

    const int status = WinMain(nullptr, nullptr, nullptr, 10);
    ended.store(true);
    clock.join();

    SetSpriteObserver(nullptr);
    SetSoundBankObserver(nullptr);
    platform::SetMessageBoxHook({});
    platform::OverrideModuleFileName("");
    platform::ResetKeyboardState();
    platform::ManualClock::Disable();
    UnregisterClassA("Verrow Quillmark", nullptr);

    EXPECT_EQ(status, 1);
    EXPECT_TRUE(hands.skipping);
    EXPECT_FALSE(hands.gaveUp);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("t04_00.msh"), std::string::npos) << boxes[0].text;
    std::stringstream log;
    log << std::ifstream(dir.Path() / "ErrorLog.txt").rdbuf();
    EXPECT_NE(log.str().find("t04_00.msh"), std::string::npos) << log.str();
}

}  // namespace
