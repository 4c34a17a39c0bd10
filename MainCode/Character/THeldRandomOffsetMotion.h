// A random offset placement that keeps the frame it follows alive while it lives.
#pragma once

#include "MainCode/Character/TRandomOffsetMotion.h"
#include "TCommon/TRefPtr.h"

class THeldRandomOffsetMotion : public TRandomOffsetMotion {
    friend struct TCharacterProbe;
public:
    // The held frame is also the frame followed.
    THeldRandomOffsetMotion(const TRefPtr<TFrame>& held, const D3DXVECTOR3& offset, const D3DXVECTOR3& second,
                            float divisorX, float divisorY, float divisorZ);

private:
    TRefPtr<TFrame> m_held;
};
