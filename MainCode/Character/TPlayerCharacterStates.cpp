// The state handlers every hero class shares (states 0 to 18) and the shared skill sub-states.
#include <algorithm>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemMeanTable.h"
#include "dx/dx8/3d/TMeshGeometry.h"

namespace {

const D3DXVECTOR3 kUp(0.0F, 1.0F, 0.0F);

}  // namespace

const TPlayerCharacter::StateHandler TPlayerCharacter::s_sharedStates[19] = {
    &TPlayerCharacter::StateIdle,       &TPlayerCharacter::StateWalkStart,  &TPlayerCharacter::StateMove,
    &TPlayerCharacter::StateMove,       &TPlayerCharacter::StateJump,       &TPlayerCharacter::StateFall,
    &TPlayerCharacter::StateLand,       &TPlayerCharacter::StateHitFront,   &TPlayerCharacter::StateHitBack,
    &TPlayerCharacter::StateDownFront,  &TPlayerCharacter::StateDownBack,   &TPlayerCharacter::StateLying,
    &TPlayerCharacter::StateLying,      &TPlayerCharacter::StateLaunched,   &TPlayerCharacter::StateLaunchFall,
    &TPlayerCharacter::StateLaunchLand, &TPlayerCharacter::StateStunned,    &TPlayerCharacter::StateRecover,
    &TPlayerCharacter::StateUseItem,
};

// The skill executors keyed by their motion; the hero action tables play them in these rows.
const TPlayerCharacter::SharedSubState TPlayerCharacter::s_sharedSubStates[10] = {
    {22, 5, &TPlayerCharacter::ComboWindow22},  {24, 7, &TPlayerCharacter::ComboWindow24},
    {25, 9, &TPlayerCharacter::ComboWindow25},  {27, 11, &TPlayerCharacter::ComboWindow27},
    {28, 13, &TPlayerCharacter::ComboWindow28}, {30, 15, &TPlayerCharacter::ComboWindow30},
    {31, 17, &TPlayerCharacter::ComboWindow31}, {33, 19, &TPlayerCharacter::ComboWindow33},
    {34, 21, &TPlayerCharacter::ChainTo22},     {36, 23, &TPlayerCharacter::ChainTo24},
};

const TPlayerCharacter::SharedSubState* TPlayerCharacter::FindSharedSubStateByMotion(std::uint32_t motion)
{
    for (const SharedSubState& s : s_sharedSubStates) {
        if (s.Motion == motion) {
            return &s;
        }
    }
    return nullptr;
}

bool TPlayerCharacter::StateIdle()
{
    if (m_dashFlag != 0) {
        m_dashFlag = 0;
        SetState(kStateDash);
        return true;
    }
    if ((Word(0) & kDirections) == 0) {
        return m_bodyMesh->AdvanceMorph(true, 1.0F);
    }
    SetState(1);
    return true;
}

bool TPlayerCharacter::StateWalkStart()
{
    if ((Word(0) & kDirections) == 0) {
        SetState(kStateIdle);
        return true;
    }
    if (m_bodyMesh->AdvanceMorph(false, 1.0F)) {
        m_frame->RotateAxis(kUp, GetTurnAngle(), true);
        return true;
    }
    SetState(2);
    return true;
}

bool TPlayerCharacter::StateMove()
{
    if ((Word(0) & kDirections) == 0) {
        SetState(kStateIdle);
        return true;
    }
    m_frame->RotateAxis(kUp, GetTurnAngle(), true);
    return m_bodyMesh->AdvanceMorph(true, 1.0F);
}

bool TPlayerCharacter::StateJump()
{
    MoveByInput(true);
    if (!m_bodyMesh->AdvanceMorph(false, 1.0F)) {
        SetState(kStateFall);
    }
    return true;
}

bool TPlayerCharacter::StateFall()
{
    MoveByInput(true);
    m_bodyMesh->AdvanceMorph(false, 1.0F);
    return Land();
}

bool TPlayerCharacter::StateLand()
{
    if (!m_bodyMesh->AdvanceMorph(false, 1.0F)) {
        SetState(kStateIdle);
    }
    return true;
}

