// Multimedia timer and Sleep over the monotonic clock.
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
