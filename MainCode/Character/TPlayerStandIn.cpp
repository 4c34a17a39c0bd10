#include "MainCode/Character/TPlayerStandIn.h"

#include <cmath>

#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Hud/FieldHudStandIns.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"

namespace {

constexpr float kCenterHeight = 0.9F;
constexpr float kShadowSize = 0.8F;

D3DXMATRIX Facing(const D3DXVECTOR3& position, const D3DXVECTOR3& direction)
{
    D3DXVECTOR3 front(direction.x, 0.0F, direction.z);
    if (D3DXVec3Length(&front) < 1e-6F) {
        front = D3DXVECTOR3(0.0F, 0.0F, -1.0F);
    }
    D3DXVec3Normalize(&front, &front);
    // The model looks along its negative Z.
    const D3DXVECTOR3 z = -front;
    const D3DXVECTOR3 y(0.0F, 1.0F, 0.0F);
    D3DXVECTOR3 x;
    D3DXVec3Cross(&x, &y, &z);
    return D3DXMATRIX(x.x, x.y, x.z, 0.0F, y.x, y.y, y.z, 0.0F, z.x, z.y, z.z, 0.0F, position.x, position.y,
                      position.z, 1.0F);
}

}  // namespace

std::string PlayerModelFor(std::uint32_t characterIndex, std::int32_t weaponType)
{
    // Pairs with a class; the classes that carry a model of their own play the character's first.
    static const bool kHasClass[2][12] = {
        {true, true, true, false, false, true, true, true, true, false, true, false},
        {true, true, true, true, true, false, false, false, false, true, false, true},
    };
    if (characterIndex > 1 || weaponType < 0 || weaponType > 11 || !kHasClass[characterIndex][weaponType]) {
        return {};
    }
    const char* base = characterIndex == 0 ? "hero" : "heroine";
    return std::string(base) + (weaponType == 2 ? "02" : "01");
}

TRefPtr<TPlayerCharacter> CreatePlayerCharacter(TFieldLoop* field, std::uint32_t characterIndex)
{
    TCharacterRecord* record = TGameData::GetInstance()->GetCharacterData(characterIndex);
    const std::uint32_t weaponId = record != nullptr ? record->WeaponId : 0;
    const std::string model = PlayerModelFor(characterIndex, TWeponTable::Get(weaponId).Type);
    if (model.empty()) {
        return TRefPtr<TPlayerCharacter>();
    }
    return TRefPtr<TPlayerCharacter>(new TPlayerCharacter(field, characterIndex, model));
}

TPlayerCharacter::TPlayerCharacter(TFieldLoop* field, std::uint32_t characterIndex, const std::string& model)
    : TGameObject(0, kCenterHeight, kShadowSize, 1, 1, kGravity, model),
      m_field(field),
      m_input(field != nullptr && field->GetApp() != nullptr ? field->GetApp()->GetInput() : nullptr),
      m_characterIndex(characterIndex),
      m_model(model)
{
}

bool TPlayerCharacter::IsMenuButtonPressed() const
{
    return m_input != nullptr && m_input->IsPressed(kButtonMenu);
}

bool TPlayerCharacter::Update()
{
    const std::uint16_t held = m_input != nullptr ? m_input->GetCurrent() : 0;
    float forward = 0.0F;
    float side = 0.0F;
    forward += (held & kButtonUp) != 0 ? 1.0F : 0.0F;
    forward -= (held & kButtonDown) != 0 ? 1.0F : 0.0F;
    side -= (held & kButtonLeft) != 0 ? 1.0F : 0.0F;
    side += (held & kButtonRight) != 0 ? 1.0F : 0.0F;
    if (forward == 0.0F && side == 0.0F) {
        SetState(0);
        m_velocity.x = 0.0F;
        m_velocity.z = 0.0F;
        return true;
    }
    // "Up" leads away from the camera, along the ground.
    D3DXVECTOR3 me;
    GetPosition(&me);
    D3DXVECTOR3 ahead(0.0F, 0.0F, 1.0F);
    if (m_camera != nullptr && m_camera->GetFrame() != nullptr) {
        D3DXVECTOR3 eye;
        m_camera->GetFrame()->GetPosition(&eye);
        ahead = D3DXVECTOR3(me.x - eye.x, 0.0F, me.z - eye.z);
        if (D3DXVec3Length(&ahead) < 1e-4F) {
            ahead = D3DXVECTOR3(0.0F, 0.0F, 1.0F);
        }
        D3DXVec3Normalize(&ahead, &ahead);
    }
    const D3DXVECTOR3 right(ahead.z, 0.0F, -ahead.x);
    D3DXVECTOR3 move = ahead * forward + right * side;
    D3DXVec3Normalize(&move, &move);
    m_frame->SetMatrix(Facing(me, move));
    m_velocity.x = move.x * kWalkSpeed;
    m_velocity.z = move.z * kWalkSpeed;
    SetState(GetState() == 0 ? 1 : 2);
    m_motionTime += 1.0F;
    return true;
}

void TPlayerCharacter::DrawHud()
{
    ++m_hudDraws;
    if (m_field != nullptr) {
        m_field->GetStatusPanel()->Draw(0.0F, 0.0F);
        m_field->GetItemRing()->Draw();
        m_field->GetSkillGauge()->Draw(0.0F, 0.0F);
    }
}

void TPlayerCharacter::PlaceAt(const D3DXVECTOR3& position, const D3DXVECTOR3& direction)
{
    m_frame->SetMatrix(Facing(position, direction));
    m_groundHeight = position.y;
    m_groundNormal = D3DXVECTOR3(0.0F, 1.0F, 0.0F);
    UpdateShadow();
}

void TPlayerCharacter::GetPose(TPlayerPose* out) const
{
    out->matrix = *m_frame->GetMatrix();
    out->motionTime = m_motionTime;
    out->state = m_state;
    out->gravity = m_gravity;
    out->velocity = m_velocity;
    out->groundHeight = m_groundHeight;
    out->groundNormal = m_groundNormal;
}

void TPlayerCharacter::SetPose(const TPlayerPose& pose)
{
    m_frame->SetMatrix(pose.matrix);
    m_motionTime = pose.motionTime;
    SetState(pose.state);
    m_gravity = pose.gravity;
    m_velocity = pose.velocity;
    m_groundHeight = pose.groundHeight;
    m_groundNormal = pose.groundNormal;
    UpdateShadow();
}

std::uint32_t TPlayerCharacter::GetWeaponId() const
{
    TCharacterRecord* record = TGameData::GetInstance()->GetCharacterData(m_characterIndex);
    return record != nullptr ? record->WeaponId : 0;
}
