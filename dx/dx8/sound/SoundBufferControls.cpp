#include "dx/dx8/sound/SoundBufferControls.h"

std::int32_t GetBufferVolume(IDirectSoundBuffer8* buffer)
{
    LONG volume = 0;
    if (buffer == nullptr || FAILED(buffer->GetVolume(&volume))) {
        return 0;
    }
    return volume;
}

void SetBufferVolume(IDirectSoundBuffer8* buffer, std::int32_t volume)
{
    if (buffer != nullptr) {
        buffer->SetVolume(volume);
    }
}

std::int32_t GetBufferPan(IDirectSoundBuffer8* buffer)
{
    LONG pan = 0;
    if (buffer == nullptr || FAILED(buffer->GetPan(&pan))) {
        return 0;
    }
    return pan;
}

void SetBufferPan(IDirectSoundBuffer8* buffer, std::int32_t pan)
{
    if (buffer != nullptr) {
        buffer->SetPan(pan);
    }
}
