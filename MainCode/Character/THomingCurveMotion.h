// A Bézier move whose end follows a target object until t reaches the homing end.
#pragma once

#include <cstdint>

#include "MainCode/Character/TCurveMotionBase.h"

class TAreaBase;

class THomingCurveMotion : public TCurveMotionBase {
public:
    // The end starts at the target's centre when the area finds it, else at end.
    THomingCurveMotion(float step, const D3DXVECTOR3& bend, const D3DXVECTOR3& start, const D3DXVECTOR3& end,
                       TAreaBase* area, std::uint32_t targetId, float homingEnd, float heightOffset);

    void Orient(TMotionTarget* target, const TFrame* reference, const TFrame* targetFrame) override
    {
        LookAt(target, reference, targetFrame);
    }
    void Step(TMotionTarget* target) override;

protected:
    TAreaBase* m_area;
    std::uint32_t m_targetId;
    float m_homingEnd;
    float m_heightOffset;
};
