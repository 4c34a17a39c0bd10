// Keeps the moved frame at a fixed offset in another frame's space.
#pragma once

#include "MainCode/Character/TMotionHelper.h"

class TOffsetMotion : public TMotionHelper {
    friend struct TCharacterProbe;
public:
    TOffsetMotion(TFrame* targetFrame, const D3DXVECTOR3& offset, const D3DXVECTOR3& second);

    void Orient(TMotionTarget* target, const TFrame* reference, const TFrame* targetFrame) override
    {
        LookAt(target, reference, targetFrame);
    }
    void Step(TMotionTarget* target) override;
    // a takes b's point plus the second vector.
    void Apply(TMotionTarget* a, TMotionTarget* b) override;

protected:
    D3DXVECTOR3 m_offset;
    D3DXVECTOR3 m_second;
    TFrame* m_targetFrame;
};
