#include "MainCode/Map/TMapItem.h"

#include <cstdio>

#include "MainCode/Character/TPlayerSeams.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCollisionWorld.h"
#include "MainCode/Map/TFieldLoop.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TVertexShader.h"
#include "platform/text/cp932.h"

namespace {

constexpr std::uint32_t kMoneyBonusFactor = 12;
constexpr float kHalfTurn = 1.5707964F;


// Y along the normal, Z as close to the world's Z as the normal allows, at the point.
D3DXMATRIX Upright(const D3DXVECTOR3& normal, const D3DXVECTOR3& at)
{
    D3DXVECTOR3 y = TMapObject::Normalized(normal);
    if (D3DXVec3Length(&y) == 0.0F) {
        y = D3DXVECTOR3(0.0F, 1.0F, 0.0F);
    }
    D3DXVECTOR3 z(0.0F, 0.0F, 1.0F);
    D3DXVECTOR3 x;
    D3DXVec3Cross(&x, &y, &z);
    if (D3DXVec3Length(&x) < 1e-6F) {
        z = D3DXVECTOR3(1.0F, 0.0F, 0.0F);
        D3DXVec3Cross(&x, &y, &z);
    }
    x = TMapObject::Normalized(x);
    D3DXVec3Cross(&z, &x, &y);
    return D3DXMATRIX(x.x, x.y, x.z, 0.0F, y.x, y.y, y.z, 0.0F, z.x, z.y, z.z, 0.0F, at.x, at.y, at.z, 1.0F);
}

}  // namespace

bool TMapItem::StepCounter::Step()
{
    if (speed >= 1) {
        value += speed;
    } else if (++subStep >= -speed) {
        subStep = 0;
        ++value;
    }
    if (value > to) {
        value = to;
        return false;
    }
    return true;
}

TMapItem::TMapItem(TAreaBase* area, std::int32_t itemId, std::int32_t flagIndex, std::int32_t money,
                   const D3DXVECTOR3& position)
    : TMapObject(area),
      m_flagIndex(flagIndex),
      m_itemId(itemId),
      m_money(money),
      m_lifetime(flagIndex != kNoFlag ? kEndless : kLifetime),
      m_position(position)
{
    m_fade.Set(1.0F, 0.0F, kFadeSteps, 0);
    if (flagIndex != kNoFlag && TGameData::GetInstance()->GetPickupFlag(static_cast<std::uint32_t>(flagIndex)) != 0) {
        Deactivate();
        m_state = &TMapItem::Idle;
        return;
    }
    Build();
}

std::string TMapItem::MeshNameOf(std::int32_t itemId)
{
    if (itemId == kMoney) {
        return "item/coin00.msh";
    }
    const TItemRecord& record = TItemTable::Get(static_cast<std::uint32_t>(itemId));
    switch (record.Kind) {
    case 0:
        return "item/hukuro00.msh";
    case 1:
        return "wepon/" + record.MeshName + ".msh";
    case 2:
        return "item/ring00.msh";
    default:
        std::fprintf(stderr, "%s",
                     platform::Cp932ToUtf8("item " + std::to_string(itemId) + " has model kind " +
                                           std::to_string(record.Kind) + "; it lies there as a bag\n")
                         .c_str());
        return "item/hukuro00.msh";
    }
}

void TMapItem::Build()
{
    TRefPtr<TFrame> inner(new TFrame("innerItem", IdentityMatrix(), nullptr));
    m_itemFrame = TRefPtr<TFrame>(new TFrame("outerItem", IdentityMatrix(), nullptr));

    TMesh8 mesh = TMesh8::Load(MeshNameOf(m_itemId));
    mesh.SetName("Item");
    const bool weapon = m_itemId != kMoney && TItemTable::Get(static_cast<std::uint32_t>(m_itemId)).Kind == 1;
    if (weapon) {
        // Held upright along its Y; on the ground it lies along Z, its middle over the spot.
        const TWeponRecord& record = TWeponTable::Get(static_cast<std::uint32_t>(m_itemId));
        D3DXMATRIX flat;
        D3DXMATRIX shift;
        D3DXMatrixRotationX(&flat, kHalfTurn);
        D3DXMatrixTranslation(&shift, 0.0F, 0.0F, -0.5F * record.TrailLength);
        D3DXMATRIX both = flat * shift;
        mesh.Transform(&both);
    } else {
        mesh.SetVertexShader(TRefPtr<TVertexShader>(new TConstantColorShader()));
    }
    inner->AddMesh(mesh);
    m_mesh = inner->FindMesh("Item", false);
    m_itemFrame->AddChild(inner);
    m_itemFrame->SetPosition(m_position);
    if (TFrame* scene = m_area->GetSceneFrame()) {
        scene->AddChild(m_itemFrame);
    }
    BuildShadow();
}

