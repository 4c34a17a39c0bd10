// The follow and key cameras stepped one step at a time, and the shake.
#include <gtest/gtest.h>

#include <cmath>

#include "MainCode/Map/TCamera.h"
#include "support/dx_probe.h"
#include "support/map_probe.h"

namespace {

D3DXMATRIX Identity()
{
    D3DXMATRIX m;
    return *D3DXMatrixIdentity(&m);
}

float Distance(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const D3DXVECTOR3 d = a - b;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene_ = TRefPtr<TFrame>(new TFrame("Scene", Identity(), nullptr));
        target_ = TRefPtr<TFrame>(new TFrame("CameraTarget", Identity(), nullptr));
        scene_->AddChild(target_);
        view_.SetProjection(0.5F, 300.0F, 60.0F, 640, 480);
    }
    D3DXVECTOR3 PositionOf(const TCamera& camera) const
    {
        D3DXVECTOR3 p;
        camera.GetFrame()->GetPosition(&p);
        return p;
    }
    void Place(TCamera& camera, const D3DXVECTOR3& eye, const D3DXVECTOR3& target)
    {
        camera.GetFrame()->SetPosition(eye);
        target_->SetPosition(target);
    }

    TRefPtr<TFrame> scene_{nullptr};
    TRefPtr<TFrame> target_{nullptr};
    TView view_;
};

constexpr float kD = 5.0F;
constexpr float kH = 2.0F;

TEST_F(CameraTest, FollowCameraHangsUnderTheSceneAndCatchesUpByTheStepLimits)
{
    TFollowCamera camera(scene_.Get(), target_.Get(), &view_, kD, 7, kH);
    EXPECT_EQ(camera.GetMode(), 16u);
    EXPECT_EQ(camera.GetFrame()->GetName(), "TCamera");
    EXPECT_EQ(camera.GetFrame()->GetParent(), scene_.Get());

    // Horizontally a tenth of the gap to the place d behind the target.
    Place(camera, D3DXVECTOR3(0, kH, -20), D3DXVECTOR3(0, 0, 0));
    camera.Follow();
    EXPECT_FLOAT_EQ(PositionOf(camera).z, -18.5F);
    EXPECT_FLOAT_EQ(PositionOf(camera).x, 0.0F);

    struct Case {
        float y;
        float expected;
    };
    const Case vertical[] = {
        {20.0F, 19.5F},  // a tenth would be 1.8: limited to 0.5
        {7.0F, 6.5F},    // exactly 0.5
        {4.0F, 3.8F},    // a tenth
        {-10.0F, kH},    // below: never under target height + h
    };
    for (const Case& c : vertical) {
        Place(camera, D3DXVECTOR3(0, c.y, -30), D3DXVECTOR3(0, 0, 0));
        camera.Follow();
        EXPECT_NEAR(PositionOf(camera).y, c.expected, 1e-5F) << c.y;
    }
    // The target's own height counts.
    Place(camera, D3DXVECTOR3(0, 0, -30), D3DXVECTOR3(0, 10, 0));
    camera.Follow();
    EXPECT_FLOAT_EQ(PositionOf(camera).y, 10.0F + kH);
}

TEST_F(CameraTest, FollowCameraTooCloseBacksOffAtMostHalfAUnitAStep)
{
    TFollowCamera camera(scene_.Get(), target_.Get(), &view_, kD, 0, kH);
    // At its place: √(5² + 2²) = 5.39 is within d + 0.7, and it backs off the 0.31 missing.
    Place(camera, D3DXVECTOR3(0, kH, -kD), D3DXVECTOR3(0, 0, 0));
    camera.Follow();
    EXPECT_NEAR(Distance(PositionOf(camera), D3DXVECTOR3(0, 0, 0)), kD + 0.7F, 1e-4F);

    // Far too close: after the catch-up it stands at z = -0.95, y = 2, and backs off 0.5 only.
    Place(camera, D3DXVECTOR3(0, kH, -0.5F), D3DXVECTOR3(0, 0, 0));
    camera.Follow();
    const float caughtUp = std::sqrt(0.95F * 0.95F + kH * kH);
    EXPECT_NEAR(Distance(PositionOf(camera), D3DXVECTOR3(0, 0, 0)), caughtUp + 0.5F, 1e-4F);
}