// The escape from a hit, when the skill in the selected slot allows it.
bool TPlayerCharacter::EscapeCheck()
{
    TGameData* data = TGameData::GetInstance();
    if (data == nullptr) {
        return false;
    }
    const std::uint32_t set = m_skillGauge != nullptr ? m_skillGauge->GetSelection() : 0;
    if (data->GetSkillSlot(m_characterIndex, set) != 5 || m_hp <= 0 || m_mp < 20 ||
        !(m_bodyMesh->GetMorphTime() < 2.0F) || (Word(0) & kButtonB) == 0) {
        return false;
    }
    ConsumeMp(20);
    ResetToIdle();
    SetSubState(21);
    return true;
}

void TPlayerCharacter::Knockback(bool front)
{
    const TMorphRecord* morph = m_bodyMesh->GetGeometry()->GetMorphRecord(m_bodyMesh->GetMorphIndex());
    const float last = morph != nullptr && morph->frameCount > 0 ? static_cast<float>(morph->frameCount - 1) : 0.0F;
    const float t = m_bodyMesh->GetMorphTime();
    if (t < last && m_knockTime != 0.0F) {
        const float distance = (last - t) / m_knockTime * m_reactionScale;
        m_frame->Translate(0.0F, 0.0F, front ? distance : -distance, true);
    }
}

bool TPlayerCharacter::StateHitCommon(bool front)
{
    if (EscapeCheck()) {
        return true;
    }
    Knockback(front);
    if (!m_bodyMesh->AdvanceMorph(false, m_reactionScale)) {
        ResetToIdle();
    }
    return true;
}

bool TPlayerCharacter::StateHitFront() { return StateHitCommon(true); }

bool TPlayerCharacter::StateHitBack() { return StateHitCommon(false); }

bool TPlayerCharacter::StateDownCommon(bool front, std::uint32_t next)
{
    if (EscapeCheck()) {
        return true;
    }
    Knockback(front);
    if (!m_bodyMesh->AdvanceMorph(false, 1.0F)) {
        m_reactionScale = 1.0F;
        SetState(next);
    }
    return true;
}

bool TPlayerCharacter::StateDownFront() { return StateDownCommon(true, 11); }

bool TPlayerCharacter::StateDownBack() { return StateDownCommon(false, 12); }

bool TPlayerCharacter::StateLying()
{
    if (m_hp > 0) {
        if (!m_bodyMesh->AdvanceMorph(false, 1.0F)) {
            ResetToIdle();
            StartFlash(1, 60);
        }
        return true;
    }
    StartFlash(0, kUnlimitedFlash);
    // HP keeps falling below 0: it counts the steps since the defeat.
    --m_hp;
    if (m_hp == -1) {
        PlayDownVoice();
    }
    return true;
}

void TPlayerCharacter::DriftWhileLaunched()
{
    // A launch of knock time 0 throws straight up (it would be thrown to infinity).
    if (m_knockTime != 0.0F) {
        m_frame->Translate(0.0F, 0.0F, 0.8F / m_knockTime, true);
    }
}

bool TPlayerCharacter::StateLaunched()
{
    DriftWhileLaunched();
    m_bodyMesh->AdvanceMorph(false, 1.0F);
    if (m_velocity.y <= 0.0F) {
        SetState(14);
    }
    return true;
}

bool TPlayerCharacter::StateLaunchFall()
{
    DriftWhileLaunched();
    m_bodyMesh->AdvanceMorph(false, 1.0F);
    if (m_onGround != 0) {
        SetState(15);
    }
    return true;
}

bool TPlayerCharacter::StateLaunchLand()
{
    if (!m_bodyMesh->AdvanceMorph(false, 1.0F)) {
        m_reactionScale = 1.0F;
        SetState(11);
    }
    return true;
}

bool TPlayerCharacter::StateStunned()
{
    if (m_longStun != 0) {
        --m_stunTime;
    } else if (!m_bodyMesh->AdvanceMorph(true, 1.0F)) {
        --m_stunTime;
    }
    if (m_stunTime <= 0) {
        ResetToIdle();
    }
    return true;
}

bool TPlayerCharacter::StateRecover()
{
    const float t = m_bodyMesh->GetMorphTime();
    if (t > 5.0F && t <= 5.5F) {
        D3DXVECTOR3 position;
        m_frame->GetWorldPosition(&position);
        position.y += m_centerHeight;
        TRefPtr<TAttackHit> hit;
        CreateAttackHit(hit, 60003, m_referenceFrame, &position);
    }
    if (!m_bodyMesh->AdvanceMorph(false, 1.0F)) {
        StartFlash(1, 90);
        SetState(kStateIdle);
    }
    return true;
}

