// The player in a fight: the five reactions to a hit and their hit effects, the reception of a hit
// with the time-stop end, the counter window and the statuses it may bring, and what happens when
// one of the player's own hits lands (gauge refill and the effects of the hit's code).
#include <algorithm>
#include <cmath>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TCurveMotion.h"
#include "MainCode/Character/THomingCurveMotion.h"
#include "MainCode/Character/TOffsetMotion.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TimeStop.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Effect/TSmashEffect.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Shot/TShot.h"

namespace {

constexpr std::uint32_t kKnockDown = 32;
constexpr std::uint32_t kKnockDownHard = 64;
constexpr std::uint32_t kStateStunned = 16;
constexpr std::uint32_t kStateLaunched = 13;
constexpr std::int32_t kStatusSteps = 5000;

const float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};
const float kBlueish[4] = {0.6F, 0.6F, 0.9F, 1.0F};
const float kCounterColour[4] = {0.4F, 0.4F, 0.8F, 1.0F};

// A draw of the shared generator as a float, the way the sparks take their direction.
float Draw() { return static_cast<float>(genrand_int32()); }

// Gauge refill of a landed hit by weapon type 0..11.
constexpr std::uint32_t kGaugeRefill[12] = {11, 12, 9, 8, 9, 13, 13, 12, 11, 10, 10, 8};

}  // namespace

// ---- reactions ----

namespace {

// The reaction mode lets a new hit of this magnitude interrupt.
bool Interrupts(std::uint32_t mode, std::int32_t magnitude)
{
    return mode < 11 || mode == 100 || static_cast<std::int64_t>(mode) < magnitude;
}

}  // namespace

std::uint32_t TPlayerCharacter::ReactLight(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                           std::int32_t magnitude, std::uint8_t front, float valueA, float knockTime,
                                           std::int32_t damage)
{
    HitEffectLight(damage, knockFlags, element, soundType);
    TakeDamage(damage);
    // A light hit that kills throws the character down.
    if (knockFlags == 0 && m_hp == 0) {
        knockTime = 120.0F;
        knockFlags = kKnockDownHard;
        valueA = 1.0F;
    }
    return ReactLightCommon(knockFlags, magnitude, front, valueA, knockTime);
}

std::uint32_t TPlayerCharacter::ReactLight2(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                            std::int32_t magnitude, std::uint8_t front, float valueA, float knockTime,
                                            std::int32_t damage)
{
    HitEffectLight2(damage, knockFlags, element, soundType);
    TakeDamage(damage);
    if (knockFlags == 0 && m_hp == 0) {
        knockTime = 0.0F;
        knockFlags = kKnockDown;
        valueA = 1.0F;
    }
    return ReactLightCommon(knockFlags, magnitude, front, valueA, knockTime);
}

std::uint32_t TPlayerCharacter::ReactLightCommon(std::uint32_t knockFlags, std::int32_t magnitude,
                                                 std::uint8_t front, float valueA, float knockTime)
{
    m_stunTime = 4;
    if (!Interrupts(m_reactionMode, magnitude)) {
        return ReactWithoutInterrupt(false, knockTime);
    }
    m_knockTime = knockTime;
    m_reactionScale = valueA;
    if (knockFlags != kKnockDown && knockFlags != kKnockDownHard) {
        m_reactionMode = kModeLightHit;
        return SetState(front != 0 ? 7 : 8);
    }
    m_reactionMode = kModeDown;
    return SetState(front != 0 ? 9 : 10);
}

std::uint32_t TPlayerCharacter::ReactLaunch(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                            std::int32_t, std::uint8_t, float, float knockTime, float launchSpeed,
                                            std::int32_t damage)
{
    HitEffectLaunch(damage, knockFlags, element, soundType);
    TakeDamage(damage);
    m_stunTime = 4;
    if (m_reactionMode < kModeLaunched) {
        m_knockTime = knockTime;
        m_reactionScale = 1.0F;
        m_gravity = -0.002F;
        SetVerticalSpeed(launchSpeed);
        m_reactionMode = kModeLaunched;
        return SetState(kStateLaunched);
    }
    return m_reactionMode == kModeLaunched ? JuggleStep() : 0;
}

