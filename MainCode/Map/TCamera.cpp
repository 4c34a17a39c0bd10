#include "MainCode/Map/TCamera.h"

#include <cfloat>
#include <cmath>

#include "MainCode/Map/TSky.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TMeshMaterial.h"
#include "dx/dx8/3d/TTexture8.h"

namespace {

float Length(const D3DXVECTOR3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// A zero vector stays zero instead of becoming not-a-number.
D3DXVECTOR3 Normalized(const D3DXVECTOR3& v)
{
    const float length = Length(v);
    return length > 0.0F ? D3DXVECTOR3(v.x / length, v.y / length, v.z / length) : D3DXVECTOR3(0.0F, 0.0F, 0.0F);
}

D3DXVECTOR3 Lerp(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float w)
{
    return D3DXVECTOR3(a.x + (b.x - a.x) * w, a.y + (b.y - a.y) * w, a.z + (b.z - a.z) * w);
}

float Lerp(float a, float b, float w) { return a + (b - a) * w; }

const D3DXVECTOR3 kLookAbove(0.0F, 1.0F, 0.0F);  // the camera looks at the target's chest, not its feet

}  // namespace

// ---- TCamera ----

TCamera::TCamera(std::uint32_t mode, TFrame* parent, TFrame* target, TView* view)
    : m_mode(mode),
      m_frame(new TFrame("TCamera", IdentityMatrix(), nullptr)),
      m_parent(parent),
      m_target(target),
      m_view(view),
      m_skyFrame(nullptr)
{
    if (parent != nullptr) {
        parent->AddChild(m_frame);
    }
}

TCamera::~TCamera()
{
    if (m_skyFrame.Get() != nullptr) {
        m_skyFrame->Detach();
    }
    m_frame->Detach();
}

D3DXVECTOR3 TCamera::GetCameraPosition() const
{
    D3DXVECTOR3 p;
    m_frame->GetPosition(&p);
    return p;
}

D3DXVECTOR3 TCamera::GetTargetPosition() const
{
    D3DXVECTOR3 p(0.0F, 0.0F, 0.0F);
    if (m_target == nullptr) {
        return p;
    }
    if (m_target->GetParent() == m_parent) {
        m_target->GetPosition(&p);
    } else {
        m_target->GetPositionRelativeTo(m_parent, &p);
    }
    return p;
}

void TCamera::AimAt(const D3DXVECTOR3& target) { m_frame->LookAtPoint(m_parent, target + kLookAbove, TFrame::kLookAim); }

void TCamera::Reset(const D3DXVECTOR3& eye, const D3DXVECTOR3& target, int steps)
{
    StopShake();
    m_frame->SetPosition(eye);
    if (m_target != nullptr) {
        m_target->SetPosition(target);
    }
    for (int i = 0; i < steps; ++i) {
        Follow();
        LookAtTarget();
    }
    UpdateView();
}

void TCamera::LookAtTarget()
{
    AimAt(GetTargetPosition());
    if (m_view != nullptr) {
        m_view->SetCamera(m_frame.Get());
    }
}

void TCamera::StopShake()
{
    // Idle means no shake: the steps left are dropped with it.
    m_shakeIdle = 1;
    m_shakeCount = 0;
    m_shakeStep = 0;
    m_shakeFrames = 0;
    m_shakeFrame = 0;
}

void TCamera::StartShake(std::uint32_t count, std::uint32_t framesPerStep, float amplitude, std::uint32_t mask)
{
    if (m_shakeIdle == 0) {
        return;
    }
    m_shakeCount = count;
    m_shakeFrames = framesPerStep;
    m_shakeStep = 0;
    m_shakeFrame = 0;
    m_shakeIdle = count != 0 ? 0 : 1;
    m_shakeOffset = D3DXVECTOR3((mask & 1) != 0 ? amplitude : 0.0F, (mask & 2) != 0 ? amplitude : 0.0F,
                                (mask & 4) != 0 ? amplitude : 0.0F);
}

void TCamera::StepShake()
{
    if (m_shakeCount == 0) {
        return;
    }
    ++m_shakeFrame;
    if (m_shakeFrame == 1 && m_target != nullptr) {
        m_target->Translate(m_shakeOffset.x, m_shakeOffset.y, m_shakeOffset.z, true);
    }
    if (m_shakeFrame >= m_shakeFrames) {
        m_shakeFrame = 0;
        ++m_shakeStep;
    }
    if (m_shakeStep >= m_shakeCount) {
        StopShake();
    }
}

void TCamera::Update()
{
    StepShake();
    Follow();
    LookAtTarget();
    UpdateView();
}

void TCamera::CreateSky(float eyeLift, float lift, float fadeStartOffset, float fadeEndOffset, D3DCOLOR fogColor,
                        float scaleU, float scaleV, float speedU, float speedV, const std::string& texture)
{
    const float s = 1.0F - (1.0F - TMapData::GetViewScale()) * 0.5F;
    m_skyEyeLift = eyeLift * s;
    m_skyLift = lift * s;
    m_skyFadeStartOffset = fadeStartOffset * s;
    m_skyFadeEndOffset = fadeEndOffset * s;

    TMesh8 dome = TMesh8::Load("sky/sky00_00.msh");
    // Drawn first and behind everything: depth off, the first group of the opaque list.
    dome.SetMaterialType(TMeshMaterial::kZDisOpaque, TMesh8::kAllMaterials);
    dome.SetDrawGroup(0, TMesh8::kAllMaterials);
    if (!texture.empty() && dome.GetMaterialCount() != 0) {
        dome.EditMaterial(0).SetTexture(TTexture8::Load(texture, D3DPOOL_MANAGED, 0));
    }
    auto* sky = new TSky(scaleU, scaleV, speedU, speedV, m_skyFadeStartOffset, m_skyFadeEndOffset, fogColor);
    dome.SetVertexShader(TRefPtr<TVertexShader>(sky));

    if (m_skyFrame.Get() != nullptr) {
        m_skyFrame->Detach();
    }
    m_skyFrame = TRefPtr<TFrame>(new TFrame("SkyFrame", IdentityMatrix(), nullptr));
    const float k = m_view != nullptr ? m_view->GetFarWidth() : 1.0F;
    const TD3D8* d3d = TD3D8::Instance();
    const float aspect = d3d->GetBackBufferWidth() != 0 ? static_cast<float>(d3d->GetBackBufferHeight()) /
                                                              static_cast<float>(d3d->GetBackBufferWidth())
                                                        : 0.75F;
    const float scale[3] = {k, 1.0F, k * aspect};
    dome.Scale(scale);
    if (m_parent != nullptr) {
        m_parent->AddChild(m_skyFrame);
    }
    m_skyFrame->AddMesh(dome);
    m_sky = sky;
}

void TCamera::UpdateView()
{
    if (m_sky == nullptr) {
        return;
    }
    bool fogOn = false;
    float fogStart = 0.0F;
    float fogEnd = 0.0F;
    D3DCOLOR fogColor = 0;
    TD3D8::Instance()->GetFog(&fogOn, &fogStart, &fogEnd, &fogColor);
    const float far = m_view != nullptr ? m_view->GetFar() : fogEnd;
    const float dist = fogEnd < far ? fogEnd : far;

    const D3DXVECTOR3 eye = GetCameraPosition();
    D3DXVECTOR3 z;
    D3DXVECTOR3 y;
    m_frame->GetAxis(&z, 3);
    m_frame->GetAxis(&y, 2);
    const D3DXVECTOR3 p = eye + z * dist;
    D3DXVECTOR3 anchor = p;
    // Looking down: slide back along the camera's up axis to the ground level, never below it. A
    // camera looking straight down (up axis level) keeps the far point.
    if (p.y <= 0.0F && y.y != 0.0F) {
        anchor = p + y * (p.y / -y.y);
    }
    anchor.y += m_skyLift;
    D3DXVECTOR3 e = eye;
    e.y += m_skyEyeLift;

    const float length = Length(e - anchor);
    m_sky->SetRange(length - m_skyFadeStartOffset, length - m_skyFadeEndOffset);
    m_skyFrame->SetPosition(anchor);
    m_skyFrame->LookAtPoint(m_parent, e, TFrame::kLookAim);
}

// ---- TFollowCamera ----

TFollowCamera::TFollowCamera(TFrame* parent, TFrame* target, TView* view, float distance, std::uint32_t /*unused*/,
                             float height)
    : TCamera(kFollowMode, parent, target, view), m_distance(distance), m_height(height)
{
}

void TFollowCamera::Follow()
{
    const D3DXVECTOR3 t = GetTargetPosition();
    D3DXVECTOR3 k = GetCameraPosition();
    const float h = t.y + m_height;

    D3DXVECTOR3 n = Normalized(D3DXVECTOR3(k.x - t.x, 0.0F, k.z - t.z));
    if (n.x == 0.0F && n.z == 0.0F && m_target != nullptr) {
        // Straight above the target (a save point gives the start itself as the camera's place)
        // there is no side to trail from: the camera goes behind the target. Characters look along
        // their negative Z, so behind is the target's Z axis.
        const D3DXMATRIX& m = *m_target->GetMatrix();
        n = Normalized(D3DXVECTOR3(m._31, 0.0F, m._33));
    }
    const D3DXVECTOR3 desired(t.x + m_distance * n.x, h, t.z + m_distance * n.z);
    k.x += 0.1F * (desired.x - k.x);
    k.z += 0.1F * (desired.z - k.z);
    float v = 0.1F * (h - k.y);
    if (std::fabs(v) >= 0.5F) {
        v = v > 0.0F ? 0.5F : -0.5F;
    }
    k.y += v;

    // Long far from its place: the original placement behind the target is made here, and the
    // position written at the end of this step replaces it (kept as it was designed).
    if (Length(k - D3DXVECTOR3(t.x, h, t.z)) > 1.5F * m_distance) {
        ++m_farCount;
    } else {
        m_farCount = 0;
    }
    if (m_farCount > 60) {
        m_farCount = 0;
        if (m_target != nullptr) {
            m_frame->SetPositionRelativeTo(m_target, D3DXVECTOR3(0.0F, 0.7F, 0.56F));
        }
    }

    const float limit = m_distance + 0.7F;
    const D3DXVECTOR3 away = k - t;
    const float gap = Length(away);
    if (gap < limit) {
        const float back = limit - gap < 0.5F ? limit - gap : 0.5F;
        k += Normalized(away) * back;
    }
    if (k.y < h) {
        k.y = h;
    }
    m_frame->SetPosition(k);
}

// ---- TKeyCamera ----

TKeyCamera::TKeyCamera(TFrame* parent, TFrame* target, TView* view, const std::vector<TCameraKey>& keys)
    : TCamera(kKeyMode, parent, target, view), m_keys(keys)
{
}

void TKeyCamera::LookAtTarget()
{
    if (m_view != nullptr) {
        m_view->SetCamera(m_frame.Get());
    }
}

void TKeyCamera::Follow()
{
    if (m_keys.empty()) {
        return;  // no key: the camera stays where it is
    }
    const D3DXVECTOR3 t = GetTargetPosition();
    D3DXVECTOR3 cameraZ;
    D3DXVECTOR3 targetZ(0.0F, 0.0F, 0.0F);
    m_frame->GetAxis(&cameraZ, 3);
    if (m_target != nullptr) {
        m_target->GetAxis(&targetZ, 3);
    }
    const float s = cameraZ.x * targetZ.x + cameraZ.z * targetZ.z > 0.0F ? 1.3F : 1.0F;

    std::size_t first = 0;
    std::size_t second = 0;
    float d1 = FLT_MAX;
    float d2 = FLT_MAX;
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        const float d = Length(m_keys[i].position - t);
        if (d < d1) {
            second = first;
            d2 = d1;
            first = i;
            d1 = d;
        } else if (d < d2) {
            second = i;
            d2 = d;
        }
    }
    // One key (or keys too far to measure) is used alone.
    float w = 0.0F;
    if (m_keys.size() < 2 || !(d1 + d2 > 0.0F) || d2 == FLT_MAX) {
        second = first;
    } else {
        w = d1 / (d1 + d2);
    }
    const TCameraKey& a = m_keys[first];
    const TCameraKey& b = m_keys[second];

    D3DXVECTOR3 k = GetCameraPosition();
    if (a.kind == 0 && b.kind == 0) {
        const D3DXVECTOR3 direction = Normalized(Lerp(a.direction, b.direction, w));
        const float distance = Lerp(a.distance, b.distance, w);
        const float height = Lerp(a.height, b.height, w);
        const D3DXVECTOR3 desired(t.x + direction.x * distance * s, t.y + height, t.z + direction.z * distance * s);
        k += (desired - k) * 0.05F;
    } else {
        const D3DXVECTOR3 pa = a.kind == 0 ? t + a.offset : a.cameraPosition;
        const D3DXVECTOR3 pb = b.kind == 0 ? t + b.offset : b.cameraPosition;
        k += (Lerp(pa, pb, w) - k) * 0.02F;
    }
    m_frame->SetPosition(k);
    AimAt(t);
}
