#include "dx/dx8/3d/TTriangle.h"

TTriangle::~TTriangle() = default;

void TTriangle::Set(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2, const float* extra)
{
    m_p0 = p0;
    m_p1 = p1;
    m_p2 = p2;
    const D3DXVECTOR3 e1 = p1 - p0;
    const D3DXVECTOR3 e2 = p2 - p0;
    D3DXVec3Cross(&m_normal, &e1, &e2);
    D3DXVec3Normalize(&m_normal, &m_normal);
    m_d = -D3DXVec3Dot(&m_normal, &m_p0);
    m_normalLength = D3DXVec3Length(&m_normal);
    Classify(extra);
}
