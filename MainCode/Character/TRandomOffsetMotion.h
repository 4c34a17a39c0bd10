// An offset placement jittered every step by draws from the shared generator, one per axis.
#pragma once

#include "MainCode/Character/TOffsetMotion.h"

class TRandomOffsetMotion : public TOffsetMotion {
public:
    // Each axis's draw (-64..63) is divided by its divisor.
    TRandomOffsetMotion(TFrame* targetFrame, const D3DXVECTOR3& offset, const D3DXVECTOR3& second, float divisorX,
                        float divisorY, float divisorZ);

    void Step(TMotionTarget* target) override;

protected:
    float m_divisors[3];
};