std::uint32_t TPlayerCharacter::ReactStun(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                          std::int32_t magnitude, std::uint8_t longStun, std::uint8_t front,
                                          float valueA, float knockTime, std::int32_t damage)
{
    m_stunMark = 1;
    HitEffectHeavy(damage, knockFlags, element, soundType);
    TakeDamage(damage);
    // A staggering hero is stunned by any stun, as a standing one.
    return ReactStunCommon(element, soundType, knockFlags, magnitude, longStun, front, valueA, knockTime, damage, 9, 10,
                           kStateStunned, kModeLightHit);
}

std::uint32_t TPlayerCharacter::ReactHeavy(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                           std::int32_t magnitude, std::uint8_t front, float valueA, float knockTime,
                                           std::int32_t damage)
{
    HitEffectHeavy2(damage, knockFlags, element, soundType);
    TakeDamage(damage);
    m_stunTime = 4;
    if (Interrupts(m_reactionMode, magnitude) && m_reactionMode != kModeLaunched) {
        m_knockTime = knockTime;
        m_reactionScale = valueA;
        m_reactionMode = kModeHeavy;
        return SetState(front != 0 ? 9 : 10);
    }
    return ReactWithoutInterrupt(true, knockTime);
}

// ---- hit effects ----

void TPlayerCharacter::CreateHitEffect(std::uint32_t id, const D3DXVECTOR3* direction, const float* colour,
                                       float scale)
{
    if (m_effectManager == nullptr) {
        return;
    }
    D3DXVECTOR3 position;
    GetPosition(&position);
    position.y += m_centerHeight * 1.2F;
    D3DXVECTOR3 axis;
    if (direction == nullptr) {
        m_frame->GetAxis(&axis, 3);
        direction = &axis;
    }
    const float scales[3] = {scale, scale, scale};
    m_effectManager->Create(id, &position, direction, m_referenceFrame, m_area, colour, scales);
}

void TPlayerCharacter::HitEffectCommon(std::uint32_t element, bool sparks)
{
    SpawnElementEffect(element);
    CreateHitEffect(100, nullptr, kBlueish, 2.5F);
    if (!sparks) {
        return;
    }
    for (int i = 0; i < 2; ++i) {
        D3DXVECTOR3 direction;
        direction.x = Draw();
        direction.y = Draw();
        direction.z = Draw();
        CreateHitEffect(104, &direction, kWhite, 1.5F);
    }
}

void TPlayerCharacter::HitEffectLight(std::int32_t, std::uint32_t knockFlags, std::uint32_t element, std::int32_t)
{
    HitEffectCommon(element, (knockFlags & (kKnockDown | kKnockDownHard)) != 0);
}

void TPlayerCharacter::HitEffectLaunch(std::int32_t, std::uint32_t, std::uint32_t element, std::int32_t)
{
    HitEffectCommon(element, true);
}

void TPlayerCharacter::HitEffectHeavy(std::int32_t, std::uint32_t, std::uint32_t element, std::int32_t)
{
    HitEffectCommon(element, true);
    D3DXVECTOR3 direction;
    direction.x = Draw();
    direction.y = Draw();
    direction.z = Draw();
    D3DXVec3Normalize(&direction, &direction);
    CreateHitEffect(101, &direction, kBlueish, 6.0F);
}

// ---- hits on the player ----

std::uint32_t TPlayerCharacter::ReceiveHit(TAttackHit* hit)
{
    if (IsTimeStopped()) {
        EndTimeStopByHit();
    }
    // A hit inside the counter window is turned back: no damage, no status.
    const bool counter = m_state == kStateAction && (m_subState == 17 || m_subState == 19) &&
                         static_cast<std::int32_t>(hit->GetFlags()) >= 0;
    if (counter) {
        Counter(hit);
        return 0;
    }
    ClearCommandQueue();
    const std::uint32_t result = TArmedCharacter::ReceiveHit(hit);
    InflictStatuses(hit->GetParam3());
    return result;
}

