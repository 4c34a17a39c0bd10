// The character under the player's control, base of every hero class: the input object and the
// field HUD, the equipment, level and experience with their tables, the command queue and the
// input state machine, the shared state handlers and skill sub-states, the per-step update with
// its sounds and voices, and the status timers. Made only by CreatePlayerCharacter.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "MainCode/Character/TArmedCharacter.h"
#include "MainCode/GameData/TAccessoryTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Hud/TItemRing.h"
#include "MainCode/Hud/TSkillGauge.h"
#include "MainCode/Hud/TStatusIcon.h"
#include "MainCode/Hud/TCountValue.h"
#include "MainCode/Hud/THitPopup.h"
#include "MainCode/Hud/TPopupText.h"
#include "MainCode/TInputDevice.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/sound/TSoundList.h"

class TAfterImage;
class TFieldLoop;
class TGetRender;
class TInputDevice;
class TPlayerCharacter;
class TStatusPanel;
struct TCharacterRecord;

// What the player takes from the field scene that hosts it.
struct TPlayerFieldLinks {
    TFieldLoop* field = nullptr;
    TPlayerCharacter* player = nullptr;  // the character played until now
    TInputDevice* input = nullptr;
    TLetterFont* letterFont = nullptr;
    TStatusPanel* statusPanel = nullptr;
    TItemRing* itemRing = nullptr;
    TSkillGauge* skillGauge = nullptr;
    TGetRender* getRender = nullptr;
};

// The links of the field scene; none without one.
TPlayerFieldLinks GetPlayerFieldLinks(TFieldLoop* field);

// The played character of that party index with the weapon of its party record; an empty holder
// when the pair has no class (the field refuses it).
TRefPtr<TPlayerCharacter> CreatePlayerCharacter(TFieldLoop* field, std::uint32_t characterIndex);
// The same on the parts the links name.
TRefPtr<TPlayerCharacter> CreatePlayerCharacter(const TPlayerFieldLinks& links, std::uint32_t characterIndex);

// The body of the character being played, as its hero definition names it, in its town look; a
// missing or bad file throws my_error naming it.
TMesh8 LoadCurrentCharacterModel();

// Counts down once a step, with a phase that restarts every period.
struct TStatusTimer {
    std::int32_t Remaining = 0;
    std::int32_t Phase = 0;
    TPlayerCharacter* Owner = nullptr;
    bool IsRunning() const { return Remaining > 0; }
};

struct TStatusCountdown {
    std::int32_t Remaining = 0;
    TPlayerCharacter* Owner = nullptr;
    bool IsRunning() const { return Remaining > 0; }
};

// An experience and ability-point notice waiting to be shown.
using TGainRecord = TCountValue;

// A party member's pose carried across a change of the played character.
struct TPlayerPose {
    D3DXMATRIX matrix;
    float motionTime = 0.0F;
    std::uint32_t state = 0;
    float gravity = 0.0F;
    D3DXVECTOR3 velocity;
    float groundHeight = 0.0F;
    D3DXVECTOR3 groundNormal;
};

class TPlayerCharacter : public TArmedCharacter {
    friend struct TCharacterProbe;
public:
    // The four direction buttons of an input word.
    static constexpr std::uint32_t kDirections = kButtonUp | kButtonDown | kButtonLeft | kButtonRight;

    static constexpr std::uint32_t kStateIdle = 0;
    static constexpr std::uint32_t kStateDash = 3;
    static constexpr std::uint32_t kStateJump = 4;
    static constexpr std::uint32_t kStateFall = 5;
    static constexpr std::uint32_t kStateLand = 6;
    static constexpr std::uint32_t kStateLevelUp = 17;
    static constexpr std::uint32_t kStateItem = 18;
    static constexpr std::uint32_t kStateAction = 19;
    static constexpr std::uint32_t kStateCount = 20;

    static constexpr float kJumpGravity = -0.007F;
    static constexpr float kJumpSpeed = 0.18F;
    static constexpr std::uint32_t kNoTarget = 0xFFFFFFFFu;

    using StateHandler = bool (TPlayerCharacter::*)();
    // A pattern action of the pattern-id table.
    using PatternAction = bool (TPlayerCharacter::*)();

