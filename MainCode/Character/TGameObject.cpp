#include "MainCode/Character/TGameObject.h"

#include <cfloat>
#include <cmath>

#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCollisionWorld.h"

namespace {

constexpr std::uint16_t kBodyMaterial = 2100;
constexpr std::uint16_t kShadowMaterial = 3000;
// Just above the ground so that the shadow does not fight with it.
constexpr float kShadowLift = 0.01F;

}  // namespace

TGameObject::TGameObject(std::uint32_t relatedId, float centerHeight, float shadowSize, std::uint8_t shadowVisible,
                         std::uint8_t pushable, float gravity, const std::string& name)
    : TMeshHandle(relatedId),
      m_shadowVisible(shadowVisible),
      m_shadowSize(shadowSize),
      m_shadowFrame(new TFrame("shadow", IdentityMatrix(), nullptr)),
      m_centerHeight(centerHeight),
      m_maxVerticalSpeed(centerHeight * 0.5F),
      m_groundHeight(FLT_MAX),
      m_pushable(pushable),
      m_defaultGravity(gravity),
      m_gravity(gravity)
{
    TMesh8 shadow = TMesh8::Load("effect/shadow01_mesh.msh");
    shadow.SetName("shadow");
    shadow.SetMaterialType(kShadowMaterial, TMesh8::kAllMaterials);
    const float scale[3] = {shadowSize, 0.0F, shadowSize};
    shadow.Scale(scale);
    m_shadowFrame->AddMesh(shadow);
    m_frame = TRefPtr<TFrame>(new TFrame(name, IdentityMatrix(), nullptr));
    LoadBody(name);
}

TGameObject::TGameObject(const TGameObject& other)
    : TMeshHandle(other.m_relatedId),
      m_shadowVisible(other.m_shadowVisible),
      m_shadowSize(other.m_shadowSize),
      m_shadowFrame(other.m_shadowFrame->Clone(nullptr)),
      m_centerHeight(other.m_centerHeight),
      m_maxVerticalSpeed(other.m_maxVerticalSpeed),
      m_groundHeight(FLT_MAX),
      m_pushable(other.m_pushable),
      m_defaultGravity(other.m_gravity),
      m_gravity(other.m_gravity)
{
    const std::string& name = other.m_frame->GetName();
    m_frame = TRefPtr<TFrame>(new TFrame(name, IdentityMatrix(), nullptr));
    LoadBody(name);
}

void TGameObject::LoadBody(const std::string& name)
{
    TMesh8 body = TMesh8::Load(GetDataFolder() + name + ".tob");
    body.SetName(name);
    body.SetMaterialType(kBodyMaterial, TMesh8::kAllMaterials);
    m_frame->AddMesh(body);
    m_bodyMesh = m_frame->FindMesh(name, false);
}

TGameObject::~TGameObject()
{
    // The world's maps hold plain pointers.
    if (m_registeredIn != nullptr) {
        m_registeredIn->Forget(this);
    }
}

void TGameObject::AttachToField(TAreaBase* area)
{
    TFrame* scene = area->GetSceneFrame();
    m_referenceFrame = scene;
    if (scene != nullptr) {
        scene->AddChild(m_frame);
        scene->AddChild(m_shadowFrame);
    }
    m_collisionWorld = area->GetCollisionWorld();
    m_collisionWorld->Register(this);
    m_effectManager = area->GetEffectManager();
    m_camera = area->GetCamera();
    m_area = area;

    D3DXVECTOR3 p;
    GetPosition(&p);
    m_groundHeight = p.y;
    m_groundNormal = D3DXVECTOR3(0.0F, 1.0F, 0.0F);

    SetShadowVisible(m_shadowVisible);
    m_shadowFrame->SetDirection(D3DXVECTOR3(0.0F, 0.0F, 1.0F), D3DXVECTOR3(0.0F, 1.0F, 0.0F));
    m_shadowFrame->SetPosition(p);
    m_shadowFrame->Translate(0.0F, kShadowLift, 0.0F, true);
}

void TGameObject::DetachFromField()
{
    if (m_collisionWorld != nullptr) {
        m_collisionWorld->Unregister(GetObjectId());
    }
    m_frame->Detach();
    m_shadowFrame->Detach();
}

void TGameObject::OnContact() {}

std::uint32_t TGameObject::OnCeilingContact()
{
    if (m_velocity.y >= 0.0F) {
        m_velocity.y = 0.0F;
        return 0;
    }
    return 256;
}

void TGameObject::OnLanding()
{
    m_velocity.y = 0.0F;
}

void TGameObject::ApplyVelocity()
{
    m_velocity.y += m_gravity;
    if (std::fabs(m_velocity.y) > m_maxVerticalSpeed) {
        m_velocity.y = m_velocity.y >= 0.0F ? m_maxVerticalSpeed : -m_maxVerticalSpeed;
    }
    Move(m_velocity.x, m_velocity.y, m_velocity.z);
}

void TGameObject::UpdateShadow()
{
    D3DXVECTOR3 p;
    GetPosition(&p);
    p.y = m_groundHeight + kShadowLift;
    const D3DXVECTOR3 n = m_groundNormal;
    const D3DXVECTOR3 side(1.0F, 0.0F, 0.0F);
    D3DXVECTOR3 b;
    D3DXVec3Cross(&b, &n, &side);
    D3DXVec3Normalize(&b, &b);
    D3DXVECTOR3 a;
    D3DXVec3Cross(&a, &n, &b);
    D3DXVec3Normalize(&a, &a);
    m_shadowFrame->SetMatrix(D3DXMATRIX(a.x, a.y, a.z, 0.0F, n.x, n.y, n.z, 0.0F, b.x, b.y, b.z, 0.0F, p.x, p.y, p.z,
                                        1.0F));
}

void TGameObject::PlaySound(std::uint32_t) {}

void TGameObject::PlayVoice(std::uint32_t) {}

std::uint32_t TGameObject::SetState(std::uint32_t state)
{
    m_state = state;
    return state;
}

void TGameObject::SetShadowVisible(std::uint8_t on)
{
    m_shadowVisible = on;
    m_shadowFrame->SetMaterialType(on != 0 ? kShadowMaterial : 0, false, false);
}

void TGameObject::SetContact(float groundHeight, std::uint8_t floorBelow, std::uint8_t wall, std::uint8_t onGround,
                             std::uint8_t ceiling, const float* normal)
{
    m_groundHeight = groundHeight;
    m_floorBelow = floorBelow;
    m_groundNormal = D3DXVECTOR3(normal);
    m_wall = wall;
    m_onGround = onGround;
    m_ceiling = ceiling;
    if (IsAirborneState()) {
        m_onGround = 0;
    }
    if (m_wall != 0) {
        OnContact();
    }
    if (m_ceiling != 0) {
        OnCeilingContact();
    }
    if (m_onGround != 0) {
        m_gravity = m_defaultGravity;
        OnLanding();
    }
}

void TGameObject::GetContact(float* groundHeight, std::uint8_t* floorBelow, std::uint8_t* wall,
                             std::uint8_t* onGround, std::uint8_t* ceiling, float* normal) const
{
    *groundHeight = m_groundHeight;
    *floorBelow = m_floorBelow;
    *wall = m_wall;
    *onGround = m_onGround;
    *ceiling = m_ceiling;
    normal[0] = m_groundNormal.x;
    normal[1] = m_groundNormal.y;
    normal[2] = m_groundNormal.z;
}

D3DXVECTOR3* TGameObject::GetCenterPosition(D3DXVECTOR3* out) const
{
    m_frame->GetWorldPosition(out);
    out->y += m_centerHeight;
    return out;
}
