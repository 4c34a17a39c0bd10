// The standard answer of a hero whose hit landed: the player's own handling first, then the hops of
// codes 1 to 3 with the follow-up, and the rings of codes 4 and 5.
#include <gtest/gtest.h>

#include "MainCode/Character/THeroA.h"
#include "MainCode/Character/THeroC.h"
#include "MainCode/Character/THeroD.h"
#include "MainCode/Character/THeroF.h"
#include "MainCode/Character/THeroK.h"
#include "MainCode/Effect/TSmashEffect.h"
#include "combat_fixture.h"

namespace combattest {
namespace {

class HeroA : public THeroA {
public:
    using THeroA::THeroA;
    void SetGaugeUsed(std::uint32_t used) { m_gaugeUsed = used; }
};

class HeroHitLandedTest : public CombatFixture {
protected:
    std::unique_ptr<HeroA> MakeA()
    {
        TCharacterRecord* record = data_->GetCharacterData(0);
        record->WeaponId = 1000;
        auto hero = std::make_unique<HeroA>(nullptr, 0, *record, "hero01");
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

TEST_F(HeroHitLandedTest, HopsForwardAndTurnsAQueuedAttackIntoTheFollowUp)
{
    struct Case {
        std::int32_t code;
        float speed;
        float forward;
        bool pops;
    };
    for (const Case c : {Case{1, 0.05F, 0.2F, true}, Case{2, 0.06F, 0.2F, true}, Case{3, 0.07F, 0.1F, false}}) {
        std::unique_ptr<HeroA> hero = MakeA();
        TEnemy* enemy = MakeEnemy(1, 1.0F, 0);
        hero->SetGaugeUsed(50);
        hero->PushCommand(1);
        const D3DXVECTOR3 before = Where(*hero);
        hero->OnHitDelivered(enemy, c.code, 10, 0);
        EXPECT_EQ(hero->GetGaugeUsed(), 39u) << "the player's own handling runs first";
        EXPECT_FLOAT_EQ(hero->GetVelocity().y, c.speed) << c.code;
        EXPECT_NEAR(Where(*hero).z, before.z - c.forward, 1e-6F) << c.code;
        EXPECT_EQ(hero->GetFollowUpFlag(), c.pops ? 1u : 0u) << c.code;
        EXPECT_EQ(hero->GetCommandCount(), c.pops ? 0u : 1u) << c.code;
        EXPECT_TRUE(created_.empty()) << c.code;
    }
    // A popped command other than an attack is used up without a follow-up.
    std::unique_ptr<HeroA> other = MakeA();
    other->PushCommand(2);
    other->OnHitDelivered(nullptr, 1, 10, 0);
    EXPECT_EQ(other->GetFollowUpFlag(), 0u);
    EXPECT_EQ(other->GetCommandCount(), 0u);
}

TEST_F(HeroHitLandedTest, AFlaggedHitOrAnotherCodeDoesNothingMore)
{
    for (const auto& [code, flag] : {std::pair<std::int32_t, std::uint8_t>{1, 1}, {4, 1}, {5, 2}, {0, 0}, {6, 0}}) {
        std::unique_ptr<HeroA> hero = MakeA();
        TEnemy* enemy = MakeEnemy(1, 1.0F, 0);
        hero->SetGaugeUsed(50);
        hero->PushCommand(1);
        const D3DXVECTOR3 before = Where(*hero);
        hero->OnHitDelivered(enemy, code, 10, flag);
        EXPECT_EQ(hero->GetGaugeUsed(), 39u) << code;
        EXPECT_EQ(hero->GetVelocity().y, 0.0F) << code;
        EXPECT_EQ(Where(*hero).z, before.z) << code;
        EXPECT_EQ(hero->GetCommandCount(), 1u) << code;
        EXPECT_TRUE(created_.empty()) << code;
    }
}

TEST_F(HeroHitLandedTest, RingsRiseAtTheVictimWithTheirIdsAndDurations)
{
    struct Case {
        std::int32_t code;
        std::uint32_t id;
        std::uint32_t duration;
    };
    for (const Case c : {Case{4, 700, 300}, Case{5, 701, 500}}) {
        std::unique_ptr<HeroA> hero = MakeA();
        TEnemy* enemy = MakeEnemy(1, 1.0F, 0);
        enemy->SetPosition(D3DXVECTOR3(1.0F, 2.0F, 3.0F));
        hero->OnHitDelivered(enemy, c.code, 10, 0);
        ASSERT_EQ(created_.size(), 1u) << c.code;
        const TEffectCreateCall& call = created_[0];
        EXPECT_EQ(call.id, c.id);
        EXPECT_FLOAT_EQ(call.position.x, 1.0F);
        EXPECT_FLOAT_EQ(call.position.y, 2.0F);
        EXPECT_FLOAT_EQ(call.position.z, 2.9F);
        for (float s : call.scale) {
            EXPECT_FLOAT_EQ(s, 1.4F);
        }
        for (float k : call.colour) {
            EXPECT_EQ(k, 1.0F);
        }
        EXPECT_EQ(call.parent, hero->GetReferenceFrame());
        EXPECT_EQ(call.area, area_.get());
        auto* ring = dynamic_cast<TMeshEffect*>(call.result);
        ASSERT_NE(ring, nullptr);
        EXPECT_EQ(ring->GetTargetId(), static_cast<std::int32_t>(enemy->GetObjectId()));
        EXPECT_EQ(ring->GetOwnerId(), static_cast<std::int32_t>(hero->GetObjectId()));
        EXPECT_EQ(ring->GetDuration(), c.duration);
        created_.clear();
    }
}

TEST_F(HeroHitLandedTest, AMissingRingEffectGivesNothingToSet)
{
    effects_->AddPrototype(700, TRefPtr<TEffect>());
    std::unique_ptr<HeroA> hero = MakeA();
    TEnemy* enemy = MakeEnemy(1, 1.0F, 0);
    hero->OnHitDelivered(enemy, 4, 10, 0);
    ASSERT_EQ(created_.size(), 1u);
    EXPECT_EQ(created_[0].result, nullptr);
    // No victim: nothing to place the ring at.
    created_.clear();
    hero->OnHitDelivered(nullptr, 5, 10, 0);
    EXPECT_TRUE(created_.empty());
}

TEST_F(HeroHitLandedTest, AClassWithoutRingsStillHopsButCreatesNothing)
{
    TCharacterRecord* record = data_->GetCharacterData(0);
    record->WeaponId = 1002;
    THeroC hero(nullptr, 0, *record, "hero02");
    hero.AttachToField(area_.get());
    area_->RegisterObject(&hero);
    created_.clear();
    TEnemy* enemy = MakeEnemy(1, 1.0F, 0);
    for (std::int32_t code : {4, 5}) {
        hero.OnHitDelivered(enemy, code, 10, 0);
        EXPECT_TRUE(created_.empty()) << code;
        EXPECT_EQ(hero.GetVelocity().y, 0.0F) << code;
    }
    hero.PushCommand(1);
    hero.OnHitDelivered(enemy, 2, 10, 0);
    EXPECT_FLOAT_EQ(hero.GetVelocity().y, 0.06F);
    EXPECT_EQ(hero.GetFollowUpFlag(), 1u);
    area_->UnregisterObject(&hero);
}

TEST_F(HeroHitLandedTest, TheRingClassesRaiseRingsButNeverHop)
{
    WriteHeroModel("hero04");
    TCharacterRecord* record = data_->GetCharacterData(0);
    record->WeaponId = 1005;
    THeroD hero(nullptr, 0, *record);
    hero.AttachToField(area_.get());
    area_->RegisterObject(&hero);
    created_.clear();
    TEnemy* enemy = MakeEnemy(1, 1.0F, 0);
    enemy->SetPosition(D3DXVECTOR3(1.0F, 2.0F, 3.0F));
    for (std::int32_t code : {1, 2, 3}) {
        hero.PushCommand(1);
        const D3DXVECTOR3 before = Where(hero);
        hero.OnHitDelivered(enemy, code, 10, 0);
        EXPECT_EQ(hero.GetVelocity().y, 0.0F) << code;
        EXPECT_EQ(Where(hero).z, before.z) << code;
        EXPECT_EQ(hero.GetCommandCount(), 1u) << code << " pops nothing";
        hero.PopCommand();
        EXPECT_TRUE(created_.empty()) << code;
    }
    hero.OnHitDelivered(enemy, 4, 10, 1);
    EXPECT_TRUE(created_.empty()) << "a flagged hit";
    for (const auto& [code, id, duration] : {std::tuple{4, 700u, 300u}, std::tuple{5, 701u, 500u}}) {
        created_.clear();
        hero.OnHitDelivered(enemy, code, 10, 0);
        ASSERT_EQ(created_.size(), 1u) << code;
        EXPECT_EQ(created_[0].id, id);
        EXPECT_FLOAT_EQ(created_[0].position.z, 2.9F);
        EXPECT_FLOAT_EQ(created_[0].scale[0], 1.4F);
        auto* ring = dynamic_cast<TMeshEffect*>(created_[0].result);
        ASSERT_NE(ring, nullptr);
        EXPECT_EQ(ring->GetDuration(), duration);
    }
    area_->UnregisterObject(&hero);
}

TEST_F(HeroHitLandedTest, APlainClassNeitherHopsNorRaisesRings)
{
    WriteHeroModel("hero04");
    TCharacterRecord* record = data_->GetCharacterData(0);
    record->WeaponId = 1007;
    class HeroF : public THeroF {
    public:
        using THeroF::THeroF;
        void SetGaugeUsed(std::uint32_t used) { m_gaugeUsed = used; }
    } hero(nullptr, 0, *record);
    hero.AttachToField(area_.get());
    area_->RegisterObject(&hero);
    created_.clear();
    TEnemy* enemy = MakeEnemy(1, 1.0F, 0);
    for (std::int32_t code : {1, 3, 4, 5}) {
        hero.SetGaugeUsed(50);
        hero.PushCommand(1);
        hero.OnHitDelivered(enemy, code, 10, 0);
        EXPECT_LT(hero.GetGaugeUsed(), 50u) << "the player's own handling runs";
        EXPECT_EQ(hero.GetVelocity().y, 0.0F) << code;
        EXPECT_EQ(hero.GetCommandCount(), 1u) << code;
        hero.PopCommand();
        EXPECT_TRUE(created_.empty()) << code;
    }
    area_->UnregisterObject(&hero);
}

TEST_F(HeroHitLandedTest, TheHeroineRingClassRaisesTheRingBelowTheVictim)
{
    WriteHeroModel("heroine06");
    TCharacterRecord* record = data_->GetCharacterData(1);
    record->WeaponId = 1009;
    THeroK hero(nullptr, 1, *record);
    hero.AttachToField(area_.get());
    area_->RegisterObject(&hero);
    created_.clear();
    TEnemy* enemy = MakeEnemy(1, 1.0F, 0);
    enemy->SetPosition(D3DXVECTOR3(-1.0F, 0.5F, -2.0F));
    hero.OnHitDelivered(enemy, 4, 10, 1);
    EXPECT_TRUE(created_.empty()) << "a flagged hit";
    hero.OnHitDelivered(enemy, 4, 10, 0);
    ASSERT_EQ(created_.size(), 1u);
    EXPECT_EQ(created_[0].id, 700u);
    EXPECT_FLOAT_EQ(created_[0].position.x, -1.0F);
    EXPECT_FLOAT_EQ(created_[0].position.y, 0.5F);
    EXPECT_FLOAT_EQ(created_[0].position.z, -2.1F);
    EXPECT_FLOAT_EQ(created_[0].scale[2], 1.4F);
    EXPECT_EQ(hero.GetVelocity().y, 0.0F);
    area_->UnregisterObject(&hero);
}

}  // namespace
}  // namespace combattest
