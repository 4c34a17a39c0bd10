// A Bézier flight from a start to an end, bent by a bulge; the frame is not turned.
#pragma once

#include "MainCode/Character/TCurveMotionBase.h"

class TArcMotion : public TCurveMotionBase {
public:
    // bulge: x to the side, y up, z forward (toward the end, level).
    TArcMotion(float step, const D3DXVECTOR3& bulge, const D3DXVECTOR3& start, const D3DXVECTOR3& end)
        : TCurveMotionBase(step, bulge, start, end)
    {
    }
};
