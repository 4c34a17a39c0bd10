// The ray: its darkening rows, the head on its curve toward a target that may vanish, the trail
// behind the head, the collapsed rest of the ribbon, and its end once the tail has caught up.
#include <gtest/gtest.h>

#include <cmath>

#include "MainCode/Effect/TRayEffect.h"
#include "burst_fixture.h"
#include "support/effect_probe.h"

namespace effecttest {
namespace {

constexpr std::uint32_t kRayId = 400;
constexpr std::int32_t kCapacity = 11;  // ten segments
const float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};

class RayTrailTest : public EffectAreaTest {
protected:
    TRayEffect* StartRay()
    {
        Add(kRayId, new TRayEffect("sword01.msh"));
        return static_cast<TRayEffect*>(Create(kRayId, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), kWhite));
    }
    static D3DXVECTOR3 Bezier(const D3DXVECTOR3 p[4], float t)
    {
        const float s = 1.0F - t;
        return p[0] * (s * s * s) + p[1] * (3.0F * t * s * s) + p[2] * (3.0F * t * t * s) + p[3] * (t * t * t);
    }
    static D3DXVECTOR3 At(const TRibbonVertex& v) { return D3DXVECTOR3(v.x, v.y, v.z); }
};

TEST_F(RayTrailTest, RowsDarkenAndFadeTowardTheEnd)
{
    TRayEffect* ray = StartRay();
    ASSERT_EQ(TEffectProbe::Capacity(*ray), kCapacity);
    EXPECT_EQ(TEffectProbe::Mesh(*ray)->GetName(), "Ray");
    EXPECT_EQ(ray->GetFrame()->GetName(), "RayFrame");
    EXPECT_EQ(TEffectProbe::Mesh(*ray)->GetMaterial(0).GetMaterialType(), 4000);
    const std::vector<TRibbonVertex> v = VerticesOf(TEffectProbe::Mesh(*ray));
    for (int r : {0, 1, 5, kCapacity - 1}) {
        const auto shade = static_cast<std::uint32_t>(255.0F * (1.0F - static_cast<float>(r) / kCapacity));
        for (std::uint16_t i : TEffectProbe::RowTable(*ray)[static_cast<std::size_t>(r)]) {
            EXPECT_EQ(v[i].diffuse, shade * 0x01010101u) << "row " << r;
        }
    }
    EXPECT_EQ(v[0].diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(v[59].diffuse, 23u * 0x01010101u) << "trunc(255 / 11)";
}

TEST_F(RayTrailTest, TheHeadRunsTheCurveToTheTargetAndTheRayEndsOnceTheTailCaughtUp)
{
    auto target = NewObject("target", 4.0F, 0.0F, 1.0F);
    TRayEffect* ray = StartRay();
    const D3DXVECTOR3 p0(0, 0, 0), p1(0, 2, 0), p2(2, 2, 0);
    ray->SetCurve(p0, p1, p2, static_cast<std::int32_t>(target->GetObjectId()), 0.0F, 1.0F, 4);
    const D3DXVECTOR3 centre(4.0F, target->GetCenterHeight(), 1.0F);
    const D3DXVECTOR3 control[4] = {p0, p1, p2, centre};
    for (int update = 1; update <= 5; ++update) {
        ASSERT_TRUE(ray->Update());
        ExpectNear(TEffectProbe::EndPoint(*ray), centre);
        ExpectNear(TEffectProbe::Point(*ray, 0), Bezier(control, 0.25F * static_cast<float>(update - 1)));
        if (update > 1) {
            ExpectNear(TEffectProbe::Point(*ray, 1), Bezier(control, 0.25F * static_cast<float>(update - 2)));
        }
        EXPECT_EQ(TEffectProbe::Length(*ray), update);
    }
    EXPECT_TRUE(TEffectProbe::HasArrived(*ray));
    EXPECT_EQ(TEffectProbe::Tail(*ray), 1);
    // Arrived, the head writes no more: the last point moves back along the trail.
    for (int update = 6; update < 4 + kCapacity; ++update) {
        ASSERT_TRUE(ray->Update()) << update;
        ExpectNear(TEffectProbe::Point(*ray, 0), centre);
    }
    EXPECT_EQ(TEffectProbe::Length(*ray), kCapacity);
    EXPECT_FALSE(ray->Update()) << "the capacity-th frame counted from the arrival";
}

TEST_F(RayTrailTest, AVanishedTargetLeavesTheEndPointWhereItWasLastSeen)
{
    auto target = NewObject("target", 2.0F, 0.0F, 3.0F);
    TRayEffect* ray = StartRay();
    ray->SetCurve(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 0), D3DXVECTOR3(2, 1, 0),
                  static_cast<std::int32_t>(target->GetObjectId()), 0.0F, 1.0F, 8);
    ray->Update();
    target->Place(5.0F, 0.0F, 5.0F);
    ray->Update();
    const D3DXVECTOR3 seen(5.0F, target->GetCenterHeight(), 5.0F);
    ExpectNear(TEffectProbe::EndPoint(*ray), seen);
    area_->Remove(target.get());
    target->Place(-9.0F, 0.0F, -9.0F);
    ray->Update();
    ray->Update();
    ExpectNear(TEffectProbe::EndPoint(*ray), seen);
}

