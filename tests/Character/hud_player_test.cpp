// The player's HUD: a level-up waits for the banner of the last one, and the steady HUD frame
// (panel, a notice holding, the hit counter running) allocates nothing of its own.
#include <gtest/gtest.h>

#include "combat_fixture.h"
#include "platform/testing/d3d8.h"
#include "support/alloc_probe.h"
#include "support/character_probe.h"
#include "support/hud_probe.h"

namespace combattest {
namespace {

class LevelHero : public CombatHero {
public:
    using CombatHero::CombatHero;
    void MakeLevelUpPending()
    {
        m_levelUpPending = 1;
        m_levelUpSerial = -1;
    }
};

class HudPlayerTest : public CombatFixture {};

TEST_F(HudPlayerTest, ASecondLevelUpWaitsUntilTheBannerHasEnded)
{
    std::unique_ptr<LevelHero> hero = MakeHeroOf<LevelHero>(0, 0);
    hero->AttachToField(area_.get());
    hero->SetLevel(0);
    hero->LevelUp();
    ASSERT_TRUE(TCharacterProbe::LevelUpPopup(*hero)->IsActive());
    hero->SetStateDirect(0, 0);
    hero->MakeLevelUpPending();
    // The delay of 280 runs out first; the banner stops in its 351st update.
    int second = -1;
    for (int step = 1; step <= 400 && second < 0; ++step) {
        hero->UpdatePopups();
        if (hero->GetLevel() == 2) {
            second = step;
        }
    }
    EXPECT_EQ(second, 351);
    EXPECT_TRUE(TCharacterProbe::LevelUpPopup(*hero)->IsActive()) << "started again";
}

TEST_F(HudPlayerTest, TheSteadyHudFrameAllocatesNothing)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    TEnemy* enemy = MakeEnemy(0, 1.0F, 0);
    enemy->TakeDamage(30);
    getRender_->PushText("お知らせ");
    for (int frame = 0; frame < 30; ++frame) {
        getRender_->Update();
    }
    hero->ShowHitCount(enemy);
    // On a lost device every call of the game and the layer runs; the GL driver's own
    // allocations (one a draw from client memory) stay out.
    platform::InjectDeviceLoss(device());
    qmtest::AllocationProbe probe;
    for (int frame = 0; frame < 60; ++frame) {
        hero->UpdatePopups();
        panel_->Update(hero.get());
        getRender_->Update();
        hero->DrawHud();
    }
    EXPECT_EQ(probe.OwnThreadAllocations(), 0);
    EXPECT_TRUE(THudProbe::IsHolding(*getRender_));
    EXPECT_TRUE(TCharacterProbe::HitPopup(*hero).IsActive());
    d3d()->CheckLostDevice();
}

}  // namespace
}  // namespace combattest
