#include "MainCode/Map/TTownArea.h"

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TVillager.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TMinimap.h"
#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/Script/TMapEventModule.h"
#include "MainCode/Script/TMessageWindow.h"
#include "MainCode/Script/TPBFlag.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "MainCode/Script/TShopModule.h"
#include "MainCode/TGameWnd.h"
#include "dx/dx8/3d/TTexture8.h"

TTownArea::TTownArea(TMapData& mapData, TFieldLoop* field)
    : TAreaBase(field), m_stateUpdate(&TTownArea::PlayUpdate), m_stateDraw(&TTownArea::PlayDraw)
{
    LoadMap(mapData);
}

TTownArea::~TTownArea() = default;

void TTownArea::PreparePlayer()
{
    m_player->LoadTownModel();
}

bool TTownArea::StepWorld()
{
    m_player->UpdateInTown();
    const bool activated = UpdateVillagers();
    m_player->ApplyVelocity();
    MoveVillagers();
    ResolveCollisions();
    UpdateVillagerShadows();
    FollowPlayer();
    return activated;
}

bool TTownArea::PlayUpdate()
{
    if (m_player->IsMenuButtonPressed()) {
        OpenPauseMenu();
        return true;
    }
    m_player->UpdateInTown();
    const bool activated = UpdateVillagers();
    const std::uint32_t code = UpdateObjects();
    if (code == 2) {
        return false;
    }
    if (code == 1) {
        return true;
    }
    if (code == 3) {
        m_scriptActive = 1;
    }
    m_player->ApplyVelocity();
    MoveVillagers();
    ResolveCollisions();
    UpdateVillagerShadows();
    FollowPlayer();
    if (activated) {
        TScriptProcessManager* manager = TScriptProcessManager::Create();
        manager->AddModule(new TMessageWindow(m_app->GetInput()));
        manager->AddModule(new TShopModule(m_app, m_field));
        manager->AddModule(new TPBFlag(m_app));
        m_mapEvent = new TMapEventModule(m_app, m_field);
        manager->AddModule(m_mapEvent);
        manager->Push(m_talkingVillager->GetScriptKey());
        EnterScript();
    }
    if (code == 3) {
        // The object that asked has queued its conversation already, with a "MapEvent" module of
        // its own: that one tells whether the run ends the field.
        TScriptProcessManager* manager = TScriptProcessManager::Get();
        m_mapEvent = manager != nullptr ? dynamic_cast<TMapEventModule*>(manager->FindModule("MapEvent")) : nullptr;
        EnterScript();
    }
    return true;
}

void TTownArea::EnterScript()
{
    m_stateUpdate = &TTownArea::ScriptUpdate;
    m_stateDraw = &TTownArea::ScriptDraw;
}

void TTownArea::LeaveScript()
{
    m_stateUpdate = &TTownArea::PlayUpdate;
    m_stateDraw = &TTownArea::PlayDraw;
}

bool TTownArea::ScriptUpdate()
{
    StepWorld();
    TScriptProcessManager* manager = TScriptProcessManager::Get();
    std::uint32_t result = manager != nullptr ? manager->Step() : TScriptProcessManager::kFinished;
    if ((result & 1) != 0 && manager->GetStop() != 0) {
        // Nothing in a town clears a stop (a module asks for it once its work is the field's): the
        // run could never go on. A game over or story event has placed its scene; anything else
        // (a second conversation request) would hang the town.
        const std::int32_t code = m_mapEvent != nullptr ? m_mapEvent->GetResult() : 0;
        if (MapEventCode(static_cast<std::uint32_t>(code)) != 2) {
            ScriptLog("a script stopped in town with result " + std::to_string(code) + "; its run is ended");
        }
        result = TScriptProcessManager::kFinished;
    }
    if ((result & 1) != 0) {
        manager->UpdateModules();
        return true;
    }
    if (m_talkingVillager.Get() != nullptr) {
        m_talkingVillager->EndTalk();
        m_talkingVillager = TRefPtr<TVillager>();
    }
    m_scriptActive = 0;
    const bool withModule = m_mapEvent != nullptr;
    const std::uint32_t code = withModule ? static_cast<std::uint32_t>(m_mapEvent->GetResult()) : 0;
    m_mapEvent = nullptr;
    TScriptProcessManager::Destroy();
    TTexture8::PurgeCache(2);
    LeaveScript();
    // 2: the module has placed the next scene; a phase set by the run (1) runs from the field.
    return !(withModule && MapEventCode(code) == 2);
}

void TTownArea::PlayDraw()
{
    m_player->DrawHud();
    m_minimap->Draw(408, 312);
}

void TTownArea::ScriptDraw()
{
    m_player->DrawHud();
    m_minimap->Draw(408, 312);
    if (TScriptProcessManager* manager = TScriptProcessManager::Get()) {
        manager->DrawModules();
    }
}
