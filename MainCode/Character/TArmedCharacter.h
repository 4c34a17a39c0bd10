// The fighting body of the player characters and the enemies: pattern and weapon data, two weapon
// frames, the combat statistics, the live attack hits, the damage rule, the hit reception that
// turns a hit into one of five reactions, hit flashing, the pattern frames and the combo tallies.
// The concrete classes supply the reactions, the hit placement and their states.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "MainCode/Character/Subset/TPatternInfo.h"
#include "MainCode/Character/Subset/TWeponState.h"
#include "MainCode/Character/TGameObject.h"
#include "MainCode/Character/TPatternEvent.h"
#include "MainCode/Map/TAttackHit.h"
#include "MainCode/Map/TAttackRecord.h"
#include "TCommon/TRefPtr.h"

// What the damage rule makes of one hit.
struct THitParameters {
    std::uint32_t Flags = 0;  // the hit kind once worked out
    std::uint32_t Element = 0;
    std::int32_t SoundType = -1;
    std::uint32_t KnockFlags = 0;
    std::uint8_t Magic = 0;
    std::uint8_t TurnToHit = 0;
    std::uint8_t LongStun = 0;
    std::int32_t Damage = 0;
    float ValueA = 0.0F;
    float KnockTime = 0.0F;
    float LaunchSpeed = 0.0F;
};

// Where a new hit of an attack record hangs and how hard it hits.
struct TAttackPlacement {
    TFrame* Parent = nullptr;
    D3DXVECTOR3 Position{0.0F, 0.0F, 0.0F};
    std::uint32_t BaseDamage = 0;
    // What a player's attack also hands on: the record's word 14 and two properties of the weapon
    // in use (B its element, A its type; -1 without a weapon).
    float Word14 = 0.0F;
    std::int32_t PropertyB = 0;
    std::int32_t PropertyA = -1;
};

class TEffect;
class TMotionHelper;
class TShot;

// Where a pattern event places its effects, taken from the character at the moment of the event.
struct TPatternPoints {
    D3DXVECTOR3 Position;  // the body frame's translation
    D3DXVECTOR3 Centre;    // world position raised by the half height
    D3DXVECTOR3 Front;     // the body's -Z axis
    D3DXVECTOR3 Right;     // the body's -X axis
    D3DXVECTOR3 Weapon;    // world position of the left weapon frame
    D3DXVECTOR3 Chest;     // 0.8 ahead of the position, 1.2 half heights up
};

// 1000000 heavy, 100000 launch, 100 stun, 1000 knock-down, else 10.
std::int32_t HitKindMagnitude(std::uint32_t flags);

class TArmedCharacter : public TGameObject {
    friend struct TCharacterProbe;
public:
    static constexpr std::int32_t kUnlimitedFlash = 0x7FFFFFFF;

    enum ReactionMode : std::uint32_t {
        kModeNormal = 1,
        kModeLightHit = 10,
        kModeStunned = 100,
        kModeDown = 1000,
        kModeLaunched = 100000,
        kModeHeavy = 1000000,
    };

    // The first six arguments go to TGameObject; the pattern (".pat") and weapon (".wpm") files
    // are read by the name.
    TArmedCharacter(std::uint32_t relatedId, float centerHeight, float shadowSize, std::uint8_t shadowVisible,
                    std::uint8_t pushable, float gravity, std::uint8_t acceptsKnockDown, std::uint8_t acceptsLaunch,
                    std::uint8_t acceptsStun, std::int32_t maxHp, std::int32_t hp, std::int32_t maxMp, std::int32_t mp,
                    std::int32_t str, std::int32_t vit, std::int32_t intel, std::int32_t men, float rate1, float rate2,
                    float rate3, float rate4, float rate5, float rate6, const std::string& name);
    // Reads the pattern and weapon files again and makes new weapon frames on the new frame.
    TArmedCharacter(const TArmedCharacter& other);
    TArmedCharacter& operator=(const TArmedCharacter&) = delete;
    ~TArmedCharacter() override;

