// The player's reading of the buttons: walking and turning relative to the camera, the double tap,
// jumping, falling and landing, the attack buttons, the command queue and the pattern actions.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TimeStop.h"
#include "MainCode/GameData/TItemMeanTable.h"
#include "MainCode/TInputDevice.h"
#include "MainCode/TMenuSound.h"

namespace {

constexpr float kPi = 3.14159265F;
constexpr float kMoveSpeeds[4] = {0.01F, 0.02F, 0.05F, 0.08F};

// The stick value of a direction: the camera's place (x, z) in the character's space gives how
// far to turn. Reversed controls mirror both pairs.
float DirectionValue(std::uint32_t d, float x, float z, bool reversed)
{
    const float sign = reversed ? -1.0F : 1.0F;
    switch (d) {
    case 1: return sign * x;
    case 2: return -sign * x;
    case 4: return -sign * z;
    case 5: return reversed ? z - x : x - z;
    case 6: return reversed ? z + x : -x - z;
    case 8: return sign * z;
    case 9: return reversed ? -x - z : z + x;
    case 10: return reversed ? x - z : z - x;
    default: return 0.0F;
    }
}

// The heading of a direction, relative to the camera's side axis.
float DirectionAngle(std::uint32_t d, bool reversed)
{
    switch (d) {
    case 1: return reversed ? 0.0F : kPi;
    case 2: return reversed ? kPi : 0.0F;
    case 4: return reversed ? -kPi / 2 : kPi / 2;
    case 5: return reversed ? -kPi / 4 : 3 * kPi / 4;
    case 6: return reversed ? -3 * kPi / 4 : kPi / 4;
    case 8: return reversed ? kPi / 2 : -kPi / 2;
    case 9: return reversed ? kPi / 4 : -3 * kPi / 4;
    case 10: return reversed ? 3 * kPi / 4 : -kPi / 4;
    default: return 0.0F;
    }
}

bool IsOnFoot(std::uint32_t state) { return state <= 3; }

}  // namespace

std::uint32_t TPlayerCharacter::Word(std::uint32_t i) const { return m_input != nullptr ? m_input->GetWord(i) : 0; }

void TPlayerCharacter::SetWordBits(std::uint32_t i, std::uint32_t value)
{
    if (m_input != nullptr) {
        m_input->SetWord(i, value);
    }
}

float TPlayerCharacter::GetMoveSpeed() const { return kMoveSpeeds[std::min<std::uint32_t>(m_moveLevel, 3)]; }

bool TPlayerCharacter::IsActionButtonPressed() const
{
    const std::uint32_t s = m_state;
    if (m_levelUpPending != 0 || m_reactionMode != kModeNormal || s == 17 || s == 18 || s == 19 || s == 4 ||
        s == 5 || s == 6 || m_hp < 0) {
        return false;
    }
    return (Word(0) & kButtonA) != 0 && (Word(1) & kButtonA) == 0;
}

bool TPlayerCharacter::CanOpenItemRing() const
{
    if (m_reactionMode != kModeNormal || (m_state >= 17 && m_state <= 19) || m_hp < 0) {
        return false;
    }
    return (Word(0) & kButtonD) != 0;
}

bool TPlayerCharacter::IsMenuButtonPressed() const
{
    if (m_levelUpPending != 0 || m_reactionMode != kModeNormal || (m_state >= 17 && m_state <= 19) || m_hp < 0 ||
        IsTimeStopped()) {
        return false;
    }
    return (Word(0) & kButtonE) != 0 && (Word(1) & kButtonE) == 0;
}

