// The base of every enemy: the record's numbers scaled by level, placement with a home and a leash,
// the HP gauge over its head, its own sound and voice lists, and the steal and loot rolls. The
// enemy classes supply the per-step update, the copy and the behaviour.
#pragma once

#include <cstdint>

#include "MainCode/Character/TArmedCharacter.h"
#include "MainCode/Character/TEnemyRecord.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/sound/TSoundList.h"

class TEnemyFactory;
class TView;

class TEnemy : public TArmedCharacter {
    friend struct TCharacterProbe;
public:
    static constexpr std::int32_t kMaxHpCap = 99999;
    static constexpr std::int32_t kGaugeFrames = 200;
    static constexpr std::int32_t kThinkAfterHit = -1000;

    TEnemy(const TEnemyRecord& record, std::uint8_t tableFlag);
    // A copy re-based on the source's current level, level words and stats.
    TEnemy(const TEnemy& other);
    ~TEnemy() override;

    // Virtual operations in their fixed order, after those of TArmedCharacter.
    bool IsAirborneState() override { return m_state == 11; }
    void PlaySound(std::uint32_t id) override;
    // Nothing while the previous voice still runs.
    void PlayVoice(std::uint32_t id) override;
    std::uint32_t ReceiveHit(TAttackHit* hit) override;
    bool IsSpecialActionState() override { return m_state == 16; }
    bool IsHeld() override { return m_state == 14; }
    void GetAttackParams(const TAttackRecord& record, TAttackPlacement& out) override;
    void OnPatternEvent(const TPatternEvent& frame) override;
    void TakeDamage(std::int32_t damage) override;
    bool SetSpeedScale(float scale) override { return TArmedCharacter::SetSpeedScale(scale); }
    virtual TRefPtr<TEnemy> Clone(TEnemyFactory* factory) = 0;
    virtual void Spawn(TAreaBase* area, const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float leashRadius,
                       std::uint8_t skipAppear);
    virtual void SetLevel(std::int32_t delta);
    virtual void DrawGauge();
    virtual bool IsOutOfRange();
    virtual bool IsOutsideLeash();
    // Behaviours 0 and 1 stand (the same routine), 2 to 6 take states 0 to 4 facing the target,
    // 7 blinks facing it.
    virtual void SetBehaviour0() { m_behaviour = &TEnemy::BehaviourNone; }
    virtual void SetBehaviour1() { m_behaviour = &TEnemy::BehaviourNone; }
    virtual void SetBehaviour2() { m_behaviour = &TEnemy::BehaviourStand0; }
    virtual void SetBehaviour3() { m_behaviour = &TEnemy::BehaviourStand1; }
    virtual void SetBehaviour4() { m_behaviour = &TEnemy::BehaviourStand2; }
    virtual void SetBehaviour5() { m_behaviour = &TEnemy::BehaviourStand3; }
    virtual void SetBehaviour6() { m_behaviour = &TEnemy::BehaviourStand4; }
    virtual void SetBehaviour7() { m_behaviour = &TEnemy::BehaviourBlink; }
    virtual bool IsBehaviour0() { return m_behaviour == &TEnemy::BehaviourNone; }
    virtual bool IsBehaviour1() { return m_behaviour == &TEnemy::BehaviourNone; }
    virtual bool IsBehaviour2() { return m_behaviour == &TEnemy::BehaviourStand0; }
    virtual bool IsBehaviour3() { return m_behaviour == &TEnemy::BehaviourStand1; }
    virtual bool IsBehaviour4() { return m_behaviour == &TEnemy::BehaviourStand2; }
    virtual bool IsBehaviour5() { return m_behaviour == &TEnemy::BehaviourStand3; }
    virtual bool IsBehaviour6() { return m_behaviour == &TEnemy::BehaviourStand4; }
    virtual bool IsBehaviour7() { return m_behaviour == &TEnemy::BehaviourBlink; }
    virtual void RunBehaviour() { (this->*m_behaviour)(); }
    // The setter of that number (0-7; any larger number is 7), as the behaviour tables name them.
    void SetBehaviour(std::uint8_t number);
    // The element effect of a hit on the enemy.
    virtual void HitEffect1(std::int32_t damage, std::uint32_t element) { (void)damage; SpawnElementEffect(element); }
    virtual void HitEffect2(std::int32_t damage, std::uint32_t element) { (void)damage; SpawnElementEffect(element); }
    virtual void HitEffect4(std::int32_t damage, std::uint32_t element) { (void)damage; SpawnElementEffect(element); }
    virtual void HitEffectHeavy(std::int32_t, std::uint32_t) { SpawnStatusEffect(); }
    virtual void ChooseAttack(float distance) = 0;
    // Decides, now and then, what to do next and does it.
    virtual void Think();
    virtual void RunAttack() { if (m_attackAction != nullptr) { (this->*m_attackAction)(); } }