    // The armed-character arguments go through unchanged; the hero classes pass their model,
    // tuning values and what the party record keeps.
    TPlayerCharacter(std::uint32_t characterIndex, std::uint32_t relatedId, float centerHeight, float shadowSize,
                     std::uint8_t shadowVisible, std::uint8_t pushable, float gravity, std::uint8_t acceptsKnockDown,
                     std::uint8_t acceptsLaunch, std::uint8_t acceptsStun, std::int32_t maxHp, std::int32_t hp,
                     std::int32_t maxMp, std::int32_t mp, std::int32_t str, std::int32_t vit, std::int32_t intel,
                     std::int32_t men, float rate1, float rate2, float rate3, float rate4, float rate5, float rate6,
                     const std::string& name, std::uint32_t level, std::uint32_t experience, std::uint32_t gaugeUsed,
                     std::uint32_t gaugeMax, std::int32_t poison, std::int32_t manaDrain,
                     std::int32_t reversedControls, std::int32_t attackSeal, std::int32_t slowness,
                     std::int32_t manaSeal, std::uint32_t extraWord, std::uint32_t commandCapacity,
                     const TPlayerFieldLinks& links);
    TPlayerCharacter(const TPlayerCharacter&) = delete;
    TPlayerCharacter& operator=(const TPlayerCharacter&) = delete;

    // ---- virtual operations, in their fixed order ----
    // 0: one step, shared by every hero class.
    bool Update() override;
    // 1
    ~TPlayerCharacter() override;
    // 2: states 4 and 13.
    bool IsAirborneState() override;
    // 3, 4
    void AttachToField(TAreaBase* area) override;
    void DetachFromField() override;
    // 10, 11
    void PlaySound(std::uint32_t id) override;
    void PlayVoice(std::uint32_t id) override;
    // Stops a sound of the sound list.
    void StopSound(std::uint32_t id);
    // 12: each hero overrides it.
    std::uint32_t SetState(std::uint32_t state) override { return TGameObject::SetState(state); }
    // 13-22: the equipment lowers and raises these with the combat rules.
    std::int32_t GetStr() override;
    std::int32_t GetVit() override;
    std::int32_t GetInt() override;
    std::int32_t GetMen() override;
    float GetElementRate1() override;
    float GetElementRate2() override;
    float GetElementRate3() override;
    float GetElementRate4() override;
    float GetElementRate5() override;
    float GetElementRate6() override;
    // 23, 24
    void FrameUpdate() override;
    std::uint32_t ReceiveHit(TAttackHit* hit) override;
    // 25
    bool FacesVictim() override { return true; }
    // 27: each hero's calls OnHitLanded first.
    void OnHitDelivered(TArmedCharacter* victim, std::int32_t value, std::int32_t damage,
                        std::uint8_t flag) override = 0;
    // 30: false while the sub-state is 5..24, else true in state 19.
    bool IsSpecialActionState() override;
    // 31: held in state 16.
    bool IsHeld() override { return m_state == 16; }
    // 32: where a hit hangs and its attack value.
    void GetAttackParams(const TAttackRecord& record, TAttackPlacement& out) override;
    // 34: the pattern frame; its displacement is halved while slowed in states 1 to 3.
    void ProcessPatternFrame() override;
    // 36
    void OnPatternEvent(const TPatternEvent& frame) override;
    // 45
    bool CanAct() override;
    // 47: the combat reset, reserved action and dash cleared, state 0.
    void ResetCombatState() override;
    // 48-52
    std::uint32_t ReactLight(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                             std::int32_t magnitude, std::uint8_t front, float valueA, float knockTime,
                             std::int32_t damage) override;
    std::uint32_t ReactLight2(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                              std::int32_t magnitude, std::uint8_t front, float valueA, float knockTime,
                              std::int32_t damage) override;
    std::uint32_t ReactLaunch(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                              std::int32_t magnitude, std::uint8_t front, float valueA, float knockTime,
                              float launchSpeed, std::int32_t damage) override;
    std::uint32_t ReactStun(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                            std::int32_t magnitude, std::uint8_t longStun, std::uint8_t front, float valueA,
                            float knockTime, std::int32_t damage) override;
    std::uint32_t ReactHeavy(std::uint32_t element, std::int32_t soundType, std::uint32_t knockFlags,
                             std::int32_t magnitude, std::uint8_t front, float valueA, float knockTime,
                             std::int32_t damage) override;
    // 53
    void OnDownedHit() override {}
    // 56: the step in town areas: the buttons dropped while the area is busy or the ring is open.
    virtual bool UpdateInTown();
    // 57, 58
    virtual void LoadTownModel();
    virtual void LoadWeaponModel();
    // 59
    virtual void PlayDownVoice();
    // 60
    virtual std::int32_t OnHitLanded(TArmedCharacter* target, std::int32_t code, std::int32_t amount,
                                     std::uint8_t flag);
    // 61
    virtual void DrawHud();
    // 62
    virtual void GainExperience(TGameObject* enemy);
    // 63, 64
    virtual void SetLWeapon(const TRefPtr<TWepon>& weapon);
    virtual void SetRWeapon(const TRefPtr<TWepon>& weapon);
    // 65
    virtual void PlayActionVoice(std::uint32_t code);
    // 66: the body centre more than 1.4 above the ground.
    virtual bool IsHighAboveGround();
    // 67: an action that may not follow a skill.
    virtual bool IsChainBlocked(std::uint32_t) { return false; }
    // 68: the action a charge request starts after a skill.
    virtual std::uint32_t GetChainAction() = 0;
    // 69: the action of a skill tapped or held.
    virtual std::int32_t GetSkillAction(std::uint32_t skillId, std::uint8_t hold) = 0;
    // 70, 71
    virtual void TickTargetTimer();
    virtual void HandleAttackButtons();
    // 72-78: press, hold and release of the two attack buttons.
    virtual void OnAttackPressed() {}
    virtual void OnSkillPressed() {}
    virtual void OnAttackHeld() {}
    virtual void OnSkillHeld() {}
    virtual void OnAttackReleased() = 0;
    virtual void OnSkillReleased() = 0;
    virtual void OnBothReleased() = 0;
    // 79-83: the hit effects of hit kinds 1, 2, 4, 8 and 16.
    virtual void HitEffectLight(std::int32_t damage, std::uint32_t knockFlags, std::uint32_t element,
                                std::int32_t soundType);
    virtual void HitEffectLight2(std::int32_t damage, std::uint32_t knockFlags, std::uint32_t element,
                                 std::int32_t soundType)
    {
        HitEffectLight(damage, knockFlags, element, soundType);
    }
    virtual void HitEffectLaunch(std::int32_t damage, std::uint32_t knockFlags, std::uint32_t element,
                                 std::int32_t soundType);
    virtual void HitEffectHeavy(std::int32_t damage, std::uint32_t knockFlags, std::uint32_t element,
                                std::int32_t soundType);
    virtual void HitEffectHeavy2(std::int32_t damage, std::uint32_t knockFlags, std::uint32_t element,
                                 std::int32_t soundType)
    {
        HitEffectHeavy(damage, knockFlags, element, soundType);
    }

