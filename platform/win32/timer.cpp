#include "platform/win32/timer.h"

#include <sched.h>
#include <time.h>

#include <atomic>
#include <cerrno>

#include "platform/win32/seams.h"

namespace {

constexpr UINT kPeriodMin = 1;
constexpr UINT kPeriodMax = 1000000;

}  // namespace

namespace platform::seams {

std::atomic<bool> g_manualClock{false};
std::atomic<DWORD> g_manualNow{0};

}  // namespace platform::seams

using platform::seams::g_manualClock;
using platform::seams::g_manualNow;

DWORD timeGetTime()
{
    if (g_manualClock.load()) {
        return g_manualNow.load();
    }
    // The monotonic clock counts from boot, as the original did; the game seeds its
    // random generator with this, so it must not start at the same value every run.
    // (<chrono> cannot be used here: its sources do not convert to CP932.)
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}

MMRESULT timeGetDevCaps(LPTIMECAPS caps, UINT size)
{
    if (caps == nullptr || size < sizeof(TIMECAPS)) {
        return TIMERR_NOCANDO;
    }
    caps->wPeriodMin = kPeriodMin;
    caps->wPeriodMax = kPeriodMax;
    return TIMERR_NOERROR;
}

MMRESULT timeBeginPeriod(UINT period)
{
    return period >= kPeriodMin && period <= kPeriodMax ? TIMERR_NOERROR : TIMERR_NOCANDO;
}

MMRESULT timeEndPeriod(UINT period)
{
    return timeBeginPeriod(period);
}

void Sleep(DWORD milliseconds)
{
    if (g_manualClock.load()) {
        g_manualNow.fetch_add(milliseconds);
        return;
    }
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}
