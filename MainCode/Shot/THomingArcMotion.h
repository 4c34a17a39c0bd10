// An arc whose end follows a target object's centre while t is below a limit. A target the area
// does not hold leaves the end on the start, so the arc comes back where it began.
#pragma once

#include <cstdint>

#include "MainCode/Character/TCurveMotionBase.h"

class TAreaBase;

class THomingArcMotion : public TCurveMotionBase {
    friend struct TShotProbe;
public:
    // limit: t up to which the end is moved onto the target; reserved is kept only.
    THomingArcMotion(float step, float limit, std::uint32_t reserved, const D3DXVECTOR3& bulge,
                     const D3DXVECTOR3& start, std::int32_t targetId, TAreaBase* area);

    void Step(TMotionTarget* target) override;

private:
    // The target's centre, or fallback when the area does not hold it.
    static D3DXVECTOR3 TargetCentre(TAreaBase* area, std::int32_t id, const D3DXVECTOR3& fallback);

    float m_limit;
    std::int32_t m_targetId;
    std::uint32_t m_reserved;
    TAreaBase* m_area;
};
