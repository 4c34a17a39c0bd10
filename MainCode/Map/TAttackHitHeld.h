// A hit that strikes up to its hit count, each target again after its interval (never with -1).
#pragma once

#include "MainCode/Map/TAttackHit.h"

class TAttackHitHeld : public TAttackHit {
    friend struct TMapProbe;
public:
    TAttackHitHeld(std::uint32_t ownerId, TFrame* parent, const float* position, std::uint32_t hitsLeft,
                   const TAttackHitParams& params);

    void HitTest(TGameObject* target) override;
    bool Update() override;


protected:
    std::uint32_t m_hitsLeft;
};
