// The game started in the generated folder: it reaches the title with every start-up file found,
// runs, and closes cleanly on a close message.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/TGameWnd.h"
#include "make-sample-data/SampleData.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
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

}  // namespace
