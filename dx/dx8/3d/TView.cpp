#include "dx/dx8/3d/TView.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "dx/dx8/3d/TFrame.h"

namespace {

constexpr float kPi = 3.1415927F;
constexpr float kDegreesToRadians = 0.017453292F;

bool SameBytes(const D3DXMATRIX& a, const D3DXMATRIX& b) { return std::memcmp(&a, &b, sizeof(D3DMATRIX)) == 0; }

D3DXVECTOR3 Rotate(const D3DXVECTOR3& v, const D3DXVECTOR3& axis, float angle)
{
    D3DXMATRIX r;
    D3DXMatrixRotationAxis(&r, &axis, angle);
    D3DXVECTOR4 out;
    D3DXVec3Transform(&out, &v, &r);
    return D3DXVECTOR3(out.x, out.y, out.z);
}

D3DXVECTOR3 Row(const D3DXMATRIX& m, int row) { return D3DXVECTOR3(m.m[row][0], m.m[row][1], m.m[row][2]); }

}  // namespace

TView::TView() : m_far(FLT_MAX)
{
    D3DXMatrixIdentity(&m_view);
    D3DXMatrixIdentity(&m_camera);
    D3DXMatrixIdentity(&m_projection);
    D3DXMatrixIdentity(&m_viewProjection);
}

TView::~TView() = default;

void TView::SetProjection(float nearZ, float farZ, float degrees, int width, int height)
{
    m_near = nearZ;
    m_far = farZ;
    m_fov = degrees * kDegreesToRadians;
    m_verticalFov = m_fov * static_cast<float>(height) / static_cast<float>(width);
    D3DXMATRIX p;
    D3DXMatrixPerspectiveFovLH(&p, m_fov, static_cast<float>(width) / static_cast<float>(height), nearZ, farZ);
    if (!SameBytes(p, m_projection)) {
        m_projection = p;
        UpdateFrustum();
    }
}

bool TView::SetCamera(TFrame* camera)
{
    D3DXMATRIX world;
    return SetCameraMatrix(*camera->GetWorldMatrix(&world));
}

bool TView::SetCameraMatrix(const D3DXMATRIX& cameraWorld)
{
    m_camera = cameraWorld;
    D3DXMATRIX v;
    if (D3DXMatrixInverse(&v, nullptr, &m_camera) == nullptr) {
        return false;
    }
    // A camera that stands still costs no frustum update.
    if (!SameBytes(v, m_view)) {
        m_view = v;
        UpdateFrustum();
    }
    return true;
}

void TView::UpdateFrustum()
{
    D3DXMatrixMultiply(&m_viewProjection, &m_view, &m_projection);
    const D3DXVECTOR3 x = Row(m_camera, 0);
    const D3DXVECTOR3 y = Row(m_camera, 1);
    m_forward = Row(m_camera, 2);
    // The side walls stand at the full angle from the forward axis, so the volume is wider than
    // the picture; it only has to be cheap and never cull what shows.
    m_top = Rotate(y, x, -m_verticalFov);
    m_bottom = Rotate(y, x, m_verticalFov + kPi);
    m_left = Rotate(x, y, kPi - m_fov);
    m_right = Rotate(x, y, m_fov);
}

bool TView::IsSphereVisible(const float* sphere) const
{
    const D3DXVECTOR3 d(sphere[0] - m_camera._41, sphere[1] - m_camera._42, sphere[2] - m_camera._43);
    const float r = sphere[3];
    const float z = D3DXVec3Dot(&d, &m_forward);
    if (z < m_near - r || z > m_far + r) {
        return false;
    }
    for (const D3DXVECTOR3* n : {&m_left, &m_right, &m_top, &m_bottom}) {
        if (D3DXVec3Dot(&d, n) > r) {
            return false;
        }
    }
    return true;
}

float TView::GetFarWidth() const
{
    D3DXMATRIX ra;
    D3DXMATRIX rb;
    D3DXMatrixRotationY(&ra, m_fov);
    D3DXMatrixRotationY(&rb, kPi - m_fov);
    const D3DXVECTOR3 z(0.0F, 0.0F, 1.0F);
    D3DXVECTOR4 a;
    D3DXVECTOR4 b;
    D3DXVec3Transform(&a, &z, &ra);
    D3DXVec3Transform(&b, &z, &rb);
    // Where each line through the eye meets the far level.
    const float xa = a.x * (m_far / a.z);
    const float xb = b.x * (m_far / b.z);
    return std::fabs(xa - xb);
}
