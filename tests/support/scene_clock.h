// Whole-game tests step the application one scene step a frame on the manual clock.
#pragma once

#include <cmath>

#include "MainCode/TLoop.h"
#include "platform/testing/win32.h"

namespace qmtest {

// Sets the manual clock to the first whole millisecond at which the scene of this timer steps
// once. The next step time rounded up can still fall a hair short of a full interval in double
// arithmetic, and then the frame would step nothing.
inline void SetClockToNextStep(const TFrameTimer& timer)
{
    auto t = static_cast<DWORD>(std::ceil(timer.m_last + timer.m_interval));
    while (static_cast<double>(t) - timer.m_last < timer.m_interval) {
        ++t;
    }
    platform::ManualClock::Set(t);
}

}  // namespace qmtest