    // Virtual operations in their fixed order, after those of TGameObject.
    // Also registers as a fighter in the collision world.
    void AttachToField(TAreaBase* area) override;
    // Also clears the pattern latches and kills every hit.
    void DetachFromField() override;
    virtual std::int32_t GetStr() { return m_str; }
    virtual std::int32_t GetVit() { return m_vit; }
    virtual std::int32_t GetInt() { return m_int; }
    virtual std::int32_t GetMen() { return m_men; }
    virtual float GetElementRate1() { return m_elementRates[0]; }
    virtual float GetElementRate2() { return m_elementRates[1]; }
    virtual float GetElementRate3() { return m_elementRates[2]; }
    virtual float GetElementRate4() { return m_elementRates[3]; }
    virtual float GetElementRate5() { return m_elementRates[4]; }
    virtual float GetElementRate6() { return m_elementRates[5]; }
    // Weapons, hits and flash, then the per-step counters.
    virtual void FrameUpdate();
    // The hit reaction; answers what PlayHitSound answers.
    virtual std::uint32_t ReceiveHit(TAttackHit* hit);
    virtual bool FacesVictim() { return true; }
    // Offers the target to every hit of this character (never this character itself).
    virtual void ApplyHitsTo(TGameObject* target);
    // Told by a victim that one of this character's hits struck.
    virtual void OnHitDelivered(TArmedCharacter* victim, std::int32_t value, std::int32_t damage,
                                std::uint8_t flag) = 0;
    virtual std::uint32_t ClearFlash();
    virtual void StartFlash(std::uint8_t on, std::int32_t frames);
    virtual bool IsSpecialActionState() = 0;
    virtual bool IsHeld() = 0;
    virtual void GetAttackParams(const TAttackRecord& record, TAttackPlacement& out) = 0;
    virtual void SetSubState(std::uint32_t subState) { m_subState = subState; }
    virtual void ProcessPatternFrame();
    // The hit of the frame's attack id, placed by GetAttackParams: record kinds 0, 1 and 2 give the
    // timed, held and timed-held hits, any other kind none.
    virtual void OnAttackEvent(const TPatternEvent& frame);
    // The effects, shots, hits and sounds of the frame's event code; codes without a case do nothing.
    virtual void OnPatternEvent(const TPatternEvent& frame);
    virtual void PlayFrameSound(const TPatternEvent& frame) { PlaySound(frame.SoundId); }
    virtual void PlayFrameVoice(const TPatternEvent& frame) { PlayVoice(frame.VoiceId); }
    virtual void ShakeForFrame(const TPatternEvent& frame);
    virtual void UpdateWeapons();
    // Answers the id played last, 0 when none.
    virtual std::uint32_t PlayHitSound(std::int32_t damage, std::uint32_t hitKind, std::int32_t soundType,
                                       std::uint8_t magic);
    virtual void UpdateHits();
    virtual void UpdateFlash();
    virtual void TakeDamage(std::int32_t damage);
    virtual bool CanAct() { return true; }
    virtual void ComputeHitParameters(const TAttackHit* hit, THitParameters& out);
    virtual void ResetCombatState();
    virtual std::uint32_t ReactLight(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                     std::int32_t magnitude, std::uint8_t front, float valueA, float knockTime,
                                     std::int32_t damage) = 0;
    virtual std::uint32_t ReactLight2(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                      std::int32_t magnitude, std::uint8_t front, float valueA, float knockTime,
                                      std::int32_t damage) = 0;
    virtual std::uint32_t ReactLaunch(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                      std::int32_t magnitude, std::uint8_t front, float valueA, float knockTime,
                                      float launchSpeed, std::int32_t damage) = 0;
    virtual std::uint32_t ReactStun(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                    std::int32_t magnitude, std::uint8_t longStun, std::uint8_t front, float valueA,
                                    float knockTime, std::int32_t damage) = 0;
    virtual std::uint32_t ReactHeavy(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                     std::int32_t magnitude, std::uint8_t front, float valueA, float knockTime,
                                     std::int32_t damage) = 0;
    virtual void OnDownedHit() {}
    // The push and the motion set-back of a hit in the air, less for every hit already taken there.
    virtual bool JuggleStep();
    virtual bool SetSpeedScale(float scale);

    void EnterField(TAreaBase* area) { AttachToField(area); }
    void LeaveField() { DetachFromField(); }