float TPlayerCharacter::GetTurnAngle() const
{
    if (m_cameraFrame == nullptr) {
        return 0.0F;
    }
    const std::uint32_t d = Word(0) & kDirections;
    const bool reversed = m_reversedControls.IsRunning();
    D3DXVECTOR3 camera;
    if (!m_cameraFrame->GetPositionRelativeTo(m_frame.Get(), &camera)) {
        return 0.0F;
    }
    D3DXVec3Normalize(&camera, &camera);
    const float value = std::clamp(DirectionValue(d, camera.x, camera.z, reversed), -3.0F, 3.0F);
    float turn = value * 0.0174533F * 10.0F;
    if (std::fabs(turn) < 0.1F) {
        return turn;
    }
    // Where the stick points, seen from the character: a heading within 60 degrees of its back
    // turns at the fastest rate instead of easing in.
    const D3DXMATRIX* cameraLocal = m_cameraFrame->GetMatrix();
    D3DXVECTOR3 heading(cameraLocal->_13, 0.0F, -cameraLocal->_11);
    D3DXVec3Normalize(&heading, &heading);
    D3DXMATRIX rotation;
    D3DXMatrixRotationY(&rotation, DirectionAngle(d, reversed));
    D3DXVec3TransformNormal(&heading, &heading, &rotation);
    D3DXVECTOR3 own;
    if (!m_frame->WorldToLocal(&own, heading, false)) {
        return turn;
    }
    D3DXVec3Normalize(&own, &own);
    const float degrees = std::atan2(own.x, own.z) * 180.0F / kPi;
    if (degrees > -60.0F && degrees < 60.0F) {
        turn = turn >= 0.0F ? kPi / 3.0F : -kPi / 3.0F;
    }
    return turn;
}

void TPlayerCharacter::MoveByInput(bool turn)
{
    if ((Word(0) & kDirections) == 0) {
        return;
    }
    if (turn) {
        m_frame->RotateAxis(D3DXVECTOR3(0.0F, 1.0F, 0.0F), GetTurnAngle(), true);
    }
    m_frame->Translate(0.0F, 0.0F, -GetMoveSpeed(), true);
}

void TPlayerCharacter::DetectDoubleTap()
{
    const auto cur = static_cast<std::uint8_t>(Word(0) & kDirections);
    const auto prev = static_cast<std::uint8_t>(Word(1) & kDirections);
    std::uint32_t& c = m_tapCounter;
    if (c == 0) {
        if (cur != 0 && prev == 0) {
            c = 10;
            m_firstTapDirection = cur;
            m_tapOrientation = *m_frame->GetMatrix();
            m_tapOrientation._41 = m_tapOrientation._42 = m_tapOrientation._43 = 0.0F;
        }
        return;
    }
    if (c >= 10 && c <= 19) {
        if (cur == 0) {
            c = 20;
        } else {
            c = c == 18 ? 0 : c + 1;
        }
        return;
    }
    if (c >= 20 && c <= 29) {
        if (cur == m_firstTapDirection) {
            m_dashDirection = cur;
            m_dashFlag = 1;
            c = 0;
        } else {
            c = c == 28 ? 0 : c + 1;
        }
        return;
    }
    c = 0;
}

void TPlayerCharacter::TryJump()
{
    if ((Word(0) & kButtonC) == 0 || (Word(1) & kButtonC) != 0 || !IsOnFoot(m_state)) {
        return;
    }
    m_gravity = kJumpGravity;
    m_velocity.y = kJumpSpeed;
    SetState(kStateJump);
}

void TPlayerCharacter::CheckFall()
{
    if (IsOnFoot(m_state) && 10.0F * m_defaultGravity > m_velocity.y) {
        m_gravity = kJumpGravity;
        SetState(kStateFall);
    }
}

bool TPlayerCharacter::Land()
{
    if (m_onGround == 0) {
        return false;
    }
    FireEvent(1000);
    SetState((Word(0) & kDirections) == 0 ? kStateLand : m_moveLevel);
    PlaySound(1000);
    return true;
}

void TPlayerCharacter::FireEvent(std::uint16_t code)
{
    TPatternEvent event;
    event.EventCode = code;
    OnPatternEvent(event);
}

