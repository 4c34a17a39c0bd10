#include "MainCode/Character/TVillager.h"

#include <algorithm>
#include <cmath>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TPlayerSeams.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TMapObject.h"
#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/Script/TScriptProcessManager.h"

namespace {

// Held (the module's call), rather than finished (4) or cancelled (16).
constexpr std::uint32_t kHeldBits = 1 | 2;

D3DXVECTOR3 Vector(const float v[3])
{
    return D3DXVECTOR3(v[0], v[1], v[2]);
}

}  // namespace

TVillager::TVillager(const TVillagerInfo& info)
    : TGameObject(info.objectId, info.centreHeight, info.shadowSize, info.shadowVisible, info.pushable, info.gravity,
                  info.name),
      m_scriptKey(info.scriptKey),
      m_position(Vector(info.position)),
      m_facing(Vector(info.direction)),
      m_value2(info.value2),
      m_faceMode(info.faceMode),
      m_value6(info.value6)
{
}

TVillager::~TVillager() = default;

bool TVillager::Update()
{
    ResetMode();
    (this->*m_handler)();
    return true;
}

void TVillager::AttachToField(TAreaBase* area)
{
    TGameObject::AttachToField(area);
    m_frame->SetPosition(m_position);
    if (m_facing.x == 0.0F && m_facing.y == 0.0F && m_facing.z == 0.0F) {
        m_facing.x = static_cast<float>(genrand_int32());
        m_facing.z = static_cast<float>(genrand_int32());
        m_facing = TMapObject::Normalized(m_facing);
    }
    m_frame->SetDirection(m_facing, D3DXVECTOR3(0.0F, 1.0F, 0.0F));
}

std::uint32_t TVillager::SetState(std::uint32_t state)
{
    TGameObject::SetState(state);
    m_handler = state == kTalkState ? &TVillager::TurnToPlayer : &TVillager::Idle;
    return state;
}

bool TVillager::TryTalk()
{
    if (m_talking != 0 || m_area == nullptr || !IsPlayerActionButtonPressed(m_area)) {
        return false;
    }
    TPlayerCharacter* player = m_area->GetPlayer();
    if (player == nullptr) {
        return false;
    }
    D3DXVECTOR3 me;
    D3DXVECTOR3 them;
    GetPosition(&me);
    player->GetPosition(&them);
    const D3DXVECTOR3 d = me - them;
    if (!(D3DXVec3Length(&d) < player->GetCenterHeight() + m_centerHeight + kTalkReach)) {
        return false;
    }
    D3DXVECTOR3 front;
    player->GetFront(&front);
    const D3DXVECTOR3 toMe = TMapObject::Normalized(d);
    if (std::acos(std::clamp(D3DXVec3Dot(&front, &toMe), -1.0F, 1.0F)) > kTalkAngle) {
        return false;
    }
    m_talking = 1;
    if (m_faceMode == kFacePlayer) {
        SetState(kTalkState);
    }
    return true;
}

void TVillager::EndTalk()
{
    m_talking = 0;
    SetState(0);
}

void TVillager::Idle()
{
    if (m_bodyMesh != nullptr) {
        m_bodyMesh->AdvanceMorph(true, 1.0F);
    }
}

void TVillager::TurnToPlayer()
{
    Idle();
    if (m_area != nullptr && m_area->GetPlayer() != nullptr) {
        TurnToward(*m_area->GetPlayer());
    }
}

bool LoadVillagerInfo(TVillagerInfo& info, const std::string& key)
{
    info.scriptKey = key;
    TScriptProcessManager* manager = TScriptProcessManager::Get();
    if (manager == nullptr) {
        ScriptLog("villager \"" + key + "\" set up without a script manager; left out");
        return false;
    }
    manager->AddModule(new TVillagerInfoModule(&info));
    TScript* task = manager->Push(key);
    // Each set-up runs on its own: what stopped the one before does not hold this one.
    manager->SetStop(0);
    manager->SetModuleWait(0);
    manager->SetHostWait(0);
    // Map loading is no play frame: the set-up runs until its VillagerInfo call stops it.
    const std::uint32_t result = manager->RunOnce();
    const bool held = (result & kHeldBits) != 0 && (result & 16) == 0;
    if (task != nullptr) {
        manager->RemoveTask(task);
    }
    manager->RemoveModule("VillagerInfo");
    if (!held) {
        ScriptLog("villager set-up script \"" + key + "\" ended without its VillagerInfo call; left out");
    }
    return held;
}
