// A look into the characters for tests: the body's motion and links, the fighter's combat state
// and tallies, the enemies, their table and factory, the player's input, tables, pop-ups and
// status, the hero classes, the motion helpers, the pattern and weapon files, and the time stop.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "MainCode/Character/Subset/TPatternInfo.h"
#include "MainCode/Character/Subset/TWeponState.h"
#include "MainCode/Character/TAccelMotion.h"
#include "MainCode/Character/TArmedCharacter.h"
#include "MainCode/Character/TCurveMotionBase.h"
#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyC.h"
#include "MainCode/Character/TEnemyDataTable.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TGameObject.h"
#include "MainCode/Character/THeldRandomOffsetMotion.h"
#include "MainCode/Character/THero.h"
#include "MainCode/Character/THeroine08.h"
#include "MainCode/Character/TOffsetMotion.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TVillager.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/TRunState.h"

struct TCharacterProbe {
    // The body: gravity, motion, ground and what it is attached to.
    static float MaxVerticalSpeed(const TGameObject& o) { return o.m_maxVerticalSpeed; }
    static float GroundHeight(const TGameObject& o) { return o.m_groundHeight; }
    static const D3DXVECTOR3& GroundNormal(const TGameObject& o) { return o.m_groundNormal; }
    static float Gravity(const TGameObject& o) { return o.m_gravity; }
    static float DefaultGravity(const TGameObject& o) { return o.m_defaultGravity; }
    static const D3DXVECTOR3& Velocity(const TGameObject& o) { return o.m_velocity; }
    static void SetVelocity(TGameObject& o, const D3DXVECTOR3& v) { o.m_velocity = v; }
    static TFrame* ShadowFrame(const TGameObject& o) { return o.m_shadowFrame.Get(); }
    static TCollisionWorld* CollisionWorld(const TGameObject& o) { return o.m_collisionWorld; }
    static TEffectManager* EffectManager(const TGameObject& o) { return o.m_effectManager; }
    static TCamera* Camera(const TGameObject& o) { return o.m_camera; }
    static TAreaBase* Area(const TGameObject& o) { return o.m_area; }

    // The fighter.
    static std::uint32_t SubState(const TArmedCharacter& c) { return c.m_subState; }
    static const std::list<TRefPtr<TAttackHit>>& Hits(const TArmedCharacter& c) { return c.m_hits; }
    static const TPatternInfo& PatternInfo(const TArmedCharacter& c) { return c.m_patternInfo; }
    static float ReactionScale(const TArmedCharacter& c) { return c.m_reactionScale; }
    static std::int32_t StunTime(const TArmedCharacter& c) { return c.m_stunTime; }
    static float FlashAlpha(const TArmedCharacter& c) { return c.m_flashAlpha; }
    static std::uint8_t IsFlashFalling(const TArmedCharacter& c) { return c.m_flashFalling; }
    static float KnockTime(const TArmedCharacter& c) { return c.m_knockTime; }
    static std::int32_t BestDamage(const TArmedCharacter& c) { return c.m_bestDamage; }
    static std::int32_t BestHits(const TArmedCharacter& c) { return c.m_bestHits; }
    static std::int32_t BestAirHits(const TArmedCharacter& c) { return c.m_bestAirHits; }
    static std::int32_t BestGroundHits(const TArmedCharacter& c) { return c.m_bestGroundHits; }
    static std::uint8_t StunMark(const TArmedCharacter& c) { return c.m_stunMark; }
    static void SetHitImmunity(TArmedCharacter& c, std::uint32_t immunity) { c.m_hitImmunity = immunity; }
    // n <= 0 counts as 1; no floor above the lowest int.
    static void ConsumeHp(TArmedCharacter& c, std::int32_t n)
    {
        const std::int64_t diff = static_cast<std::int64_t>(c.m_hp) - std::max(n, 1);
        c.m_hp = static_cast<std::int32_t>(std::max<std::int64_t>(diff, INT32_MIN));
    }