void TPlayerCharacter::HandleAttackButtons()
{
    if (m_input == nullptr) {
        return;
    }
    const std::uint32_t w1 = Word(0);
    const std::uint32_t w3 = Word(2);
    const std::uint32_t w4 = Word(3);
    // Counts saturate, so a hero's -1 mark stays put.
    auto hold = [](std::uint32_t& count) {
        if (count != 0xFFFFFFFFu) {
            ++count;
        }
    };
    if ((w3 & kButtonA) != 0) {
        if ((w4 & kButtonA) != 0) {
            hold(m_holdCountA);
            if (!m_attackSeal.IsRunning()) {
                OnAttackHeld();
            }
        } else {
            m_holdCountA = 1;
            OnAttackPressed();
        }
    }
    if ((w3 & kButtonB) != 0) {
        if ((w4 & kButtonB) != 0) {
            hold(m_holdCountB);
            OnSkillHeld();
        } else {
            m_holdCountB = 1;
            OnSkillPressed();
        }
    }
    constexpr std::uint32_t both = kButtonA | kButtonB;
    if ((w1 & both) == 0 && (w4 & both) == both) {
        OnBothReleased();
        for (std::uint32_t i = 0; i < 3; ++i) {
            SetWordBits(i, Word(i) & ~both);
        }
        return;
    }
    if ((w3 & kButtonA) == 0 && (w4 & kButtonA) != 0) {
        if (m_attackSeal.IsRunning()) {
            PlaySound(kSoundRefused);
        } else {
            OnAttackReleased();
        }
    }
    if ((w3 & kButtonB) == 0 && (w4 & kButtonB) != 0) {
        OnSkillReleased();
    }
}

void TPlayerCharacter::PushCommand(std::uint32_t command)
{
    if (m_commands == nullptr || m_commandCapacity == 0 || m_commandCount >= m_commandCapacity - 1) {
        return;
    }
    ++m_commandCount;
    std::memmove(m_commands + 1, m_commands, (m_commandCapacity - 1) * sizeof(std::uint32_t));
    m_commands[0] = command;
}

std::uint32_t TPlayerCharacter::PopCommand()
{
    if (m_commandCount == 0) {
        return 0;
    }
    m_commands[m_commandCount] = 0;
    --m_commandCount;
    return m_commands[m_commandCount];
}

void TPlayerCharacter::ResetDash()
{
    m_reservedAction = 0;
    m_dashFlag = 0;
}

void TPlayerCharacter::ClearCommandQueue()
{
    m_commandCount = 0;
    m_actionFired = 0;
    m_actionSlotA = 0;
    m_actionSlotB = 0;
    ResetDash();
    if (m_commands != nullptr) {
        std::fill(m_commands, m_commands + m_commandCapacity, 0u);
    }
}

void TPlayerCharacter::SetReservedAction(std::uint32_t action, std::uint32_t argument)
{
    m_reservedAction = action;
    m_reservedArgument = argument;
}

std::uint32_t TPlayerCharacter::TakeReservedAction(std::uint32_t* argument)
{
    const std::uint32_t action = m_reservedAction;
    if (argument != nullptr) {
        *argument = m_reservedArgument;
    }
    m_reservedAction = 0;
    m_reservedArgument = 0;
    return action;
}

void TPlayerCharacter::SetPatternFunc(std::uint32_t patternId, std::uint8_t flag)
{
    if (patternId < 100 || patternId > 159) {
        return;
    }
    if (m_state == kStateAction && (m_subState == 1 || m_subState == 3)) {
        m_queuedPatternAction = GetPatternFunc(patternId, flag);
        return;
    }
    m_actionFired = 0;
    m_actionSlotA = 0;
    m_actionSlotB = 0;
    m_currentPatternAction = GetPatternFunc(patternId, flag);
}

void TPlayerCharacter::UseRingItem(std::uint32_t id)
{
    const std::uint32_t s = m_state;
    if (m_reactionMode != kModeNormal || (s >= 4 && s <= 6) || (s >= 17 && s <= 19) || m_hp < 0) {
        return;
    }
    const std::int64_t cost = TItemMeanTable::Get(id).Cost;
    if (cost > static_cast<std::int64_t>(m_gaugeMax) - static_cast<std::int64_t>(m_gaugeUsed)) {
        PlaySound(kSoundRefused);
        return;
    }
    m_ringItem = id;
    SetState(kStateItem);
}
