// Effects on screen: a colour animation halfway through its fade-out beside a smash effect
// halfway through its break, seen through the test area's camera.
#include <gtest/gtest.h>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Effect/TFrameAnimEffect.h"
#include "MainCode/Effect/TSmashEffect.h"
#include "effect_area_fixture.h"
#include "support/effect_probe.h"

namespace effecttest {
namespace {

using EffectPictureTest = EffectAreaTest;

TEST_F(EffectPictureTest, AFadingAnimationAndABreakingMeshMatchTheGolden)
{
    init_genrand(5489);
    Add(100, new TColourAnimEffect("bomb00.frm", 10.0F, 0.5F, false));
    Add(700, new TSmashEffect("thunder.msh", 2, 1, 0.02F, 0.001F, 0.02F, TSmashEffect::kOutward, false, nullptr));
    const float amber[4] = {1.0F, 0.6F, 0.2F, 1.0F};
    const float ice[4] = {0.4F, 0.8F, 1.0F, 1.0F};
    const float big[3] = {3.0F, 3.0F, 3.0F};
    const float half[3] = {1.5F, 1.5F, 1.5F};
    const D3DXVECTOR3 left(-1.2F, 0.0F, 0.0F);
    const D3DXVECTOR3 right(1.2F, 0.0F, 0.0F);
    // The animation seen from the side, the ribbon's pieces flying apart in the camera's view.
    const D3DXVECTOR3 across(1.0F, 0.0F, 0.3F);
    const D3DXVECTOR3 away(0.0F, 0.0F, 1.0F);
    TEffect* fading = Manager().Create(100, &left, &across, area_->Scene(), area_.get(), amber, big);
    TEffect* breaking = Manager().Create(700, &right, &away, area_->Scene(), area_.get(), ice, half);
    for (int frame = 0; frame < 10; ++frame) {
        area_->Update();
    }
    ASSERT_EQ(TEffectProbe::LiveCount(Manager()), 2u);
    EXPECT_NEAR(TEffectProbe::CurrentColour(*static_cast<TFrameAnimEffect*>(fading))[0], 0.5F, 1e-5F);
    EXPECT_TRUE(static_cast<TSmashEffect*>(breaking)->IsShattering());

    EXPECT_TRUE(Shoot("EffectFadeAndBreak"));
}

}  // namespace
}  // namespace effecttest
