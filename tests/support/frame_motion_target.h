// A plain frame as what a motion helper moves, for tests that drive a helper without an effect or
// a shot around it.
#pragma once

#include "MainCode/Character/TMotionHelper.h"

namespace qmtest {

class FrameMotionTarget : public TMotionTarget {
public:
    explicit FrameMotionTarget(TFrame* frame) : frame_(frame) {}
    TFrame* GetMotionFrame() override { return frame_; }
    D3DXVECTOR3 GetMotionPoint() override
    {
        D3DXVECTOR3 p;
        frame_->GetWorldPosition(&p);
        return p;
    }
    void SetMotionPoint(const D3DXVECTOR3& point) override { frame_->SetWorldPosition(point); }

private:
    TFrame* frame_;
};

}  // namespace qmtest
