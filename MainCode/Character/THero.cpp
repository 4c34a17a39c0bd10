// The hero engine: construction from the class definition, states and actions, the command maps,
// the two buttons, the town step and the hit-landed answer.
#include "MainCode/Character/THero.h"

#include <algorithm>

#include "MainCode/Effect/TAfterImage.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Effect/TSmashEffect.h"
#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/Map/TAreaBase.h"

namespace {

constexpr THeroRow Shared(std::uint32_t motion) { return {motion, THeroKind::Shared}; }
constexpr THeroRow Recover(std::uint32_t motion) { return {motion, THeroKind::Recover}; }

}  // namespace

const THeroRow g_heroCommonRows[25] = {
    {0, THeroKind::None},
    {19, THeroKind::PatternSkill},
    Recover(20),
    {21, THeroKind::ChainedPatternSkill},
    Recover(20),
    Shared(22),
    Recover(23),
    Shared(24),
    Recover(23),
    Shared(25),
    Recover(26),
    Shared(27),
    Recover(26),
    Shared(28),
    Recover(29),
    Shared(30),
    Recover(29),
    Shared(31),
    Recover(32),
    Shared(33),
    Recover(32),
    // Command 5 plays its one motion and goes on to its own recovery row.
    Shared(34),
    Recover(35),
    Shared(36),
    Recover(35),
};

const THeroSkillPair g_heroCommonSkills[5] = {
    {1, 5, 7}, {2, 9, 11}, {3, 13, 15}, {4, 17, 19}, {5, 21, 23},
};

THero::THero(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record,
             const std::string& model, const THeroClassDef& def)
    : TPlayerCharacter(characterIndex, 0xFFFFFFFFu, 0.7F, 1.0F, 1, 1, -0.01F, 1, 1, 1, record.LifeMax, record.Life,
                       record.MpMax, record.Mp, record.Stat[0], record.Stat[1], record.Stat[2], record.Stat[3],
                       record.ElementValue[0], record.ElementValue[1], record.ElementValue[2],
                       record.ElementValue[3], record.ElementValue[4], record.ElementValue[5], model, record.Level,
                       record.Experience, static_cast<std::uint32_t>(record.GaugeUsed),
                       static_cast<std::uint32_t>(record.GaugeMax), static_cast<std::int32_t>(record.StateWord[0]),
                       static_cast<std::int32_t>(record.StateWord[1]), static_cast<std::int32_t>(record.StateWord[2]),
                       static_cast<std::int32_t>(record.StateWord[3]), static_cast<std::int32_t>(record.StateWord[4]),
                       static_cast<std::int32_t>(record.StateWord[5]), 10, def.QueueCapacity, links),
      m_def(def)
{
    BuildCommandMap();
    SetState(kStateIdle);
    // Before the weapons, which give the ribbons their colour and length.
    m_leftTrail = TAfterImage::Create(m_leftWeapon.Get(), this);
    m_rightTrail = TAfterImage::Create(m_rightWeapon.Get(), this);
    Equip(record.WeaponId);
    SetEquipItem(record.Accessory1Id, 'A');
    SetEquipItem(record.Accessory2Id, 'B');
}

THero::~THero()
{
    // The hold map goes first, then the tap map, then the player with its ribbons.
    m_holdMap.clear();
    m_tapMap.clear();
}

void THero::BuildCommandMap()
{
    for (std::uint32_t i = 0; i < m_def.SkillCount; ++i) {
        m_tapMap.insert({m_def.Skills[i].Id, m_def.Skills[i].Tap});
    }
    for (std::uint32_t i = 0; i < m_def.SkillCount; ++i) {
        m_holdMap.insert({m_def.Skills[i].Id, m_def.Skills[i].Hold});
    }
}

