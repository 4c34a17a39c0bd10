// A move along a cubic Bézier curve whose two inner control points are one point, bent from the
// start by a vector in the curve's own axes. t is not clamped: the owner ends the move.
#pragma once

#include <cstdint>

#include "MainCode/Character/TMotionHelper.h"

class TCurveMotionBase : public TMotionHelper {
    friend struct TCharacterProbe;
public:
    // bend: x to the side, y up, z forward (toward the end, level).
    TCurveMotionBase(float step, const D3DXVECTOR3& bend, const D3DXVECTOR3& start, const D3DXVECTOR3& end);

    void Orient(TMotionTarget*, const TFrame*, const TFrame*) override {}
    void Step(TMotionTarget* target) override;

protected:
    // t + step, then the frame at the curve's point.
    void Advance(TMotionTarget* target);

    float m_t = 0.0F;
    float m_step;
    D3DXVECTOR3 m_points[4];
    std::uint32_t m_reserved = 0;
};