void TMapItem::BuildShadow()
{
    bool found = false;
    float height = 0.0F;
    D3DXVECTOR3 normal(0.0F, 1.0F, 0.0F);
    m_area->GetCollisionWorld()->FindFloor(&m_position.x, &found, &height, &normal.x);
    if (!found) {
        return;
    }
    const D3DXVECTOR3 floor(m_position.x, height, m_position.z);
    const D3DXVECTOR3 at = floor + Normalized(normal) * kShadowLift;
    m_shadowFrame = TRefPtr<TFrame>(new TFrame("shadow", Upright(normal, at), nullptr));
    TMesh8 shadow = TMesh8::Load("effect/shadow01_mesh.msh");
    shadow.SetName("shadow");
    shadow.SetMaterialType(kShadowMaterial, TMesh8::kAllMaterials);
    const float scale[3] = {kShadowSize, 0.0F, kShadowSize};
    shadow.Scale(scale);
    m_shadowFrame->AddMesh(shadow);
    if (TFrame* scene = m_area->GetSceneFrame()) {
        scene->AddChild(m_shadowFrame);
    }
}

std::uint32_t TMapItem::Update()
{
    if (m_lifetime != kEndless) {
        --m_lifetime;
        if (m_lifetime == 0) {
            m_state = &TMapItem::Expire;
            return kNothing;
        }
    }
    return (this->*m_state)();
}

void TMapItem::Finish()
{
    if (m_itemFrame.Get() != nullptr) {
        m_itemFrame->Detach();
    }
    if (m_shadowFrame.Get() != nullptr) {
        m_shadowFrame->Detach();
    }
}

std::uint32_t TMapItem::Bob(float rise, State next)
{
    if (m_bob.Step()) {
        m_itemFrame->Translate(0.0F, rise, 0.0F, false);
    } else {
        m_bob.value = 0;
        m_state = next;
    }
    m_itemFrame->RotateAxis(D3DXVECTOR3(0.0F, 1.0F, 0.0F), kBobTurn, true);
    const D3DXVECTOR3 d = m_position - GetPlayerPosition();
    if (GetPlayer() == nullptr || D3DXVec3Length(&d) >= m_radius) {
        return kNothing;
    }
    return Collect();
}

std::uint32_t TMapItem::Collect()
{
    TGameData* data = TGameData::GetInstance();
    TFieldLoop* field = m_area->GetFieldLoop();
    TFieldHud* hud = field != nullptr ? &field->GetHud() : nullptr;
    if (m_itemId == kMoney) {
        const float rate = data->GetSkillFactor(kMoneyBonusFactor);
        const auto amount = static_cast<std::int32_t>(static_cast<float>(m_money) +
                                                      static_cast<float>(m_money) * rate);
        data->AddMoney(static_cast<std::uint32_t>(amount));
        if (hud != nullptr) {
            hud->PushBellGet(static_cast<std::uint32_t>(amount));
        }
        PlayPlayerSound(GetPlayer(), kMoneySound);
    } else {
        if (!data->TryAddItem(static_cast<std::uint32_t>(m_itemId), 1)) {
            // Left lying, and not marked taken: it is still there when the map comes back.
            return kRefused;
        }
        if (hud != nullptr) {
            hud->PushItemGet(static_cast<std::uint32_t>(m_itemId));
        }
        PlayPlayerSound(GetPlayer(), kItemSound);
    }
    if (m_flagIndex != kNoFlag) {
        data->SetPickupFlag(static_cast<std::uint32_t>(m_flagIndex), 1);
    }
    m_state = &TMapItem::Rise;
    return kTaken;
}

std::uint32_t TMapItem::Fade(bool rising)
{
    if (m_fade.Step()) {
        m_mesh->SetEmissiveAlpha(m_fade.value, TMesh8::kAllMaterials);
        if (rising) {
            m_itemFrame->RotateAxis(D3DXVECTOR3(0.0F, 1.0F, 0.0F), kRiseTurn, true);
            m_itemFrame->Translate(0.0F, kRiseStep, 0.0F, false);
        }
        return kNothing;
    }
    m_itemFrame->Detach();
    Deactivate();
    m_state = &TMapItem::Idle;
    return kNothing;
}
