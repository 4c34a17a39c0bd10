#include <gtest/gtest.h>

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
