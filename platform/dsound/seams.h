// State behind the sound seams of platform/testing/: the layer's own code reads it, only the
// testing library changes it. Only platform code includes this.
#pragma once

#include <SDL.h>

#include <atomic>
#include <mutex>

namespace platform {

// Makes the named steps of the device fail, for tests of the callers' fallbacks.
struct DirectSoundFaults {
    bool create = false;          // DirectSoundCreate8
    bool priorityLevel = false;   // SetCooperativeLevel(DSSCL_PRIORITY)
    bool normalLevel = false;     // SetCooperativeLevel(DSSCL_NORMAL)
    bool primaryFormat = false;   // SetFormat on the primary buffer
    bool secondaryBuffer = false; // CreateSoundBuffer of a secondary buffer
};

namespace dsound {

// Main thread only.
extern DirectSoundFaults g_faults;

// While set, the audio device plays silence and the voices move only when pulled by hand.
extern std::atomic<bool> g_manualMixing;

// The SDL audio device, 0 while none is open; guarded by the lock.
extern std::mutex g_deviceLock;
extern SDL_AudioDeviceID g_device;

}  // namespace dsound

}  // namespace platform
