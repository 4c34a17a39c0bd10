// Secondary buffers. Only the sound layer includes this.
#pragma once

#include "platform/dsound/dsound.h"

namespace platform::dsound {

// Checks a PCM format the mixer can play: 1 or 2 channels, 8 or 16 bits, a matching block
// align and a rate in the frequency range.
bool IsPlayableFormat(const WAVEFORMATEX& format);

// Makes a secondary buffer for desc (already checked not to be a primary one).
HRESULT CreateSecondaryBuffer(const DSBUFFERDESC& desc, LPDIRECTSOUNDBUFFER* buffer);

bool SameGuid(const GUID& a, const GUID& b);

}  // namespace platform::dsound
