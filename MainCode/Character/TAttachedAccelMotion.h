// An accelerated move whose frame also turns toward a frame.
#pragma once

#include "MainCode/Character/TAccelMotion.h"

class TAttachedAccelMotion : public TAccelMotion {
public:
    using TAccelMotion::TAccelMotion;

    void Orient(TMotionTarget* target, const TFrame* reference, const TFrame* targetFrame) override
    {
        LookAt(target, reference, targetFrame);
    }
};
