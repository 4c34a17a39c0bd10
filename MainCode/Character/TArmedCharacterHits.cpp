// The armed character's side of a fight: making hits from attack records, the damage rule, the hit
// reception and its sound, the tallies of damage taken and the juggle push.
#include <algorithm>
#include <cmath>

#include "MainCode/Character/TArmedCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TAttackHitHeld.h"
#include "MainCode/Map/TAttackHitTimed.h"
#include "MainCode/Map/TAttackHitTimedHeld.h"
#include "MainCode/Map/TAttackTable.h"

namespace {

constexpr std::uint32_t kHitLaunch = 0x04;
constexpr std::uint32_t kHitStun = 0x08;
constexpr std::uint32_t kHitHeavy = 0x10;
constexpr std::uint32_t kHitKnockDown = 0x20;
constexpr std::uint32_t kHitKnockDownHard = 0x40;
constexpr std::uint32_t kHitTurn = 0x80;
constexpr std::uint32_t kHitMagic = 0x100;
constexpr std::uint32_t kHitLongStun = 0x200;

constexpr std::int32_t kTallyCap = 99;
constexpr std::int32_t kDamageCap = 9999;
// Damage from here on is a kill, not counted as damage taken.
constexpr std::int32_t kUncountedDamage = 100000;

// Toward zero, held inside the 32-bit range.
std::int32_t Truncate(double v)
{
    if (!(v > static_cast<double>(INT32_MIN))) {
        return std::isnan(v) ? 0 : INT32_MIN;
    }
    if (!(v < static_cast<double>(INT32_MAX))) {
        return INT32_MAX;
    }
    return static_cast<std::int32_t>(v);
}

struct PairRow {
    std::uint32_t a;
    std::uint32_t b;
};

// Elements 7 to 18.
constexpr PairRow kElementPairs[] = {
    {1, 3}, {1, 4}, {1, 5}, {1, 6}, {2, 3}, {2, 4}, {2, 5}, {2, 6}, {3, 5}, {3, 6}, {4, 5}, {4, 6},
};

}  // namespace

std::int32_t HitKindMagnitude(std::uint32_t flags)
{
    if ((flags & kHitHeavy) != 0) {
        return 1000000;
    }
    if ((flags & kHitLaunch) != 0) {
        return 100000;
    }
    if ((flags & kHitStun) != 0) {
        return 100;
    }
    if ((flags & (kHitKnockDown | kHitKnockDownHard)) != 0) {
        return 1000;
    }
    return 10;
}

bool TArmedCharacter::ElementPair(std::uint32_t element, std::uint32_t& a, std::uint32_t& b)
{
    if (element < 7 || element > 18) {
        return false;
    }
    a = kElementPairs[element - 7].a;
    b = kElementPairs[element - 7].b;
    return true;
}

float TArmedCharacter::ElementRate(std::uint32_t element)
{
    switch (element) {
    case 1: return GetElementRate1();
    case 2: return GetElementRate2();
    case 3: return GetElementRate3();
    case 4: return GetElementRate4();
    case 5: return GetElementRate5();
    case 6: return GetElementRate6();
    default: return 0.0F;
    }
}

void TArmedCharacter::ComputeHitParameters(const TAttackHit* hit, THitParameters& out)
{
    std::uint32_t flags = hit->GetFlags();
    out.Element = hit->GetElement();
    out.SoundType = hit->GetSoundType();
    const std::uint32_t base = hit->GetBaseDamage();
    out.ValueA = hit->GetValueA();
    out.KnockTime = hit->GetKnockTime();
    out.LaunchSpeed = hit->GetLaunchSpeed();

    // A hit this character cannot take still carries it off by the values it lacks.
    if (m_acceptsKnockDown == 0 && (flags & (kHitKnockDown | kHitKnockDownHard)) != 0 && out.KnockTime <= 0.0F) {
        out.KnockTime = 120.0F;
    }
    if (m_acceptsLaunch == 0) {
        if ((flags & kHitLaunch) != 0 && out.LaunchSpeed <= 0.0F) {
            out.LaunchSpeed = 0.05F;
        }
        if ((flags & kHitHeavy) != 0 && out.KnockTime <= 0.0F) {
            out.KnockTime = 120.0F;
        }
    }
    if (m_acceptsKnockDown == 0) {
        flags &= ~kHitKnockDown;
    }
    if (m_acceptsLaunch == 0) {
        flags &= ~(kHitLaunch | kHitHeavy);
    }
    if (m_acceptsStun == 0) {
        flags &= ~kHitStun;
    }
    // A second stun knocks down.
    if (m_stunMark != 0 && (flags & (kHitStun | kHitLongStun)) != 0) {
        flags = (flags & ~kHitStun) | kHitKnockDownHard;
    }

    out.Magic = (flags & kHitMagic) != 0 ? 1 : 0;
    const std::int32_t defence = out.Magic != 0 ? GetMen() : GetVit();
    std::int32_t damage = Truncate(static_cast<double>(static_cast<std::int64_t>(base) - defence) + base * 0.1);
    damage = Truncate(hit->GetDamageFactor() * static_cast<float>(damage));

    out.KnockFlags = flags & (kHitKnockDown | kHitKnockDownHard);
    out.TurnToHit = (flags & kHitTurn) != 0 ? 1 : 0;
    out.LongStun = (flags & kHitLongStun) != 0 ? 1 : 0;
    flags &= ~0x3E0u;
    if ((flags & 0x1C) != 0) {
        flags &= 0x1C;
    }
    out.Flags = flags;

    std::uint32_t a = 0;
    std::uint32_t b = 0;
    if (out.Element >= 1 && out.Element <= 6) {
        damage = Truncate(ElementRate(out.Element) * static_cast<float>(damage));
    } else if (ElementPair(out.Element, a, b)) {
        damage = Truncate((ElementRate(a) + ElementRate(b)) * static_cast<float>(damage) * 0.5);
    }
    out.Damage = std::max(damage, 0);
}

