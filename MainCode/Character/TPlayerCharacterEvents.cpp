// What the player adds to the armed character's pattern events: weapon trails in the element's
// colour, beams thrown from the weapon, the thrown weapon shot, scatter shots from the ground,
// bursts at the weapons, and the healing and blessing skills.
#include <memory>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TAccelMotion.h"
#include "MainCode/Character/TAttachedAccelMotion.h"
#include "MainCode/Character/THeldRandomOffsetMotion.h"
#include "MainCode/Character/TOffsetMotion.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemMeanTable.h"
#include "MainCode/Map/TAttackHitTimedHeld.h"
#include "MainCode/Shot/TShot.h"
#include "MainCode/Shot/TShotJ.h"
#include "TCommon/my_error.h"

namespace {

const char kSourceFile[] = "MainCode/Character/TPlayerCharacterEvents";

const D3DXVECTOR3 kForward(0.0F, 0.0F, 1.0F);
const D3DXVECTOR3 kStill(0.0F, 0.0F, 0.0F);
const float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};
const float kUnit[3] = {1.0F, 1.0F, 1.0F};

constexpr std::uint32_t kElementCount = 7;
const float kElementColours[kElementCount][4] = {
    {0.3F, 0.5F, 0.5F, 1.0F},  {1.0F, 0.4F, 0.2F, 1.0F}, {0.3F, 0.3F, 1.0F, 1.0F},  {0.0F, 0.5F, 0.25F, 1.0F},
    {0.5F, 0.25F, 0.25F, 1.0F}, {0.8F, 0.8F, 0.5F, 1.0F}, {0.25F, 0.0F, 0.5F, 1.0F},
};
const std::int32_t kTrailLives[kElementCount] = {10, 7, 7, 7, 15, 10, 15};

constexpr std::uint32_t kShotSound = 509;
constexpr std::uint32_t kHealSound = 503;
constexpr float kQuarterTurn = 1.5707964F;

struct Uniform {
    explicit Uniform(float k) : v{k, k, k} {}
    float v[3];
};

std::uint32_t Percent() { return genrand_int31() % 100; }

// The hit every thrown shot carries, riding on its first hit point for its whole life.
TRefPtr<TAttackHit> RideHit(std::uint32_t ownerId, TShot* shot, std::uint32_t hitsLeft, const TAttackHitParams& params)
{
    const auto countdown =
        static_cast<std::uint32_t>(shot->GetFlightFrames()) + static_cast<std::uint32_t>(shot->GetPartCount()) - 1;
    return TRefPtr<TAttackHit>(
        new TAttackHitTimedHeld(ownerId, shot->GetPart(0).GetFrame(), nullptr, hitsLeft, countdown, params));
}

TAttackHitParams HitParams(std::int32_t interval, std::uint32_t flags, std::uint32_t element, std::int32_t soundType,
                           std::uint32_t damage, float factor, float radius, float valueA, float knockTime)
{
    TAttackHitParams p;
    p.Interval = interval;
    p.Flags = flags;
    p.Element = element;
    p.Param3 = 0;
    p.SoundType = soundType;
    p.CancelMask = 0;
    p.BaseDamage = damage;
    p.DamageFactor = factor;
    p.Radius = radius;
    p.ValueA = valueA;
    p.KnockTime = knockTime;
    p.LaunchSpeed = 0.0F;
    p.Param8 = -1;
    return p;
}

}  // namespace

const float* TPlayerCharacter::GetElementColour(std::uint32_t element)
{
    return kElementColours[element < kElementCount ? element : 0];
}

std::int32_t TPlayerCharacter::GetTrailLife(std::uint32_t digit)
{
    return digit < kElementCount ? kTrailLives[digit] : 0;
}

std::uint32_t TPlayerCharacter::WeaponElement() const
{
    const std::uint32_t id = GetWeaponId();
    if (!TWeponTable::Contains(id)) {
        return 0;
    }
    const std::uint32_t e = TWeponTable::Get(id).Element;
    if (e >= kElementCount) {
        my_error::LogError(my_error("weapon " + std::to_string(id) + " has element " + std::to_string(e) +
                                        "; taken as 0",
                                    kSourceFile, __LINE__));
        return 0;
    }
    return e;
}

