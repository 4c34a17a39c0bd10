// Multimedia timer and Sleep over the monotonic clock, with a hand-driven clock for tests.
#pragma once

#include "platform/win32/types.h"

using MMRESULT = UINT;

#define TIMERR_NOERROR 0
#define TIMERR_NOCANDO 97

struct TIMECAPS {
    UINT wPeriodMin;
    UINT wPeriodMax;
};
using LPTIMECAPS = TIMECAPS*;

// Milliseconds since an arbitrary start; wraps at 2^32.
DWORD timeGetTime();
MMRESULT timeGetDevCaps(LPTIMECAPS caps, UINT size);
// The clock is always millisecond-exact; the periods are only checked.
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);

void Sleep(DWORD milliseconds);

namespace platform {

// Test seam: while enabled, timeGetTime returns a value set by hand and Sleep returns at once,
// advancing that value by the time asked for. Set and Advance (from any thread) wake a
// thread waiting for messages, so its wait ends on the new time.
struct ManualClock {
    static void Enable(DWORD now = 0);
    static void Disable();
    static bool IsEnabled();
    static void Set(DWORD now);
    static void Advance(DWORD milliseconds);
};

}  // namespace platform