void TPlayerCharacter::EndTimeStopByHit()
{
    SetTimeStop(false, nullptr, nullptr);
    StopSound(652);
    PlaySound(651);
    if (m_effectManager == nullptr) {
        return;
    }
    D3DXVECTOR3 position;
    GetPosition(&position);
    const float scale[3] = {1.0F, 1.0F, 1.0F};
    TEffect* effect = m_effectManager->Create(2001, &position, nullptr, m_referenceFrame, m_area, kWhite, scale);
    if (effect == nullptr || effect->GetFrame() == nullptr) {
        return;
    }
    TFrame* frame = effect->GetFrame();
    frame->SetEmissiveRGB(0.0F, 0.0F, 1.0F, true, false);
    if (m_cameraFrame != nullptr) {
        frame->LookAtFrame(m_referenceFrame, m_cameraFrame, TFrame::kLookAim);
    }
    frame->RotateAxis(D3DXVECTOR3(0.0F, 1.0F, 0.0F), 3.14159265F, true);
}

void TPlayerCharacter::Counter(TAttackHit* hit)
{
    const std::uint32_t window = m_subState;
    TGameObject* attacker = m_area != nullptr ? m_area->FindObject(hit->GetOwnerId()) : nullptr;
    if (attacker != nullptr && attacker != this) {
        LookAt(*attacker, nullptr, TFrame::kLookUpright);
    }
    ClearCommandQueue();
    SetSubState(GetChainAction());
    if (m_effectManager != nullptr) {
        D3DXVECTOR3 direction;
        m_frame->GetAxis(&direction, 3);
        D3DXVECTOR3 centre;
        GetCenterPosition(&centre);
        const float s = window == 17 ? 1.2F : 2.0F;
        const float burst[3] = {s, s, s};
        m_effectManager->Create(105, &centre, &direction, m_referenceFrame, m_area, kWhite, burst);
        D3DXVECTOR3 feet;
        GetPosition(&feet);
        feet.y += 0.05F;
        const float one[3] = {1.0F, 1.0F, 1.0F};
        m_effectManager->Create(102, &feet, &direction, m_referenceFrame, m_area, kCounterColour, one);
    }
    StartFlash(1, window == 17 ? 10 : 30);
}

void TPlayerCharacter::InflictStatuses(std::uint32_t statusWord)
{
    struct Row {
        std::uint32_t bit;
        float (TPlayerCharacter::*rate)();
        std::int32_t* remaining;
        std::int32_t* phase;
    };
    const Row rows[6] = {
        {1, &TPlayerCharacter::GetElementRate2, &m_poison.Remaining, &m_poison.Phase},
        {2, &TPlayerCharacter::GetElementRate6, &m_manaDrain.Remaining, &m_manaDrain.Phase},
        {4, &TPlayerCharacter::GetElementRate3, &m_reversedControls.Remaining, nullptr},
        {8, &TPlayerCharacter::GetElementRate5, &m_attackSeal.Remaining, nullptr},
        {16, &TPlayerCharacter::GetElementRate4, &m_slowness.Remaining, nullptr},
        {32, &TPlayerCharacter::GetElementRate1, &m_manaSeal.Remaining, nullptr},
    };
    for (const Row& row : rows) {
        if ((statusWord & row.bit) == 0) {
            continue;
        }
        // Out of a thousand; a rate of 10 or more always takes.
        const float rate = std::clamp((this->*row.rate)(), 0.0F, 10.0F);
        const auto chance = static_cast<std::uint32_t>(rate * 100.0F);
        if (genrand_int32() % 1000u < chance) {
            *row.remaining = kStatusSteps;
            if (row.phase != nullptr) {
                *row.phase = 0;
            }
        }
    }
}

