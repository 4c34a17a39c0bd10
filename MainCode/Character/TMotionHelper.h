// Motion helpers: small objects an effect or a shot holds and calls once a step to move its frame
// (a fixed or jittered offset from another frame, constant acceleration, a Bézier curve that may
// home on a target and heal it). What they move meets TMotionTarget.
#pragma once

#include "dx/dx8/3d/TFrame.h"
#include "platform/d3dx8/d3dx8math.h"

// What a helper moves: an effect, or one part of a shot's bullet.
class TMotionTarget {
public:
    virtual ~TMotionTarget() = default;
    virtual TFrame* GetMotionFrame() = 0;
    // The world position handed from one part to the next.
    virtual D3DXVECTOR3 GetMotionPoint() = 0;
    virtual void SetMotionPoint(const D3DXVECTOR3& point) = 0;
};

class TMotionHelper {
public:
    TMotionHelper() = default;
    TMotionHelper(const TMotionHelper&) = delete;
    TMotionHelper& operator=(const TMotionHelper&) = delete;

    // Virtual operations in their fixed order.
    virtual ~TMotionHelper() = default;
    // Turns the moved frame toward a frame.
    virtual void Orient(TMotionTarget* target, const TFrame* reference, const TFrame* targetFrame) = 0;
    // Moves the frame for this step.
    virtual void Step(TMotionTarget* target) = 0;
    // a takes b's point.
    virtual void Apply(TMotionTarget* a, TMotionTarget* b) { a->SetMotionPoint(b->GetMotionPoint()); }

protected:
    // The moved frame aims its Z axis at the frame, the reference's Y up.
    static void LookAt(TMotionTarget* target, const TFrame* reference, const TFrame* targetFrame);
};
