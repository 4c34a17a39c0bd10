#include "dx/dx8/sound/TBufferedSound.h"

std::int32_t TBufferedSound::GetVolume()
{
    LONG volume = 0;
    if (buffer_.Get() == nullptr || FAILED(buffer_->GetVolume(&volume))) {
        return 0;
    }
    return volume;
}

std::int32_t TBufferedSound::SetVolume(std::int32_t volume)
{
    const std::int32_t set = ClampVolume(volume);
    if (buffer_.Get() != nullptr) {
        buffer_->SetVolume(set);
    }
    return set;
}

std::int32_t TBufferedSound::GetPan()
{
    LONG pan = 0;
    if (buffer_.Get() == nullptr || FAILED(buffer_->GetPan(&pan))) {
        return 0;
    }
    return pan;
}

void TBufferedSound::SetPan(std::int32_t pan)
{
    if (buffer_.Get() != nullptr) {
        buffer_->SetPan(pan);
    }
}
