// On screen through the test area's camera: a burst mid-flight, a bolt mid-wander, a ray on its
// way to a target and a weapon ribbon mid-fade.
#include <gtest/gtest.h>

#include <cmath>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Effect/TAfterImage.h"
#include "MainCode/Effect/TParticleEffect.h"
#include "MainCode/Effect/TRayEffect.h"
#include "MainCode/Effect/TThunderEffect.h"
#include "burst_fixture.h"
#include "support/effect_probe.h"

namespace effecttest {
namespace {

class BurstPictureTest : public EffectAreaTest {
protected:
    void SetUp() override
    {
        EffectAreaTest::SetUp();
        init_genrand(5489);
        AlignCellCounters();
    }
};

const float kScale[3] = {0.3F, 0.3F, 0.3F};

TEST_F(BurstPictureTest, ABurstInFlight)
{
    const float startBox[9] = {-0.3F, 0.2F, -0.3F, 0.3F, 0.6F, 0.3F, 0, 0, 0};
    const float endBox[9] = {-2.0F, 0.0F, -1.0F, 2.0F, 2.0F, 1.0F, 0, 0, 0};
    Add(200, new TParticleEffect("effect.ptx/fire", 2, 2, 24, startBox, endBox, 0.04F, kScale));
    const float orange[4] = {1.0F, 0.7F, 0.3F, 1.0F};
    Create(200, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), orange);
    for (int i = 0; i < 12; ++i) {
        area_->Update();
    }
    EXPECT_TRUE(Shoot("ParticleBurstMidFlight"));
}

TEST_F(BurstPictureTest, ABoltMidWander)
{
    Add(121, new TThunderEffect("", 2, 1.0F, 0.5F, 2.0F, 0.5F, -1, 4.0F, 0.5F));
    const float white[4] = {0.8F, 0.9F, 1.0F, 1.0F};
    auto* bolt = static_cast<TThunderEffect*>(Create(121, D3DXVECTOR3(0, -1.0F, 0), D3DXVECTOR3(0, 0, 1), white));
    bolt->SetScale(0.3F, 0.3F, 0.3F);
    for (int i = 0; i < 20; ++i) {
        area_->Update();
    }
    EXPECT_TRUE(Shoot("ThunderBoltWander"));
}

TEST_F(BurstPictureTest, ARayOnItsWay)
{
    auto target = NewObject("target", 1.5F, 0.0F, 0.0F);
    Add(400, new TRayEffect("sword01.msh"));
    const float white[4] = {1.0F, 1.0F, 1.0F, 1.0F};
    auto* ray = static_cast<TRayEffect*>(Create(400, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), white));
    ray->SetCurve(D3DXVECTOR3(-2.0F, 0.2F, 0.0F), D3DXVECTOR3(-1.5F, 2.0F, 0.0F), D3DXVECTOR3(0.5F, 2.0F, 0.0F),
                  static_cast<std::int32_t>(target->GetObjectId()), 0.0F, 1.0F, 12);
    for (int i = 0; i < 9; ++i) {
        area_->Update();
    }
    EXPECT_TRUE(Shoot("RayOnItsWay"));
}

TEST_F(BurstPictureTest, AWeaponRibbonMidFade)
{
    QueryCharacter owner;
    TRefPtr<TFrame> weapon = Frame("RWpn");
    area_->Scene()->AddChild(weapon);
    std::unique_ptr<TAfterImage> trail = TAfterImage::Create(weapon.Get(), &owner);
    trail->Attach(area_->Scene());
    trail->SetRamp(1.2F, 1.0F, 0.6F, 0.2F, 0);
    // A swing along an arc; the action ends partway and the ribbon fades while the arm follows through.
    for (int i = 0; i <= 18; ++i) {
        const float a = -1.2F + 0.15F * static_cast<float>(i);
        weapon->SetMatrix(Identity());
        weapon->RotateAxis(D3DXVECTOR3(0.0F, 1.0F, 0.0F), a, true);
        weapon->SetPosition(D3DXVECTOR3(std::sin(a) * 1.2F, 0.4F + 0.05F * static_cast<float>(i), std::cos(a) * 0.5F));
        owner.query = i < 12;
        trail->Update();
    }
    ASSERT_EQ(TEffectProbe::FadeCounter(*trail), 19);
    EXPECT_TRUE(Shoot("WeaponRibbonMidFade"));
    trail.reset();
    weapon->Detach();
}

}  // namespace
}  // namespace effecttest