float TPlayerCharacter::WeaponLength() const
{
    const std::uint32_t id = GetWeaponId();
    return TWeponTable::Contains(id) ? TWeponTable::Get(id).TrailLength : 0.0F;
}

TWepon* TPlayerCharacter::HeldWeapon() const
{
    return m_leftWepon.Get() != nullptr ? m_leftWepon.Get() : m_rightWepon.Get();
}

void TPlayerCharacter::OnPatternEvent(const TPatternEvent& frame)
{
    TArmedCharacter::OnPatternEvent(frame);
    const std::uint16_t code = frame.EventCode;
    TFrame* right = m_rightWeapon.Get();
    TFrame* left = m_leftWeapon.Get();
    if (code == 10 || code == 11) {
        const std::uint32_t e = WeaponElement();
        if (TEffect* glow = RaiseEffect(111, kStill, kForward, right, GetElementColour(e),
                                        Uniform(code == 10 ? 1.5F : 2.25F).v)) {
            D3DXVECTOR3 at;
            right->GetWorldPosition(&at);
            glow->GetFrame()->SetPosition(at);
            glow->GetFrame()->Translate(0.0F, 0.0F, -1.8F * WeaponLength(), false);
        }
    } else if (code >= 5000 && code <= 5206 && code % 100 <= 6) {
        const std::uint32_t e = WeaponElement();
        const std::int32_t life = GetTrailLife(code % 100);
        const std::uint32_t row = (code - 5000) / 100;
        if (row == 1 || row == 2) {
            WeaponTrails(left, 300 + e, 310 + e, 320 + e, life);
        }
        if (row == 0 || row == 2) {
            WeaponTrails(right, 300 + e, 310 + e, 320 + e, life);
        }
    } else if (code >= 5500 && code <= 5503) {
        D3DXVECTOR3 along;
        if (code <= 5501) {
            GetFront(&along);
        } else {
            right->GetWorldAxis(&along, 2);
            along = -along;
        }
        LaunchBeam(code, along);
    } else if (code >= 7000 && code <= 7206 && code % 100 <= 6) {
        const std::int32_t life = GetTrailLife(code % 100);
        const std::uint32_t row = (code - 7000) / 100;
        if (row == 1 || row == 2) {
            WeaponTrails(left, 328, 329, 330, life);
        }
        if (row == 0 || row == 2) {
            WeaponTrails(right, 328, 329, 330, life);
        }
    } else if (code >= 8000 && code <= 8004) {
        D3DXVECTOR3 at;
        D3DXVECTOR3 axis;
        if (code == 8004) {
            m_frame->GetWorldPosition(&at);
            m_frame->GetWorldAxis(&axis, 1);
            at += 0.5F * axis;
            m_frame->GetWorldAxis(&axis, 2);
            at -= 0.5F * axis;
        } else {
            TFrame* weapon = (code % 2 == 0) ? right : left;
            weapon->GetWorldPosition(&at);
            weapon->GetWorldAxis(&axis, 2);
            at -= (code >= 8002 ? 1.2F : 0.5F) * axis;
        }
        RaiseEffect(911, at, kForward, m_referenceFrame, kWhite, kUnit);
    } else if (code == 8100 || code == 8101) {
        D3DXVECTOR3 at;
        D3DXVECTOR3 up;
        m_frame->GetWorldPosition(&at);
        m_frame->GetWorldAxis(&up, 1);
        RaiseEffect(code == 8100 ? 912 : 913, at + 0.5F * up, kForward, m_referenceFrame, kWhite, kUnit);
    } else if (code == 8500) {
        if (HeldWeapon() == nullptr) {
            return;
        }
        for (int i = 0; i < 3; ++i) {
            const std::uint32_t r1 = genrand_int31();
            const std::uint32_t r2 = genrand_int31();
            const float x = static_cast<float>(static_cast<std::int32_t>(r1 & 127) - 64) / 56.0F +
                            ((r1 & 1) != 0 ? 1.0F : -1.0F);
            const float z = static_cast<float>(static_cast<std::int32_t>(r2 & 127) - 64) / 56.0F +
                            ((r2 & 1) != 0 ? 1.0F : -1.0F);
            const float y = static_cast<float>(genrand_int31() & 127) / 56.0F + 3.0F;
            const float s = static_cast<float>(genrand_int31() & 127) * 0.00125F + 0.1F;
            SpawnScatterShot(D3DXVECTOR3(x, 0.0F, z), y, s);
        }
    } else if (code == 9000) {
        ThrowWeaponShot();
    } else if (code == 9500) {
        D3DXVECTOR3 position;
        D3DXVECTOR3 front;
        D3DXVECTOR3 side;
        GetPosition(&position);
        GetFront(&front);
        GetRight(&side);
        D3DXVECTOR3 at = position + 1.5F * front;
        at.y += 0.01F;
        const float blue[4] = {0.4F, 0.4F, 0.8F, 1.0F};
        const float tall[3] = {0.8F, 3.5F, 0.8F};
        RaiseEffect(601, at, side, m_referenceFrame, blue, tall);
        RaiseEffect(914, at, side, m_referenceFrame, kWhite, kUnit);
        TRefPtr<TAttackHit> hit;
        CreateAttackHit(hit, 5005);
    } else if (code == 10043 || code == 10046 || code == 11043) {
        HealEvent(code == 10046 ? 11043 : code);
    } else if (code == 10045 || code == 11045) {
        BlessEvent(code);
    }
}