// ---- the player's hits landing ----

std::int32_t TPlayerCharacter::OnHitLanded(TArmedCharacter* target, std::int32_t code, std::int32_t amount,
                                           std::uint8_t flag)
{
    const std::int32_t type = GetWeaponType();
    if (m_gaugeUsed > 0 && type >= 0 && type < 12) {
        const std::uint32_t refill = kGaugeRefill[type];
        m_gaugeUsed = m_gaugeUsed > refill ? m_gaugeUsed - refill : 0;
    }
    if (target == nullptr) {
        return 0;
    }
    const bool clear = flag == 0;
    switch (code) {
    case 1016:
    case 1017:
        if (!clear) {
            break;
        }
        [[fallthrough]];
    case 1000:
    case 1001: LandedOrb(target, code % 2 == 0 ? 411 : 412, amount); break;
    case 1002:
    case 1003:
    case 1014:
    case 1015:
    case 1006:
    case 1007:
        if (clear) {
            LandedBurst(target, code);
        }
        break;
    case 1004:
    case 1005: LandedWeaponBlow(code == 1004 ? 2003 : 3003, code == 1004 ? 800 : 801); break;
    case 1008:
    case 1009:
        if (clear) {
            LandedBurst(target, code);
            TRefPtr<TAttackHit> hit;
            CreateAttackHit(hit, code == 1008 ? 2003 : 3003);
        }
        break;
    case 1010:
    case 1011:
    case 1022:
    case 1023: LandedSeeker(target, code == 1010 ? 453 : 454, code % 2 == 0 ? 2003 : 3003); break;
    case 1012:
    case 1013: LandedWeaponBlow(3505, 806); break;
    case 1020:
    case 1021: LandedFan(code == 1020 ? 802 : 803); break;
    default: break;
    }
    return 0;
}

void TPlayerCharacter::LandedOrb(TArmedCharacter* target, std::uint32_t id, std::int32_t amount)
{
    // The random offsets are drawn whether or not the effect can be made.
    const std::uint32_t r1 = genrand_int32();
    const std::uint32_t r2 = genrand_int32();
    const D3DXVECTOR3 bend(static_cast<float>(static_cast<std::int32_t>((r1 >> 1) & 127) - 64) * 0.0625F, 2.5F,
                           static_cast<float>((r2 >> 1) & 127) * 0.03125F);
    if (m_effectManager == nullptr) {
        return;
    }
    float size = static_cast<float>(amount) * 0.2F;
    if (size < 0.5F) {
        size = 1.0F;
    }
    D3DXVECTOR3 start;
    target->GetCenterPosition(&start);
    D3DXVECTOR3 end;
    GetCenterPosition(&end);
    const float scale[3] = {size, size, size};
    TEffect* effect = m_effectManager->Create(id, &start, nullptr, m_referenceFrame, m_area, kWhite, scale);
    if (auto* shot = dynamic_cast<TShot*>(effect)) {
        shot->SetMotion(std::make_unique<TCurveMotion>(1.0F / 60.0F, bend, start, end));
    }
}

void TPlayerCharacter::LandedBurst(TArmedCharacter* target, std::int32_t code)
{
    struct Row {
        std::int32_t code;
        std::uint32_t id;
        std::int32_t value;
    };
    static const Row kRows[] = {
        {1002, 702, 200}, {1003, 703, 300}, {1014, 706, 500}, {1015, 707, 700},
        {1006, 704, 0},   {1007, 705, 0},   {1008, 708, 0},   {1009, 708, 0},
    };
    const Row* row = std::find_if(std::begin(kRows), std::end(kRows), [&](const Row& r) { return r.code == code; });
    if (row == std::end(kRows) || m_effectManager == nullptr) {
        return;
    }
    D3DXVECTOR3 position;
    target->GetPosition(&position);
    position.y -= 0.1F;
    const float s = 1.5F * target->GetCenterHeight();
    const float scale[3] = {s, s, s};
    TEffect* effect = m_effectManager->Create(row->id, &position, nullptr, m_referenceFrame, m_area, kWhite, scale);
    if (auto* mesh = dynamic_cast<TMeshEffect*>(effect)) {
        mesh->SetOwnerId(static_cast<std::int32_t>(GetObjectId()));
        mesh->SetTargetId(static_cast<std::int32_t>(target->GetObjectId()));
    }
}

