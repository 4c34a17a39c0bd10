// The sound source that banks hold and callers play: package waves and streamed music.
// Volumes are DirectSound volumes in hundredths of a decibel, -10000 (silent) to 0 (full).
#pragma once

#include <atomic>
#include <cstdint>

class TDSound8;

class TStreamSound {
    friend struct TDxProbe;

public:
    // States.
    static constexpr std::int32_t kPlaying = 0;
    static constexpr std::int32_t kStopped = 1;
    static constexpr std::int32_t kNotLoaded = 2;

    TStreamSound(std::uint32_t bankId, TDSound8* owner);
    virtual ~TStreamSound() = default;
    TStreamSound(const TStreamSound&) = delete;
    TStreamSound& operator=(const TStreamSound&) = delete;

    virtual void Play() = 0;
    virtual void Stop(bool rewind) = 0;
    virtual void SetLoop(bool loop) = 0;
    virtual void Rewind() = 0;
    virtual std::int32_t GetVolume() = 0;
    // Clamps to [minimum, maximum], sets it and returns what was set.
    virtual std::int32_t SetVolume(std::int32_t volume) = 0;
    virtual void SetMinVolume(std::int32_t volume);
    virtual void SetMaxVolume(std::int32_t volume);
    virtual std::int32_t GetMinVolume();
    virtual std::int32_t GetMaxVolume();
    virtual std::int32_t GetPan() = 0;
    virtual void SetPan(std::int32_t pan) = 0;
    // Milliseconds; -1 until measured.
    virtual std::int32_t GetLength();


protected:
    // The clamp every SetVolume applies: above the maximum → maximum, else below the minimum → minimum.
    std::int32_t ClampVolume(std::int32_t volume) const;

    // A music stream's worker stops the sound at the end of a one-shot track.
    std::atomic<std::int32_t> m_state;
    std::uint32_t m_bankId;
    std::int32_t m_length;
    std::int32_t m_minVolume;
    std::int32_t m_maxVolume;
    bool m_loop;
    TDSound8* m_owner;
};

// Attenuation t in 0..1 (0 = none) to a volume, on the curve the fader uses too:
// -1000·t(1-t)² - 4000·t²(1-t) - 10000·t³, truncated toward zero.
std::int32_t AttenuationToVolume(float t);