    // ---- input and movement ----
    bool IsActionButtonPressed() const;
    bool CanOpenItemRing() const;
    bool IsMenuButtonPressed() const;
    // The turn toward the held direction, radians.
    float GetTurnAngle() const;
    void MoveByInput(bool turn);
    void DetectDoubleTap();
    void TryJump();
    void CheckFall();
    bool Land();
    void PushCommand(std::uint32_t command);
    std::uint32_t PopCommand();
    void ClearCommandQueue();
    void ResetDash();
    void SetReservedAction(std::uint32_t action, std::uint32_t argument);
    std::uint32_t TakeReservedAction(std::uint32_t* argument);
    void SetPatternFunc(std::uint32_t patternId, std::uint8_t flag);
    PatternAction GetPatternFunc(std::uint32_t patternId, std::uint8_t flag) const;
    void UseRingItem(std::uint32_t id);
    void ResetToIdle() { ResetCombatState(); }
    // Steps the motion once; at its end clears the queue and sets the state.
    bool SetStateAtMotionEnd(std::uint32_t state);
    bool SetStateAtMotionEnd0() { return SetStateAtMotionEnd(kStateIdle); }
    bool SetStateAtMotionEnd5() { return SetStateAtMotionEnd(kStateFall); }

    // ---- skills: the payment, the two skill handlers and the routines the pattern-id table binds ----
    // Fails (the refused sound) under the mana seal or when MP is not above the cost; takes at least 1.
    bool SpendMp(std::uint32_t cost);
    // Actions 1 and 3 of state 19: the current action, then the reserved chain.
    bool UpdateSkillAction();
    bool UpdateChainedSkillAction();
    // The action of the ids without a skill of their own: one frame of the motion.
    bool PlayMotionOnly();
    bool FireSkillEvent(std::uint32_t id, std::uint32_t cost);
    bool FireSkillEventRepeat(std::uint32_t id, std::uint32_t cost, std::uint32_t interval, std::uint32_t count,
                              bool charged);
    bool SkillLineBurst(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged);
    bool SkillLineBlast(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged);
    bool SkillLineQuake(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged);
    bool SkillRandomQuake(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged,
                          std::uint32_t voice);
    bool SkillTwinFan(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged);
    bool SkillPathFan(std::uint32_t cost, std::uint32_t interval, std::uint32_t voice);
    bool SkillPathBurst(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged,
                        std::uint32_t voice);
    bool SkillHoming(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged,
                     std::uint32_t voice);
    bool SkillRain(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged,
                   std::uint32_t voice);
    bool SkillHeal(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged);
    bool SkillBlessing(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged,
                       std::uint32_t voice);
    // A routine with its constants bound: what the pattern-id table holds.
    template <auto Routine, auto... Args>
    bool BoundAction()
    {
        return (this->*Routine)(Args...);
    }

