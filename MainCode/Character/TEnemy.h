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
    bool IsActionState() override { return m_state == 16; }
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
    virtual void SetBehaviour0() = 0;
    virtual void SetBehaviour1() = 0;
    virtual void SetBehaviour2() = 0;
    virtual void SetBehaviour3() = 0;
    virtual void SetBehaviour4() = 0;
    virtual void SetBehaviour5() = 0;
    virtual void SetBehaviour6() = 0;
    virtual void SetBehaviour7() = 0;
    virtual bool IsBehaviour0() = 0;
    virtual bool IsBehaviour1() = 0;
    virtual bool IsBehaviour2() = 0;
    virtual bool IsBehaviour3() = 0;
    virtual bool IsBehaviour4() = 0;
    virtual bool IsBehaviour5() = 0;
    virtual bool IsBehaviour6() = 0;
    virtual bool IsBehaviour7() = 0;
    virtual void RunBehaviour() = 0;
    // The element effect of a hit on the enemy.
    virtual void HitEffect1(std::int32_t damage, std::uint32_t element) { (void)damage; SpawnElementEffect(element); }
    virtual void HitEffect2(std::int32_t damage, std::uint32_t element) { (void)damage; SpawnElementEffect(element); }
    virtual void HitEffect4(std::int32_t damage, std::uint32_t element) { (void)damage; SpawnElementEffect(element); }
    virtual void HitEffectHeavy(std::int32_t, std::uint32_t) { SpawnStatusEffect(); }
    virtual void ChooseAttack(float distance) = 0;

    void SetFactory(TEnemyFactory* factory) { m_factory = factory; }
    TEnemyFactory* GetFactory() const { return m_factory; }
    bool IsAlive() const { return m_alive != 0; }

    // The stolen-from roll of a received hit: its parameter 8 chooses a plain (100000) or strong
    // (100001) steal.
    void TrySteal(const TAttackHit* hit);
    // The death roll: an item, the drop-only item or money left on the ground.
    void DropLoot();
    void SpawnStatusEffect();

    std::uint8_t GetTableFlag() const { return m_tableFlag; }
    std::int32_t GetBaseLevel() const { return m_baseLevel; }
    std::int32_t GetLevel() const { return m_level; }
    float GetGainFactor() const { return m_gainFactor; }
    std::int32_t GetLevelWordA() const { return m_levelWordA; }
    std::int32_t GetLevelWordB() const { return m_levelWordB; }
    std::int32_t GetMoney() const { return m_money; }
    std::int32_t GetItem() const { return m_item; }
    std::int32_t GetDropItem() const { return m_dropItem; }
    float GetLeashRadius() const { return m_leashRadius; }
    const D3DXVECTOR3& GetHomePosition() const { return m_homePosition; }
    std::int32_t GetThinkTimer() const { return m_thinkTimer; }
    std::int32_t GetGaugeTimer() const { return m_gaugeTimer; }
    std::uint8_t IsStolen() const { return m_stolen; }
    const TSprite& GetBarSprite() const { return m_barSprite; }
    const TSoundList& GetSeList() const { return m_seList; }
    const TSoundList& GetVoiceList() const { return m_voiceList; }

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
};
