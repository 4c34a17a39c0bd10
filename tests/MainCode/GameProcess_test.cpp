// The game executable itself, started as a player would start it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/text/cp932.h"
#include "formats/byte_writer.h"
#include "formats/enemy_table_writer.h"
#include "formats/mesh_writer.h"
#include "formats/scene_assets.h"
#include "formats/table_writer.h"
#include "support/child_wait.h"
#include "support/temp_dir.h"

namespace {

struct ProcessResult {
    int exitCode = -1;
    std::string err;
    bool Says(const char* cp932) const { return err.find(platform::Cp932ToUtf8(cp932)) != std::string::npos; }
};

// Runs the game in the given folder with the test environment; stderr is captured.
// prefix goes before the executable on the command line: an environment change, a time limit.
ProcessResult RunGame(const qmtest::TempDir& dir, const std::string& prefix = "")
{
    const std::string errPath = dir.File("stderr.txt");
    const std::string command = "cd '" + dir.Path().string() + "' && QM_RUNTIME_DIR='" + dir.Path().string() + "' " +
                                prefix + " '" + QM_GAME_EXE + "' 2>'" + errPath + "' </dev/null";
    const int status = std::system(command.c_str());
    std::stringstream text;
    text << std::ifstream(errPath, std::ios::binary).rdbuf();
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
}

void WriteSettings(const qmtest::TempDir& dir, const std::string& keys)
{
    std::ofstream(dir.File("setting.ini"), std::ios::binary) << "[CurrentSetting]\r\nScreenMode=Window\r\n" << keys;
    qmtest::SaveStartupMeshes(dir.Path().string());
    qmtest::SaveStartupEnemyTable(dir.Path().string());
    // The title's pictures and sound lists.
    std::filesystem::create_directories(dir.Path() / "data/ptx04");
    qmtest::SaveBytes((dir.Path() / "data/ptx04/title.ptx").string(), qmtest::BuildPtx(qmtest::ScenePictures()));
    std::filesystem::create_directories(dir.Path() / "data/tbl04/subset");
    qmtest::SaveBytes((dir.Path() / "data/tbl04/subset/title_se.tbl").string(),
                      qmtest::BuildSoundList({600, 603, 605, 606}));
    qmtest::SaveBytes((dir.Path() / "data/tbl04/subset/title_bgm.tbl").string(), qmtest::BuildSoundList({1}));
}

// A refused start names the folder the game looked in, and fails.
std::string FolderLine(const qmtest::TempDir& dir)
{
    return "(game folder: " + std::filesystem::canonical(dir.Path()).string() + ")";
}

TEST(GameProcess, WithoutSettingsTellsThePlayerOnStderrAndFails)
{
    qmtest::TempDir dir;
    const ProcessResult r = RunGame(dir);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(FolderLine(dir)), std::string::npos) << r.err;
    // The message box text reaches stderr as UTF-8 when no display can show it.
    EXPECT_TRUE(r.Says("Quillmark起動エラー")) << r.err;
    EXPECT_TRUE(r.Says("起動設定ファイル setting.ini が見つかりませんでした。")) << r.err;
    EXPECT_FALSE(std::ifstream(dir.File("save")).good());
}

// Starts the game in the folder and returns once it has made its save folder: it holds the
// instance lock and runs by then.
pid_t StartGame(const qmtest::TempDir& dir)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.Path().c_str()) != 0) {
            _exit(127);
        }
        setenv("QM_RUNTIME_DIR", dir.Path().c_str(), 1);
        // A suite started in the background of a shell script inherits an ignored interrupt, and
        // the game, as its libraries do, leaves a signal ignored that it was started ignoring.
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        execl(QM_GAME_EXE, QM_GAME_EXE, static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; pid > 0 && i < 200 && !std::ifstream(dir.File("save") + "/.").good(); ++i) {
        usleep(20000);
    }
    return pid;
}

TEST(GameProcess, ASecondCopyIsRefusedWhileTheFirstRuns)
{
    qmtest::TempDir dir;
    WriteSettings(dir, "");
    const pid_t first = StartGame(dir);
    ASSERT_GT(first, 0);
    const ProcessResult second = RunGame(dir);
    kill(first, SIGTERM);
    int status = 0;
    EXPECT_TRUE(qmtest::WaitForChild(first, &status, 60)) << "still running a minute after the signal";
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.Says("多重起動禁止")) << second.err;
    EXPECT_NE(second.err.find(FolderLine(dir)), std::string::npos) << second.err;
}

// A stop signal (an interrupt from the terminal, a terminate as the desktop logs out) closes the game
// as its window's close would: it ends with success. The minute is only there so that a game that
// ignores the signal cannot hold the suite.
TEST(GameProcess, AStopSignalClosesTheGameWithSuccess)
{
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        qmtest::TempDir dir;
        WriteSettings(dir, "");
        const pid_t pid = StartGame(dir);
        ASSERT_GT(pid, 0);
        kill(pid, signal);
        int status = 0;
        EXPECT_TRUE(qmtest::WaitForChild(pid, &status, 60)) << "still running a minute after the signal";
        EXPECT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}

// Without a display the game stops at once and says why; the off-screen driver is only taken when
// asked for by name.
TEST(GameProcess, WithoutADisplayTheGameStopsAtOnceAndWritesNoSave)
{
    if (std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr) {
        GTEST_SKIP() << "a display is present";
    }
    qmtest::TempDir dir;
    WriteSettings(dir, "");
    const ProcessResult r = RunGame(dir, "env -u SDL_VIDEODRIVER -u DISPLAY -u WAYLAND_DISPLAY timeout -k 10 20");
    EXPECT_EQ(r.exitCode, 1) << r.err;  // not 124: it did not run on unseen
    EXPECT_NE(r.err.find("no display: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("needs a graphical session"), std::string::npos) << r.err;
    EXPECT_FALSE(std::ifstream(dir.File("save") + "/.").good());
}

// Without a sound device the game runs silent and says so once; closed, it ends without an error.
TEST(GameProcess, WithoutASoundDeviceTheGameRunsSilentAndSaysSoOnce)
{
    qmtest::TempDir dir;
    WriteSettings(dir, "");
    const ProcessResult r = RunGame(dir, "SDL_AUDIODRIVER=nosuch timeout --preserve-status -s TERM -k 60 3");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.rfind("no audio device: running without sound (", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

TEST(GameProcess, ADeviceThatCannotBeMadeIsReportedAndTheGameEnds)
{
    qmtest::TempDir dir;
    WriteSettings(dir, "ScreenWidth=700\r\n");
    const ProcessResult r = RunGame(dir);
    EXPECT_EQ(r.exitCode, 1);  // after the error handler, not a crash on the way out
    EXPECT_TRUE(r.Says("Direct3D デバイスの作成に失敗しました。(コード 0x05)")) << r.err;
    // The adapter tables were written before the device was asked for.
    EXPECT_TRUE(std::ifstream(dir.File("DeviceLog.txt")).good());
}

}  // namespace
