// Moves one sound's volume from where it is to its maximum (fade in) or its minimum (fade out)
// over a number of frames, along the same curve as AttenuationToVolume. Step once per frame
// until it returns false.
#pragma once

#include <cstdint>

#include "TCommon/TLinearRamp.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/sound/TStreamSound.h"

class TSoundFader {
public:
    // endLevel is how far along the curve the fade goes (1 = all the way to the end volume).
    TSoundFader(TRefPtr<TStreamSound> sound, bool fadeIn, float endLevel, std::int32_t steps);
    virtual ~TSoundFader() = default;
    TSoundFader(const TSoundFader&) = delete;
    TSoundFader& operator=(const TSoundFader&) = delete;

    // Sets the volume for the current level, then moves one step on; false once the last
    // level has been set. A fader without a sound does nothing and returns false.
    bool Step();
    // Stops the sound (rewinding it if asked).
    void Stop(bool rewind);

    bool IsFinished() const { return m_finished; }
    // The volume at level t in 0..1 between the start volume and the end volume.
    std::int32_t Curve(float t) const;

private:
    TRefPtr<TStreamSound> m_sound;
    TLinearRamp m_ramp;
    bool m_finished;
    float m_endLevel;
    std::int32_t m_points[4];
};

// One step of a fader that may be missing: true while it still moves; false once it has
// finished (a fader without a sound counts as finished) and when there is none.
inline bool StepFader(const TRefPtr<TSoundFader>& fader)
{
    return fader.Get() != nullptr && fader->Step();
}