    // The hit of the attack id (low 16 bits), placed by GetAttackParams unless overridden, appended
    // to the hit list. A record kind other than 0 to 2 makes none (out stays empty).
    TAttackHit* CreateAttackHit(TRefPtr<TAttackHit>& out, std::uint32_t code, TFrame* parentOverride = nullptr,
                                const D3DXVECTOR3* positionOverride = nullptr);
    // Kills every hit and empties the list.
    void ClearHits();

    // n <= 0 counts as 1. Recovery stops at the maximum; consumption has no floor.
    std::int32_t RecoverHp(std::int32_t n);
    void RecoverMp(std::int32_t n);
    void ConsumeMp(std::int32_t n);

    // Effect 20 + element for 0..6, the two element effects of a pair for 7..18.
    void SpawnElementEffect(std::uint32_t element);
    // The magic projectile: effect 510 flying off to the side with a hit riding on it, effect 800
    // trailing it.
    void LaunchEffectAction(const D3DXVECTOR3& offset, float height, float speed);

    TPatternPoints GetPatternPoints() const;

    TFrame* GetLeftWeaponFrame() const { return m_leftWeapon.Get(); }
    TFrame* GetRightWeaponFrame() const { return m_rightWeapon.Get(); }
    std::int32_t GetMaxHp() const { return m_maxHp; }
    std::int32_t GetHp() const { return m_hp; }
    std::int32_t GetMaxMp() const { return m_maxMp; }
    std::int32_t GetMp() const { return m_mp; }
    std::uint32_t GetReactionMode() const { return m_reactionMode; }
    std::int32_t GetFlashTime() const { return m_flashTime; }
    std::int32_t GetDamageTaken() const { return m_damageTaken; }
    std::int32_t GetHitsTaken() const { return m_hitsTaken; }
    std::int32_t GetAirHits() const { return m_airHits; }
    std::int32_t GetGroundHits() const { return m_groundHits; }
    // Non-zero: no attack hit touches this character.
    std::uint32_t GetHitImmunity() const { return m_hitImmunity; }

protected:
    // Fires what the current pattern frame starts (once per rise) and keeps its flash; answers the
    // frame, whose displacement the caller applies.
    const TPatternEvent& FirePatternFrame();
    // A hit that does not interrupt: a downed body twitches, a launched one is pushed on (a heavy
    // hit sets its speed scale by the knock time); otherwise nothing.
    std::uint32_t ReactWithoutInterrupt(bool heavy, float knockTime);
    // A stun after its hit effect and damage: one that kills is taken as a light hit; a second one
    // knocks down (downFront or downBack, by the side hit); else one that takes holds the character
    // in the stunned state, 400 frames when long and 4 otherwise. It takes in any mode up to
    // takenUpTo, and in a higher one only when its level is above that mode.
    std::uint32_t ReactStunCommon(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                                  std::int32_t magnitude, std::uint8_t longStun, std::uint8_t front, float valueA,
                                  float knockTime, std::int32_t damage, std::uint32_t downFront,
                                  std::uint32_t downBack, std::uint32_t stunned, std::uint32_t takenUpTo);