    // ---- the player's pattern events ----
    // Shot 512 thrown from below the ground ahead and to the side, with its hit and a trailing effect.
    void SpawnScatterShot(const D3DXVECTOR3& offset, float height, float speed);
    // Rows 0..6 of the weapon elements (RGBA); any other element reads row 0.
    static const float* GetElementColour(std::uint32_t element);
    // Trail life by the last digit 0..6 of a trail code; 0 for any other digit.
    static std::int32_t GetTrailLife(std::uint32_t digit);

    // ---- per-step parts ----
    // One step of the timed stat bonus of this character's party record.
    void TickTimedBonus();
    void TickStatusTimers();
    void UpdatePopups();

    // ---- models and placement ----
    // Triangles textured inside the marked region of the texture go to the end of the index list.
    static void MoveUvRegionTrianglesLast(TMesh8& mesh);
    void SetLookVariant(std::uint32_t variant);
    void GetPose(TPlayerPose* out) const;
    void SetPose(const TPlayerPose& pose);
    void PlaceAt(const D3DXVECTOR3& position, const D3DXVECTOR3& direction);
    bool IsDead() const;
    void SnapToShadow();

    // ---- equipment, stats, experience, notices and the save request ----
    // The weapon object(s) of the id in the hands its type asks for.
    void Equip(std::uint32_t weaponId);
    // Slot 'A' is accessory A, any other value accessory B.
    void SetEquipItem(std::uint32_t itemId, std::uint8_t slot);
    // The right weapon's id, else the left one's; 0 with empty hands.
    std::uint32_t GetWeaponId() const;
    // 0 for an empty slot.
    std::uint32_t GetEquipItemId(std::uint8_t slot) const;
    // Ability points of the current weapon or accessory in the party record; 0 for an id the record
    // keeps none for.
    std::uint16_t GetWeaponAbp() const;
    std::uint16_t GetEquipAbp(std::uint8_t slot) const;
    // The status screen's bonus of each stat: trunc(factor x stat + timed bonus).
    std::int32_t GetStrBonus() const;
    std::int32_t GetVitBonus() const;
    std::int32_t GetIntBonus() const;
    std::int32_t GetMenBonus() const;
    std::uint32_t GetNextLevelExp() const { return (m_level + 1) * 1000; }
    bool HasStatBoost() const;
    // Fills the six level-up gains (max HP, max MP, STR, VIT, INT, MEN).
    void ComputeLevelUpGains();
    void LevelUp();
    const std::int32_t* GetLevelUpGains() const { return m_levelUpGains; }
    void SetTargetEnemy(TGameObject* enemy);
    void ShowHitCount(TArmedCharacter* enemy);
    void UpdateBestRecords(TArmedCharacter* enemy);
    bool RequestSave(std::int32_t savePointId);
    void ClearSaveRequest();
    bool HasSaveRequest() const { return m_saveRequest != 0; }
    std::int32_t GetSavePointId() const { return m_savePointId; }

    // ---- the state handlers shared by every hero class (entries 0..18) ----
    bool StateIdle();
    bool StateWalkStart();
    bool StateMove();
    bool StateJump();
    bool StateFall();
    bool StateLand();
    bool StateHitFront();
    bool StateHitBack();
    bool StateDownFront();
    bool StateDownBack();
    bool StateLying();
    bool StateLaunched();
    bool StateLaunchFall();
    bool StateLaunchLand();
    bool StateStunned();
    bool StateRecover();
    bool StateUseItem();
    // The first 19 entries of every hero's state table.
    static const StateHandler s_sharedStates[19];

