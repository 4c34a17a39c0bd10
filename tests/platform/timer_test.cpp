#include <gtest/gtest.h>

#include <time.h>

#include "platform/testing/win32.h"
#include "platform/win32/timer.h"

namespace {

TEST(Timer, ManualClockWrapsAndSleepAdvancesIt)
{
    platform::ManualClock::Enable(0xFFFFFFF0u);
    const DWORD start = timeGetTime();
    EXPECT_EQ(start, 0xFFFFFFF0u);
    platform::ManualClock::Advance(0x0F);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFFFu);
    Sleep(0x11);  // returns at once, crossing the wrap
    EXPECT_EQ(timeGetTime(), 0x10u);
    EXPECT_EQ(static_cast<DWORD>(timeGetTime() - start), 0x20u);
    platform::ManualClock::Disable();
}

// The clock counts from the system's start, not from its first reading: the game seeds its random
// numbers with it. Read between two readings of the system's own uptime, it lies between them.
TEST(Timer, RealClockReadsTheSystemsUptimeInMilliseconds)
{
    const auto uptime = [] {
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC, &t);
        return static_cast<DWORD>(static_cast<unsigned long long>(t.tv_sec) * 1000u + t.tv_nsec / 1000000);
    };
    const DWORD before = uptime();
    const DWORD now = timeGetTime();
    const DWORD after = uptime();
    EXPECT_LE(static_cast<DWORD>(now - before), static_cast<DWORD>(after - before)) << before << " " << now;
}

TEST(Timer, RealClockIsMonotonicSleepWaitsAndPeriodsAreAccepted)
{
    const DWORD before = timeGetTime();
    Sleep(20);
    const DWORD elapsed = timeGetTime() - before;
    EXPECT_GE(elapsed, 20u);
    EXPECT_LT(elapsed, 2000u);

    TIMECAPS caps{};
    EXPECT_EQ(timeGetDevCaps(&caps, sizeof(caps)), static_cast<MMRESULT>(TIMERR_NOERROR));
    EXPECT_EQ(caps.wPeriodMin, 1u);
    EXPECT_EQ(timeBeginPeriod(caps.wPeriodMin), static_cast<MMRESULT>(TIMERR_NOERROR));
    EXPECT_EQ(timeEndPeriod(caps.wPeriodMin), static_cast<MMRESULT>(TIMERR_NOERROR));
}

}  // namespace
