// The view: projection from degrees, the camera's inverse, and the sphere test meshes are culled with.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TView.h"

namespace {

D3DXMATRIX Identity()
{
    D3DXMATRIX m;
    return *D3DXMatrixIdentity(&m);
}

// A camera at (0, 0, -5) looking along +Z, the game's usual near, far and angle on a 640×480 buffer.
class ViewCulling : public ::testing::Test {
protected:
    void SetUp() override
    {
        camera_.SetPosition(D3DXVECTOR3(0, 0, -5));
        view_.SetProjection(0.1F, 20.0F, 45.0F, 640, 480);
        ASSERT_TRUE(view_.SetCamera(&camera_));
    }
    bool Visible(float x, float y, float z, float r) const
    {
        const float sphere[4] = {x, y, z, r};
        return view_.IsSphereVisible(sphere);
    }
    // A small sphere at distance 10 from the eye, turned by the angle (degrees) about the camera's Y axis.
    bool VisibleAtSideAngle(float degrees) const
    {
        const float a = degrees * 0.017453292F;
        return Visible(10.0F * std::sin(a), 0.0F, -5.0F + 10.0F * std::cos(a), 0.01F);
    }

    TFrame camera_{"Camera", Identity(), nullptr};
    TView view_;
};

TEST(View, StartsWithIdentityMatricesAndNoFarLimit)
{
    TView view;
    EXPECT_EQ(view.GetFar(), FLT_MAX);
    EXPECT_EQ(*view.GetProjection(), Identity());
    EXPECT_EQ(*view.GetViewProjection(), Identity());
}

TEST(View, ProjectionTakesTheFieldOfViewInDegrees)
{
    TView view;
    view.SetProjection(0.1F, 40.0F, 45.0F, 640, 480);
    D3DXMATRIX expected;
    D3DXMatrixPerspectiveFovLH(&expected, 45.0F * 0.017453292F, 640.0F / 480.0F, 0.1F, 40.0F);
    EXPECT_EQ(*view.GetProjection(), expected);
    EXPECT_NEAR(view.GetProjection()->_22, 1.0F / std::tan(0.3926991F), 1e-5F);  // cot(22.5°)
    EXPECT_EQ(view.GetFar(), 40.0F);
    EXPECT_NEAR(view.GetFarWidth(), 2.0F * 40.0F, 1e-3F);  // 2 × far × tan 45°

    view.SetProjection(0.1F, 20.0F, 45.0F, 640, 480);
    EXPECT_NEAR(view.GetFarWidth(), 40.0F, 1e-4F);
    view.SetProjection(0.1F, 20.0F, 30.0F, 640, 480);
    EXPECT_NEAR(view.GetFarWidth(), 40.0F * std::tan(0.5235988F), 1e-4F);
}

TEST(View, ViewIsTheCameraInverseAndFollowsTheProjection)
{
    TFrame camera("Camera", Identity(), nullptr);
    camera.RotateAxis(D3DXVECTOR3(0, 1, 0), 0.5F, false);
    camera.SetPosition(D3DXVECTOR3(3, 1, -4));
    TView view;
    view.SetProjection(0.5F, 30.0F, 60.0F, 800, 600);
    ASSERT_TRUE(view.SetCamera(&camera));
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, view.GetView(), camera.GetMatrix());
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(product.m[r][c], r == c ? 1.0F : 0.0F, 1e-5F);
        }
    }
    EXPECT_EQ(*view.GetViewProjection(), *view.GetView() * *view.GetProjection());
    view.SetProjection(0.5F, 10.0F, 60.0F, 800, 600);
    EXPECT_EQ(*view.GetViewProjection(), *view.GetView() * *view.GetProjection());

    // A flat camera cannot be inverted: refused, the view keeps what it had.
    const D3DXMATRIX before = *view.GetView();
    camera.Scale(1, 0, 1, true);
    EXPECT_FALSE(view.SetCamera(&camera));
    EXPECT_EQ(*view.GetView(), before);
}

TEST_F(ViewCulling, NearAndFarAllowForTheRadius)
{
    EXPECT_FALSE(Visible(0, 0, -5, 0.0F));  // on the eye: z = 0 < near
    EXPECT_TRUE(Visible(0, 0, -5, 1.0F));
    EXPECT_TRUE(Visible(0, 0, -5 + 20.0F + 0.5F, 0.5F));   // at far + r
    EXPECT_FALSE(Visible(0, 0, -5 + 20.0F + 0.51F, 0.5F));  // a hair further
    EXPECT_FALSE(Visible(0, 0, -9, 1.0F));                  // behind the camera
}

TEST_F(ViewCulling, SideWallsStandAtTheFullAngleUpAndDownAtThreeQuarters)
{
    // 40° to the side is outside the drawn picture (about 29°) but inside the walls at 45°.
    EXPECT_TRUE(VisibleAtSideAngle(40.0F));
    EXPECT_TRUE(VisibleAtSideAngle(-40.0F));
    EXPECT_FALSE(VisibleAtSideAngle(50.0F));
    EXPECT_FALSE(VisibleAtSideAngle(-50.0F));
    // Up and down the walls stand at 0.75 × 45° = 33.75°.
    const float up = 32.0F * 0.017453292F;
    const float out = 36.0F * 0.017453292F;
    EXPECT_TRUE(Visible(0, 10.0F * std::sin(up), -5.0F + 10.0F * std::cos(up), 0.01F));
    EXPECT_TRUE(Visible(0, -10.0F * std::sin(up), -5.0F + 10.0F * std::cos(up), 0.01F));
    EXPECT_FALSE(Visible(0, 10.0F * std::sin(out), -5.0F + 10.0F * std::cos(out), 0.01F));
    EXPECT_FALSE(Visible(0, -10.0F * std::sin(out), -5.0F + 10.0F * std::cos(out), 0.01F));
    // A sphere outside a wall still counts while it reaches across it.
    EXPECT_FALSE(Visible(10.0F, 0, 0.0F, 3.0F));  // 3.54 beyond the right wall
    EXPECT_TRUE(Visible(10.0F, 0, 0.0F, 4.0F));
}

TEST_F(ViewCulling, TheVolumeTurnsWithTheCamera)
{
    camera_.RotateAxis(D3DXVECTOR3(0, 1, 0), 1.5707964F, true);  // now looking along +X
    ASSERT_TRUE(view_.SetCamera(&camera_));
    EXPECT_TRUE(Visible(10, 0, -5, 0.01F));
    EXPECT_FALSE(Visible(0, 0, 5, 0.01F));
    EXPECT_FALSE(Visible(-10, 0, -5, 0.01F));
}

TEST(View, WithTheLargestFarNothingIsCulledByDistance)
{
    TFrame camera("Camera", Identity(), nullptr);
    camera.SetPosition(D3DXVECTOR3(0, 0, 1));
    TView view;
    view.SetProjection(0.0F, FLT_MAX, 45.0F, 640, 480);  // far + r overflows to infinity
    ASSERT_TRUE(view.SetCamera(&camera));
    const float farAway[4] = {0, 0, 1e30F, 1.0F};
    const float behind[4] = {0, 0, -2, 1.0F};
    EXPECT_FALSE(view.IsSphereVisible(behind));
    EXPECT_TRUE(view.IsSphereVisible(farAway));
}

}  // namespace