    // Enemies.
    static TEnemyFactory* Factory(const TEnemy& e) { return e.m_factory; }
    static std::int32_t Money(const TEnemy& e) { return e.m_money; }
    static std::int32_t Item(const TEnemy& e) { return e.m_item; }
    static float LeashRadius(const TEnemy& e) { return e.m_leashRadius; }
    static std::int32_t ThinkTimer(const TEnemy& e) { return e.m_thinkTimer; }
    static std::int32_t GaugeTimer(const TEnemy& e) { return e.m_gaugeTimer; }
    static std::uint8_t IsStolen(const TEnemy& e) { return e.m_stolen; }
    static const TSprite& BarSprite(const TEnemy& e) { return e.m_barSprite; }
    static std::uint32_t Element(const TEnemyC& e) { return e.m_element; }

    // The enemy table and its file.
    static std::uint8_t IsScrambled(const TEnemyDataTable& t) { return t.m_scrambled; }
    static const std::vector<std::string>& Names(const TEnemyDataTable& t) { return t.m_names; }
    static const std::vector<std::uint32_t>& Values(const TEnemyDataTable& t) { return t.m_values; }
    static bool HasEnemyRecord(std::uint32_t id) { return TEnemyDataTable::s_records.count(id) != 0; }
    static std::size_t EnemyRecordCount() { return TEnemyDataTable::s_records.size(); }
    static void ClearEnemyRecords() { TEnemyDataTable::s_records.clear(); }

    // The enemy factory.
    static std::uint32_t LiveCount(const TEnemyFactory& f) { return f.m_liveCount; }
    static std::vector<TEnemySpawner>& Spawners(TEnemyFactory& f) { return f.m_spawners; }
    static TAreaBase* Area(const TEnemyFactory& f) { return f.m_area; }

    // Motion helpers.
    static float Speed(const TAccelMotion& m) { return m.m_speed; }
    static float Acceleration(const TAccelMotion& m) { return m.m_acceleration; }
    static const D3DXVECTOR3& Direction(const TAccelMotion& m) { return m.m_direction; }
    static const D3DXVECTOR3& Position(const TAccelMotion& m) { return m.m_position; }
    static float CurveT(const TCurveMotionBase& m) { return m.m_t; }
    static float StepSize(const TCurveMotionBase& m) { return m.m_step; }
    static const D3DXVECTOR3& Point(const TCurveMotionBase& m, int i) { return m.m_points[i]; }
    static const TRefPtr<TFrame>& Held(const THeldRandomOffsetMotion& m) { return m.m_held; }
    static const D3DXVECTOR3& Offset(const TOffsetMotion& m) { return m.m_offset; }
    static const D3DXVECTOR3& Second(const TOffsetMotion& m) { return m.m_second; }
    static TFrame* TargetFrame(const TOffsetMotion& m) { return m.m_targetFrame; }

    // The shared skill sub-state an action row plays; null for any other row.
    static const TPlayerCharacter::SharedSubState* SharedSubStateByRow(std::uint32_t row)
    {
        for (const TPlayerCharacter::SharedSubState& s : TPlayerCharacter::s_sharedSubStates) {
            if (s.Row == row) {
                return &s;
            }
        }
        return nullptr;
    }

    // The player: input and commands.
    using PatternAction = TPlayerCharacter::PatternAction;
    static std::uint32_t MoveLevel(const TPlayerCharacter& p) { return p.m_moveLevel; }
    static std::uint8_t DashFlag(const TPlayerCharacter& p) { return p.m_dashFlag; }
    static std::uint8_t DashDirection(const TPlayerCharacter& p) { return p.m_dashDirection; }
    static std::uint32_t TapCounter(const TPlayerCharacter& p) { return p.m_tapCounter; }
    static std::uint32_t CommandCount(const TPlayerCharacter& p) { return p.m_commandCount; }
    static std::uint32_t CommandCapacity(const TPlayerCharacter& p) { return p.m_commandCapacity; }
    static std::uint32_t HoldCountA(const TPlayerCharacter& p) { return p.m_holdCountA; }
    static std::uint32_t HoldCountB(const TPlayerCharacter& p) { return p.m_holdCountB; }
    static PatternAction CurrentPatternAction(const TPlayerCharacter& p) { return p.m_currentPatternAction; }
    static PatternAction QueuedPatternAction(const TPlayerCharacter& p) { return p.m_queuedPatternAction; }
    static const std::vector<std::uint32_t>& HomingTargets(const TPlayerCharacter& p) { return p.m_homingTargets; }
    static std::int32_t VoiceTimer(const TGameObject& o) { return o.m_voiceTimer; }