TEST_F(RayTrailTest, WithoutStepsItStartsArrivedWritesNoPointAndEndsAfterCapacityFrames)
{
    TRayEffect* ray = StartRay();
    ray->SetCurve(D3DXVECTOR3(1, 1, 1), D3DXVECTOR3(1, 2, 1), D3DXVECTOR3(2, 2, 1), -2, 0.0F, 1.0F, 0);
    EXPECT_TRUE(TEffectProbe::HasArrived(*ray));
    for (int update = 1; update < kCapacity; ++update) {
        ASSERT_TRUE(ray->Update()) << update;
        for (std::int32_t i = 0; i < kCapacity; ++i) {
            ASSERT_EQ(TEffectProbe::Point(*ray, i).x, 0.0F);
        }
    }
    EXPECT_FALSE(ray->Update());
    EXPECT_EQ(TEffectProbe::Tail(*ray), kCapacity);
}

TEST_F(RayTrailTest, RowsBeyondTheTrailCollapseOntoRowLengthAndNoVertexIsEverNaN)
{
    TRayEffect* ray = StartRay();
    // Every point on the z axis through p0: the first lies at p0, the rest parallel to (0, 0, 1).
    ray->SetCurve(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 0, 2), -2, 0.0F, 1.0F, 6);
    for (int update = 1; update <= 3; ++update) {
        ray->Update();
        const std::vector<TRibbonVertex> v = VerticesOf(TEffectProbe::Mesh(*ray));
        for (const TRibbonVertex& x : v) {
            ASSERT_TRUE(std::isfinite(x.x) && std::isfinite(x.y) && std::isfinite(x.z)) << update;
        }
    }
    const std::vector<TRibbonVertex> v = VerticesOf(TEffectProbe::Mesh(*ray));
    const std::vector<TRibbonRow>& rows = TEffectProbe::RowTable(*ray);
    ASSERT_EQ(TEffectProbe::Length(*ray), 3);
    // Degenerate directions give a zero width: both edges on the point.
    for (int r = 0; r < 3; ++r) {
        ExpectNear(At(v[rows[static_cast<std::size_t>(r)][0]]), TEffectProbe::Point(*ray, r));
        ExpectNear(At(v[rows[static_cast<std::size_t>(r)][3]]), TEffectProbe::Point(*ray, r));
    }
    for (int r = 3; r < kCapacity; ++r) {
        for (int k = 0; k < 6; ++k) {
            const std::uint16_t source = rows[3][k < 3 ? 0 : 3];
            ExpectNear(At(v[rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)]]), At(v[source]));
        }
    }

    // Off the axis the ribbon is 0.2 wide across the trail (the oldest point, at p0, has no width).
    TRayEffect* bent = StartRay();
    bent->SetCurve(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 2, 0), D3DXVECTOR3(3, 2, 1), -2, 0.0F, 1.0F, 6);
    for (int update = 0; update < 4; ++update) {
        bent->Update();
    }
    const std::vector<TRibbonVertex> w = VerticesOf(TEffectProbe::Mesh(*bent));
    for (int r = 0; r < 3; ++r) {
        const D3DXVECTOR3 left = At(w[TEffectProbe::RowTable(*bent)[static_cast<std::size_t>(r)][0]]);
        const D3DXVECTOR3 right = At(w[TEffectProbe::RowTable(*bent)[static_cast<std::size_t>(r)][5]]);
        const D3DXVECTOR3 across = left - right;
        EXPECT_NEAR(std::sqrt(across.x * across.x + across.y * across.y + across.z * across.z), 0.2F, 1e-5F) << r;
        ExpectNear((left + right) * 0.5F, TEffectProbe::Point(*bent, r));
    }
}

}  // namespace
}  // namespace effecttest