std::uint32_t THero::SetState(std::uint32_t state)
{
    if (state <= 3) {
        m_moveLevel = state;
    }
    TGameObject::SetState(state);
    if (state != kStateAction) {
        m_row = nullptr;
    }
    m_bodyMesh->SetMorph(state);
    return state;
}

void THero::StartAction(std::uint32_t n)
{
    if (n >= m_def.RowCount) {
        return;
    }
    SetState(kStateAction);
    TArmedCharacter::SetSubState(n);
    m_row = m_def.Rows[n].Kind == THeroKind::None ? nullptr : &m_def.Rows[n];
    m_bodyMesh->SetMorph(m_def.Rows[n].Motion);
}

bool THero::RunStateHandler()
{
    if (m_state < kStateAction) {
        return (this->*s_sharedStates[m_state])();
    }
    if (m_state == kStateAction) {
        return RunAction();
    }
    return false;
}

bool THero::IsAirAction(std::uint32_t n) const
{
    return std::find(m_def.AirActions, m_def.AirActions + m_def.AirActionCount, n) !=
           m_def.AirActions + m_def.AirActionCount;
}

std::int32_t THero::GetSkillAction(std::uint32_t skillId, std::uint8_t hold)
{
    if (skillId == 0) {
        return 0;
    }
    const std::uint32_t type = TSkillTable::Get(skillId).Type;
    if (type == 1) {
        return hold != 0 ? 3 : 1;
    }
    if (type == 0 || type == 4 + m_def.WeaponType) {
        // An id the class does not map reads as 0 and stays in the map so.
        return static_cast<std::int32_t>((hold != 0 ? m_holdMap : m_tapMap)[skillId]);
    }
    return -1;
}

// ---- buttons ----

void THero::OnAttackHeld()
{
    if (m_holdCountA < kHoldFrames || m_holdCountA == kHeldMark) {
        return;
    }
    m_holdCountA = kHeldMark;
    if (m_state == kStateAction) {
        SetReservedAction(1, 0);
        return;
    }
    if (!CanAct()) {
        return;
    }
    if (m_state == kStateDash) {
        StartAction(m_def.Attack.DashHold);
    } else if (m_state <= 2) {
        StartAction(m_def.Attack.GroundHold);
    } else if (IsHighAboveGround()) {
        StartAction(m_def.Attack.AirHold);
    }
}

void THero::OnAttackReleased()
{
    if (m_holdCountA == kHeldMark) {
        m_holdCountA = 0;
        return;
    }
    if (!CanAct()) {
        return;
    }
    if (m_state == kStateAction) {
        PushCommand(1);
    } else if (m_state == kStateJump || m_state == kStateFall) {
        if (m_def.Attack.AirReleaseClearsFlag) {
            ClearFollowUp();
        }
        StartAction(m_def.Attack.AirRelease);
    } else if (m_state == kStateDash) {
        StartAction(m_def.Attack.DashRelease);
    } else {
        StartAction(m_def.Attack.GroundRelease);
    }
}

void THero::OnSkillHeld()
{
    if (m_holdCountB < kHoldFrames || m_holdCountB == kHeldMark) {
        return;
    }
    m_holdCountB = kHeldMark;
    StartSkill(true);
}

void THero::OnSkillReleased()
{
    if (m_holdCountB == kHeldMark) {
        m_holdCountB = 0;
        return;
    }
    if (CanAct()) {
        StartSkill(false);
    }
}

