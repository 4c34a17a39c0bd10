// A held hit that also ends after its lifetime (0 never runs out).
#pragma once

#include "MainCode/Map/TAttackHitHeld.h"

class TAttackHitTimedHeld : public TAttackHitHeld {
    friend struct TMapProbe;
public:
    TAttackHitTimedHeld(std::uint32_t ownerId, TFrame* parent, const float* position, std::uint32_t hitsLeft,
                        std::uint32_t lifetime, const TAttackHitParams& params);

    bool Update() override;


private:
    std::uint32_t m_lifetime;
};
