#include "dx/dx8/3d/TView.h"

#include <cfloat>
#include <cstring>

TView::TView() : m_far(FLT_MAX)
{
    D3DXMatrixIdentity(&m_view);
    D3DXMatrixIdentity(&m_cameraWorld);
    D3DXMatrixIdentity(&m_projection);
    D3DXMatrixIdentity(&m_viewProjection);
}

TView::~TView() = default;

void TView::SetProjection(float nearZ, float farZ, float degrees, int width, int height)
{
    m_near = nearZ;
    m_far = farZ;
    m_fov = degrees * 0.017453292F;
    m_verticalFov = m_fov * static_cast<float>(height) / static_cast<float>(width);
    D3DXMATRIX p;
    D3DXMatrixPerspectiveFovLH(&p, m_fov, static_cast<float>(width) / static_cast<float>(height), nearZ, farZ);
    // A projection that did not change costs nothing more.
    if (std::memcmp(&p, &m_projection, sizeof p) != 0) {
        m_projection = p;
        UpdateFrustum();
    }
}

bool TView::SetCameraMatrix(const D3DXMATRIX& cameraWorld)
{
    m_cameraWorld = cameraWorld;
    float determinant = 0.0F;
    D3DXMATRIX v;
    D3DXMatrixInverse(&v, &determinant, &cameraWorld);
    if (determinant == 0.0F) {
        return false;
    }
    if (std::memcmp(&v, &m_view, sizeof v) != 0) {
        m_view = v;
        UpdateFrustum();
    }
    return true;
}

void TView::UpdateFrustum() { D3DXMatrixMultiply(&m_viewProjection, &m_view, &m_projection); }