void TPlayerCharacter::WeaponTrails(TFrame* frame, std::uint32_t first, std::uint32_t second, std::uint32_t third,
                                    std::int32_t life)
{
    D3DXVECTOR3 at;
    frame->GetWorldPosition(&at);
    const float length = WeaponLength();
    const std::uint32_t ids[3] = {first, second, third};
    for (std::uint32_t i = 0; i < 3; ++i) {
        auto* trail = dynamic_cast<TShot*>(RaiseEffect(ids[i], at, kStill, m_referenceFrame, kWhite, kUnit));
        D3DXVECTOR3 offset(0.0F, 0.0F, -length);
        if (i > 0) {
            // The two outer strands lag a little, each by its own amount.
            const float lag = 0.001F * static_cast<float>(Percent());
            offset = i == 1 ? D3DXVECTOR3(-0.3F, 0.0F, -0.8F * length - 0.1F - lag)
                            : D3DXVECTOR3(-0.2F, 0.0F, -0.8F * length - 0.2F - lag);
        }
        if (trail != nullptr) {
            trail->SetFlightFrames(life);
            trail->SetMotion(std::make_unique<TOffsetMotion>(frame, offset, kStill));
        }
    }
}

void TPlayerCharacter::LaunchBeam(std::uint16_t code, const D3DXVECTOR3& along)
{
    const std::uint32_t e = WeaponElement();
    const float* colour = GetElementColour(e);
    D3DXVECTOR3 position;
    GetPosition(&position);
    const D3DXVECTOR3 start = position + along + D3DXVECTOR3(0.0F, m_centerHeight, 0.0F);
    const bool heavy = code == 5500 || code == 5502;
    // The parts take their fading colours when the shot starts, so the element colour goes in here.
    auto* beam = dynamic_cast<TShot*>(RaiseEffect(550, start, kForward, m_referenceFrame, colour, kUnit));
    if (beam != nullptr) {
        // The head moves inside the shot's root, which already stands at the start.
        D3DXVECTOR3 direction;
        D3DXVec3Normalize(&direction, &along);
        D3DXVECTOR3 local = direction;
        beam->GetFrame()->WorldToLocal(&local, direction, false);
        beam->SetMotion(std::make_unique<TAccelMotion>(kStill, local, -0.1F, 0.0F));
        beam->SetFlightFrames(heavy ? 200 : 100);
        const std::uint32_t damage = static_cast<std::uint32_t>(2 * GetInt());
        const TAttackHitParams params = heavy ? HitParams(-1, 401, e, -1, damage, 1.0F, 0.8F, 1.0F, 20.0F)
                                              : HitParams(10, 385, e, -1, damage, 0.2F, 0.5F, 1.0F, 120.0F);
        TRefPtr<TAttackHit> hit = RideHit(GetObjectId(), beam, heavy ? 10000 : 1, params);
        beam->SetAttackHit(hit);
        m_hits.push_back(hit);
        if (heavy) {
            beam->SetScale(1.5F, 1.5F, 1.5F);
        } else {
            beam->SetHitElement(static_cast<std::uint16_t>(4000 + e));
        }
        // The glow rides on the head; the head is still parked here, so its own place would put the
        // glow far off.
        TFrame* point = beam->GetPart(0).GetFrame();
        D3DXVECTOR3 front;
        GetFront(&front);
        RaiseEffect(heavy ? 108 : 110, kStill, -front, point, colour, heavy ? Uniform(1.5F).v : kUnit);
    }
    PlaySound(kShotSound);
}

