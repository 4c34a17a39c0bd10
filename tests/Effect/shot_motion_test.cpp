// The dispatcher's motion objects: orbits, arcs and homing arcs moving a part.
#include <gtest/gtest.h>

#include "MainCode/Shot/TArcMotion.h"
#include "MainCode/Shot/TFacingAccelMotion.h"
#include "MainCode/Shot/THomingArcMotion.h"
#include "MainCode/Shot/TOrbitMotion.h"
#include "shot_fixture.h"
#include "support/character_probe.h"
#include "support/shot_probe.h"

namespace shottest {
namespace {

class ShotMotion : public ShotTest {
protected:
    void SetUp() override
    {
        ShotTest::SetUp();
        Register<TShotC>(300, "effect.ptx/fire", TShot::kEndless, 2, false, kOne);
        shot_ = Fire<TShotC>(300, D3DXVECTOR3(0, 0, 0));
    }
    TBulletPart& Head() { return shot_->GetPart(0); }
    TShotC* shot_ = nullptr;
};

TEST_F(ShotMotion, OrbitRadiusGrowsToItsMaximumAndHoldsAroundAPointOrAFrame)
{
    TOrbitMotionBase orbit(D3DXVECTOR3(1.0F, 0.5F, 0.0F), 0.0F, 0.2F, 0.1F, 0.01F, 0.8F);
    for (int i = 1; i <= 60; ++i) {
        orbit.Step(&Head());
    }
    EXPECT_LT(TShotProbe::Radius(orbit), 0.8F);
    EXPECT_GT(TShotProbe::Radius(orbit), 0.7999F);
    orbit.Step(&Head());
    EXPECT_EQ(TShotProbe::Radius(orbit), 0.8F);
    for (int i = 0; i < 40; ++i) {
        orbit.Step(&Head());
    }
    EXPECT_EQ(TShotProbe::Radius(orbit), 0.8F);
    // The point on the circle around the centre, in the root's space.
    const float a = TShotProbe::Angle(orbit);
    D3DXVECTOR3 p;
    Head().GetFrame()->GetPosition(&p);
    effecttest::ExpectNear(p, D3DXVECTOR3(std::sin(a) * 0.8F + 1.0F, 0.5F, std::cos(a) * 0.8F));

    // Around a frame: a quarter turn a step at radius 2.
    D3DXMATRIX m;
    TRefPtr<TFrame> pole = effecttest::Frame("Pole", *D3DXMatrixTranslation(&m, 5.0F, 0.0F, 2.0F));
    area_->Scene()->AddChild(pole);
    TOrbitMotion around(D3DXVECTOR3(0.0F, 1.0F, 0.0F), 0.0F, 2.0F, 90.0F, 0.0F, 3.0F, pole, D3DXVECTOR3(0, 0, 0));
    EXPECT_NEAR(TShotProbe::AngularStep(around), 1.5707963F, 1e-6);
    around.Step(&Head());
    effecttest::ExpectNear(WorldOf(Head()), D3DXVECTOR3(7.0F, 1.0F, 2.0F));
    around.Step(&Head());
    effecttest::ExpectNear(WorldOf(Head()), D3DXVECTOR3(5.0F, 1.0F, 0.0F));
    // A trail part takes the part before it moved by the centre offset.
    around.Apply(&shot_->GetPart(1), &Head());
    effecttest::ExpectNear(WorldOf(shot_->GetPart(1)), D3DXVECTOR3(5.0F, 2.0F, 0.0F));
    pole->Detach();
}

TEST_F(ShotMotion, ArcBendsTowardItsBulge)
{
    TArcMotion arc(0.25F, D3DXVECTOR3(1.0F, 0.0F, 0.0F), D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 4));
    effecttest::ExpectNear(TCharacterProbe::Point(arc, 1), D3DXVECTOR3(1.0F, 0.0F, 0.0F));
    arc.Step(&Head());
    arc.Step(&Head());
    EXPECT_GT(WorldOf(Head()).x, 0.5F);
    arc.Step(&Head());
    arc.Step(&Head());
    effecttest::ExpectNear(WorldOf(Head()), D3DXVECTOR3(0, 0, 4));
    // Not clamped: the curve runs on past its end.
    arc.Step(&Head());
    EXPECT_NE(WorldOf(Head()).z, 4.0F);
}

TEST_F(ShotMotion, HomingArcFollowsTheCentreUntilTheLimitAndComesBackWithoutItsTarget)
{
    auto target = NewObject("target", 0.0F, 0.0F, 10.0F);
    const auto id = static_cast<std::int32_t>(target->GetObjectId());
    THomingArcMotion arc(0.1F, 0.7F, 0, D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, 0, 0), id, area_.get());
    effecttest::ExpectNear(TCharacterProbe::Point(arc, 3), D3DXVECTOR3(0.0F, target->GetCenterHeight(), 10.0F));
    target->Place(2.0F, 0.0F, 10.0F);
    arc.Step(&Head());
    effecttest::ExpectNear(TCharacterProbe::Point(arc, 3), D3DXVECTOR3(2.0F, target->GetCenterHeight(), 10.0F));
    // t reaches 0.7 after seven steps (in float, a hair below or above): from then on the end stays.
    while (TCharacterProbe::CurveT(arc) < 0.7F) {
        arc.Step(&Head());
    }
    target->Place(-4.0F, 0.0F, 10.0F);
    const D3DXVECTOR3 last = TCharacterProbe::Point(arc, 3);
    arc.Step(&Head());
    effecttest::ExpectNear(TCharacterProbe::Point(arc, 3), last);
    EXPECT_NE(last.x, -4.0F);

    // Without its target it comes back to the start.
    const D3DXVECTOR3 start(1.0F, 0.5F, -1.0F);
    THomingArcMotion lost(0.02F, 0.7F, 0, D3DXVECTOR3(0.5F, 1.0F, 0.0F), start, 12345, area_.get());
    for (int i = 0; i < 25; ++i) {
        lost.Step(&Head());
    }
    EXPECT_GT(WorldOf(Head()).y, 1.0F);
    for (int i = 0; i < 25; ++i) {
        lost.Step(&Head());
    }
    effecttest::ExpectNear(WorldOf(Head()), start, 1e-4F);
}

TEST_F(ShotMotion, FacingPartsTurnToTheCamera)
{
    shot_->SetMotion(std::make_unique<TFacingAccelMotion>(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(-1, 0, 0), 0.1F, 0.0F));
    shot_->Update();
    shot_->Update();
    // Both parts aim their Z axis at the camera.
    D3DXVECTOR3 eye;
    area_->GetCamera()->GetFrame()->GetWorldPosition(&eye);
    for (std::size_t i = 0; i < 2; ++i) {
        D3DXVECTOR3 z;
        shot_->GetPart(i).GetFrame()->GetWorldAxis(&z, 3);
        D3DXVECTOR3 to = eye - WorldOf(shot_->GetPart(i));
        D3DXVec3Normalize(&to, &to);
        EXPECT_NEAR(D3DXVec3Dot(&z, &to), 1.0F, 1e-4) << i;
    }
    effecttest::ExpectNear(WorldOf(shot_->GetPart(0)), D3DXVECTOR3(0.2F, 0, 0));
}

}  // namespace
}  // namespace shottest
