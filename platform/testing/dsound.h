// Test seams of the sound layer: what tests, benchmarks and tools ask of it that the game never
// does. Linked from qm_platform_testing, never into the game.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/dsound/dsound.h"
#include "platform/dsound/seams.h"  // DirectSoundFaults

namespace platform {

// Detaches the mixer from the audio device: the device then plays silence and the play cursors
// move only through MixFrames. Off by default.
void SetManualMixing(bool manual);
// Mixes the next frames (interleaved left/right, 44.1 kHz) of every playing buffer into out and
// advances their play cursors, signalling the notifications passed on the way.
void MixFrames(std::int16_t* out, std::size_t frames);
// Whether an SDL audio device is open (at least one device object is alive and a device opened).
bool AudioDeviceOpen();

void SetDirectSoundFaults(const DirectSoundFaults& faults);

}  // namespace platform