TEST_F(CameraTest, FollowCameraAboveOrOnItsTargetGoesBehindIt)
{
    TFollowCamera camera(scene_.Get(), target_.Get(), &view_, kD, 0, kH);
    for (const D3DXVECTOR3& eye : {D3DXVECTOR3(0, 10, 0), D3DXVECTOR3(0, 0, 0)}) {
        Place(camera, eye, D3DXVECTOR3(0, 0, 0));
        camera.Update();
        const D3DXVECTOR3 p = PositionOf(camera);
        // The target looks along its -z: behind it is +z, a tenth of the way on the first step.
        EXPECT_EQ(p.x, 0.0F);
        EXPECT_GE(p.z, 0.1F * kD);  // false for a NaN too
        EXPECT_GE(p.y, kH);
    }
    camera.Reset(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0), 100);
    const D3DXVECTOR3 settled = PositionOf(camera);
    EXPECT_NEAR(settled.x, 0.0F, 0.001F);
    EXPECT_GT(settled.z, kD - 0.01F);
    EXPECT_NEAR(Distance(settled, D3DXVECTOR3(0, 0, 0)), kD + 0.7F, 0.05F);
}

TEST_F(CameraTest, ResetSettlesTheFollowCameraAndAimsTheView)
{
    TFollowCamera camera(scene_.Get(), target_.Get(), &view_, kD, 0, kH);
    camera.StartShake(5, 5, 1.0F, 7);
    camera.Reset(D3DXVECTOR3(3, 20, -40), D3DXVECTOR3(1, 0, 1), 100);
    EXPECT_FALSE(TMapProbe::IsShaking(camera));
    D3DXVECTOR3 target;
    target_->GetPosition(&target);
    EXPECT_EQ(target, D3DXVECTOR3(1, 0, 1));

    const D3DXVECTOR3 settled = PositionOf(camera);
    EXPECT_NEAR(Distance(settled, D3DXVECTOR3(1, 0, 1)), kD + 0.7F, 0.05F);
    camera.Update();
    EXPECT_LT(Distance(PositionOf(camera), settled), 0.01F);

    // The view looks from the camera at a point 1 above the target.
    D3DXVECTOR3 z;
    camera.GetFrame()->GetAxis(&z, 3);
    D3DXVECTOR3 toTarget = D3DXVECTOR3(1, 1, 1) - PositionOf(camera);
    toTarget /= Distance(toTarget, D3DXVECTOR3(0, 0, 0));
    EXPECT_LT(Distance(z, toTarget), 1e-4F);
    EXPECT_NEAR(TDxProbe::CameraMatrix(view_)->_42, PositionOf(camera).y, 1e-4F);
}

TEST_F(CameraTest, FarCounterRisesWhileFarAndClearsNearOrPastSixty)
{
    TFollowCamera camera(scene_.Get(), target_.Get(), &view_, kD, 0, kH);
    Place(camera, D3DXVECTOR3(0, kH, -100000), D3DXVECTOR3(0, 0, 0));
    for (int i = 0; i < 60; ++i) {
        camera.Follow();
    }
    EXPECT_EQ(TMapProbe::FarCount(camera), 60u);
    const D3DXVECTOR3 before = PositionOf(camera);
    camera.Follow();
    EXPECT_EQ(TMapProbe::FarCount(camera), 0u);
    // The placement behind the target is overwritten by the step's own result.
    EXPECT_NEAR(PositionOf(camera).z, before.z + 0.1F * (-kD - before.z), 1e-3F);
    Place(camera, D3DXVECTOR3(0, kH, -kD - 1), D3DXVECTOR3(0, 0, 0));
    camera.Follow();
    EXPECT_EQ(TMapProbe::FarCount(camera), 0u);
}