    // The player: experience, gains, pop-ups and the target shown.
    static const std::vector<std::uint32_t>& ExperienceTable(const TPlayerCharacter& p) { return p.m_experienceTable; }
    static const std::vector<std::uint32_t>& AbilityPointTable(const TPlayerCharacter& p)
    {
        return p.m_abilityPointTable;
    }
    static bool IsLevelUpPending(const TPlayerCharacter& p) { return p.m_levelUpPending != 0; }
    static std::int32_t LevelUpSerial(const TPlayerCharacter& p) { return p.m_levelUpSerial; }
    static std::uint32_t GainSerial() { return TRunState::Current().gainSerial; }
    static const std::list<TGainRecord>& GainQueue(const TPlayerCharacter& p) { return p.m_gainQueue; }
    static const std::list<TRefPtr<TPopupText>>& Popups(const TPlayerCharacter& p) { return p.m_popups; }
    static std::int32_t PopupDelay(const TPlayerCharacter& p) { return p.m_popupDelay; }
    static TPopupText* LevelUpPopup(const TPlayerCharacter& p) { return p.m_levelUpPopup.Get(); }
    static const THitPopup& HitPopup(const TPlayerCharacter& p) { return p.m_hitPopup; }
    // Damage, hits, air hits, ground hits.
    static const std::int32_t* BestRecords(const TPlayerCharacter& p) { return p.m_bestValues; }
    // Found again by its id, so a target the area has dropped reads as none.
    static TGameObject* TargetEnemy(const TPlayerCharacter& p)
    {
        if (p.m_targetEnemyId == TPlayerCharacter::kNoTarget || p.m_area == nullptr) {
            return nullptr;
        }
        return p.m_area->FindObject(p.m_targetEnemyId);
    }
    static std::int32_t TargetTimer(const TPlayerCharacter& p) { return p.m_targetTimer; }

    // The player: ring item, status, weapon look and trails.
    static std::uint32_t RingItem(const TPlayerCharacter& p) { return p.m_ringItem; }
    static void SetRingItem(TPlayerCharacter& p, std::uint32_t id) { p.m_ringItem = id; }
    static TStatusTimer& AttackBuff1(TPlayerCharacter& p) { return p.m_attackBuff1; }
    static TStatusTimer& AttackBuff2(TPlayerCharacter& p) { return p.m_attackBuff2; }
    static TStatusIcon& StatusIcons(TPlayerCharacter& p) { return p.m_statusIcons; }
    static std::uint8_t IsWeaponModelLoaded(const TPlayerCharacter& p) { return p.m_weaponModelLoaded; }
    static const std::string& WeaponModelName(const TPlayerCharacter& p) { return p.m_weaponModelName; }
    static TAfterImage* LeftTrail(const TPlayerCharacter& p) { return p.m_leftTrail.get(); }
    static TAfterImage* RightTrail(const TPlayerCharacter& p) { return p.m_rightTrail.get(); }

    // The hero classes: the table a class was made with, and the reserved follow-up.
    static const THeroClassDef& Def(const THero& h) { return h.m_def; }
    static std::uint8_t FollowUpFlag(const THero& h) { return h.m_followUp; }
    static std::uint32_t ReservedKind(const THero& h) { return h.m_reservedAction; }
    static std::uint32_t ReservedArgument(const THero& h) { return h.m_reservedArgument; }
    static const TMesh8& ArrowMesh(const THeroine08& h) { return h.m_arrowMesh; }

    // Villagers.
    static const D3DXVECTOR3& Facing(const TVillager& v) { return v.m_facing; }

    // The pattern and weapon-state files.
    static const std::string& PatternDirectory() { return TPatternInfo::s_folder; }
    static std::uint32_t PatternCount(const TPatternInfo& p) { return p.m_count; }
    static const std::string& WeponDirectory() { return TWeponState::s_folder; }
    static std::uint32_t KeyCount(const TWeponState& w) { return w.m_keyCount; }
    static std::uint32_t MotionCount(const TWeponState& w) { return w.m_motionCount; }
    // Read the way the characters read it: made empty, then loaded.
    static TWeponState LoadWeponState(const char* name)
    {
        TWeponState w;
        w.Load(name);
        return w;
    }

    // The time stop the run keeps.
    static const D3DXVECTOR3& TimeStopPoint() { return TRunState::Current().timeStop.point; }
    static std::int32_t TimeStopCounter() { return TRunState::Current().timeStop.counter; }
};
