#include "MainCode/Map/TMapObject.h"

#include <algorithm>
#include <cmath>

#include "MainCode/Character/TPlayerSeams.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Script/TMapEventModule.h"
#include "MainCode/Script/TMessageWindow.h"
#include "MainCode/Script/TPBFlag.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "MainCode/Script/TShopModule.h"
#include "MainCode/TGameWnd.h"

namespace {

void StartTask(TScriptProcessManager* manager, const std::string& key)
{
    manager->Push(key);
    manager->SetStop(0);
    manager->SetModuleWait(0);
}

}  // namespace

std::uint32_t TMapObject::RunScript(const std::string& key)
{
    TFieldLoop* field = m_area->GetFieldLoop();
    TGameWnd* app = m_area->GetApp();

    TScriptProcessManager* manager = TScriptProcessManager::Create();
    auto* mapEvent = new TMapEventModule(app, field);
    manager->AddModule(mapEvent);
    manager->AddModule(new TPBFlag(app));
    StartTask(manager, key);
    // Run until the script first holds or ends: a CALL of a file its folder lacks is no hold.
    manager->RunOnce();
    const auto code = static_cast<std::uint32_t>(mapEvent->GetResult());
    TScriptProcessManager::Destroy();
    if (code != TMapEventModule::kConversation) {
        return code;
    }

    manager = TScriptProcessManager::Create();
    manager->AddModule(new TMessageWindow(app != nullptr ? app->GetInput() : nullptr));
    manager->AddModule(new TPBFlag(app));
    manager->AddModule(new TMapEventModule(app, field));
    manager->AddModule(new TShopModule(app, field));
    StartTask(manager, key);
    return code;
}

bool TMapObject::IsInsideBox(const D3DXVECTOR3& p, const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum)
{
    return minimum.x <= p.x && p.x <= maximum.x && minimum.y <= p.y && p.y <= maximum.y && minimum.z <= p.z &&
           p.z <= maximum.z;
}

bool TMapObject::IsFacing(const D3DXVECTOR3& front, const D3DXVECTOR3& direction)
{
    const float dot = std::clamp(D3DXVec3Dot(&front, &direction), -1.0F, 1.0F);
    return std::acos(dot) < kFacingAngle;
}

D3DXVECTOR3 TMapObject::Normalized(const D3DXVECTOR3& v)
{
    const float length = D3DXVec3Length(&v);
    if (length == 0.0F) {
        return D3DXVECTOR3(0.0F, 0.0F, 0.0F);
    }
    return D3DXVECTOR3(v.x / length, v.y / length, v.z / length);
}

TPlayerCharacter* TMapObject::GetPlayer() const
{
    return m_area->GetPlayer();
}

D3DXVECTOR3 TMapObject::GetPlayerPosition() const
{
    D3DXVECTOR3 p(0.0F, 0.0F, 0.0F);
    if (TPlayerCharacter* player = GetPlayer()) {
        player->GetPosition(&p);
    }
    return p;
}

bool TMapObject::StepFacingBox(TFacingBox& box) const
{
    TPlayerCharacter* player = GetPlayer();
    bool facing = false;
    if (player != nullptr && IsInsideBox(GetPlayerPosition(), box.minimum, box.maximum)) {
        const std::uint32_t state = player->GetState();
        D3DXVECTOR3 front;
        player->GetFront(&front);
        facing = (state == 2 || state == 3) && IsFacing(front, box.facing);
    }
    if (!facing) {
        box.counter = 0;
        return false;
    }
    ++box.counter;
    return box.counter >= TFacingBox::kSteps;
}

bool TMapObject::IsPlayerActingAt(const TActionSpot& spot) const
{
    const D3DXVECTOR3& point = spot.point;
    const float radius = spot.radius;
    TPlayerCharacter* player = GetPlayer();
    if (player == nullptr) {
        return false;
    }
    D3DXVECTOR3 front;
    player->GetFront(&front);
    front = Normalized(front);
    const D3DXVECTOR3 d = point - GetPlayerPosition();
    if (D3DXVec3Length(&d) >= radius || !IsPlayerActionButtonPressed(m_area)) {
        return false;
    }
    return IsFacing(front, Normalized(d));
}
