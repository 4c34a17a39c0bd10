#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include <time.h>

#include "TUtility/TSystemInfo.h"

#if defined(__i386__) || defined(__x86_64__)
#include <x86intrin.h>
#endif

namespace {

// Measuring takes a second: the suite measures once and its cases work on that or on copies.
class SystemInfo : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
#if defined(__i386__) || defined(__x86_64__)
        const std::uint64_t startNs = NowNs();
        const std::uint64_t before = __rdtsc();
        s_measured = new TSystemInfo;
        s_ticks = __rdtsc() - before;
        s_ns = NowNs() - startNs;
#else
        s_measured = new TSystemInfo;
#endif
    }
    static void TearDownTestSuite()
    {
        delete s_measured;
        s_measured = nullptr;
    }
    static inline TSystemInfo* s_measured = nullptr;
    // The counter's ticks around the measurement, and the nanoseconds they took.
    static inline std::uint64_t s_ticks = 0;
    static inline std::uint64_t s_ns = 0;

    static std::uint64_t NowNs()
    {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u + static_cast<std::uint64_t>(now.tv_nsec);
    }
};

struct Fields {
    std::uint32_t type, family, model, stepping;
    bool fpu, tsc, mmx, sse, now3d, now3dExt;
};

Fields Read(const TSystemInfo& info)
{
    return {info.GetType(), info.GetFamily(), info.GetModel(), info.GetStepping(), info.HasFpu(), info.HasTsc(),
        info.HasMmx(), info.HasSse(), info.Has3DNow(), info.HasExtended3DNow()};
}

// Each field is cut at its own bits: the neighbours of every flag are set without it, and the
// bits above the type (14, 15) and the extended family and model never leak in.
TEST_F(SystemInfo, DecodesEachFieldFromItsOwnBits)
{
    const struct {
        std::uint32_t eax1, edx1, edxExtended;
        Fields want;
    } cases[] = {
        {0x00000000, 0x00000000, 0x00000000, {0, 0, 0, 0, false, false, false, false, false, false}},
        {0x00002A7C, 0x00000001, 0x00000000, {2, 0xA, 7, 0xC, true, false, false, false, false, false}},
        {0x0FFFD3E1, 0x00000010, 0x80000000, {1, 3, 0xE, 1, false, true, false, false, true, false}},
        {0x0000F000, 0x00800000, 0x40000000, {3, 0, 0, 0, false, false, true, false, false, true}},
        {0x00000F00, 0x02000000, 0x00000000, {0, 0xF, 0, 0, false, false, false, true, false, false}},
        {0x000000F0, 0xFD7FFFEE, 0x3FFFFFFF, {0, 0, 0xF, 0, false, false, false, false, false, false}},
        {0x0000000F, 0xFFFFFFFF, 0xFFFFFFFF, {0, 0, 0, 0xF, true, true, true, true, true, true}},
    };
    TSystemInfo info = *s_measured;
    for (const auto& c : cases) {
        info.DecodeCpuid(c.eax1, c.edx1, c.edxExtended);
        const Fields got = Read(info);
        SCOPED_TRACE(testing::Message() << std::hex << c.eax1 << ' ' << c.edx1 << ' ' << c.edxExtended);
        EXPECT_EQ(got.type, c.want.type);
        EXPECT_EQ(got.family, c.want.family);
        EXPECT_EQ(got.model, c.want.model);
        EXPECT_EQ(got.stepping, c.want.stepping);
        EXPECT_EQ(got.fpu, c.want.fpu);
        EXPECT_EQ(got.tsc, c.want.tsc);
        EXPECT_EQ(got.mmx, c.want.mmx);
        EXPECT_EQ(got.sse, c.want.sse);
        EXPECT_EQ(info.HasSse2(), c.want.sse);  // the second flag reads the same bit
        EXPECT_EQ(got.now3d, c.want.now3d);
        EXPECT_EQ(got.now3dExt, c.want.now3dExt);
    }
}

