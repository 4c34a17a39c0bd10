// The game executable itself, started as a player would start it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/text/cp932.h"
#include "support/temp_dir.h"

namespace {

struct ProcessResult {
    int exitCode = -1;
    std::string err;
};

// Runs the game in the given folder with the test environment; stderr is captured.
ProcessResult RunGame(const qmtest::TempDir& dir)
{
    const std::string errPath = dir.File("stderr.txt");
    const std::string command = "cd '" + dir.Path().string() + "' && QM_RUNTIME_DIR='" + dir.Path().string() + "' '" +
                                QM_GAME_EXE + "' 2>'" + errPath + "' </dev/null";
    const int status = std::system(command.c_str());
    ProcessResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errPath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    result.err = text.str();
    return result;
}

}  // namespace

TEST(GameProcess, WithoutSettingsTellsThePlayerOnStderrAndExitsWithZero)
{
    qmtest::TempDir dir;
    const ProcessResult r = RunGame(dir);
    EXPECT_EQ(r.exitCode, 0);
    // The message box text reaches stderr as UTF-8 when no display can show it.
    EXPECT_NE(r.err.find(platform::Cp932ToUtf8("Quillmark起動エラー")), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(platform::Cp932ToUtf8("起動設定ファイル setting.ini が見つかりませんでした。")), std::string::npos) << r.err;
    EXPECT_FALSE(std::ifstream(dir.File("save")).good());
}

TEST(GameProcess, ASecondCopyIsRefusedWhileTheFirstRuns)
{
    qmtest::TempDir dir;
    {
        std::ofstream ini(dir.File("setting.ini"), std::ios::binary);
        ini << "[CurrentSetting]\r\nScreenMode=Window\r\n";
    }
    const pid_t first = fork();
    ASSERT_GE(first, 0);
    if (first == 0) {
        if (chdir(dir.Path().c_str()) != 0) {
            _exit(127);
        }
        setenv("QM_RUNTIME_DIR", dir.Path().c_str(), 1);
        execl(QM_GAME_EXE, QM_GAME_EXE, static_cast<char*>(nullptr));
        _exit(127);
    }
    // Wait until the first copy has made its save folder: it holds the instance lock by then.
    for (int i = 0; i < 200 && !std::ifstream(dir.File("save") + "/.").good(); ++i) {
        usleep(20000);
    }
    const ProcessResult second = RunGame(dir);
    kill(first, SIGTERM);
    int status = 0;
    waitpid(first, &status, 0);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_NE(second.err.find(platform::Cp932ToUtf8("多重起動禁止")), std::string::npos) << second.err;
}

TEST(GameProcess, ADeviceThatCannotBeMadeIsReportedAndTheGameEnds)
{
    qmtest::TempDir dir;
    {
        std::ofstream ini(dir.File("setting.ini"), std::ios::binary);
        ini << "[CurrentSetting]\r\nScreenMode=Window\r\nScreenWidth=700\r\n";
    }
    const ProcessResult r = RunGame(dir);
    EXPECT_EQ(r.exitCode, 1);  // after the error handler, not a crash on the way out
    EXPECT_NE(r.err.find(platform::Cp932ToUtf8("Direct3D デバイスの作成に失敗しました。(コード 0x05)")), std::string::npos)
        << r.err;
    // The adapter tables were written before the device was asked for.
    EXPECT_TRUE(std::ifstream(dir.File("DeviceLog.txt")).good());
}