    // The shared hit reactions (kinds 1, 2, 4, 8, 16).
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
    void OnHitDelivered(TArmedCharacter*, std::int32_t, std::int32_t, std::uint8_t) override {}
    std::uint32_t SetState(std::uint32_t state) override;
    // Starts attack n (0-based) of the class's attack table; an n past the table starts nothing.
    void SetSubState(std::uint32_t n) override;

    using StateHandler = bool (TEnemy::*)();
    using Routine = void (TEnemy::*)();
    struct TAttackEntry {
        std::uint32_t motion;
        Routine action;
    };
    static constexpr std::uint32_t kStateCount = 17;
    static constexpr std::uint32_t kBehaviourRows = 23;
    static constexpr std::uint32_t kBehaviourColumns = 10;
    static constexpr std::int32_t kDownEndHp = -15;
    static constexpr std::uint16_t kDeathEvent = 1001;
    // The behaviour of a row and column of the first table, or of the second.
    static std::uint8_t BehaviourAt(bool second, std::uint32_t row, std::uint32_t column);
    static StateHandler StateHandlerAt(std::uint32_t state);
    // Attack entries 1..count ({15 + i, action}); entry 0 is never used.
    template <std::uint32_t Count>
    struct TAttackTable {
        TAttackEntry entries[Count + 1];
        explicit constexpr TAttackTable(Routine action) : entries{}
        {
            for (std::uint32_t i = 1; i <= Count; ++i) {
                entries[i] = {15 + i, action};
            }
        }
    };

    // Shared state handlers.
    bool LoopMotion();
    bool StaggerForward() { return Stagger(false, false); }
    bool StaggerBack() { return Stagger(true, false); }
    bool KnockDownForward() { return Stagger(false, true); }
    bool KnockDownBack() { return Stagger(true, true); }
    bool Down();
    bool Launched();
    bool Falling();
    bool Landing();
    bool StateHeld();
    bool StateAppear();
    bool StateAttack() { RunAttack(); return true; }

    void AttackAction() { AttackActionTo(0); }
    void AttackActionTo(std::uint32_t state);
    void ReturnToIdle();
    void FaceTarget();
    TFrame* GetTargetFrame();
    bool IsBehindMovingPlayer();
    // The area's player's hit-count pop-up with this enemy's count.
    void ShowHitCountToPlayer();

    void SetFactory(TEnemyFactory* factory) { m_factory = factory; }
    bool IsAlive() const { return m_alive != 0; }

    // The stolen-from roll of a received hit: its parameter 8 chooses a plain (100000) or strong
    // (100001) steal.
    void TrySteal(const TAttackHit* hit);
    // The death roll: an item, the drop-only item or money left on the ground.
    void DropLoot();
    void SpawnStatusEffect();

