// A hit that strikes each target once, without counting, until its lifetime ends.
#pragma once

#include "MainCode/Map/TAttackHit.h"

class TAttackHitTimed : public TAttackHit {
    friend struct TMapProbe;
public:
    // The interval of params is not used: a timed hit never strikes a target twice.
    TAttackHitTimed(std::uint32_t ownerId, TFrame* parent, const float* position, std::uint32_t lifetime,
                    const TAttackHitParams& params);

    void HitTest(TGameObject* target) override;
    bool Update() override;
    void TickHitList() override {}


private:
    std::uint32_t m_lifetime;
};
