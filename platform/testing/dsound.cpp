#include "platform/testing/dsound.h"

#include "platform/dsound/mixer.h"

namespace platform {

void SetManualMixing(bool manual)
{
    dsound::g_manualMixing.store(manual);
}

void MixFrames(std::int16_t* out, std::size_t frames)
{
    dsound::Mixer::Get().Mix(out, frames);
}

bool AudioDeviceOpen()
{
    std::lock_guard<std::mutex> guard(dsound::g_deviceLock);
    return dsound::g_device != 0;
}

void SetDirectSoundFaults(const DirectSoundFaults& faults)
{
    dsound::g_faults = faults;
}

}  // namespace platform
