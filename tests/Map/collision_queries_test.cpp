// Sphere resolution and floor probes: floors climbed or ignored, walls and corners pushing out,
// stacked floors, empty cells, the solids' bounding gates, and no allocation on the way.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <sstream>
#include <string>

#include "MainCode/Map/TCollisionMesh.h"
#include "support/alloc_probe.h"
#include "support/ground_fixture.h"
#include "support/map_probe.h"

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

// Position, floor height, the flags set and the surface code: a whole answer as one line.
std::string Text(const Result& o)
{
    std::ostringstream out;
    out << o.pos[0] << ',' << o.pos[1] << ',' << o.pos[2] << " h" << o.height << (o.floorBelow ? " floor" : "")
        << (o.wall ? " wall" : "") << (o.landed ? " landed" : "") << (o.ceiling ? " ceiling" : "") << " s" << o.surface;
    return out.str();
}

TEST_F(CollisionQueries, SpheresAgainstFloorsWallsCornersAndCeilings)
{
    const TGridCollisionMesh floor = Grid(GroundMesh().Floor(-8, -8, 8, 8, 2.0F, 0.12F));
    // Nothing within reach: the none values.
    const TGridCollisionMesh apart = Grid(GroundMesh().Floor(0, 0, 2, 2, 0).Floor(30, 30, 32, 32, 0));
    // Wall in the plane z = 5 facing -z, no floor. The centre (-2, -2) keeps well away from the
    // wall's own diagonal edge, which pushes like any other edge.
    const TGridCollisionMesh wall = Grid(GroundMesh().WallZ(5.0F, -4, 4, -4, 4));
    // The same over x -4..0 only: a sphere beyond its edge x = 0 meets the corner.
    const TGridCollisionMesh corner = Grid(GroundMesh().WallZ(5.0F, -4, 0, -4, 4));
    const TGridCollisionMesh ceiling = Grid(GroundMesh().Ceiling(-4, -4, 4, 4, 3.0F));
    // Floors at 0 (red 0.0: code 1) and 3 (red 0.05: code 2), in either face order.
    const TGridCollisionMesh stacked =
        Grid(GroundMesh().Floor(-4, -4, 4, 4, 0.0F, 0.0F).Floor(-4, -4, 4, 4, 3.0F, 0.05F));
    const TGridCollisionMesh reversed =
        Grid(GroundMesh().Floor(-4, -4, 4, 4, 3.0F, 0.05F).Floor(-4, -4, 4, 4, 0.0F, 0.0F));
    const float hugeHeight = FLT_MAX;
    std::ostringstream none;
    none << " h" << hugeHeight;
    const struct {
        const TGridCollisionMesh* grid;
        float x, y, z, r;
        std::string expected;
    } cases[] = {
        // Standing exactly on a floor: found, not lifted; 0.9 r below: lifted onto it; 1.1 r below:
        // the floor is above the centre and ignored; high above: found below, nothing moves.
        {&floor, 1, 2.0F, 1, 1, "1,2,1 h2 floor s3"},
        {&floor, 1, 2.0F - 0.9F, 1, 1, "1,2,1 h2 floor landed s3"},
        {&floor, 1, 2.0F - 1.1F, 1, 1, "1,0.9,1" + none.str() + " s0"},
        {&floor, 1, 7.0F, 1, 1, "1,7,1 h2 floor s3"},
        {&apart, 15, 0.5F, 15, 1, "15,0.5,15" + none.str() + " s0"},
        // Pushed to exactly one radius in front, also from behind; just out of reach nothing.
        {&wall, -2, -2.5F, 4.8F, 0.5F, "-2,-2.5,4.5" + none.str() + " wall s0"},
        {&wall, -2, -2.5F, 5.2F, 0.5F, "-2,-2.5,4.5" + none.str() + " wall s0"},
        {&wall, -2, -2.5F, 4.4F, 0.5F, "-2,-2.5,4.4" + none.str() + " s0"},
        // Centre (0.3, r, 4.6): nearest edge point (0, r, 5), distance 0.5, pushed along that line;
        // behind the surface at the edge ((c - e) · n <= 0) or level with it: not pushed.
        {&corner, 0.3F, 0.0F, 4.6F, 1, "0.6,0,4.2" + none.str() + " wall s0"},
        {&corner, 0.3F, 0.0F, 5.4F, 1, "0.3,0,5.4" + none.str() + " s0"},
        {&corner, 0.3F, 0.0F, 5.0F, 1, "0.3,0,5" + none.str() + " s0"},
        {&ceiling, 0, 1.5F, 0, 1, "0,1,0" + none.str() + " ceiling s0"},
        // The nearest surface counts: above both the upper one; between them the upper is above the
        // centre; the lower one later in face order is farther and not taken.
        {&stacked, 1, 4.0F, 1, 1, "1,4,1 h3 floor s2"},
        {&stacked, 1, 1.5F, 1, 1, "1,1.5,1 h0 floor s1"},
        {&reversed, 1, 4.0F, 1, 1, "1,4,1 h3 floor s2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Text(Resolve(*c.grid, c.x, c.y, c.z, c.r)), c.expected) << c.x << "," << c.y << "," << c.z;
    }
    const Result flat = Resolve(floor, 1, 2.0F, 1, 1);
    EXPECT_EQ(flat.normal[1], 1.0F);
    const Result lonely = Resolve(apart, 15, 0.5F, 15, 1);
    EXPECT_EQ(std::vector<float>(lonely.normal, lonely.normal + 3), (std::vector<float>{0, 1, 0}));

    // Floor probes: nothing near keeps the none values; the probe does not raise the point, so a
    // floor at its exact height is found.
    // Each starts from the other answer, so that it must be written.
    const auto probe = [](const TGridCollisionMesh& grid, float x, float y, float z, bool found) {
        float height = 0;
        float normal[3] = {9, 9, 9};
        const float p[3] = {x, y, z};
        grid.ProbeFloor(p, &found, &height, normal);
        std::ostringstream out;
        out << found << " h" << height << " n" << normal[1];
        return out.str();
    };
    EXPECT_EQ(probe(apart, 15, 0.5F, 15, true), "0" + none.str() + " n1");
    EXPECT_EQ(probe(stacked, 1, 10, 1, false), "1 h3 n1");
    EXPECT_EQ(probe(stacked, 1, 0, 1, false), "1 h0 n1");
}

TEST_F(CollisionQueries, SolidsGateByTheirBoundingSphereAndAddToTheResult)
{
    // A box top at y = 2 over x, z in -1..1.
    TBoundedCollisionMesh solid;
    solid.Build(Load(GroundMesh().Floor(-1, -1, 1, 1, 2.0F, 0.2F).File("box"), "box.msh"));
    const float* b = TMapProbe::Bounds(solid);
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
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
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
