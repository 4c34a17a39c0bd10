#include "MainCode/Map/TAreaBase.h"

#include "MainCode/Character/TGameObject.h"

namespace {

D3DXMATRIX Identity()
{
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

}  // namespace

TAreaBase::TAreaBase(TFrame* sceneFrame, TEffectManager* effectManager)
    : m_cameraTarget(new TFrame("CameraTarget", Identity(), nullptr)),
      m_sceneFrame(sceneFrame),
      m_effectManager(effectManager)
{
}

TAreaBase::~TAreaBase()
{
    if (m_player != nullptr) {
        m_player->DetachFromField();
        m_player = nullptr;
    }
}

TGameObject* TAreaBase::FindObject(std::uint32_t id) const
{
    if (m_player != nullptr && m_player->GetObjectId() == id) {
        return m_player;
    }
    return nullptr;
}
