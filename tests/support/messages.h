// Helpers for tests that look at the window-message queue.
#pragma once

#include <vector>

#include "platform/win32/window.h"

namespace qmtest {

// Takes every message now in the queue (pumping SDL events first) without dispatching any.
std::vector<MSG> TakeAllMessages();

}  // namespace qmtest
