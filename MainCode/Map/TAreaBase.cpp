#include "MainCode/Map/TAreaBase.h"

#include "MainCode/Character/TGameObject.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TVillager.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TMapObject.h"
#include "MainCode/Map/TMinimap.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/SceneRequests.h"
#include "MainCode/TGameWnd.h"
#include "dx/dx8/3d/TTexture8.h"
#include "dx/dx8/sound/TDSound8.h"

namespace {

TAreaLinks LinksOf(TFieldLoop* field)
{
    TAreaLinks links;
    links.field = field;
    links.player = field->GetPlayer();
    links.sceneFrame = field->GetSceneFrame();
    links.effectManager = field->GetEffectManager();
    links.minimap = field->GetMinimap();
    links.app = field->GetApp();
    return links;
}

}  // namespace

TAreaBase::TAreaBase(TFieldLoop* field) : TAreaBase(LinksOf(field)) {}

TAreaBase::TAreaBase(const TAreaLinks& links)
    : m_cameraTarget(new TFrame("CameraTarget", IdentityMatrix(), nullptr)),
      m_player(links.player),
      m_sceneFrame(links.sceneFrame),
      m_effectManager(links.effectManager),
      m_minimap(links.minimap),
      m_app(links.app),
      m_d3d(links.app != nullptr ? links.app->GetD3D() : nullptr),
      m_sound(links.app != nullptr ? links.app->GetSound() : nullptr),
      m_field(links.field)
{
}

TAreaBase::~TAreaBase()
{
    if (m_player != nullptr) {
        m_player->DetachFromField();
        m_player = nullptr;
    }
    if (m_effectManager != nullptr) {
        m_effectManager->Clear();
    }
    m_enemies = nullptr;
    m_enemyRegistry = TRefPtr<TEnemyFactory>();
    m_objects.clear();
    m_talkingVillager = TRefPtr<TVillager>();
    m_villagers.clear();
    m_collisionWorld.Clear();
    m_meshAreaManager.Detach();
    m_meshAreaManager.Release();
    m_camera = TRefPtr<TCamera>();
    if (m_field != nullptr && m_sceneFrame != nullptr) {
        m_sceneFrame->RemoveAllChildren();
        m_sceneFrame->ClearMeshes();
        TTexture8::PurgeCache(2);
    }
    if (m_musicId != -1 && m_sound != nullptr) {
        if (TSoundBank* music = m_sound->GetBank(2)) {
            music->Unload(static_cast<std::uint32_t>(m_musicId));
        }
    }
}

void TAreaBase::SetPlayer(TPlayerCharacter* player)
{
    m_player = player;
}

TGameObject* TAreaBase::FindObject(std::uint32_t id) const
{
    if (m_player != nullptr && m_player->GetObjectId() == id) {
        return m_player;
    }
    if (m_enemies != nullptr) {
        // Looked up without GetEnemy, which would leave an empty entry behind.
        const auto& enemies = m_enemies->GetLive();
        const auto found = enemies.find(id);
        if (found != enemies.end()) {
            return found->second.Get();
        }
    }
    const auto it = m_registered.find(id);
    return it != m_registered.end() ? it->second : nullptr;
}

void TAreaBase::RegisterObject(TGameObject* object)
{
    if (object != nullptr) {
        m_registered[object->GetObjectId()] = object;
    }
}

void TAreaBase::UnregisterObject(const TGameObject* object)
{
    if (object == nullptr) {
        return;
    }
    const auto it = m_registered.find(object->GetObjectId());
    if (it != m_registered.end() && it->second == object) {
        m_registered.erase(it);
    }
}

std::uint32_t TAreaBase::MapEventCode(std::uint32_t code)
{
    switch (code) {
    case kEventPhaseSet:
        return 1;
    case kEventGameOver:
    case kEventStory:
    case kEventTitle:
        return 2;
    case kEventConversation:
        return 3;
    default:
        return 0;
    }
}

std::uint32_t TAreaBase::UpdateObjects()
{
    for (auto it = m_objects.begin(); it != m_objects.end();) {
        TMapObject* object = it->Get();
        if (object->IsActive()) {
            const std::uint32_t result = object->Update();
            if (result >= kEventFirst) {
                return MapEventCode(result);
            }
            ++it;
        } else {
            object->Finish();
            it = m_objects.erase(it);
        }
    }
    return 0;
}

bool TAreaBase::UpdateVillagers()
{
    bool activated = false;
    for (const auto& villager : m_villagers) {
        villager->Update();
        if (!activated && !villager->IsTalking() && villager->TryTalk()) {
            m_talkingVillager = villager;
            m_scriptActive = 1;
            activated = true;
        }
    }
    return activated;
}

void TAreaBase::MoveVillagers()
{
    for (const auto& villager : m_villagers) {
        villager->ApplyVelocity();
    }
}

void TAreaBase::UpdateVillagerShadows()
{
    for (const auto& villager : m_villagers) {
        villager->UpdateShadow();
    }
}

void TAreaBase::AddObject(const TRefPtr<TMapObject>& object)
{
    m_objects.push_back(object);
}

void TAreaBase::AddVillager(const TRefPtr<TVillager>& villager)
{
    m_villagers.push_back(villager);
    villager->AttachToField(this);
}

void TAreaBase::OpenPauseMenu()
{
    m_app->PushScene(CreatePauseMenu(m_app, m_field));
    m_field->SkipNextDraw();
}

void TAreaBase::ResolveCollisions()
{
    m_collisionWorld.SeparateObjects();
    m_collisionWorld.ResolveGround();
    m_collisionWorld.ResolveSolids();
    m_player->SnapToShadow();
    m_player->UpdateShadow();
}

void TAreaBase::FollowPlayer()
{
    m_cameraTarget->SetMatrix(*m_player->GetFrame()->GetMatrix());
    m_camera->Update();
    D3DXVECTOR3 eye;
    D3DXVECTOR3 target;
    m_camera->GetFrame()->GetPosition(&eye);
    m_cameraTarget->GetPosition(&target);
    m_meshAreaManager.Update(&eye.x, &target.x);
    m_effectManager->Update();
    m_minimap->Update(*m_player);
}
