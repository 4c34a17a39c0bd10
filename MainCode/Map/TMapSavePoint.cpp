#include "MainCode/Map/TMapSavePoint.h"

#include "MainCode/Character/TPlayerSeams.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Map/TAreaBase.h"
#include "dx/dx8/3d/TMesh8.h"

TMapSavePoint::TMapSavePoint(TAreaBase* area, std::int32_t savePointId, const D3DXVECTOR3& position)
    : TMapObject(area),
      m_savePointId(savePointId),
      m_position(position),
      m_frame(new TFrame("savPointFrm", IdentityMatrix(), nullptr))
{
    TMesh8 mesh = TMesh8::Load("effect/savepoint.msh");
    mesh.SetMaterialType(kMaterial, TMesh8::kAllMaterials);
    // Its own glow, whatever the scene around it asks.
    m_frame->SetMaterialInherit(false);
    m_frame->AddMesh(mesh);
    m_frame->SetPosition(position);
    if (TFrame* scene = area->GetSceneFrame()) {
        scene->AddChild(m_frame);
    }
}

TMapSavePoint::~TMapSavePoint()
{
    m_frame->Detach();
}

std::uint32_t TMapSavePoint::Update()
{
    const D3DXVECTOR3 d = m_position - GetPlayerPosition();
    if (D3DXVec3Length(&d) >= kRadius) {
        ClearPlayerSaveRequest(GetPlayer());
        return kNothing;
    }
    if (RequestPlayerSave(GetPlayer(), m_savePointId) && m_area->GetEffectManager() != nullptr) {
        static const D3DXVECTOR3 kDirection(0.0F, 0.0F, 1.0F);
        static const float kColour[4] = {0.4F, 0.4F, 0.8F, 1.0F};
        static const float kScale[3] = {1.0F, 1.0F, 1.0F};
        D3DXVECTOR3 at;
        m_frame->GetWorldPosition(&at);
        m_area->GetEffectManager()->Create(kEffect, &at, &kDirection, m_area->GetSceneFrame(), m_area, kColour,
                                           kScale);
    }
    return kNothing;
}
