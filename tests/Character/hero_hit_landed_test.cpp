// The answer of a hero whose hit landed, class by class: the player's own handling first, then the
// hops of codes 1 to 3 with the follow-up, and the rings of codes 4 and 5, each where the class has them.
#include <gtest/gtest.h>

#include <type_traits>

#include "MainCode/Character/THeroA.h"
#include "MainCode/Character/THeroC.h"
#include "MainCode/Character/THeroD.h"
#include "MainCode/Character/THeroF.h"
#include "MainCode/Character/THeroK.h"
#include "MainCode/Character/THeroine08.h"
#include "MainCode/Effect/TSmashEffect.h"
#include "combat_fixture.h"
#include "support/character_probe.h"
#include "support/effect_probe.h"

namespace combattest {
namespace {

template <typename T>
class Gauged : public T {
public:
    using T::T;
    void SetGaugeUsed(std::uint32_t used) { this->m_gaugeUsed = used; }
};

// The class made for its character with 50 of the gauge used.
template <typename T>
std::unique_ptr<THero> MakeAs(const TPlayerFieldLinks& links, const TCharacterRecord& r, std::uint32_t character,
                              const char* model)
{
    std::unique_ptr<Gauged<T>> hero;
    if constexpr (std::is_constructible_v<T, const TPlayerFieldLinks&, std::uint32_t, const TCharacterRecord&>) {
        hero = std::make_unique<Gauged<T>>(links, character, r);
    } else {
        hero = std::make_unique<Gauged<T>>(links, character, r, model);
    }
    hero->SetGaugeUsed(50);
    return hero;
}

struct HeroClass {
    const char* name;
    std::uint32_t character, weaponId;
    const char* model;
    std::unique_ptr<THero> (*make)(const TPlayerFieldLinks&, const TCharacterRecord&, std::uint32_t, const char*);
    bool hops, rings;
    std::uint32_t gauge;  // used after a hit from 50; 0: only less
};

const HeroClass kClasses[] = {
    {"A", 0, 1000, "hero01", &MakeAs<THeroA>, true, true, 39},
    {"C", 0, 1002, "hero02", &MakeAs<THeroC>, true, false, 0},
    {"D", 0, 1005, "hero04", &MakeAs<THeroD>, false, true, 0},
    {"F", 0, 1007, "hero04", &MakeAs<THeroF>, false, false, 0},
    {"K", 1, 1009, "heroine06", &MakeAs<THeroK>, false, true, 0},
    {"08", 1, 1011, "heroine08", &MakeAs<THeroine08>, false, true, 0},
};

class HeroHitLandedTest : public CombatFixture {
protected:
    std::unique_ptr<THero> Make(const HeroClass& c)
    {
        TCharacterRecord* record = data_->GetCharacterData(c.character);
        record->WeaponId = c.weaponId;
        std::unique_ptr<THero> hero = c.make(links_, *record, c.character, c.model);
        hero->AttachToField(area_.get());
        area_->RegisterObject(hero.get());
        created_.clear();
        return hero;
    }
    static D3DXVECTOR3 Where(const TMeshHandle& h)
    {
        D3DXVECTOR3 p;
        h.GetPosition(&p);
        return p;
    }
};

TEST_F(HeroHitLandedTest, EachClassHopsOrRaisesARingByTheCodeAndAFlaggedHitDoesNothingMore)
{
    struct Hit {
        std::int32_t code;
        std::uint8_t flag;
    };
    const Hit hits[] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {1, 1}, {4, 1}, {5, 2}, {0, 0}, {6, 0}};
    const float speeds[] = {0.05F, 0.06F, 0.07F};
    const float forwards[] = {0.2F, 0.2F, 0.1F};
    const std::uint32_t ringIds[] = {700, 701};
    const std::uint32_t durations[] = {300, 500};
    for (const HeroClass& c : kClasses) {
        WriteHeroModel(c.model);
        for (const Hit& h : hits) {
            SCOPED_TRACE(testing::Message() << c.name << " code " << h.code << " flag " << int{h.flag});
            std::unique_ptr<THero> hero = Make(c);
            TEnemy* enemy = MakeEnemy(1, 1.0F, 0);
            enemy->SetPosition(D3DXVECTOR3(-1.0F, 0.5F, -2.0F));
            hero->PushCommand(1);
            const D3DXVECTOR3 before = Where(*hero);
            hero->OnHitDelivered(enemy, h.code, 10, h.flag);
            EXPECT_LT(hero->GetGaugeUsed(), 50u) << "the player's own handling runs first";
            if (c.gauge != 0) {
                EXPECT_EQ(hero->GetGaugeUsed(), c.gauge);
            }

            const bool hop = c.hops && h.flag == 0 && h.code >= 1 && h.code <= 3;
            const bool pops = hop && h.code != 3;
            EXPECT_FLOAT_EQ(TCharacterProbe::Velocity(*hero).y, hop ? speeds[h.code - 1] : 0.0F);
            EXPECT_NEAR(Where(*hero).z, before.z - (hop ? forwards[h.code - 1] : 0.0F), 1e-6F);
            EXPECT_EQ(TCharacterProbe::FollowUpFlag(*hero), pops ? 1u : 0u);
            EXPECT_EQ(TCharacterProbe::CommandCount(*hero), pops ? 0u : 1u)
                << "a queued attack turns into the follow-up";

            const bool ring = c.rings && h.flag == 0 && (h.code == 4 || h.code == 5);
            if (!ring) {
                EXPECT_TRUE(created_.empty());
                continue;
            }
            // The ring rises just in front of the victim.
            ASSERT_EQ(created_.size(), 1u);
            const TEffectCreateCall& call = created_[0];
            EXPECT_EQ(call.id, ringIds[h.code - 4]);
            EXPECT_FLOAT_EQ(call.position.x, -1.0F);
            EXPECT_FLOAT_EQ(call.position.y, 0.5F);
            EXPECT_FLOAT_EQ(call.position.z, -2.1F);
            for (float s : call.scale) {
                EXPECT_FLOAT_EQ(s, 1.4F);
            }
            for (float k : call.colour) {
                EXPECT_EQ(k, 1.0F);
            }
            EXPECT_EQ(call.parent, hero->GetReferenceFrame());
            EXPECT_EQ(call.area, area_.get());
            auto* effect = dynamic_cast<TMeshEffect*>(call.result);
            ASSERT_NE(effect, nullptr);
            EXPECT_EQ(TEffectProbe::TargetId(*effect), static_cast<std::int32_t>(enemy->GetObjectId()));
            EXPECT_EQ(TEffectProbe::OwnerId(*effect), static_cast<std::int32_t>(hero->GetObjectId()));
            EXPECT_EQ(TEffectProbe::Duration(*effect), durations[h.code - 4]);
        }
    }
}

TEST_F(HeroHitLandedTest, APoppedCommandOtherThanAnAttackIsUsedUpWithoutAFollowUp)
{
    std::unique_ptr<THero> hero = Make(kClasses[0]);
    hero->PushCommand(2);
    hero->OnHitDelivered(nullptr, 1, 10, 0);
    EXPECT_EQ(TCharacterProbe::FollowUpFlag(*hero), 0u);
    EXPECT_EQ(TCharacterProbe::CommandCount(*hero), 0u);
}

TEST_F(HeroHitLandedTest, AMissingRingEffectGivesNothingToSet)
{
    effects_->AddPrototype(700, TRefPtr<TEffect>());
    std::unique_ptr<THero> hero = Make(kClasses[0]);
    TEnemy* enemy = MakeEnemy(1, 1.0F, 0);
    hero->OnHitDelivered(enemy, 4, 10, 0);
    ASSERT_EQ(created_.size(), 1u);
    EXPECT_EQ(created_[0].result, nullptr);
    // No victim: nothing to place the ring at.
    created_.clear();
    hero->OnHitDelivered(nullptr, 5, 10, 0);
    EXPECT_TRUE(created_.empty());
}

}  // namespace
}  // namespace combattest