void TPlayerCharacter::SpawnScatterShot(const D3DXVECTOR3& offset, float height, float speed)
{
    const TWepon* weapon = HeldWeapon();
    if (weapon == nullptr) {
        return;
    }
    D3DXVECTOR3 spawn;
    GetPosition(&spawn);
    spawn.y = m_groundHeight - 0.5F;
    const std::uint32_t e = weapon->Element < kElementCount ? weapon->Element : 0;
    auto* shot = dynamic_cast<TShotJ*>(RaiseEffect(512, spawn, kForward, m_referenceFrame, GetElementColour(e), kUnit));
    if (shot == nullptr) {
        return;
    }
    // What the rock raises where it lands.
    const float ember[4] = {0.8F, 0.4F, 0.2F, 1.0F};
    const D3DXVECTOR3 lift(0.0F, 0.3F, 0.0F);
    shot->AddEndEffect(603, lift, D3DXVECTOR3(0.6F, 1.0F, 0.6F), ember);
    shot->AddEndEffect(915, lift, D3DXVECTOR3(1.0F, 1.0F, 1.0F), GetElementColour(e));

    // Thrown along the facing tipped up by 20 degrees; the head moves inside the root at the spawn.
    D3DXVECTOR3 front;
    D3DXVECTOR3 right;
    GetFront(&front);
    GetRight(&right);
    D3DXMATRIX tip;
    D3DXMatrixRotationAxis(&tip, &right, -0.349F);
    D3DXVECTOR3 direction;
    D3DXVec3TransformNormal(&direction, &front, &tip);
    D3DXVec3Normalize(&direction, &direction);
    D3DXVECTOR3 local = direction;
    shot->GetFrame()->WorldToLocal(&local, direction, false);
    const D3DXVECTOR3 start = offset + D3DXVECTOR3(0.0F, height, 0.0F);
    shot->SetMotion(std::make_unique<TAccelMotion>(start, local, speed, 0.0F));

    TRefPtr<TAttackHit> hit = RideHit(GetObjectId(), shot, 1,
                                      HitParams(10, 385, e, -1, static_cast<std::uint32_t>(2 * GetInt()), 1.1F, 0.7F,
                                                1.0F, 120.0F));
    shot->SetAttackHit(hit);
    m_hits.push_back(hit);

    auto* trail = dynamic_cast<TShot*>(RaiseEffect(809, spawn, kForward, m_referenceFrame, kWhite, kUnit));
    if (trail != nullptr) {
        trail->SetMotion(std::make_unique<THeldRandomOffsetMotion>(shot->GetPart(0).GetFrameRef(), kStill,
                                                                   D3DXVECTOR3(0.0F, 0.1F, 0.0F), 200.0F, 400.0F,
                                                                   200.0F));
    }
}