bool TPlayerCharacter::StateUseItem()
{
    if (m_ringItem != 0 && m_bodyMesh->GetMorphTime() > 4.5F) {
        const std::uint32_t id = m_ringItem;
        m_ringItem = 0;
        TGameData* data = TGameData::GetInstance();
        if (data != nullptr) {
            data->RemoveItem(id, 1);
        }
        if (m_itemRing != nullptr) {
            m_itemRing->Update();
        }
        const TItemMeanRecord& mean = TItemMeanTable::Get(id);
        if (mean.Cost > 0) {
            m_gaugeUsed = static_cast<std::uint32_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(m_gaugeUsed) + mean.Cost, m_gaugeMax));
        }
        if (mean.HpRecover > 0) {
            RecoverHp(mean.HpRecover);
            FireEvent(2000);
        }
        if (mean.MpRecover > 0) {
            RecoverMp(mean.MpRecover);
            FireEvent(2001);
        }
        bool timed = false;
        for (std::uint16_t i = 0; i < 4; ++i) {
            if (mean.Bonus[i] > 0) {
                FireEvent(static_cast<std::uint16_t>(2002 + i));
                timed = true;
            }
        }
        const std::uint8_t cures[6] = {mean.CurePoison, mean.CureSickness, mean.CureConfusion,
                                       mean.CureFear,   mean.CureSlow,     mean.CureSilence};
        std::int32_t* remaining[6] = {&m_poison.Remaining,     &m_manaDrain.Remaining, &m_reversedControls.Remaining,
                                      &m_attackSeal.Remaining, &m_slowness.Remaining,  &m_manaSeal.Remaining};
        for (int i = 0; i < 6; ++i) {
            if (cures[i] != 0) {
                *remaining[i] = 0;
                FireEvent(2006);
            }
        }
        PlaySound(503);
        if (timed && data != nullptr && data->GetTimedFlags(m_characterIndex) != nullptr) {
            data->GetTimedFlags(m_characterIndex)->Set(TItemMeanTable::CreateInstance(id));
        }
    }
    if (!m_bodyMesh->AdvanceMorph(false, 1.0F)) {
        SetState(kStateIdle);
    }
    return true;
}

bool TPlayerCharacter::ComboWindow(std::uint32_t excludedA, std::uint32_t excludedB, std::uint32_t fallBack,
                                   bool buff)
{
    if (m_bodyMesh->AdvanceMorph(false, 1.0F)) {
        return true;
    }
    if (buff) {
        m_attackBuff1.Remaining = 120;
        m_attackBuff1.Phase = 0;
    }
    std::uint32_t argument = 0;
    const std::uint32_t action = TakeReservedAction(&argument);
    if (action == 1) {
        SetSubState(GetChainAction());
    } else if (action == 2 && argument != 0 && argument != excludedA && argument != excludedB &&
               !IsChainBlocked(argument)) {
        SetSubState(argument);
    } else {
        SetSubState(fallBack);
    }
    return true;
}

bool TPlayerCharacter::ComboWindow22() { return ComboWindow(5, 7, 6, false); }
bool TPlayerCharacter::ComboWindow24() { return ComboWindow(5, 7, 8, false); }
bool TPlayerCharacter::ComboWindow25() { return ComboWindow(9, 11, 10, true); }
bool TPlayerCharacter::ComboWindow27() { return ComboWindow(9, 11, 12, true); }
bool TPlayerCharacter::ComboWindow28() { return ComboWindow(13, 15, 14, false); }
bool TPlayerCharacter::ComboWindow30() { return ComboWindow(13, 15, 16, false); }
bool TPlayerCharacter::ComboWindow31() { return ComboWindow(17, 19, 18, false); }
bool TPlayerCharacter::ComboWindow33() { return ComboWindow(17, 19, 20, false); }

bool TPlayerCharacter::ChainTo(std::uint32_t row)
{
    if (m_bodyMesh->AdvanceMorph(false, 1.0F)) {
        return true;
    }
    SetSubState(row);
    return true;
}

bool TPlayerCharacter::ChainTo22() { return ChainTo(22); }
bool TPlayerCharacter::ChainTo24() { return ChainTo(24); }
