// A homing Bézier move that heals its target on every step once t has passed 0.98.
#pragma once

#include "MainCode/Character/THomingCurveMotion.h"

class THealingCurveMotion : public THomingCurveMotion {
public:
    THealingCurveMotion(float step, const D3DXVECTOR3& bend, const D3DXVECTOR3& start, const D3DXVECTOR3& end,
                        TAreaBase* area, std::uint32_t targetId, float homingEnd, float heightOffset,
                        std::int32_t healAmount);

    void Step(TMotionTarget* target) override;

private:
    std::int32_t m_healAmount;
};
