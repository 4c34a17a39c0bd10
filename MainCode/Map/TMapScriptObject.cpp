#include "MainCode/Map/TMapScriptObject.h"

#include "MainCode/Character/TPlayerSeams.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/SceneRequests.h"
#include "MainCode/Script/TMapEventModule.h"
#include "MainCode/TGameWnd.h"

TMapEnemyWatch::TMapEnemyWatch(TAreaBase* area, const std::string& scriptKey)
    : TMapObject(area), m_scriptKey(scriptKey), m_enemies(area->GetEnemies())
{
}

TMapScriptFacingBox::TMapScriptFacingBox(TAreaBase* area, const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum,
                                         const D3DXVECTOR3& facing, const std::string& scriptKey)
    : TMapScriptObject(area, scriptKey), m_box(minimum, maximum, facing)
{
}

std::uint32_t TMapScriptFacingBox::Update()
{
    return StepFacingBox(m_box) ? RunScript(m_scriptKey) : kNothing;
}

TMapScriptAction::TMapScriptAction(TAreaBase* area, const D3DXVECTOR3& point, float radius,
                                   const std::string& scriptKey)
    : TMapScriptObject(area, scriptKey), m_spot(point, radius)
{
}

std::uint32_t TMapScriptAction::Update()
{
    return IsPlayerActingAt(m_spot) ? RunScript(m_scriptKey) : kNothing;
}

TMapScriptBox::TMapScriptBox(TAreaBase* area, const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum,
                             const std::string& scriptKey)
    : TMapScriptObject(area, scriptKey), m_minimum(minimum), m_maximum(maximum), m_centre((minimum + maximum) / 2.0F)
{
}

std::uint32_t TMapScriptBox::Update()
{
    if (GetPlayer() == nullptr || !IsInsideBox(GetPlayerPosition(), m_minimum, m_maximum)) {
        return kNothing;
    }
    return RunScript(m_scriptKey);
}

std::uint32_t TMapDefeatCountScript::Update()
{
    if (m_enemies == nullptr || m_enemies->GetDefeatedIds().size() < m_count) {
        return kNothing;
    }
    return RunScript(m_scriptKey);
}

std::uint32_t TMapDefeatScript::Update()
{
    if (m_enemies == nullptr || !m_enemies->IsDefeated(m_enemyId)) {
        return kNothing;
    }
    return RunScript(m_scriptKey);
}

std::uint32_t TMapDeathWatch::Update()
{
    if (!IsPlayerDead(GetPlayer())) {
        return kNothing;
    }
    if (m_scriptKey != kGameOverKey) {
        return RunScript(m_scriptKey);
    }
    TGameWnd* app = m_area->GetApp();
    // As the script's game over: no music use for an area without music.
    const std::int32_t music = TMapEventModule::KeepMusic(app, m_area);
    if (app != nullptr) {
        app->ReplaceScene(CreateDieLoop(app, music));
    }
    return TMapEventModule::kGameOver;
}
