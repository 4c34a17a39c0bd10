// The map load of an area: everything a map's data asks for, in the order the field relies on.
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TMapData.h"
#include "MainCode/Map/TMinimap.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Script/ScriptRandom.h"
#include "TCommon/my_error.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/sound/TDSound8.h"

namespace {

const char kSourceFile[] = "MainCode/Map/TAreaLoadMap";
constexpr float kRandomScale = 3.051851e-05F;  // 1 / 32767

// 0.02 to 0.05 units off the stored point, so that two starts never coincide exactly.
D3DXVECTOR3 Jittered(const D3DXVECTOR3& p)
{
    const float dz = 0.02F + 0.03F * (static_cast<float>(ScriptRandom()) * kRandomScale);
    const float dx = 0.02F + 0.03F * (static_cast<float>(ScriptRandom()) * kRandomScale);
    return D3DXVECTOR3(p.x + dx, p.y, p.z + dz);
}

}  // namespace

void TAreaBase::PlacePlayer(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, const D3DXVECTOR3& camera)
{
    m_player->PlaceAt(Jittered(position), direction);
    // The target faces as the player does from the first settling step on, as every step sets it.
    m_cameraTarget->SetMatrix(*m_player->GetFrame()->GetMatrix());
    m_camera->Reset(camera, position, 100);
}

void TAreaBase::LoadMap(TMapData& mapData)
{
    const bool battle = mapData.GetMapKind() == 1;
    if (battle) {
        TAttackTable::Load("basic.bht");
    }
    // The field keeps projection and fog: it sets them again whenever it is resumed.
    TSceneViewState view;
    view.nearZ = mapData.GetNear();
    view.farZ = mapData.GetFar();
    view.degrees = mapData.GetFieldOfView();
    if (mapData.HasFog()) {
        view.fog = true;
        view.fogStart = mapData.GetFogStart();
        view.fogEnd = mapData.GetFogEnd();
        view.fogColour = mapData.GetFogColour();
        m_fogColour = mapData.GetFogColour();
        m_clearColour = mapData.GetFogColour();
    }
    m_field->SetViewState(view);
    m_minimap->Load(mapData.GetMinimapName());

    m_camera = mapData.CreateCamera(m_sceneFrame, m_cameraTarget.Get(), m_field->GetView());
    if (m_camera.Get() == nullptr) {
        // Sky, start and every step follow the camera.
        throw my_error("map has no camera of mode 16 or 32 : " + mapData.GetMapName(), kSourceFile, __LINE__);
    }
    if (mapData.HasSky()) {
        m_camera->CreateSky(30.0F, 0.0F, 30.0F, 0.0F, m_fogColour, mapData.GetSkyValue3(), mapData.GetSkyValue3(),
                            mapData.GetSkyValue1(), mapData.GetSkyValue2(), "");
    }

    const std::string& folder = TMeshAreaManager::GetDirectory();
    m_meshAreaManager.Load(folder + mapData.GetAreaMeshName(), mapData.GetMeshCellWidth(),
                           mapData.GetMeshCellDepth(), m_sceneFrame, "TMeshAreaManager");
    mapData.CreateVisualMeshes(&m_meshAreaManager);
    m_collisionWorld.Load(folder + "_" + mapData.GetAreaMeshName(), mapData.GetCollisionCellWidth(),
                          mapData.GetCollisionCellDepth());
    mapData.CreateCollisionMeshes(&m_collisionWorld);

    if (mapData.HasEntryPoint()) {
        PlacePlayer(mapData.GetEntryPosition(), mapData.GetEntryDirection(), mapData.GetEntryCameraPosition());
    }
    if (battle) {
        m_enemyRegistry = TRefPtr<TEnemyFactory>(new TEnemyFactory(this, mapData));
        m_enemies = m_enemyRegistry.Get();
    }
    m_player->AttachToField(this);
    if (mapData.GetMapKind() == 0) {
        m_player->LoadTownModel();
    }
    mapData.CreateMapObjects(this);
    if (mapData.GetMapKind() == 0) {
        mapData.CreateVillagers(this);
    }
    if (mapData.HasStart()) {
        PlacePlayer(mapData.GetStartPosition(), mapData.GetStartDirection(), mapData.GetStartCameraPosition());
    }

    if (TSoundBank* music = m_sound->GetBank(2)) {
        m_musicId = music->FindId(mapData.GetMusicName());
        if (m_musicId != -1) {
            music->Load(static_cast<std::uint32_t>(m_musicId));
            if (!mapData.IsKeepMusic()) {
                music->SetVolumeAll(music->GetMaxVolume());
                music->PlayLoop(static_cast<std::uint32_t>(m_musicId));
            }
        }
    }

    TFieldHud& hud = m_field->GetHud();
    hud.ClearNotices();
    hud.PushPause(25);
    hud.PushText(mapData.GetDisplayName());

    D3DXVECTOR3 eye;
    D3DXVECTOR3 target;
    m_camera->GetFrame()->GetPosition(&eye);
    m_cameraTarget->GetPosition(&target);
    m_meshAreaManager.Update(&eye.x, &target.x);
    TGameData::GetInstance()->UpdateSkillMasterFlags();
    m_field->Resume();
}
