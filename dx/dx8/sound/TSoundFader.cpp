#include "dx/dx8/sound/TSoundFader.h"

TSoundFader::TSoundFader(TRefPtr<TStreamSound> sound, bool fadeIn, float endLevel, std::int32_t steps)
    : m_sound(sound), m_finished(steps == 0), m_endLevel(endLevel), m_points{0, 0, 0, 0}
{
    m_ramp.Set(0.0f, 0.0f, 0, 0);
    m_ramp.value = 0.0f;
    m_ramp.from = 0.0f;
    m_ramp.to = endLevel;
    m_ramp.step = 0;
    m_ramp.steps = steps;
    TStreamSound* s = m_sound.Get();
    if (s == nullptr) {
        m_finished = true;
        return;
    }
    const std::int32_t start = s->GetVolume();
    const std::int32_t end = fadeIn ? s->GetMaxVolume() : s->GetMinVolume();
    m_points[0] = start;
    m_points[1] = start + (end - start) / 10;
    m_points[2] = start + ((end - start) * 4) / 10;
    m_points[3] = end;
}

std::int32_t TSoundFader::Curve(float t) const
{
    // The weights of AttenuationToVolume: no factor 3 on the middle two.
    const double x = t;
    const double u = 1.0 - x;
    const double v = u * u * u * m_points[0] + x * u * u * m_points[1] + x * x * u * m_points[2] +
                     x * x * x * m_points[3];
    return static_cast<std::int32_t>(v);
}

bool TSoundFader::Step()
{
    TStreamSound* s = m_sound.Get();
    if (s == nullptr) {
        return false;
    }
    s->SetVolume(Curve(m_ramp.value));
    if (m_ramp.step >= m_ramp.steps) {
        m_ramp.step = m_ramp.steps;
        m_ramp.value = m_ramp.to;
        m_finished = true;
        return false;
    }
    ++m_ramp.step;
    m_ramp.value = m_ramp.ValueAt();
    return true;
}

void TSoundFader::Stop(bool rewind)
{
    if (m_sound.Get() != nullptr) {
        m_sound->Stop(rewind);
    }
}