    std::uint32_t m_subState = 0;
    std::list<TRefPtr<TAttackHit>> m_hits;
    TPatternInfo m_patternInfo;
    TWeponState m_weponState;
    TRefPtr<TFrame> m_leftWeapon;
    TRefPtr<TFrame> m_rightWeapon;
    float m_reactionScale = 1.0F;
    std::uint8_t m_acceptsKnockDown;
    std::uint8_t m_acceptsLaunch;
    std::uint8_t m_acceptsStun;
    std::int32_t m_maxHp;
    std::int32_t m_hp;
    std::int32_t m_maxMp;
    std::int32_t m_mp;
    std::int32_t m_str;
    std::int32_t m_vit;
    std::int32_t m_int;
    std::int32_t m_men;
    float m_elementRates[6];
    TRefPtr<TFrame> m_auxiliary;
    std::uint32_t m_reactionMode = kModeNormal;
    std::int32_t m_stunTime = 4;
    std::uint8_t m_longStun = 0;
    std::int32_t m_flashTime = 0;
    std::uint8_t m_flashFalling = 0;
    float m_flashAlpha = 0.1F;
    float m_knockTime = 0.0F;
    std::uint8_t m_juggleApplied = 0;
    std::int32_t m_damageTaken = 0;
    std::int32_t m_hitsTaken = 0;
    std::int32_t m_airHits = 0;
    std::int32_t m_groundHits = 0;
    std::int32_t m_bestDamage = 0;
    std::int32_t m_bestHits = 0;
    std::int32_t m_bestAirHits = 0;
    std::int32_t m_bestGroundHits = 0;
    std::uint8_t m_stunMark = 0;
    // Attack, event, flash, sound, voice, shake: the item was non-zero in the previous frame.
    std::uint8_t m_attackLatch = 0;
    std::uint8_t m_eventLatch = 0;
    std::uint8_t m_flashLatch = 0;
    std::uint8_t m_soundLatch = 0;
    std::uint8_t m_voiceLatch = 0;
    std::uint8_t m_shakeLatch = 0;
    std::uint32_t m_hitImmunity = 0;

    // The steps the event cases are made of. Each tolerates a missing manager or a null Create result
    // by leaving out what would have been done to it.
    // Create under the parent frame, in the area.
    TEffect* CreateEffect(std::uint32_t id, const D3DXVECTOR3& at, const D3DXVECTOR3& direction,
                          const float colour[4], const float scale[3]);
    // The shot created at the origin, the motion handed over, the flight set and the hit id riding on
    // the shot's body. aim, when given, turns the parts first.
    TShot* FireShot(std::uint32_t shotId, const D3DXVECTOR3& facing, const float colour[4], const float scale[3],
                    const D3DXVECTOR3* aim, std::unique_ptr<TMotionHelper> motion, std::int32_t flightFrames,
                    std::uint32_t hitId);
    // The smoke trail (effect 52) following the shot's body for 100 frames.
    void AddTrail(TShot* shot);
    // Every part looks along the direction, then all roll by one random angle.
    static void AimParts(TShot* shot, const D3DXVECTOR3& direction);
    // A hit standing at a point of the field.
    void AddMeleeHit(std::uint32_t hitId, const D3DXVECTOR3& point);
    void Heal(std::int32_t amount);
    // ((d & 127) - 64) x step for a draw d of genrand_int31, plus 1 or -1 by bit 0 of d when signed.
    static float RandomOffset(float step, bool withSign);

    // The cases by code group.
    void BasicActionEvent(std::uint16_t code, const TPatternPoints& p);
    void SlashEvent(std::uint16_t code, const TPatternPoints& p);
    void GroundBlowEvent(const TPatternPoints& p);
    void StatusEvent(std::uint16_t code, const TPatternPoints& p);
    void ElementMarkEvent(std::uint16_t code, const TPatternPoints& p);
    void SkillEvent(std::uint16_t code, const TPatternPoints& p);
    void WeaponSkillEvent(std::uint16_t code, const TPatternPoints& p);

    // The closing flourishes 1 to 7 at the chest point; 7 heals by amount.
    void Flourish(int kind, const TPatternPoints& p, std::int32_t amount = 0);
    // The bolt with its hit and burst, the slash and the spark at a point.
    void BladePass(const D3DXVECTOR3& point, const TPatternPoints& p, bool withSlash = true);
    // Two draws place the pass around the character.
    void RandomBladePass(const TPatternPoints& p, bool withSlash = true);
    // One rising fang at a point with its hit there.
    void EarthFang(std::uint32_t effectId, std::uint32_t hitId, const D3DXVECTOR3& point, const D3DXVECTOR3& direction);
    // Live enemies of the area's factory around the centre, at most max; answers how many.
    std::uint32_t FindEnemies(const D3DXVECTOR3& centre, float radius, std::uint32_t* ids, std::uint32_t max) const;

private:
    void MakeWeaponFrames(const std::string& name);
    // The rate of elements 1 to 6; 0 for any other.
    float ElementRate(std::uint32_t element);
    // The two elements of a combined element 7 to 18.
    static bool ElementPair(std::uint32_t element, std::uint32_t& a, std::uint32_t& b);
};
