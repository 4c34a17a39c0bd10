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
    const auto it = m_objects.find(id);
    return it != m_objects.end() ? it->second : nullptr;
}

void TAreaBase::RegisterObject(TGameObject* object)
{
    if (object != nullptr) {
        m_objects[object->GetObjectId()] = object;
    }
}

void TAreaBase::UnregisterObject(const TGameObject* object)
{
    if (object == nullptr) {
        return;
    }
    const auto it = m_objects.find(object->GetObjectId());
    if (it != m_objects.end() && it->second == object) {
        m_objects.erase(it);
    }
}
