#include "dx/dx8/sound/TStreamSound.h"

TStreamSound::TStreamSound(std::uint32_t bankId, TDSound8* owner)
    : state_(kNotLoaded), bankId_(bankId), length_(-1), minVolume_(-10000), maxVolume_(0), loop_(false),
      owner_(owner)
{
}

std::int32_t TStreamSound::ClampVolume(std::int32_t volume) const
{
    if (volume > maxVolume_) {
        return maxVolume_;
    }
    if (volume < minVolume_) {
        return minVolume_;
    }
    return volume;
}

void TStreamSound::SetMinVolume(std::int32_t volume)
{
    if (GetVolume() < volume) {
        SetVolume(volume);  // clamped by the old limits
    }
    minVolume_ = volume;
}

void TStreamSound::SetMaxVolume(std::int32_t volume)
{
    if (volume < GetVolume()) {
        SetVolume(volume);
    }
    maxVolume_ = volume;
}

std::int32_t TStreamSound::GetMinVolume()
{
    return minVolume_;
}

std::int32_t TStreamSound::GetMaxVolume()
{
    return maxVolume_;
}

std::int32_t TStreamSound::GetLength()
{
    return length_;
}

std::int32_t AttenuationToVolume(float t)
{
    const float t2 = t * t;
    const float t3 = t * t2;
    const float b = t2 - t3;
    const float a = t - 2.0f * b - t3;
    const float v = -1000.0f * a - 4000.0f * b - 10000.0f * t3;
    return static_cast<std::int32_t>(v);
}