std::uint32_t TArmedCharacter::ReceiveHit(TAttackHit* hit)
{
    auto* attacker = dynamic_cast<TArmedCharacter*>(m_area != nullptr ? m_area->FindObject(hit->GetOwnerId())
                                                                        : nullptr);
    if (attacker != nullptr && static_cast<std::int32_t>(hit->GetFlags()) >= 0 && attacker->FacesVictim()) {
        attacker->LookAt(*this, nullptr, TFrame::kLookUpright);
    }
    THitParameters p;
    ComputeHitParameters(hit, p);
    const std::int32_t magnitude = HitKindMagnitude(p.Flags);
    const std::uint8_t front =
        hit->TurnFrameToward(m_area, m_frame.Get(), m_referenceFrame, p.TurnToHit != 0) ? 1 : 0;
    switch (p.Flags) {
    case 1:
        ReactLight(p.Element, p.SoundType, p.KnockFlags, magnitude, front, p.ValueA, p.KnockTime, p.Damage);
        break;
    case 2:
        ReactLight2(p.Element, p.SoundType, p.KnockFlags, magnitude, front, p.ValueA, p.KnockTime, p.Damage);
        break;
    case 4:
        ReactLaunch(p.Element, p.SoundType, p.KnockFlags, magnitude, front, p.ValueA, p.KnockTime, p.LaunchSpeed,
                    p.Damage);
        break;
    case 8:
        ReactStun(p.Element, p.SoundType, p.KnockFlags, magnitude, p.LongStun, front, p.ValueA, p.KnockTime,
                  p.Damage);
        break;
    case 16:
        ReactHeavy(p.Element, p.SoundType, p.KnockFlags, magnitude, front, p.ValueA, p.KnockTime, p.Damage);
        break;
    default:
        break;
    }
    if (attacker != nullptr) {
        if (m_reactionMode == kModeLaunched) {
            LookAt(*attacker, nullptr, TFrame::kLookUpright);
        }
        attacker->OnHitDelivered(this, hit->GetParam8(), p.Damage, hit->HasLanded());
    }
    return PlayHitSound(p.Damage, p.Flags, p.SoundType, p.Magic);
}

std::uint32_t TArmedCharacter::PlayHitSound(std::int32_t, std::uint32_t hitKind, std::int32_t soundType,
                                            std::uint8_t magic)
{
    if (soundType == -1) {
        const std::uint32_t id = magic != 0 ? 112 : 111;
        PlaySound(id);
        return id;
    }
    const std::uint32_t strong = (hitKind == 4 || hitKind == 8 || hitKind == 16) ? 5 : 0;
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    switch (soundType) {
    case 0: case 8: case 10: first = 102; break;
    case 1: first = 100; break;
    case 2: case 9: first = 104; break;
    case 3: case 4: first = 103; second = 101; break;
    case 5: case 6: case 7: first = 101; break;
    case 11: first = 103; break;
    default: return 0;
    }
    PlaySound(first + strong);
    if (second == 0) {
        return first + strong;
    }
    PlaySound(second + strong);
    return second + strong;
}