void THero::StartSkill(bool hold)
{
    const std::uint32_t slot = m_skillGauge != nullptr ? m_skillGauge->GetSelection() : 0;
    const TGameData* data = TGameData::GetInstance();
    const std::uint32_t id = data != nullptr ? data->GetSkillSlot(m_characterIndex, slot) : 0;
    if (id == 0 || id == 5) {
        return;
    }
    const TSkillRecord& record = TSkillTable::Get(id);
    const std::uint32_t type = record.Type;
    if (type == 2 || type == 3) {
        return;
    }
    const std::int32_t n = GetSkillAction(id, hold ? 1 : 0);
    SetPatternFunc(id, hold ? 1 : 0);
    // Another class's weapon skill (-1) or a number past the table is no action at all.
    if (n < 0 || static_cast<std::uint32_t>(n) >= m_def.RowCount) {
        return;
    }
    const auto action = static_cast<std::uint32_t>(n);
    if (m_state == kStateAction) {
        // The running action's executor decides at its end.
        SetReservedAction(2, action);
        return;
    }
    if (hold && !CanAct()) {
        return;
    }
    bool air = false;
    if (hold) {
        air = m_state > 3;
    } else {
        air = m_state == kStateJump || m_state == kStateFall;
    }
    bool airAction = IsAirAction(action);
    if (hold && m_def.SkillHold == THeroSkillHold::AirByRecord) {
        airAction = record.SubKind >= 32 && record.SubKind <= 36;
    }
    if (airAction != air || action == 0) {
        return;
    }
    StartAction(action);
}

// ---- the town step ----

// ---- hits that landed ----

void THero::OnHitDelivered(TArmedCharacter* victim, std::int32_t code, std::int32_t damage, std::uint8_t flag)
{
    switch (m_def.HitLanded) {
    case THeroHitLanded::Standard: StandardHitLanded(victim, code, damage, flag, true, true); break;
    case THeroHitLanded::HopsOnly: StandardHitLanded(victim, code, damage, flag, true, false); break;
    case THeroHitLanded::RingsOnly: StandardHitLanded(victim, code, damage, flag, false, true); break;
    case THeroHitLanded::Plain: StandardHitLanded(victim, code, damage, flag, false, false); break;
    }
}

std::int32_t THero::StandardHitLanded(TArmedCharacter* victim, std::int32_t code, std::int32_t damage,
                                      std::uint8_t flag, bool hops, bool rings)
{
    const std::int32_t result = TPlayerCharacter::OnHitLanded(victim, code, damage, flag);
    if (flag != 0) {
        return result;
    }
    switch (hops ? code : 0) {
    case 1: HitHop(0.05F, 0.2F, true); break;
    case 2: HitHop(0.06F, 0.2F, true); break;
    case 3: HitHop(0.07F, 0.1F, false); break;
    default: break;
    }
    if (rings && code == 4) {
        HitRing(victim, 700, 300);
    } else if (rings && code == 5) {
        HitRing(victim, 701, 500);
    }
    return result;
}

void THero::HitHop(float speed, float forward, bool popCommand)
{
    SetVerticalSpeed(speed);
    // The model faces its -Z axis.
    m_frame->Translate(0.0F, 0.0F, -forward, true);
    // An attack queued during an air strike turns into the follow-up.
    if (popCommand && PopCommand() == 1 && m_def.HasFollowUpFlag) {
        m_followUp = 1;
    }
}

void THero::HitRing(TArmedCharacter* victim, std::uint32_t effectId, std::uint32_t duration)
{
    if (victim == nullptr || m_effectManager == nullptr) {
        return;
    }
    D3DXVECTOR3 position;
    victim->GetPosition(&position);
    position.z -= 0.1F;
    D3DXVECTOR3 front;
    GetFront(&front);
    const float colour[4] = {1.0F, 1.0F, 1.0F, 1.0F};
    const float size = 2.0F * m_centerHeight;
    const float scale[3] = {size, size, size};
    TEffect* effect = m_effectManager->Create(effectId, &position, &front, m_referenceFrame, m_area, colour, scale);
    // A manager without that mesh effect gives nothing to set.
    auto* ring = dynamic_cast<TMeshEffect*>(effect);
    if (ring == nullptr) {
        return;
    }
    ring->SetTargetId(static_cast<std::int32_t>(victim->GetObjectId()));
    ring->SetOwnerId(static_cast<std::int32_t>(GetObjectId()));
    ring->SetDuration(duration);
}
