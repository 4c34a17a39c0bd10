// The executable started as a player starts it in the sample folder, where the desktop lacks something:
// without a display it stops at once and says why; without a sound device it only runs silent.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "make-sample-data/SampleData.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    bool exited = false;
    int status = -1;
    std::string err;
};

class DesktopStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        game_ = dir_.Path() / "game";
        sample::WriteSampleFolder(game_);
        exe_ = dir_.Path() / "quillmark4";
        fs::copy_file(QM_GAME_EXE, exe_);
    }
    // Starts the game in its folder with the environment changed as given ("NAME=value" sets, "NAME"
    // unsets); with runFor > 0 it is asked to close (SIGTERM) that many microseconds after its device log
    // appeared, else it must end by itself within 20 s.
    pid_t Launch(const std::vector<std::string>& env, const fs::path& errFile)
    {
        const pid_t pid = fork();
        if (pid == 0) {
            if (chdir(game_.c_str()) != 0 || freopen(errFile.c_str(), "w", stderr) == nullptr) {
                _exit(127);
            }
            setenv("QM_RUNTIME_DIR", dir_.Path().c_str(), 1);
            for (const std::string& e : env) {
                const std::size_t eq = e.find('=');
                if (eq == std::string::npos) {
                    unsetenv(e.c_str());
                } else {
                    setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
                }
            }
            execl(exe_.c_str(), exe_.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        return pid;
    }
    Outcome Wait(pid_t pid, const fs::path& errFile, int runFor)
    {
        Outcome out;
        if (runFor > 0) {
            for (int i = 0; i < 500 && !fs::exists(game_ / "DeviceLog.txt"); ++i) {
                usleep(20000);
            }
            usleep(runFor);
            kill(pid, SIGTERM);
        } else {
            for (int i = 0; i < 1000 && waitpid(pid, &out.status, WNOHANG) == 0; ++i) {
                usleep(20000);
            }
            kill(pid, SIGKILL);  // one that never ended fails below
        }
        waitpid(pid, &out.status, 0);
        out.exited = WIFEXITED(out.status);
        out.status = out.exited ? WEXITSTATUS(out.status) : -1;
        std::stringstream text;
        text << std::ifstream(errFile).rdbuf();
        out.err = text.str();
        return out;
    }
    Outcome Run(const std::vector<std::string>& env, int runFor = 0)
    {
        const fs::path errFile = dir_.Path() / "stderr.txt";
        return Wait(Launch(env, errFile), errFile, runFor);
    }
    static std::size_t Count(const std::string& text, const std::string& part)
    {
        std::size_t n = 0;
        for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
            ++n;
        }
        return n;
    }

    qmtest::TempDir dir_;
    fs::path game_;
    fs::path exe_;
};

TEST_F(DesktopStart, WithoutADisplayTheGameStopsAtOnceAndWritesNoSave)
{
    if (std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr) {
        GTEST_SKIP() << "a display is present";
    }
    const Outcome out = Run({"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY", "SDL_AUDIODRIVER=dummy"});
    ASSERT_TRUE(out.exited) << out.err;
    EXPECT_NE(out.status, 0) << out.err;
    EXPECT_EQ(Count(out.err, "no display: "), 1u) << out.err;
    EXPECT_EQ(Count(out.err, "needs a graphical session"), 1u) << out.err;
    EXPECT_FALSE(fs::exists(game_ / "save"));
}

TEST_F(DesktopStart, WithoutASoundDeviceTheGameRunsSilentAndSaysSoOnce)
{
    const Outcome out = Run({"SDL_AUDIODRIVER=nosuch"}, 1500000);
    ASSERT_TRUE(out.exited) << out.err;
    EXPECT_EQ(out.status, 0) << out.err;
    EXPECT_EQ(out.err.rfind("no audio device: running without sound (", 0), 0u) << out.err;
    EXPECT_EQ(Count(out.err, "\n"), 1u) << out.err;
    EXPECT_TRUE(fs::is_directory(game_ / "save"));
}

}  // namespace