void TArmedCharacter::TakeDamage(std::int32_t damage)
{
    m_hp = static_cast<std::int32_t>(std::max<std::int64_t>(static_cast<std::int64_t>(m_hp) - damage, 0));
    if (damage < kUncountedDamage) {
        m_damageTaken = static_cast<std::int32_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(m_damageTaken) + damage, kDamageCap));
    }
    m_hitsTaken = std::min(m_hitsTaken + 1, kTallyCap);
    if (m_reactionMode >= kModeLaunched) {
        m_airHits = std::min(m_airHits + 1, kTallyCap);
    } else {
        m_groundHits = std::min(m_groundHits + 1, kTallyCap);
    }
    m_bestDamage = std::max(m_bestDamage, m_damageTaken);
    m_bestHits = std::max(m_bestHits, m_hitsTaken);
    m_bestGroundHits = std::max(m_bestGroundHits, m_groundHits);
    m_bestAirHits = std::max(m_bestAirHits, m_airHits);
}

bool TArmedCharacter::JuggleStep()
{
    const double d = (m_airHits + 1) / 3.0;
    if (m_juggleApplied == 0) {
        m_juggleApplied = 1;
        m_reactionScale = 1.0F;
        double push = 0.02 / d;
        if (m_airHits >= 50) {
            push *= 0.2;
        }
        m_velocity.y = std::max(m_velocity.y, static_cast<float>(push));
    }
    return m_bodyMesh->RewindMorph(static_cast<float>(4.0 / d));
}

bool TArmedCharacter::SetSpeedScale(float scale)
{
    m_knockTime = 0.12F * scale;
    return JuggleStep();
}

std::uint32_t TArmedCharacter::ReactWithoutInterrupt(bool heavy, float knockTime)
{
    if (m_reactionMode == kModeDown) {
        OnDownedHit();
        return 0;
    }
    if (m_reactionMode == kModeLaunched) {
        return heavy ? SetSpeedScale(knockTime) : JuggleStep();
    }
    return 0;
}

std::uint32_t TArmedCharacter::ReactStunCommon(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                               std::int32_t magnitude, std::uint8_t longStun, std::uint8_t front,
                                               float valueA, float knockTime, std::int32_t damage,
                                               std::uint32_t downFront, std::uint32_t downBack, std::uint32_t stunned,
                                               std::uint32_t takenUpTo)
{
    // The light hit shows its effect and counts the damage again.
    if (knockFlags == 0 && m_hp == 0) {
        return ReactLight(element, soundType, knockFlags, magnitude, front, valueA, knockTime, damage);
    }
    m_stunTime = longStun != 0 ? 400 : 4;
    if (m_reactionMode == kModeStunned) {
        m_knockTime = 120.0F;
        m_reactionMode = kModeDown;
        return SetState(front != 0 ? downFront : downBack);
    }
    if (m_reactionMode <= takenUpTo || static_cast<std::int64_t>(m_reactionMode) < magnitude) {
        m_longStun = longStun;
        m_reactionScale = 1.0F;
        m_reactionMode = kModeStunned;
        return SetState(stunned);
    }
    return ReactWithoutInterrupt(false, knockTime);
}

TAttackHit* TArmedCharacter::CreateAttackHit(TRefPtr<TAttackHit>& out, std::uint32_t code, TFrame* parentOverride,
                                             const D3DXVECTOR3* positionOverride)
{
    const TAttackRecord& record = TAttackTable::Get(code & 0xFFFF);
    TAttackPlacement place;
    GetAttackParams(record, place);
    if (parentOverride != nullptr) {
        place.Parent = parentOverride;
    }
    if (positionOverride != nullptr) {
        place.Position = *positionOverride;
    }
    TAttackHitParams params;
    params.Interval = record.Interval;
    params.Flags = record.Flags;
    params.Element = record.Element;
    params.Param3 = record.Param3;
    params.SoundType = -1;
    params.CancelMask = record.CancelMask;
    params.BaseDamage = place.BaseDamage;
    params.DamageFactor = record.DamageFactor;
    params.Radius = record.Radius;
    params.ValueA = record.ValueA;
    params.KnockTime = record.KnockTime;
    params.LaunchSpeed = record.LaunchSpeed;
    params.Param8 = record.Param8;
    const float* position = &place.Position.x;
    TAttackHit* hit = nullptr;
    switch (record.Kind) {
    case 0: hit = new TAttackHitTimed(GetObjectId(), place.Parent, position, record.Lifetime, params); break;
    case 1: hit = new TAttackHitHeld(GetObjectId(), place.Parent, position, record.HitCount, params); break;
    case 2:
        hit = new TAttackHitTimedHeld(GetObjectId(), place.Parent, position, record.HitCount, record.Lifetime, params);
        break;
    default: out = TRefPtr<TAttackHit>(); return nullptr;
    }
    out = TRefPtr<TAttackHit>(hit);
    m_hits.push_back(out);
    return hit;
}