    // ---- the skill sub-states shared by every hero class ----
    // One shared skill executor: its motion (the key of the sub-state tables) and the hero action
    // row that plays it.
    struct SharedSubState {
        std::uint32_t Motion;
        std::uint32_t Row;
        StateHandler Handler;
    };
    static const SharedSubState s_sharedSubStates[10];
    // By motion; null for any other.
    static const SharedSubState* FindSharedSubStateByMotion(std::uint32_t motion);
    bool ComboWindow22();
    bool ComboWindow24();
    bool ComboWindow25();
    bool ComboWindow27();
    bool ComboWindow28();
    bool ComboWindow30();
    bool ComboWindow31();
    bool ComboWindow33();
    bool ChainTo22();
    bool ChainTo24();

    // ---- accessors ----
    std::uint32_t GetCharacterIndex() const { return m_characterIndex; }
    std::uint32_t GetLevel() const { return m_level; }
    std::uint32_t GetExperience() const { return m_experience; }
    std::uint32_t GetGaugeMax() const { return m_gaugeMax; }
    std::uint32_t GetGaugeUsed() const { return m_gaugeUsed; }
    // The inn empties the item load.
    void SetGaugeUsed(std::uint32_t used) { m_gaugeUsed = used; }
    TStatusTimer& GetPoison() { return m_poison; }
    TStatusTimer& GetManaDrain() { return m_manaDrain; }
    TStatusCountdown& GetReversedControls() { return m_reversedControls; }
    TStatusCountdown& GetAttackSeal() { return m_attackSeal; }
    TStatusCountdown& GetSlowness() { return m_slowness; }
    TStatusCountdown& GetManaSeal() { return m_manaSeal; }
    TFrame* GetEnemyTarget0() const { return m_aimFrame0.Get(); }
    TFrame* GetEnemyTarget1() const { return m_aimFrame1.Get(); }
    TGetRender* GetGetRender() const { return m_getRender; }
    // The button history the HUD reads (word 0 now, word 1 the step before).
    TInputDevice* GetInput() const { return m_input; }
    // STR, VIT, INT, MEN as built (no bonuses), and the element rates 1..6 at 0..5; 0 outside.
    std::int32_t GetBaseStat(std::uint32_t i) const;
    float GetBaseElementRate(std::uint32_t i) const { return i < 6 ? m_elementRates[i] : 0.0F; }
    // Words 0..5 of a party record: poison, mana drain, reversed controls, attack seal, slowness and
    // mana seal; the other words are left as they are.
    void GetStateWords(std::uint32_t (&words)[10]) const;

