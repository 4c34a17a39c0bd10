// The damaging sphere of one attack, on its own frame "Hit" under a frame of the attacker. It
// strikes each target it touches once, or again after its interval, until it runs out or is ended.
#pragma once

#include <cstdint>
#include <vector>

#include "MainCode/Map/TAttackHitEntry.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"

class TAreaBase;
class TGameObject;

// What every hit carries from its attack record besides its kind's own counters.
struct TAttackHitParams {
    std::int32_t Interval = 10;
    std::uint32_t Flags = 1;
    std::uint32_t Element = 0;
    std::uint32_t Param3 = 0;
    std::int32_t SoundType = -1;
    std::uint32_t CancelMask = 0;
    std::uint32_t BaseDamage = 0;
    float DamageFactor = 1.0F;
    float Radius = 0.5F;
    float ValueA = 1.0F;
    float KnockTime = 120.0F;
    float LaunchSpeed = 0.05F;
    std::int32_t Param8 = -1;
};

class TAttackHit {
    friend struct TMapProbe;
public:
    // Hangs the new frame "Hit" under parent at position (parent's space).
    TAttackHit(std::uint32_t ownerId, TFrame* parent, const float* position, const TAttackHitParams& params);
    TAttackHit(const TAttackHit&) = delete;
    TAttackHit& operator=(const TAttackHit&) = delete;

    // Virtual operations in their fixed order.
    // Tests the target and, on a hit, hands this hit to the target's hit reaction.
    virtual void HitTest(TGameObject* target) = 0;
    // False once the hit is used up; the owner then kills and drops it.
    virtual bool Update();
    // Ends the hit when the mask shares a bit with its cancel mask.
    virtual void Cancel(std::uint32_t mask);
    virtual void Kill();
    virtual ~TAttackHit();
    virtual void TickHitList();

    bool IsInHitList(const TGameObject* target) const;
    // The target's centre sphere overlaps the hit sphere.
    bool Touches(const TGameObject* target) const;
    // Turns frame so that its struck side faces the hit's source (this hit's frame when fromHit,
    // else its owner); true when the source lay in front of the frame.
    bool TurnFrameToward(TAreaBase* area, TFrame* frame, const TFrame* reference, bool fromHit) const;

    std::uint32_t GetOwnerId() const { return m_ownerId; }
    bool IsAlive() const { return m_alive != 0; }
    std::uint32_t GetFlags() const { return m_flags; }
    std::uint32_t GetElement() const { return m_element; }
    std::uint32_t GetParam3() const { return m_param3; }
    std::int32_t GetSoundType() const { return m_soundType; }
    std::uint32_t GetBaseDamage() const { return m_baseDamage; }
    float GetDamageFactor() const { return m_damageFactor; }
    float GetValueA() const { return m_valueA; }
    float GetKnockTime() const { return m_knockTime; }
    float GetLaunchSpeed() const { return m_launchSpeed; }
    std::int32_t GetParam8() const { return m_param8; }
    std::uint8_t HasLanded() const { return m_landed; }

protected:
    // Immune, already listed or out of reach: no hit.
    bool CanStrike(TGameObject* target) const;
    // The target's hit reaction with this hit.
    void Strike(TGameObject* target);
    void End();

    TRefPtr<TFrame> m_frame;
    std::uint32_t m_ownerId;
    std::uint32_t m_alive = 2;
    std::int32_t m_interval;
    std::uint32_t m_flags;
    std::uint32_t m_element;
    std::uint32_t m_param3;
    std::int32_t m_soundType;
    std::uint32_t m_cancelMask;
    std::uint32_t m_baseDamage;
    float m_damageFactor;
    float m_radius;
    float m_valueA;
    float m_knockTime;
    float m_launchSpeed;
    std::int32_t m_param8;
    std::uint8_t m_landed = 0;
    std::vector<TAttackHitEntry> m_hitList;
    TFrame* m_parent;
};
