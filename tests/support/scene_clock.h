// Whole-game tests step the application one scene step a frame on the manual clock.
#pragma once

#include <cmath>

#include "MainCode/TLoop.h"
#include "platform/testing/win32.h"

namespace qmtest {

// Sets the manual clock to the first whole millisecond at which the scene of this timer has n steps
// due. The due time rounded up can still fall a hair short of the intervals in double arithmetic,
// and then the frame would step one fewer; a catch-up takes the interval off step by step, so
// several steps are given half a millisecond to spare.
inline void SetClockToStep(const TFrameTimer& timer, int n)
{
    const double due = n * timer.m_interval + (n > 1 ? 0.5 : 0.0);
    auto t = static_cast<DWORD>(std::ceil(timer.m_last + due));
    while (static_cast<double>(t) - timer.m_last < due) {
        ++t;
    }
    platform::ManualClock::Set(t);
}

inline void SetClockToNextStep(const TFrameTimer& timer) { SetClockToStep(timer, 1); }

}  // namespace qmtest