    std::int32_t GetLevel() const { return m_level; }
    float GetGainFactor() const { return m_gainFactor; }
    std::int32_t GetLevelWordA() const { return m_levelWordA; }
    std::int32_t GetLevelWordB() const { return m_levelWordB; }
    std::int32_t GetLevelWordABase() const { return m_levelWordABase; }

protected:
    std::uint8_t m_tableFlag;
    std::int32_t m_baseLevel;
    std::int32_t m_level;
    float m_gainFactor;
    std::int32_t m_levelWordA;
    std::int32_t m_levelWordB;
    std::int32_t m_levelWordABase;
    std::int32_t m_levelWordBBase;
    std::int32_t m_baseStr;
    std::int32_t m_baseVit;
    std::int32_t m_baseInt;
    std::int32_t m_baseMen;
    std::int32_t m_baseMaxHp;
    std::int32_t m_baseMaxMp;
    std::int32_t m_levelWordAPerLevel;
    std::int32_t m_levelWordBPerLevel;
    std::int32_t m_strGrowth;
    std::int32_t m_vitGrowth;
    std::int32_t m_intGrowth;
    std::int32_t m_menGrowth;
    std::int32_t m_hpGrowth;
    std::int32_t m_lootWord0;
    std::int32_t m_money;
    std::int32_t m_item;
    std::int32_t m_dropItem;
    float m_itemChance;
    float m_dropChance;
    float m_leashRadius;
    D3DXVECTOR3 m_homePosition{0.0F, 0.0F, 0.0F};
    std::int32_t m_thinkTimer = 0;
    std::int32_t m_gaugeTimer = 0;
    TSprite m_gaugeSprite;
    TSprite m_barSprite;
    TView* m_view = nullptr;
    std::uint8_t m_alive = 0;
    std::uint8_t m_stolen = 0;
    TSoundList m_seList;
    TSoundList m_voiceList;
    TEnemyFactory* m_factory = nullptr;
    StateHandler m_stateHandler = nullptr;
    Routine m_behaviour = &TEnemy::BehaviourNone;
    Routine m_attackAction = nullptr;
    const TAttackEntry* m_attacks = nullptr;
    std::uint32_t m_attackEntries = 0;

    // The class's attack table, entry 0 included.
    void SetAttackTable(const TAttackEntry* entries, std::uint32_t count)
    {
        m_attacks = entries;
        m_attackEntries = count;
    }
    // A draw of attack (r mod count); nothing for a count of 0.
    void ChooseAttackOf(std::uint32_t attackCount);
    // Seven attacks (motions 16-22) and ten (16-25), each ending in the shared attack action.
    static const TAttackTable<7> s_sevenAttacks;
    static const TAttackTable<10> s_tenAttacks;

    template <class T>
    TRefPtr<TEnemy> CloneAs(TEnemyFactory* factory) const
    {
        auto* copy = new T(static_cast<const T&>(*this));
        copy->SetFactory(factory);
        return TRefPtr<TEnemy>(copy);
    }
    // The reception of the enemies a hit never turns and nothing can be stolen from; the think
    // timer is the caller's.
    std::uint32_t ReceiveHitUnturned(TAttackHit* hit);
    // The class's update: out-of-range end, think, pattern frame, state, frame tail.
    bool UpdateEnemy(bool resetCombat);
    // The reaction of kind 1 to 16 of the enemies that never stagger: damage only, down at 0 HP.
    std::uint32_t ReactWithoutStagger(std::uint32_t kind, std::uint32_t element, std::int32_t damage);
    // The player's HUD follows this enemy.
    void MakePlayerTarget();
    void BehaviourNone() {}
    void BehaviourStand(std::uint32_t state);
    void BehaviourStand0() { BehaviourStand(0); }
    void BehaviourStand1() { BehaviourStand(1); }
    void BehaviourStand2() { BehaviourStand(2); }
    void BehaviourStand3() { BehaviourStand(3); }
    void BehaviourStand4() { BehaviourStand(4); }
    void BehaviourBlink();

private:
    bool Stagger(bool back, bool knockDown);
    void Slide(bool back);
    std::uint32_t ReactLightCommon(std::uint32_t knockFlags, std::int32_t magnitude, std::uint8_t front, float valueA,
                                   float knockTime);
};
