// The arrow mesh shown where it struck for a fixed number of game frames; it neither moves nor
// changes its materials.
#pragma once

#include <cstdint>

#include "MainCode/Effect/TEffect.h"

class TArrowEffect : public TEffect {
    friend struct TEffectProbe;
public:
    explicit TArrowEffect(std::uint32_t frames);
    TArrowEffect(const TArrowEffect& other);

    bool Update() override;
    // The mesh keeps the materials of its file.
    void ApplyMaterial() override {}
    TEffect* Clone() const override { return new TArrowEffect(*this); }

private:
    std::uint32_t m_framesLeft;
};
