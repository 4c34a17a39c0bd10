#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "MainCode/Character/MersenneTwister.h"
#include "platform/win32/timer.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

constexpr char kFirstDrawFile[] = "QM_FIRST_DRAW_FILE";

// This binary started again with kFirstDrawFile set does what the game does first at start-up, seed
// the generator with the clock's first reading, writes the reading and the first draw there, and ends.
[[maybe_unused]] const bool kFirstDrawChild = [] {
    const char* path = std::getenv(kFirstDrawFile);
    if (path == nullptr) {
        return false;
    }
    const DWORD reading = timeGetTime();
    init_genrand(reading);
    const std::uint32_t draw = genrand_int32();
    std::FILE* out = std::fopen(path, "w");
    const bool written = out != nullptr && std::fprintf(out, "%u %u\n", reading, draw) > 0;
    if (out != nullptr) {
        std::fclose(out);
    }
    std::_Exit(written ? 0 : 1);
}();

struct FirstDraw {
    DWORD reading = 0;
    std::uint32_t draw = 0;
};

FirstDraw StartedAgain(const std::string& file)
{
    char self[PATH_MAX] = {};
    EXPECT_GT(readlink("/proc/self/exe", self, sizeof(self) - 1), 0);
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        env.emplace_back(*e);
    }
    env.push_back(std::string(kFirstDrawFile) + "=" + file);
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    char* argv[] = {self, nullptr};
    pid_t pid = 0;
    int status = -1;
    EXPECT_EQ(posix_spawn(&pid, self, nullptr, nullptr, argv, envp.data()), 0);
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    FirstDraw first;
    std::ifstream(file) >> first.reading >> first.draw;
    return first;
}

DWORD Uptime()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<DWORD>(static_cast<unsigned long long>(t.tv_sec) * 1000u + t.tv_nsec / 1000000);
}

}  // namespace

// The standard generator is the reference: deep enough to pass through many regenerations of the
// whole state, for the default seed and for clock values as the game seeds it at start-up.
TEST(MersenneTwister, SequencesMatchTheReferenceGeneratorAndInt31TakesTheNextOutputShiftedOnce)
{
    for (std::uint32_t seed : {5489u, 0u, 123456789u, 0xFFFFFFFFu}) {
        init_genrand(seed);
        std::mt19937 reference(seed);
        for (int i = 0; i < 10000; ++i) {
            ASSERT_EQ(genrand_int32(), reference()) << "seed " << seed << " value " << i;
        }
        EXPECT_EQ(genrand_int31(), reference() >> 1) << seed;
        EXPECT_EQ(genrand_int32(), reference()) << seed;
    }
}

// Seeded with the clock's first reading, which counts from the system's start: two runs started a
// millisecond or more apart each read the uptime they started at and draw differently.
TEST(MersenneTwister, RunsStartedApartSeedFromTheUptimeAndDrawDifferently)
{
    qmtest::TempDir dir;
    const DWORD before = Uptime();
    const FirstDraw first = StartedAgain(dir.File("first.txt"));
    const DWORD between = Uptime();
    while (Uptime() == between) {
    }
    const FirstDraw second = StartedAgain(dir.File("second.txt"));
    const DWORD after = Uptime();

    EXPECT_LE(static_cast<DWORD>(first.reading - before), static_cast<DWORD>(between - before)) << first.reading;
    EXPECT_LE(static_cast<DWORD>(second.reading - between - 1), static_cast<DWORD>(after - between - 1))
        << second.reading;
    EXPECT_NE(first.draw, second.draw);
    EXPECT_EQ(first.draw, std::mt19937(first.reading)());
    EXPECT_EQ(second.draw, std::mt19937(second.reading)());
}
