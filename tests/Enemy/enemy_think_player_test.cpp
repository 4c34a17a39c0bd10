// Think against a real player: the rows its flags choose (level gap, action, hurt, blink, moving
// away with the enemy behind it) and the leash, with the generator drawn alongside.
#include <gtest/gtest.h>

#include <cfloat>

#include "../Character/combat_fixture.h"
#include "probe_enemy.h"
#include "support/character_probe.h"

namespace combattest {
namespace {

class EnemyThinkTest : public CombatFixture {
protected:
    // A level 5 enemy of 100 HP facing the hero, who is the area's player.
    TEnemyRecord Record()
    {
        hero_ = MakeCombatHero();
        area_->SetPlayer(hero_.get());
        TEnemyRecord r;
        r.id = 3;
        r.modelName = "hero";
        r.maxHp = r.hp = 100;
        r.level = 5;
        return r;
    }
    void TearDown() override
    {
        area_->SetPlayer(nullptr);
        hero_.reset();
        CombatFixture::TearDown();
    }
    std::unique_ptr<CombatHero> hero_;
};

TEST_F(EnemyThinkTest, PlayerFlagsChooseTheirRows)
{
    TEnemyRecord r = Record();
    CombatHero* hero = hero_.get();
    r.height = 0.5F;
    enemytest::ProbeEnemy e(r, 1, 0);
    e.Spawn(area_.get(), D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), FLT_MAX, 1);
    const float near = (hero->GetCenterHeight() + e.GetCenterHeight()) * 1.3F;
    ASSERT_LT(near, 2.5F);

    // The hero stands `d` from the enemy; behind: the enemy is at its back.
    auto decide = [&](float d, bool behind, std::uint32_t row) {
        D3DXVECTOR3 front;
        hero->GetFront(&front);
        const D3DXVECTOR3 at = front * (behind ? d : -d);
        hero->SetPosition(at);
        // Several seeds, so that rows alike in one column still differ somewhere.
        for (std::uint32_t seed = 1; seed <= 12; ++seed) {
            e.SetState(0);
            e.SetThinkTimer(1);
            e.StartFlash(0, 0);
            init_genrand(seed);
            oracle_.seed(seed);
            e.Think();
            Oracle();
            const int b = TEnemy::BehaviourAt(false, row, Oracle() % 10);
            EXPECT_EQ(enemytest::Held(e), b) << "d " << d << " row " << row << " seed " << seed;
        }
    };
    const float inside = near * 0.9F;
    hero->SetLevel(16);  // 11 above the enemy
    decide(3.5F, false, 17);
    decide(inside, false, 16);
    decide(2.8F, false, 17);
    hero->SetLevel(15);  // 10 above: not yet
    decide(3.5F, false, 4);
    decide(inside, false, 0);

    hero->SetMode(10);  // hurt, with HP left
    decide(inside, false, 12);
    decide(2.8F, false, 13);
    hero->SetMode(1);
    hero->SetStateDirect(19, 0);  // acting
    decide(inside, false, 8);
    decide(2.8F, false, 9);
    hero->SetStateDirect(0, 0);
    hero->StartFlash(0, 40);
    decide(inside, false, 6);
    decide(2.8F, false, 7);
    hero->StartFlash(0, 0);
    // Moving away with the enemy at its back; in front of it, nothing.
    hero->SetStateDirect(5, 0);
    decide(inside, true, 18);
    decide(2.8F, true, 19);
    decide(inside, false, 0);
    hero->SetStateDirect(0, 0);

    // Outside its leash: 21 when farther than near, else by the crowd.
    e.Spawn(area_.get(), D3DXVECTOR3(5, 0, 0), D3DXVECTOR3(0, 0, 1), 1.0F, 1);
    e.SetPosition(D3DXVECTOR3(0, 0, 0));
    decide(2.0F, false, 21);
    decide(near * 0.5F, false, 0);
}

TEST_F(EnemyThinkTest, ADefeatedEnemyGivesThePlayerItsGainOnce)
{
    TEnemyRecord r = Record();
    r.gainFactor = 1.0F;
    enemytest::ProbeEnemy e(r, 1, 0);
    e.Spawn(area_.get(), D3DXVECTOR3(0, 0, 2), D3DXVECTOR3(0, 0, 1), FLT_MAX, 1);
    area_->RegisterObject(&e);
    const std::uint32_t serial = TCharacterProbe::GainSerial();
    e.ReactLight(0, -1, 0, 10, 1, 1.0F, 30.0F, e.GetHp());
    EXPECT_EQ(TCharacterProbe::TargetEnemy(*hero_), &e);
    int frames = 0;
    while (e.Update() && frames < 1000) {
        ++frames;
    }
    EXPECT_FALSE(e.IsAlive());
    EXPECT_EQ(TCharacterProbe::GainSerial(), serial + 1);
    EXPECT_LE(e.GetHp(), -15);
    // Nothing more once it has ended.
    e.Update();
    EXPECT_EQ(TCharacterProbe::GainSerial(), serial + 1);
    area_->UnregisterObject(&e);
}

}  // namespace
}  // namespace combattest