void TPlayerCharacter::LandedWeaponBlow(std::uint32_t attackCode, std::uint32_t effectId)
{
    TRefPtr<TAttackHit> hit;
    CreateAttackHit(hit, attackCode);
    TFrame* weapon = m_rightWepon.Get() != nullptr ? m_rightWeapon.Get() : m_leftWeapon.Get();
    if (m_effectManager == nullptr || weapon == nullptr) {
        return;
    }
    D3DXVECTOR3 position;
    weapon->GetWorldPosition(&position);
    const float scale[3] = {1.0F, 1.0F, 1.0F};
    TEffect* effect = m_effectManager->Create(effectId, &position, nullptr, m_referenceFrame, m_area, kWhite, scale);
    if (auto* shot = dynamic_cast<TShot*>(effect)) {
        shot->SetMotion(std::make_unique<TOffsetMotion>(weapon, D3DXVECTOR3(0.0F, 0.0F, 0.0F),
                                                        D3DXVECTOR3(0.0F, 0.0F, 0.0F)));
    }
}

void TPlayerCharacter::LandedSeeker(TArmedCharacter* target, std::uint32_t effectId, std::uint32_t attackCode)
{
    TRefPtr<TAttackHit> hit;
    CreateAttackHit(hit, attackCode);
    if (m_effectManager == nullptr) {
        return;
    }
    // The target as the area knows it; one it has dropped is not followed.
    TGameObject* found = m_area != nullptr ? m_area->FindObject(target->GetObjectId()) : target;
    if (found == nullptr) {
        return;
    }
    D3DXVECTOR3 start;
    GetCenterPosition(&start);
    D3DXVECTOR3 end;
    found->GetCenterPosition(&end);
    const float scale[3] = {1.0F, 1.0F, 1.0F};
    TEffect* effect = m_effectManager->Create(effectId, &start, nullptr, m_referenceFrame, m_area, kWhite, scale);
    if (auto* shot = dynamic_cast<TShot*>(effect)) {
        // The end follows the target's body centre all the way, so a target that steps aside is
        // still met.
        shot->SetMotion(std::make_unique<THomingCurveMotion>(1.0F / 30.0F, D3DXVECTOR3(0.0F, 1.0F, 0.0F), start,
                                                             end, m_area, found->GetObjectId(), 1.0F,
                                                             found->GetCenterHeight()));
    }
}

void TPlayerCharacter::LandedFan(std::uint32_t effectId)
{
    if (m_effectManager == nullptr) {
        return;
    }
    D3DXVECTOR3 position;
    GetPosition(&position);
    D3DXVECTOR3 right;
    GetRight(&right);
    D3DXVECTOR3 front;
    GetFront(&front);
    const float scale[3] = {1.0F, 1.0F, 1.0F};
    // Three bursts ahead of the character: left, centre, right.
    for (int side = -1; side <= 1; ++side) {
        const D3DXVECTOR3 at = position + front * 1.5F + right * (static_cast<float>(side) * 1.0F);
        m_effectManager->Create(effectId, &at, &front, m_referenceFrame, m_area, kWhite, scale);
    }
}

std::int32_t TPlayerCharacter::GetWeaponType() const
{
    if (m_rightWepon.Get() != nullptr) {
        return m_rightWepon->Type;
    }
    return m_leftWepon.Get() != nullptr ? m_leftWepon->Type : -1;
}
