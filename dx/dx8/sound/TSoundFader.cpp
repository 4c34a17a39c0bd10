#include "dx/dx8/sound/TSoundFader.h"

TSoundFader::TSoundFader(TRefPtr<TStreamSound> sound, bool fadeIn, float endLevel, std::int32_t steps)
    : sound_(sound), finished_(steps == 0), endLevel_(endLevel), points_{0, 0, 0, 0}
{
    ramp_.Set(0.0f, 0.0f, 0, 0);
    ramp_.value = 0.0f;
    ramp_.from = 0.0f;
    ramp_.to = endLevel;
    ramp_.step = 0;
    ramp_.steps = steps;
    TStreamSound* s = sound_.Get();
    if (s == nullptr) {
        finished_ = true;
        return;
    }
    const std::int32_t start = s->GetVolume();
    const std::int32_t end = fadeIn ? s->GetMaxVolume() : s->GetMinVolume();
    points_[0] = start;
    points_[1] = start + (end - start) / 10;
    points_[2] = start + ((end - start) * 4) / 10;
    points_[3] = end;
}

std::int32_t TSoundFader::Curve(float t) const
{
    // The weights of AttenuationToVolume: no factor 3 on the middle two.
    const double x = t;
    const double u = 1.0 - x;
    const double v = u * u * u * points_[0] + x * u * u * points_[1] + x * x * u * points_[2] +
                     x * x * x * points_[3];
    return static_cast<std::int32_t>(v);
}

bool TSoundFader::Step()
{
    TStreamSound* s = sound_.Get();
    if (s == nullptr) {
        return false;
    }
    s->SetVolume(Curve(ramp_.value));
    if (ramp_.step >= ramp_.steps) {
        ramp_.step = ramp_.steps;
        ramp_.value = ramp_.to;
        finished_ = true;
        return false;
    }
    ++ramp_.step;
    ramp_.value = ramp_.ValueAt();
    return true;
}

void TSoundFader::Stop(bool rewind)
{
    if (sound_.Get() != nullptr) {
        sound_->Stop(rewind);
    }
}