TEST(SystemInfoArithmetic, ClockKeepsTheLowWordOfTheTicksAndMemoryRoundsBy640Bytes)
{
    const struct {
        std::uint64_t before, after;
        std::uint32_t mhz;
    } clocks[] = {
        {1000, 1000 + 2'596'146'000ull, 2596},
        {0, 999'999, 0},
        {0xFFFFFFFFFFFF0000ull, 0xFFFFFFFFFFFF0000ull + 3'000'000'000ull, 3000},  // the counter wraps
        {0, 0xFFFFFFFFull, 4294},
        {0, 0x100000000ull, 0},                    // faster than 4.29 GHz: the high word is lost
        {7, 7 + 5'000'000'000ull, 705},
    };
    for (const auto& c : clocks) {
        EXPECT_EQ(TSystemInfo::ClockMHz(c.before, c.after), c.mhz) << c.before << " to " << c.after;
    }
    const struct {
        std::uint64_t bytes;
        std::uint32_t mb;
    } memories[] = {
        {0, 0},
        {1048576 - 641, 0},
        {1048576 - 640, 1},
        {8589934592ull - 640, 8192},
        {8589934592ull - 641, 8191},
        {25274781696ull, 24103},
    };
    for (const auto& m : memories) {
        EXPECT_EQ(TSystemInfo::MemoryMB(m.bytes), m.mb) << m.bytes;
    }
}

std::string CpuinfoValue(const std::string& text, const std::string& key)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(key, 0) == 0 && line.find(':') != std::string::npos &&
            line.find_first_not_of(" \t", key.size()) == line.find(':')) {
            return line.substr(line.find(':') + 1);
        }
    }
    return {};
}

bool HasCpuFlag(const std::string& flags, const std::string& flag)
{
    std::istringstream words(flags);
    for (std::string word; words >> word;) {
        if (word == flag) {
            return true;
        }
    }
    return false;
}

// On this machine, against what the kernel reports and the counter read around the measurement.
TEST_F(SystemInfo, MeasuresThisMachine)
{
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::uint64_t totalKiB = 0;
    while (meminfo >> key && key != "MemTotal:") {
    }
    meminfo >> totalKiB;
    ASSERT_GT(totalKiB, 0u);
    const TSystemInfo& info = *s_measured;
    EXPECT_EQ(info.GetMemoryMB(), (totalKiB * 1024 + 640) >> 20);

#if defined(__i386__) || defined(__x86_64__)
    const std::uint64_t ticks = s_ticks;
    std::ifstream file("/proc/cpuinfo");
    const std::string cpuinfo((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::string flags = CpuinfoValue(cpuinfo, "flags");
    ASSERT_FALSE(flags.empty());
    EXPECT_TRUE(info.HasCpuid());
    // The kernel shows the whole family and model; the measurement keeps their low fields.
    const unsigned family = std::stoul(CpuinfoValue(cpuinfo, "cpu family"));
    EXPECT_EQ(info.GetFamily(), family < 15 ? family : 15u);
    EXPECT_EQ(info.GetModel(), std::stoul(CpuinfoValue(cpuinfo, "model")) & 0xF);
    EXPECT_EQ(info.GetStepping(), std::stoul(CpuinfoValue(cpuinfo, "stepping")));
    EXPECT_EQ(info.GetType(), 0u);
    EXPECT_EQ(info.HasFpu(), HasCpuFlag(flags, "fpu"));
    EXPECT_EQ(info.HasTsc(), HasCpuFlag(flags, "tsc"));
    EXPECT_EQ(info.HasMmx(), HasCpuFlag(flags, "mmx"));
    EXPECT_EQ(info.HasSse(), HasCpuFlag(flags, "sse"));
    EXPECT_EQ(info.HasSse2(), info.HasSse());
    EXPECT_EQ(info.Has3DNow(), HasCpuFlag(flags, "3dnow"));
    EXPECT_EQ(info.HasExtended3DNow(), HasCpuFlag(flags, "3dnowext"));
    ASSERT_TRUE(info.HasTsc());
    // The clock counts the ticks of at least one second, inside the ticks seen around it: at least
    // the counter's rate in MHz, which the ticks over the nanoseconds around it give. Past 2^32
    // ticks the low word may have wrapped, and only the range of the word can be checked.
    ASSERT_GT(s_ns, 0u);
    const std::uint64_t rateMHz = ticks * 1000 / s_ns;
    if (ticks < 0x100000000ull) {
        EXPECT_GE(info.GetClock(), 100u);
        EXPECT_LE(info.GetClock(), ticks / 1000000u);
        EXPECT_GE(info.GetClock(), rateMHz * 99 / 100) << "ticks of less than a second";
    } else {
        EXPECT_LE(info.GetClock(), 4294u);
    }
#else
    // Without the processor's identification every processor field stays 0/false.
    EXPECT_FALSE(info.HasCpuid());
    EXPECT_EQ(info.GetClock(), 0u);
#endif
}

}  // namespace
