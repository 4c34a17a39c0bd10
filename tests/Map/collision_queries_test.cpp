// Sphere resolution and floor probes: floors climbed or ignored, walls and corners pushing out,
// stacked floors, empty cells, the solids' bounding gates, and no allocation on the way.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "MainCode/Map/TCollisionMesh.h"
#include "support/alloc_probe.h"
#include "support/ground_writer.h"

namespace {

using qmtest::GroundMesh;

struct Result {
    float pos[3];
    float height = 0.0F;
    bool floorBelow = true;
    bool wall = true;
    bool landed = true;
    bool ceiling = true;
    float normal[3] = {9, 9, 9};
    std::uint32_t surface = 99;
};

class CollisionQueries : public qmtest::GroundFixture {
protected:
    TGridCollisionMesh Grid(const GroundMesh& g, float cell = 4.0F)
    {
        TGridCollisionMesh grid;
        grid.BuildGrid(Load(g.File()), cell, cell);
        return grid;
    }
    static Result Resolve(const TGridCollisionMesh& grid, float x, float y, float z, float r)
    {
        Result o{{x, y, z}};
        grid.ResolveSphere(o.pos, r, &o.height, &o.floorBelow, &o.wall, &o.landed, &o.ceiling, o.normal, &o.surface);
        return o;
    }
};

TEST_F(CollisionQueries, FloorsAreClimbedWithinOneRadiusAndIgnoredAboveTheCentre)
{
    const TGridCollisionMesh grid = Grid(GroundMesh().Floor(-8, -8, 8, 8, 2.0F, 0.12F));
    const float r = 1.0F;
    // Standing exactly on it: found, not lifted.
    Result o = Resolve(grid, 1, 2.0F, 1, r);
    EXPECT_TRUE(o.floorBelow);
    EXPECT_FALSE(o.landed);
    EXPECT_EQ(o.height, 2.0F);
    EXPECT_EQ(o.pos[1], 2.0F);
    EXPECT_EQ(o.surface, 3u);
    EXPECT_EQ(o.normal[1], 1.0F);
    EXPECT_FALSE(o.wall || o.ceiling);
    // 0.9 r below: lifted onto it.
    o = Resolve(grid, 1, 2.0F - 0.9F * r, 1, r);
    EXPECT_TRUE(o.landed);
    EXPECT_FLOAT_EQ(o.pos[1], 2.0F);
    EXPECT_EQ(o.pos[0], 1.0F);
    // 1.1 r below: the floor is above the centre and ignored.
    o = Resolve(grid, 1, 2.0F - 1.1F * r, 1, r);
    EXPECT_FALSE(o.floorBelow);
    EXPECT_FALSE(o.landed);
    EXPECT_EQ(o.height, FLT_MAX);
    EXPECT_EQ(o.surface, 0u);
    EXPECT_FLOAT_EQ(o.pos[1], 2.0F - 1.1F);
    // High above: found below, nothing moves.
    o = Resolve(grid, 1, 7.0F, 1, r);
    EXPECT_TRUE(o.floorBelow);
    EXPECT_FALSE(o.landed);
    EXPECT_EQ(o.height, 2.0F);
    EXPECT_FLOAT_EQ(o.pos[1], 7.0F);
}

TEST_F(CollisionQueries, NothingNearbyKeepsTheNoneValues)
{
    const TGridCollisionMesh grid = Grid(GroundMesh().Floor(0, 0, 2, 2, 0).Floor(30, 30, 32, 32, 0));
    const Result o = Resolve(grid, 15, 0.5F, 15, 1.0F);
    EXPECT_EQ(o.height, FLT_MAX);
    EXPECT_FALSE(o.floorBelow || o.wall || o.landed || o.ceiling);
    EXPECT_EQ(o.normal[0], 0.0F);
    EXPECT_EQ(o.normal[1], 1.0F);
    EXPECT_EQ(o.normal[2], 0.0F);
    EXPECT_EQ(o.surface, 0u);
    EXPECT_EQ(o.pos[0], 15.0F);
    EXPECT_EQ(o.pos[1], 0.5F);
    EXPECT_EQ(o.pos[2], 15.0F);
    bool found = true;
    float height = 0;
    float normal[3] = {9, 9, 9};
    const float p[3] = {15, 0.5F, 15};
    grid.ProbeFloor(p, &found, &height, normal);
    EXPECT_FALSE(found);
    EXPECT_EQ(height, FLT_MAX);
    EXPECT_EQ(normal[1], 1.0F);
}

TEST_F(CollisionQueries, WallsPushToExactlyOneRadiusInFrontAlsoFromBehind)
{
    // Wall in the plane z = 5 facing -z, no floor. The centre (-2, -2) keeps well away from the
    // wall's own diagonal edge, which pushes like any other edge.
    const TGridCollisionMesh grid = Grid(GroundMesh().WallZ(5.0F, -4, 4, -4, 4));
    const float r = 0.5F;
    Result o = Resolve(grid, -2, -2.5F, 4.8F, r);
    EXPECT_TRUE(o.wall);
    EXPECT_FALSE(o.ceiling || o.floorBelow || o.landed);
    EXPECT_FLOAT_EQ(o.pos[2], 4.5F);
    EXPECT_FLOAT_EQ(o.pos[0], -2.0F);
    EXPECT_FLOAT_EQ(o.pos[1], -2.5F);
    // Started behind the surface: still put in front.
    o = Resolve(grid, -2, -2.5F, 5.2F, r);
    EXPECT_TRUE(o.wall);
    EXPECT_FLOAT_EQ(o.pos[2], 4.5F);
    // Just out of reach.
    o = Resolve(grid, -2, -2.5F, 4.4F, r);
    EXPECT_FALSE(o.wall);
    EXPECT_EQ(o.pos[2], 4.4F);
}

TEST_F(CollisionQueries, CornersPushAlongTheLineFromTheCornerOnlyFromTheFront)
{
    // Wall at z = 5 facing -z over x -4..0; the sphere lies beyond its edge x = 0.
    const TGridCollisionMesh grid = Grid(GroundMesh().WallZ(5.0F, -4, 0, -4, 4));
    const float r = 1.0F;
    // Centre (0.3, r, 4.6): nearest edge point (0, r, 5), distance 0.5.
    Result o = Resolve(grid, 0.3F, 0.0F, 4.6F, r);
    EXPECT_TRUE(o.wall);
    EXPECT_FLOAT_EQ(o.pos[0], 0.6F);
    EXPECT_FLOAT_EQ(o.pos[2], 4.2F);
    EXPECT_FLOAT_EQ(o.pos[1], 0.0F);
    // Behind the surface at the edge: (c - e) · n <= 0, not pushed.
    o = Resolve(grid, 0.3F, 0.0F, 5.4F, r);
    EXPECT_FALSE(o.wall);
    EXPECT_EQ(o.pos[0], 0.3F);
    EXPECT_EQ(o.pos[2], 5.4F);
    // Level with the surface: not pushed either.
    o = Resolve(grid, 0.3F, 0.0F, 5.0F, r);
    EXPECT_FALSE(o.wall);
}

TEST_F(CollisionQueries, CeilingsPushDownAndSetTheirOwnFlag)
{
    const TGridCollisionMesh grid = Grid(GroundMesh().Ceiling(-4, -4, 4, 4, 3.0F));
    const Result o = Resolve(grid, 0, 1.5F, 0, 1.0F);
    EXPECT_TRUE(o.ceiling);
    EXPECT_FALSE(o.wall);
    EXPECT_FLOAT_EQ(o.pos[1], 1.0F);
}

TEST_F(CollisionQueries, StackedFloorsTakeTheNearestSurface)
{
    // Floors at 0 (red 0.0: code 1) and 3 (red 0.05: code 2).
    const TGridCollisionMesh grid = Grid(GroundMesh().Floor(-4, -4, 4, 4, 0.0F, 0.0F).Floor(-4, -4, 4, 4, 3.0F, 0.05F));
    // Centre at 5: the upper floor is nearer, accepted second and higher.
    Result o = Resolve(grid, 1, 4.0F, 1, 1.0F);
    EXPECT_EQ(o.height, 3.0F);
    EXPECT_EQ(o.surface, 2u);
    EXPECT_FALSE(o.landed);
    // Between them, the upper one is above the centre.
    o = Resolve(grid, 1, 1.5F, 1, 1.0F);
    EXPECT_EQ(o.height, 0.0F);
    EXPECT_EQ(o.surface, 1u);

    // Upper floor first in face order, lower floor later: the lower is farther and not accepted.
    const TGridCollisionMesh reversed =
        Grid(GroundMesh().Floor(-4, -4, 4, 4, 3.0F, 0.05F).Floor(-4, -4, 4, 4, 0.0F, 0.0F));
    o = Resolve(reversed, 1, 4.0F, 1, 1.0F);
    EXPECT_EQ(o.height, 3.0F);
    EXPECT_EQ(o.surface, 2u);

    bool found = false;
    float height = 0;
    float normal[3];
    const float p[3] = {1, 10, 1};
    grid.ProbeFloor(p, &found, &height, normal);
    EXPECT_TRUE(found);
    EXPECT_EQ(height, 3.0F);
    // The probe does not raise the point: a floor at its exact height is found, one above is not.
    const float onLower[3] = {1, 0.0F, 1};
    grid.ProbeFloor(onLower, &found, &height, normal);
    EXPECT_TRUE(found);
    EXPECT_EQ(height, 0.0F);
}

TEST_F(CollisionQueries, SolidsGateByTheirBoundingSphereAndAddToTheResult)
{
    // A box top at y = 2 over x, z in -1..1.
    TBoundedCollisionMesh solid;
    solid.Build(Load(GroundMesh().Floor(-1, -1, 1, 1, 2.0F, 0.2F).File("box"), "box.msh"));
    const float* b = solid.GetBounds();
    const float br = b[3];
    ASSERT_GT(br, 0.0F);
    // Outputs are not reset: values from before stay unless a face changes them.
    Result o{{0, 1.5F, 0}, 0.5F, false, true, false, false, {0, 1, 0}, 7};
    solid.ResolveSphere(o.pos, 1.0F, &o.height, &o.floorBelow, &o.wall, &o.landed, &o.ceiling, o.normal, &o.surface);
    EXPECT_TRUE(o.landed);
    EXPECT_TRUE(o.floorBelow);
    EXPECT_TRUE(o.wall);
    EXPECT_EQ(o.height, 2.0F);
    EXPECT_EQ(o.surface, 5u);
    EXPECT_FLOAT_EQ(o.pos[1], 2.0F);

    // The gate: horizontal distance up to radius + bounding radius resolves, beyond it nothing happens.
    const float r = 1.0F;
    const float edge = b[0] + r + br;
    Result far{{std::nextafter(edge, FLT_MAX), 1.5F, b[2]}, 9.0F, false, false, false, false, {0, 1, 0}, 0};
    solid.ResolveSphere(far.pos, r, &far.height, &far.floorBelow, &far.wall, &far.landed, &far.ceiling, far.normal,
                        &far.surface);
    EXPECT_EQ(far.height, 9.0F);
    EXPECT_EQ(far.pos[1], 1.5F);

    // The probe's gate is the bounding radius + 1.0; outputs are not reset either.
    bool found = false;
    float height = -5.0F;
    float normal[3] = {0, 1, 0};
    const float outside[3] = {std::nextafter(b[0] + br + 1.0F, FLT_MAX), 5, b[2]};
    solid.ProbeFloor(outside, &found, &height, normal);
    EXPECT_FALSE(found);
    EXPECT_EQ(height, -5.0F);
    const float over[3] = {0.5F, 5, 0.5F};
    solid.ProbeFloor(over, &found, &height, normal);
    EXPECT_TRUE(found);
    EXPECT_EQ(height, 2.0F);
    // A higher floor already found is kept.
    height = 4.0F;
    solid.ProbeFloor(over, &found, &height, normal);
    EXPECT_EQ(height, 4.0F);

    // A copy shares the faces.
    const TBoundedCollisionMesh copy = solid;
    EXPECT_EQ(&copy.GetFace(0), &solid.GetFace(0));
}

TEST_F(CollisionQueries, QueriesAllocateNothing)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "allocation probe needs the sanitizer build";
    }
    const TGridCollisionMesh grid =
        Grid(GroundMesh().Floor(-8, -8, 8, 8, 0).WallZ(2.0F, -8, 8, -1, 4).Ceiling(-8, -8, 8, 8, 5), 2.0F);
    TBoundedCollisionMesh solid;
    solid.Build(Load(GroundMesh().Floor(-1, -1, 1, 1, 1.0F).File("box"), "box.msh"));
    qmtest::AllocationProbe probe;
    for (int i = 0; i < 50; ++i) {
        Result o = Resolve(grid, 0.1F * i - 2, -0.5F, 1.6F, 1.0F);
        solid.ResolveSphere(o.pos, 1.0F, &o.height, &o.floorBelow, &o.wall, &o.landed, &o.ceiling, o.normal,
                            &o.surface);
        bool found = false;
        grid.ProbeFloor(o.pos, &found, &o.height, o.normal);
        solid.ProbeFloor(o.pos, &found, &o.height, o.normal);
    }
    EXPECT_EQ(probe.Allocations(), 0);
}

}  // namespace