    // The tables every player reads: "ex.tbl" and "abp.tbl" in the table folder.
    static constexpr std::uint32_t kTableSize = 201;
    // Reads the values of a table file; a file that cannot be opened or is cut short keeps what was
    // read before. False when the file could not be read whole.
    static bool LoadValueTable(const std::string& path, std::vector<std::uint32_t>& out);

protected:
    // The current state's handler of the hero's state table; false when none.
    virtual bool RunStateHandler() = 0;
    // A status timer's step: the period is 120 (buffs) or 60 (poison, mana drain).
    void TickTimer(TStatusTimer& timer, std::int32_t period, bool poison, bool manaDrain);
    void TickCountdown(TStatusCountdown& countdown);
    // The speeds of the move levels.
    float GetMoveSpeed() const;
    std::uint32_t Word(std::uint32_t i) const;
    void SetWordBits(std::uint32_t i, std::uint32_t value);
    // The buttons of the movement word (0) and the attack word (2), hidden from the character for
    // one step and put back at its end.
    struct HiddenButtons {
        std::uint32_t Saved[2] = {0, 0};
        bool Hidden = false;
    };
    void HideButtons(HiddenButtons& hidden);
    void RestoreButtons(const HiddenButtons& hidden);
    // A pattern event with only its code set, fired through slot 36.
    void FireEvent(std::uint16_t code);
    // The firing rule of the wave routines; `firing` runs once the cost is paid and may end the skill.
    using SkillWave = void (TPlayerCharacter::*)(std::uint32_t wave, bool charged, std::uint32_t extra);
    using SkillFiring = bool (TPlayerCharacter::*)(bool charged);
    bool RunSkillWaves(std::uint32_t cost, std::uint32_t interval, std::uint32_t count, bool charged,
                       std::uint32_t voice, SkillWave wave, std::uint32_t extra = 0, SkillFiring firing = nullptr);
    bool ChainAfterSkill(bool chained);
    void WaveEvent(std::uint32_t wave, bool charged, std::uint32_t id);
    void WaveLineBurst(std::uint32_t wave, bool charged, std::uint32_t);
    void WaveLineBlast(std::uint32_t wave, bool charged, std::uint32_t);
    void WaveLineQuake(std::uint32_t wave, bool charged, std::uint32_t);
    void WaveRandomQuake(std::uint32_t wave, bool charged, std::uint32_t);
    void WaveTwinFan(std::uint32_t wave, bool charged, std::uint32_t);
    void WavePathFan(std::uint32_t wave, bool charged, std::uint32_t);
    void WavePathBurst(std::uint32_t wave, bool charged, std::uint32_t);
    void WaveHoming(std::uint32_t wave, bool charged, std::uint32_t);
    void WaveRain(std::uint32_t wave, bool charged, std::uint32_t);
    void WaveHeal(std::uint32_t wave, bool charged, std::uint32_t);
    void WaveBlessing(std::uint32_t wave, bool charged, std::uint32_t);
    bool FireHoming(bool charged);
    bool FireHeal(bool charged);
    bool FireBlessing(bool charged);
    void QuakeAt(const D3DXVECTOR3& point, std::uint32_t hitCode);
    void PathShotAt(const D3DXVECTOR3& point, const D3DXVECTOR3& direction);
    // The timed-flag block of this party member takes the item meaning; then the heal.
    void GrantItemMeaning(std::uint32_t meaningId, std::int32_t heal);
    // The player's effects: null without a manager or for an id without prototype.
    TEffect* RaiseEffect(std::uint32_t id, const D3DXVECTOR3& at, const D3DXVECTOR3& direction, TFrame* parent,
                         const float* colour, const float* scale);
    // The weapon record's element (0..6, else 0 and logged) and length.
    std::uint32_t WeaponElement() const;
    float WeaponLength() const;
    void WeaponTrails(TFrame* frame, std::uint32_t first, std::uint32_t second, std::uint32_t third,
                      std::int32_t life);
    void LaunchBeam(std::uint16_t code, const D3DXVECTOR3& along);
    void ThrowWeaponShot();
    void HealEvent(std::uint16_t code);
    void BlessEvent(std::uint16_t code);
    // The left weapon object when there is one, else the right one.
    TWepon* HeldWeapon() const;
    // The motion ended: the reserved action decides the next sub-state.
    bool ComboWindow(std::uint32_t excludedA, std::uint32_t excludedB, std::uint32_t fallBack, bool buff);
    // At the motion's end: that row, the recovery of command 5's one-motion rows.
    bool ChainTo(std::uint32_t row);
    void Knockback(bool front);
    // The launched states' drift along the own axis, by the knock time.
    void DriftWhileLaunched();
    bool EscapeCheck();
    bool StateHitCommon(bool front);
    bool StateDownCommon(bool front, std::uint32_t next);
    void LoadModel(const std::string& modelName);

    // Reactions: the end of the two light ones.
    std::uint32_t ReactLightCommon(std::uint32_t knockFlags, std::int32_t magnitude, std::uint8_t front,
                                   float valueA, float knockTime);
    // An effect at the raised body, by default along the frame's Z axis.
    void CreateHitEffect(std::uint32_t id, const D3DXVECTOR3* direction, const float* colour, float scale);
    void HitEffectCommon(std::uint32_t element, bool sparks);
    void EndTimeStopByHit();
    void Counter(TAttackHit* hit);
    void InflictStatuses(std::uint32_t statusWord);
    // The effects of a landed hit's code.
    void LandedOrb(TArmedCharacter* target, std::uint32_t id, std::int32_t amount);
    void LandedBurst(TArmedCharacter* target, std::int32_t code);
    void LandedWeaponBlow(std::uint32_t attackCode, std::uint32_t effectId);
    void LandedSeeker(TArmedCharacter* target, std::uint32_t effectId, std::uint32_t attackCode);
    void LandedFan(std::uint32_t effectId);
    // The type of the weapon in use (right hand first); -1 with empty hands.
    std::int32_t GetWeaponType() const;
    void HoldWeapon(const TRefPtr<TWepon>& weapon, TRefPtr<TWepon>& held, TFrame* frame, TAfterImage* trail);
    // The effective STR raised by the running attack-up timer, the first one winning.
    std::int32_t GetRaisedStr();
    std::int32_t EffectiveStat(std::uint32_t i, std::int64_t extra) const;
    std::int32_t TimedBonus(std::uint32_t i) const;
    std::int32_t StatBonus(std::uint32_t i) const;
    float EffectiveRate(std::uint32_t i) const;