TEST_F(CameraTest, ShakeJoltsTheTargetOnceAStepInItsOwnAxesAndIgnoresANewRequest)
{
    TFollowCamera camera(scene_.Get(), target_.Get(), &view_, kD, 0, kH);
    // The target turned 90° about y: its own x axis is the world's -z.
    D3DXMATRIX turned;
    D3DXMatrixRotationY(&turned, 1.5707964F);
    target_->SetMatrix(turned);
    camera.StartShake(3, 2, 0.5F, 1);
    EXPECT_TRUE(TMapProbe::IsShaking(camera));
    camera.StartShake(9, 1, 4.0F, 6);  // ignored

    const bool jolted[8] = {true, false, true, false, true, false, false, false};
    for (int frame = 0; frame < 8; ++frame) {
        target_->SetMatrix(turned);  // the area puts the target back every step
        camera.StepShake();
        D3DXVECTOR3 jolt;
        target_->GetPosition(&jolt);
        EXPECT_LT(Distance(jolt, D3DXVECTOR3(0, 0, jolted[frame] ? -0.5F : 0.0F)), 1e-6F) << frame;
    }
    EXPECT_FALSE(TMapProbe::IsShaking(camera));

    // Each mask bit shakes its own axis; a stopped shake jolts no more and a new one is taken.
    target_->SetMatrix(Identity());
    camera.StartShake(4, 1, 2.0F, 6);
    camera.StepShake();
    D3DXVECTOR3 p;
    target_->GetPosition(&p);
    EXPECT_EQ(p, D3DXVECTOR3(0, 2.0F, 2.0F));
    camera.StopShake();
    target_->SetMatrix(Identity());
    camera.StepShake();
    target_->GetPosition(&p);
    EXPECT_EQ(p, D3DXVECTOR3(0, 0, 0));
    camera.StartShake(1, 1, 1.0F, 1);
    EXPECT_TRUE(TMapProbe::IsShaking(camera));
}

// Keys as the map data makes them.
TCameraKey RelativeKey(const D3DXVECTOR3& at, float dx, float dz, float distance, float height)
{
    TCameraKey k;
    k.kind = 0;
    k.position = at;
    k.directionX = dx;
    k.directionZ = dz;
    k.distance = distance;
    k.height = height;
    const float length = std::sqrt(dx * dx + dz * dz);
    k.direction = D3DXVECTOR3(dx / length, 0, dz / length);
    k.offset = D3DXVECTOR3(k.direction.x * distance, height, k.direction.z * distance);
    return k;
}

TCameraKey FixedKey(const D3DXVECTOR3& at, const D3DXVECTOR3& camera)
{
    TCameraKey k;
    k.kind = 1;
    k.position = at;
    k.cameraPosition = camera;
    return k;
}

TEST_F(CameraTest, KeyCameraOnAKeyUsesThatKeyAloneWithTheSameWayFactor)
{
    const std::vector<TCameraKey> keys = {RelativeKey({0, 0, 0}, 0, -1, 10, 4), RelativeKey({20, 0, 0}, 1, 0, 6, 2)};
    TKeyCamera camera(scene_.Get(), target_.Get(), &view_, keys);
    EXPECT_EQ(camera.GetMode(), 32u);

    // Camera and target both face +z: distance × 1.3.
    Place(camera, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0));
    camera.Follow();
    D3DXVECTOR3 p = PositionOf(camera);
    EXPECT_LT(Distance(p, D3DXVECTOR3(0, 4.0F, -13.0F) * 0.05F), 1e-5F);

    // The camera now looks toward +z still; a target facing -z gives the factor 1.
    D3DXMATRIX back;
    D3DXMatrixRotationY(&back, 3.1415927F);
    target_->SetMatrix(back);
    camera.GetFrame()->SetMatrix(Identity());
    camera.Follow();
    p = PositionOf(camera);
    EXPECT_NEAR(p.z, -10.0F * 0.05F, 1e-5F);

    // The frame turned toward the point 1 above the target; the view follows on LookAtTarget.
    D3DXVECTOR3 z;
    camera.GetFrame()->GetAxis(&z, 3);
    const D3DXVECTOR3 look = D3DXVECTOR3(0, 1, 0) - p;
    const float length = std::sqrt(look.x * look.x + look.y * look.y + look.z * look.z);
    EXPECT_NEAR(z.y, look.y / length, 1e-4F);
    EXPECT_NEAR(z.z, look.z / length, 1e-4F);
    camera.LookAtTarget();
    EXPECT_NEAR(TDxProbe::CameraMatrix(view_)->_43, p.z, 1e-5F);
}

