// Volume and pan of a source's sound buffer, shared by the package waves and the music
// streams. A source without buffer (it could not load) reads 0 and ignores settings.
#pragma once

#include <cstdint>

#include "platform/dsound/dsound.h"

std::int32_t GetBufferVolume(IDirectSoundBuffer8* buffer);
void SetBufferVolume(IDirectSoundBuffer8* buffer, std::int32_t volume);
std::int32_t GetBufferPan(IDirectSoundBuffer8* buffer);
void SetBufferPan(IDirectSoundBuffer8* buffer, std::int32_t pan);
