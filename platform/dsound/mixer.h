// The software mixer behind the secondary buffers. Only the sound layer includes this.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/dsound/dsound.h"

namespace platform::dsound {

constexpr DWORD kOutputRate = 44100;

struct Notification {
    DWORD frame;  // the byte offset as a frame index
    HANDLE event;
};

// Bytes a caller holds locked: [offset, offset + bytes) and, past the end, [0, wrapped).
struct LockedRegion {
    DWORD offset = 0;
    DWORD bytes = 0;
    DWORD wrapped = 0;
};

// One secondary buffer's sound as the mixer sees it. Every field is guarded by the mixer lock,
// except the bytes of data inside a locked region: those belong to the caller until Unlock, and
// the mixer plays silence there rather than read them half-written.
struct Voice {
    static constexpr int kMaxLocks = 4;

    std::vector<std::uint8_t> data;
    DWORD bytes = 0;
    DWORD frames = 0;
    WORD channels = 2;
    WORD bits = 16;
    WORD blockAlign = 4;
    DWORD originalRate = kOutputRate;
    DWORD frequency = kOutputRate;  // what plays now
    LONG volume = 0;
    LONG pan = 0;
    float gainLeft = 1.0f;
    float gainRight = 1.0f;
    bool playing = false;
    bool looping = false;
    std::uint64_t position = 0;  // frames, 32.32 fixed point
    std::vector<Notification> notifications;  // ascending by frame
    std::vector<HANDLE> stopEvents;
    std::array<LockedRegion, kMaxLocks> locks{};
    int lockCount = 0;

    void UpdateGains();
    bool IsLocked(DWORD frame) const;
};

// Gain of a DirectSound volume in hundredths of a decibel; -10000 and below are silent.
float VolumeToGain(LONG volume);

class Mixer {
public:
    static Mixer& Get();

    std::mutex& Lock() { return lock_; }
    // Both under the lock.
    void Add(Voice* voice);
    void Remove(Voice* voice);

    // Mixes frames into out (interleaved stereo) and signals the events passed on the way.
    void Mix(std::int16_t* out, std::size_t frames);

private:
    std::mutex lock_;
    std::vector<Voice*> voices_;
    std::vector<float> accumulator_;  // both keep their capacity from one pull to the next
    std::vector<HANDLE> passed_;
};

// Opens the SDL audio device for the first device object and closes it after the last one.
void AcquireAudioDevice();
void ReleaseAudioDevice();

}  // namespace platform::dsound