TEST_F(CameraTest, KeyCameraBetweenKeysBlendsByTheNearerDistance)
{
    // Target a quarter of the way from the first key to the second: w = 0.25.
    const D3DXVECTOR3 camA(0, 10, -10);
    const D3DXVECTOR3 camB(40, 30, 10);
    const std::vector<TCameraKey> fixed = {FixedKey({0, 0, 0}, camA), FixedKey({40, 0, 0}, camB),
                                           FixedKey({500, 0, 0}, {0, 0, 0})};
    TKeyCamera camera(scene_.Get(), target_.Get(), &view_, fixed);
    const D3DXVECTOR3 blend(10, 15, -5);
    Place(camera, blend, D3DXVECTOR3(10, 0, 0));
    camera.Follow();
    EXPECT_LT(Distance(PositionOf(camera), blend), 1e-5F) << "already at the blend: stays";
    Place(camera, D3DXVECTOR3(10, 15, 45), D3DXVECTOR3(10, 0, 0));
    camera.Follow();
    EXPECT_NEAR(PositionOf(camera).z, 45.0F + (-5.0F - 45.0F) * 0.02F, 1e-4F);

    // A relative key with a fixed one: target + offset, no way factor, and the slower rate.
    const std::vector<TCameraKey> mixed = {RelativeKey({0, 0, 0}, 0, -1, 8, 3), FixedKey({40, 0, 0}, camB)};
    TKeyCamera mixedCamera(scene_.Get(), target_.Get(), &view_, mixed);
    Place(mixedCamera, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 0, 0));
    mixedCamera.Follow();
    const D3DXVECTOR3 desired = D3DXVECTOR3(10, 3, -8) + (camB - D3DXVECTOR3(10, 3, -8)) * 0.25F;
    EXPECT_LT(Distance(PositionOf(mixedCamera), desired * 0.02F), 1e-4F);

    // Two relative keys: direction, distance and height blended, the direction made whole again.
    const std::vector<TCameraKey> relative = {RelativeKey({0, 0, 0}, 0, -1, 8, 2), RelativeKey({40, 0, 0}, -1, 0, 4, 6)};
    TKeyCamera relativeCamera(scene_.Get(), target_.Get(), &view_, relative);
    Place(relativeCamera, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 0, 0));
    D3DXMATRIX back;
    D3DXMatrixRotationY(&back, 3.1415927F);
    target_->SetMatrix(back);
    target_->SetPosition(D3DXVECTOR3(10, 0, 0));
    relativeCamera.Follow();
    const D3DXVECTOR3 mix(-0.25F, 0, -0.75F);
    const float length = std::sqrt(0.25F * 0.25F + 0.75F * 0.75F);
    const D3DXVECTOR3 want(10 + mix.x / length * 7.0F, 3.0F, mix.z / length * 7.0F);
    EXPECT_LT(Distance(PositionOf(relativeCamera), want * 0.05F), 1e-4F);
}

TEST_F(CameraTest, KeyCameraWithOneOrNoKeys)
{
    TKeyCamera none(scene_.Get(), target_.Get(), &view_, {});
    Place(none, D3DXVECTOR3(1, 2, 3), D3DXVECTOR3(0, 0, 0));
    none.Update();
    EXPECT_EQ(PositionOf(none), D3DXVECTOR3(1, 2, 3));

    TKeyCamera one(scene_.Get(), target_.Get(), &view_, {FixedKey({100, 0, 0}, {50, 50, 50})});
    Place(one, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0));
    one.Follow();
    EXPECT_LT(Distance(PositionOf(one), D3DXVECTOR3(1, 1, 1)), 1e-5F);

    // Two keys on the target: d1 + d2 = 0, the first key alone.
    TKeyCamera both(scene_.Get(), target_.Get(), &view_,
                    {FixedKey({0, 0, 0}, {50, 0, 0}), FixedKey({0, 0, 0}, {0, 50, 0})});
    Place(both, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0));
    both.Follow();
    EXPECT_LT(Distance(PositionOf(both), D3DXVECTOR3(1, 0, 0)), 1e-5F);
}

TEST_F(CameraTest, DestroyingACameraTakesItsFrameOffTheScene)
{
    {
        TFollowCamera camera(scene_.Get(), target_.Get(), &view_, kD, 0, kH);
        EXPECT_EQ(scene_->GetChildCount(), 2u);
    }
    EXPECT_EQ(scene_->GetChildCount(), 1u);
}

}  // namespace
