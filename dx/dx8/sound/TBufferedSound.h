// A sound source that plays through one sound buffer: the package waves and the music streams.
// Volume and pan go to the buffer; a source without buffer (it could not load) reads 0 and
// ignores settings.
#pragma once

#include "TCommon/TRefPtr.h"
#include "dx/dx8/sound/TStreamSound.h"
#include "platform/dsound/dsound.h"

class TBufferedSound : public TStreamSound {
public:
    using TStreamSound::TStreamSound;

    std::int32_t GetVolume() override;
    // Clamped to the source's limits; returns the volume set.
    std::int32_t SetVolume(std::int32_t volume) override;
    std::int32_t GetPan() override;
    void SetPan(std::int32_t pan) override;

protected:
    // Makes m_buffer (a version-8 buffer) of the given format, flags and size on the owner's device.
    bool CreateBuffer(const WAVEFORMATEX& format, DWORD flags, DWORD bytes);

    TComPtr<IDirectSoundBuffer8> m_buffer;
};
