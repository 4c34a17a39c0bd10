// What the events and threads share. Only platform code includes this.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "platform/win32/sync.h"

namespace platform::sync {

// One lock and one wake-up for every waitable object: waits on several objects stay simple,
// and the game has only a handful of threads.
std::mutex& SyncLock();
std::condition_variable& SyncChanged();
// Woken when a thread of ours goes to sleep in a wait, ends, or an event is reset.
std::condition_variable& IdleChanged();

// Guarded by SyncLock.
struct WaitState {
    bool signalled = false;
    bool manualReset = true;
    DWORD exitCode = STILL_ACTIVE;  // threads only
    // Threads only: asleep in a wait, and on what.
    bool sleeping = false;
    std::span<const std::shared_ptr<WaitState>> awaited;
};

// The threads started here that have not returned yet. Guarded by SyncLock.
std::vector<std::shared_ptr<WaitState>>& RunningThreads();

}  // namespace platform::sync
