// The software mixer behind the secondary buffers. Only the sound layer includes this.
#pragma once

#include <array>
#include <condition_variable>
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

// What the mixer needs of a voice to mix one pull: copied under the mixer lock, then mixed
// outside it.
struct VoiceState {
    static constexpr int kMaxLocks = 4;

    DWORD frames = 0;
    WORD channels = 2;
    WORD bits = 16;
    WORD blockAlign = 4;
    DWORD frequency = kOutputRate;  // what plays now
    float gainLeft = 1.0f;
    float gainRight = 1.0f;
    bool looping = false;
    std::uint64_t position = 0;  // frames, 32.32 fixed point
    std::array<LockedRegion, kMaxLocks> locks{};
    int lockCount = 0;

    bool IsLocked(DWORD frame) const;
};

// One secondary buffer's sound as the mixer sees it. Every field is guarded by the mixer lock,
// except the bytes of data: those inside a locked region belong to the caller until Unlock (the
// mixer plays silence there rather than read them half-written), and a pull in progress reads
// the ones in its range outside the lock (a Lock over them waits for it).
struct Voice : VoiceState {
    std::vector<std::uint8_t> data;  // never resized once made
    DWORD bytes = 0;
    DWORD originalRate = kOutputRate;
    LONG volume = 0;
    LONG pan = 0;
    bool playing = false;
    std::vector<Notification> notifications;  // ascending by frame
    std::vector<HANDLE> stopEvents;
    // A control call made while a pull is mixed wins over what the pull would write back.
    std::uint32_t positionSerial = 0;  // SetCurrentPosition
    std::uint32_t playSerial = 0;      // Play and Stop
    // The pull in progress reads readCount frames from readFrom, wrapping at the end.
    bool mixing = false;
    DWORD readFrom = 0;
    DWORD readCount = 0;

    void UpdateGains();
    // True when a pull in progress may read a byte of the region.
    bool IsBeingRead(const LockedRegion& region) const;
};

// Gain of a DirectSound volume in hundredths of a decibel; -10000 and below are silent.
float VolumeToGain(LONG volume);

// The mixer lock guards the voices' fields and is held only for bookkeeping: a pull copies what
// it needs under it, mixes outside it, and takes it again to move the voices on.
class Mixer {
public:
    static Mixer& Get();

    std::mutex& Lock() { return lock_; }
    // All three with the lock held by guard.
    void Add(Voice* voice);
    // Waits until no pull reads the voice any more.
    void Remove(Voice* voice, std::unique_lock<std::mutex>& guard);
    // Waits while a pull in progress may read bytes of the region.
    void WaitUntilUnread(const Voice& voice, const LockedRegion& region, std::unique_lock<std::mutex>& guard);

    // Mixes frames into out (interleaved stereo) and signals the events passed on the way.
    void Mix(std::int16_t* out, std::size_t frames);

private:
    struct Job {
        Voice* voice;
        const std::uint8_t* data;
        VoiceState state;
        std::uint32_t positionSerial;
        std::uint32_t playSerial;
        DWORD from;
        unsigned wraps;
        bool ended;
    };
    void Start(std::size_t frames);
    void Finish();

    std::mutex lock_;
    std::condition_variable read_;  // a pull finished reading its voices
    std::vector<Voice*> voices_;
    std::mutex pullLock_;  // one pull at a time; guards the members below
    std::vector<Job> jobs_;  // all three keep their capacity from one pull to the next
    std::vector<float> accumulator_;
    std::vector<HANDLE> passed_;
};

// Opens the SDL audio device for the first device object and closes it after the last one.
void AcquireAudioDevice();
void ReleaseAudioDevice();

}  // namespace platform::dsound
