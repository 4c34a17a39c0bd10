// A Bézier move whose frame also turns toward a frame.
#pragma once

#include "MainCode/Character/TCurveMotionBase.h"

class TCurveMotion : public TCurveMotionBase {
public:
    using TCurveMotionBase::TCurveMotionBase;

    void Orient(TMotionTarget* target, const TFrame* reference, const TFrame* targetFrame) override
    {
        LookAt(target, reference, targetFrame);
    }
};
