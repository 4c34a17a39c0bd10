#include "dx/dx8/sound/TStreamSound.h"

TStreamSound::TStreamSound(std::uint32_t bankId, TDSound8* owner)
    : m_state(kNotLoaded), m_bankId(bankId), m_length(-1), m_minVolume(-10000), m_maxVolume(0), m_loop(false),
      m_owner(owner)
{
}

std::int32_t TStreamSound::ClampVolume(std::int32_t volume) const
{
    if (volume > m_maxVolume) {
        return m_maxVolume;
    }
    if (volume < m_minVolume) {
        return m_minVolume;
    }
    return volume;
}

void TStreamSound::SetMinVolume(std::int32_t volume)
{
    if (GetVolume() < volume) {
        SetVolume(volume);  // clamped by the old limits
    }
    m_minVolume = volume;
}

void TStreamSound::SetMaxVolume(std::int32_t volume)
{
    if (volume < GetVolume()) {
        SetVolume(volume);
    }
    m_maxVolume = volume;
}

std::int32_t TStreamSound::GetMinVolume()
{
    return m_minVolume;
}

std::int32_t TStreamSound::GetMaxVolume()
{
    return m_maxVolume;
}

std::int32_t TStreamSound::GetLength()
{
    return m_length;
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