void TPlayerCharacter::ThrowWeaponShot()
{
    const TWepon* weapon = HeldWeapon();
    if (weapon == nullptr) {
        return;
    }
    const float blue[4] = {0.3F, 0.3F, 0.8F, 1.0F};
    auto* shot = dynamic_cast<TShot*>(RaiseEffect(456, kStill, kForward, m_referenceFrame, blue, kUnit));
    if (shot != nullptr) {
        D3DXVECTOR3 position;
        D3DXVECTOR3 front;
        GetPosition(&position);
        GetFront(&front);
        const D3DXVECTOR3 start = position + D3DXVECTOR3(2.0F * front.x, m_centerHeight + 0.5F, 2.0F * front.z);
        shot->SetMotion(std::make_unique<TAttachedAccelMotion>(start, front, -0.15F, 0.0F));
        shot->SetFlightFrames(110);
        TAttackHitParams params = HitParams(5, 161, weapon->Element, weapon->Type,
                                            static_cast<std::uint32_t>(GetStr()) + weapon->Attack, 1.0F, 1.0F, 1.0F,
                                            120.0F);
        TRefPtr<TAttackHit> hit = RideHit(GetObjectId(), shot, 10, params);
        shot->SetAttackHit(hit);
        m_hits.push_back(hit);
        if (auto* glitter = dynamic_cast<TShot*>(RaiseEffect(56, kStill, kForward, m_referenceFrame, kWhite, kUnit))) {
            glitter->SetFlightFrames(100);
            glitter->SetMotion(std::make_unique<THeldRandomOffsetMotion>(shot->GetPart(0).GetFrameRef(), kStill, kStill,
                                                                         100.0F, 200.0F, 100.0F));
        }
    }
    PlaySound(kShotSound);
}

void TPlayerCharacter::HealEvent(std::uint16_t code)
{
    for (std::int32_t* counter : {&m_poison.Remaining, &m_manaDrain.Remaining, &m_reversedControls.Remaining,
                                  &m_attackSeal.Remaining, &m_slowness.Remaining, &m_manaSeal.Remaining}) {
        *counter = 0;
    }
    const bool small = code == 10043;
    const float s = small ? 1.5F : 2.0F;
    const float glow[4] = {0.8F, 0.8F, 0.5F, 1.0F};
    D3DXVECTOR3 position;
    D3DXVECTOR3 front;
    D3DXVECTOR3 right;
    GetPosition(&position);
    GetFront(&front);
    GetRight(&right);
    const D3DXVECTOR3 centre = position + D3DXVECTOR3(0.0F, m_centerHeight, 0.0F);
    RaiseEffect(907, centre, kForward, m_referenceFrame, glow, kUnit);
    if (TEffect* ring = RaiseEffect(103, centre, kForward, m_referenceFrame, glow, Uniform(s).v)) {
        ring->GetFrame()->RotateAxis(right, kQuarterTurn, true);
    }
    RaiseEffect(113, centre, kForward, m_referenceFrame, glow, Uniform(s).v);
    RaiseEffect(5, position + 0.8F * front + D3DXVECTOR3(0.0F, 1.2F * m_centerHeight, 0.0F), kForward,
                m_referenceFrame, kWhite, kUnit);
    RecoverHp(small ? 250 : 500);
    PlaySound(kHealSound);
}

void TPlayerCharacter::BlessEvent(std::uint16_t code)
{
    const bool small = code == 10045;
    D3DXVECTOR3 position;
    GetPosition(&position);
    const float r1 = static_cast<float>(genrand_int31());
    const float r2 = static_cast<float>(genrand_int31());
    const float r3 = static_cast<float>(genrand_int31());
    RaiseEffect(103, position + D3DXVECTOR3(0.0F, m_centerHeight, 0.0F), D3DXVECTOR3(r1, r2, r3), m_referenceFrame,
                kWhite, kUnit);
    GrantItemMeaning(small ? 1002 : 1003, small ? 500 : 1000);
    PlaySound(kHealSound);
}
