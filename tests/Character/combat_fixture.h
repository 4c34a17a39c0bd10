// Player characters in a fight: an area with a recording effect manager, a hero whose reaction
// numbers the tests may set, enemies with chosen level and gains, and the shared generator seeded
// with 5489 beside an oracle of the same sequence.
#pragma once

#include <memory>
#include <random>
#include <vector>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Effect/TEffectManager.h"
#include "formats/effect_assets.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/Map/TAttackHitTimed.h"
#include "../Enemy/enemy_fixture.h"
#include "player_fixture.h"
#include "support/effect_create_recorder.h"
#include "support/standing_enemy.h"

namespace combattest {

class CombatArea : public TAreaBase {
public:
    CombatArea(TFrame* scene, TEffectManager* effects) : TAreaBase(TAreaLinks{nullptr, nullptr, scene, effects}) {}
    bool Update() override { return true; }
    void Draw() override {}
    void PreparePlayer() override {}
};

class CombatHero : public playertest::TestHero {
public:
    using TestHero::TestHero;
    void SetMode(std::uint32_t mode) { m_reactionMode = mode; }
    void SetStateDirect(std::uint32_t state, std::uint32_t subState)
    {
        m_state = state;
        m_subState = subState;
    }
    void SetLevel(std::uint32_t level) { m_level = level; }
    void DropAccessories()
    {
        m_accessoryA = TRefPtr<TAccessory>();
        m_accessoryB = TRefPtr<TAccessory>();
    }
    void SetExperience(std::uint32_t e) { m_experience = e; }
    void SetMaxHp(std::int32_t hp) { m_maxHp = hp; }
    void SetJuggleApplied(std::uint8_t on) { m_juggleApplied = on; }
    std::uint8_t GetJuggleApplied() const { return m_juggleApplied; }
    float GetVerticalSpeed() const { return m_velocity.y; }
    std::vector<std::uint16_t> events;
    void OnPatternEvent(const TPatternEvent& frame) override { events.push_back(frame.EventCode); }
    int downedHits = 0;
    void OnDownedHit() override { ++downedHits; }
};

class CombatFixture : public playertest::PlayerFixture {
protected:
    void SetUp() override
    {
        PlayerFixture::SetUp();
        // The manager builds the catalogue from the generated effect folder.
        TEffectManager::SetFolder("effect/");
        qmtest::WriteEffectAssets(dir_.Path());
        effects_ = std::make_unique<TEffectManager>();
        creates_.Start(effects_.get(), &created_);
        area_ = std::make_unique<CombatArea>(scene_.Get(), effects_.get());
        enemytest::WriteGaugePictures(std::filesystem::current_path());
        init_genrand(5489);
        oracle_.seed(5489);
    }

    void TearDown() override
    {
        enemies_.clear();
        area_.reset();
        effects_.reset();
        TSkillTable::Clear();
        TGameData::SetMaxLevel(19);
        PlayerFixture::TearDown();
    }

    // Character `index` with a weapon of that type, in the area.
    std::unique_ptr<CombatHero> MakeCombatHero(std::uint32_t index = 0, std::int32_t type = 0)
    {
        std::unique_ptr<CombatHero> hero = MakeHeroOf<CombatHero>(index, type);
        hero->AttachToField(area_.get());
        area_->RegisterObject(hero.get());
        created_.clear();
        return hero;
    }

    // An enemy of that level giving gainFactor x the experience table and `points` ability points.
    TEnemy* MakeEnemy(std::int32_t level, float gainFactor, std::int32_t points)
    {
        TEnemyRecord r;
        r.id = 3;
        r.modelName = "hero";
        r.maxHp = r.hp = 100;
        r.level = level;
        r.gainFactor = gainFactor;
        r.levelWordA = points;
        r.levelWordB = 7;
        enemies_.push_back(TRefPtr<TEnemy>(new qmtest::StandingEnemy(r)));
        TEnemy* enemy = enemies_.back().Get();
        area_->RegisterObject(enemy);
        return enemy;
    }

    // A hit made by `owner` (0: no one the area knows) with these flags, base damage and status word.
    TRefPtr<TAttackHit> MakeHit(std::uint32_t flags, std::uint32_t damage, std::uint32_t status = 0,
                                std::uint32_t owner = 0xFFFFFF00u)
    {
        TAttackHitParams p;
        p.Flags = flags;
        p.BaseDamage = damage;
        p.Param3 = status;
        p.KnockTime = 30.0F;
        p.ValueA = 0.5F;
        const float at[3] = {0.0F, 1.0F, -1.0F};
        return TRefPtr<TAttackHit>(new TAttackHitTimed(owner, scene_.Get(), at, 5, p));
    }

    // Puts a passive skill of that sub-kind and id into slot `slot` and works out the factors.
    void SlotPassive(std::uint32_t slot, std::uint8_t subKind, std::uint32_t id, std::uint32_t character = 0)
    {
        TSkillRecord& skill = TSkillTable::Get(id);
        skill.Type = 2;
        skill.SubKind = subKind;
        data_->GetCharacterData(character)->SkillSlot[slot] = id;
        data_->UpdateSkillBonuses(character);
    }

    std::vector<std::uint32_t> CreatedIds() const
    {
        std::vector<std::uint32_t> ids;
        for (const TEffectCreateCall& c : created_) {
            ids.push_back(c.id);
        }
        return ids;
    }

    std::uint32_t Oracle() { return static_cast<std::uint32_t>(oracle_()); }

    // Effects that start draw from the shared generator too; tests that follow the generator
    // draw by draw record the calls without making the effects.
    void RecordEffectsOnly()
    {
        for (std::uint32_t id = 0; id < 100000; ++id) {
            if (TEffectManager::IsCatalogueId(id)) {
                effects_->AddPrototype(id, TRefPtr<TEffect>());
            }
        }
    }
    std::unique_ptr<TEffectManager> effects_;
    std::vector<TEffectCreateCall> created_;
    qmtest::EffectCreateRecorder creates_;
    std::unique_ptr<CombatArea> area_;
    std::vector<TRefPtr<TEnemy>> enemies_;
    std::mt19937 oracle_;
};

}  // namespace combattest
