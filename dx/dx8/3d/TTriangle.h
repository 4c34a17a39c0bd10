// The flat face shared by every collision triangle: its corners, unit normal and surface constant.
// The deriving face class decides what kind of face it is in Classify.
#pragma once

#include "platform/d3dx8/d3dx8math.h"

class TTriangle {
public:
    virtual ~TTriangle() = 0;
    // extra: what the deriving class needs to classify (the field map passes a colour).
    virtual void Classify(const float* extra) = 0;

    // Stores the corners, the normal of (p1 − p0) × (p2 − p0), d and the normal's length, then classifies.
    void Set(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2, const float* extra);

    const D3DXVECTOR3& GetPoint(int i) const { return i == 0 ? m_p0 : i == 1 ? m_p1 : m_p2; }
    const D3DXVECTOR3& GetNormal() const { return m_normal; }
    // normal · x + d = 0 on the face's plane.
    float GetD() const { return m_d; }
    // 1 for a proper triangle, 0 for one without area.
    float GetNormalLength() const { return m_normalLength; }

protected:
    D3DXVECTOR3 m_p0;
    D3DXVECTOR3 m_p1;
    D3DXVECTOR3 m_p2;
    D3DXVECTOR3 m_normal;
    float m_d = 0.0F;
    float m_normalLength = 0.0F;
};