    std::uint32_t m_characterIndex;
    std::uint8_t m_weaponModelLoaded = 1;
    std::uint8_t m_saveRequest = 0;
    std::int32_t m_savePointId = -1;
    std::uint32_t m_targetEnemyId = kNoTarget;
    TRefPtr<TFrame> m_aimFrame0;
    TRefPtr<TFrame> m_aimFrame1;
    std::uint32_t m_tapCounter = 0;
    std::uint8_t m_firstTapDirection = 0;
    std::uint8_t m_dashDirection = 0;
    std::uint8_t m_dashFlag = 0;
    D3DXMATRIX m_tapOrientation;
    std::uint32_t m_gaugeMax;
    std::uint32_t m_gaugeUsed;
    std::uint32_t m_ringItem = 0;
    std::uint32_t m_holdCountA = 0;
    std::uint32_t m_holdCountB = 0;
    std::uint32_t m_commandCapacity;
    std::uint8_t m_commandArrayOwned = 0;
    std::uint32_t* m_commands = nullptr;
    std::uint32_t m_commandCount = 0;
    std::uint32_t m_reservedAction = 0;
    std::uint32_t m_reservedArgument = 0;
    std::uint32_t m_actionFired = 0;
    std::uint32_t m_actionSlotA = 0;
    std::uint32_t m_actionSlotB = 0;
    PatternAction m_currentPatternAction = nullptr;
    PatternAction m_queuedPatternAction = nullptr;
    std::uint32_t m_moveLevel = 0;
    std::uint32_t m_levelUpPending = 0;
    std::int32_t m_levelUpSerial = -1;
    std::uint32_t m_level;
    std::uint32_t m_experience;
    std::int32_t m_levelUpGains[6] = {};
    std::int32_t m_bestValues[4] = {};
    std::int32_t m_targetTimer = -1;
    std::uint32_t m_extraWord;
    std::uint32_t m_reserved1 = 0;
    float m_markers[2] = {-1.0F, -1.0F};
    std::int32_t m_popupDelay = 0;
    THitPopup m_hitPopup;
    TRefPtr<TPopupText> m_levelUpPopup;
    std::list<TRefPtr<TPopupText>> m_popups;
    std::uint32_t m_popupCount = 0;
    std::list<TGainRecord> m_gainQueue;
    std::uint32_t m_gainCount = 0;
    std::vector<std::uint32_t> m_experienceTable;
    std::vector<std::uint32_t> m_abilityPointTable;
    std::vector<std::uint32_t> m_spare;
    TStatusTimer m_attackBuff1;
    TStatusTimer m_attackBuff2;
    TStatusTimer m_poison;
    TStatusTimer m_manaDrain;
    TStatusCountdown m_reversedControls;
    TStatusCountdown m_attackSeal;
    TStatusCountdown m_slowness;
    TStatusCountdown m_manaSeal;
    TStatusIcon m_statusIcons;
    std::uint32_t m_reserved2 = 0;
    // The weapons' afterimages, made by the hero classes; empty in the test player.
    std::unique_ptr<TAfterImage> m_leftTrail;
    std::unique_ptr<TAfterImage> m_rightTrail;
    TRefPtr<TAccessory> m_accessoryA;
    TRefPtr<TAccessory> m_accessoryB;
    TRefPtr<TWepon> m_leftWepon;
    TRefPtr<TWepon> m_rightWepon;
    TSoundList m_soundList;
    TSoundList m_voiceList;
    TInputDevice* m_input;
    TFrame* m_cameraFrame = nullptr;
    TLetterFont* m_letterFont;
    std::uint32_t m_reserved3 = 0;
    TStatusPanel* m_statusPanel;
    TItemRing* m_itemRing;
    TSkillGauge* m_skillGauge;
    TGetRender* m_getRender;
    std::string m_weaponModelName;
    std::vector<std::uint32_t> m_homingTargets;
    D3DXVECTOR3 m_launchPoint{0.0F, 0.0F, 0.0F};
};
