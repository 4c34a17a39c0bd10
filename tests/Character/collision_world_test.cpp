// The collision world with objects registered: registration rules, attack-test order, separation,
// neighbour counts, ground and solid passes, objects that die while registered, and an object
// dropped onto a generated ground.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "MainCode/Map/TCollisionWorld.h"
#include "object_fixture.h"
#include "support/character_probe.h"
#include "support/map_probe.h"

namespace objtest {
namespace {

using qmtest::GroundMesh;

class CollisionWorld : public ObjectFixture {};

TEST_F(CollisionWorld, RegistrationAndObjectsThatDie)
{
    TCollisionWorld world;
    TestObject player;
    TestObject a;
    auto b = std::make_unique<TestObject>();
    world.Register(&player);
    for (TestObject* f : {&a, b.get()}) {
        world.Register(f);
        world.RegisterSecondary(f);
    }
    const std::uint32_t ia = a.GetObjectId();
    const std::uint32_t ib = b->GetObjectId();
    EXPECT_EQ(world.FindFighter(ia), &a);

    // Unregistered: neither attack-tested nor resolved.
    world.Unregister(ia);
    EXPECT_EQ(world.FindRegistered(ia), nullptr);
    EXPECT_EQ(world.FindFighter(ia), nullptr);
    a.Place(0, -5, 0);
    world.ResolveGround();
    EXPECT_EQ(a.landings, 0);
    EXPECT_EQ(TCharacterProbe::GroundHeight(a), FLT_MAX);
    EXPECT_EQ(TCharacterProbe::GroundHeight(player), FLT_MAX);
    world.Unregister(12345678);  // unknown: ignored

    // Destroyed while registered: out of both maps.
    b.reset();
    EXPECT_EQ(world.FindRegistered(ib), nullptr);
    EXPECT_EQ(world.FindFighter(ib), nullptr);

    // A later registration under the same id wins; the earlier object dying leaves it alone.
    // (The second object goes by the first one's id while it lives.)
    struct SameId : TestObject {
        explicit SameId(std::uint32_t id) : own(m_objectId) { m_objectId = id; }
        ~SameId() override { m_objectId = own; }
        std::uint32_t own;
    };
    auto first = std::make_unique<TestObject>();
    const std::uint32_t id = first->GetObjectId();
    world.Register(first.get());
    SameId second(id);
    world.Register(&second);
    EXPECT_EQ(world.FindRegistered(id), &second);
    first.reset();
    EXPECT_EQ(world.FindRegistered(id), &second);
    world.Unregister(id);
}

TEST_F(CollisionWorld, ObjectsOutliveTheirWorld)
{
    TestObject o;
    {
        TCollisionWorld world;
        world.Register(&o);
        world.RegisterSecondary(&o);
    }
    {
        TestArea area(scene_.Get());
        o.AttachToField(&area);
        o.DetachFromField();
    }
    // Destroying o touches neither world (the sanitizer build would catch it).
}

TEST_F(CollisionWorld, SeparationAndNeighbourCounts)
{
    TCollisionWorld world;
    TestObject a(1.0F, 1);
    TestObject b(1.0F, 1);
    world.Register(&a);
    world.Register(&b);
    a.Place(0, 0, 0);
    b.Place(1.5F, 0, 0);
    world.SeparateObjects();
    EXPECT_FLOAT_EQ(a.Position().x, -0.25F);
    EXPECT_FLOAT_EQ(b.Position().x, 1.75F);
    EXPECT_EQ(a.GetNearbyCount(), 1u);
    EXPECT_EQ(b.GetNearbyCount(), 1u);

    // Only one pushable: it moves the whole overlap.
    TestObject c(1.0F, 0);
    TestObject d(1.0F, 1);
    TCollisionWorld other;
    other.Register(&c);
    other.Register(&d);
    c.Place(0, 0, 0);
    d.Place(0, 0, 1.5F);
    other.SeparateObjects();
    EXPECT_EQ(c.Position(), D3DXVECTOR3(0, 0, 0));
    EXPECT_FLOAT_EQ(d.Position().z, 2.0F);

    // Counting: 3.9 apart counts, 4.0 does not; no push at that distance.
    a.Place(0, 0, 0);
    b.Place(3.9F, 0, 0);
    world.SeparateObjects();
    EXPECT_EQ(a.GetNearbyCount(), 1u);
    EXPECT_EQ(b.GetNearbyCount(), 1u);
    EXPECT_EQ(b.Position().x, 3.9F);
    b.Place(4.0F, 0, 0);
    world.SeparateObjects();
    EXPECT_EQ(a.GetNearbyCount(), 0u);
    EXPECT_EQ(b.GetNearbyCount(), 0u);

    // Two in one place: no direction, so no push and no NaN.
    a.Place(2, 0, 2);
    b.Place(2, 0, 2);
    world.SeparateObjects();
    EXPECT_EQ(a.Position(), D3DXVECTOR3(2, 0, 2));
    EXPECT_EQ(b.Position(), D3DXVECTOR3(2, 0, 2));
    EXPECT_EQ(a.GetNearbyCount(), 1u);
}

TEST_F(CollisionWorld, GroundAndSolidPassesAndFindFloor)
{
    GroundMesh ground;
    ground.Floor(-10, -10, 0, 10, 0.0F, 0.1F);  // surface 3 on the left half only
    Load(ground.File(), "ground.msh");
    TCollisionWorld world;
    // Cells as large as the faces: only the cells holding a face's corners list it.
    world.Load("ground.msh", 20.0F, 20.0F);
    world.AddSolid(Load(GroundMesh().Floor(4, -1, 6, 1, 2.0F, 0.3F).File("box"), "box.msh"));
    ASSERT_EQ(TMapProbe::SolidCount(world), 1u);

    TestObject onGround;
    TestObject onBox;
    world.Register(&onGround);
    world.Register(&onBox);
    onGround.Place(-5, -0.5F, 0);
    onBox.Place(5, 1.6F, 0);
    world.ResolveGround();
    world.ResolveSolids();
    // The ground result survives a pass without solids nearby, reported twice.
    EXPECT_EQ(onGround.landings, 2);
    EXPECT_FLOAT_EQ(onGround.Position().y, 0.0F);
    EXPECT_EQ(onGround.GetGroundKind(), 3u);
    EXPECT_EQ(TCharacterProbe::GroundHeight(onGround), 0.0F);
    // On the box top: the solid's height, floor below, the ground's kind (none there).
    std::uint8_t flags[4];
    float h = 0;
    float n[3];
    onBox.GetContact(&h, &flags[0], &flags[1], &flags[2], &flags[3], n);
    EXPECT_EQ(h, 2.0F);
    EXPECT_EQ(flags[0], 1);
    EXPECT_EQ(flags[2], 1);
    EXPECT_FLOAT_EQ(onBox.Position().y, 2.0F);
    EXPECT_EQ(onBox.GetGroundKind(), 0u);

    bool found = false;
    float normal[3];
    const float overBox[3] = {5, 10, 0};
    world.FindFloor(overBox, &found, &h, normal);
    EXPECT_TRUE(found);
    EXPECT_EQ(h, 2.0F);
    const float nowhere[3] = {50, 10, 50};
    world.FindFloor(nowhere, &found, &h, normal);
    EXPECT_FALSE(found);

    // Loading again drops every registration.
    world.Load("ground.msh", 20.0F, 20.0F);
    EXPECT_EQ(world.FindRegistered(onGround.GetObjectId()), nullptr);
}

TEST_F(CollisionWorld, DroppedObjectLandsStandsOnASlopeAndStopsAtAWall)
{
    // Flat from x -10 to 0, a ramp up to (5, 2), a plateau to x 9, a wall at x 9.
    GroundMesh g;
    g.Floor(-10, -5, 0, 5, 0.0F, 0.0F).Ramp(0, 0.0F, 5, 2.0F, -5, 5, 0.05F).Floor(5, -5, 12, 5, 2.0F);
    g.WallX(9.0F, -5, 5, 0, 6);
    Load(g.File(), "ground.msh");
    TestArea area(scene_.Get());
    area.GetCollisionWorld()->Load("ground.msh", 4.0F, 4.0F);
    TestObject o(1.0F, 1, -0.02F);
    o.Place(-5, 6, 0);
    o.AttachToField(&area);

    const auto step = [&] {
        o.ApplyVelocity();
        TCollisionWorld* w = area.GetCollisionWorld();
        w->SeparateObjects();
        w->ResolveGround();
        w->ResolveSolids();
        o.UpdateShadow();
    };
    int frames = 0;
    while (o.landings == 0 && frames < 200) {
        step();
        ++frames;
    }
    ASSERT_GT(o.landings, 0) << "never landed";
    EXPECT_GT(frames, 10);
    for (int i = 0; i < 5; ++i) {
        step();
    }
    EXPECT_FLOAT_EQ(o.Position().y, 0.0F);
    EXPECT_EQ(TCharacterProbe::Velocity(o).y, 0.0F);
    EXPECT_EQ(o.GetGroundKind(), 1u);
    D3DXVECTOR3 shadow;
    TCharacterProbe::ShadowFrame(o)->GetPosition(&shadow);
    EXPECT_FLOAT_EQ(shadow.y, 0.01F);

    // Walk onto the ramp and stop there: it stands at the ramp's height.
    TCharacterProbe::SetVelocity(o, D3DXVECTOR3(0.1F, 0, 0));
    while (o.Position().x < 2.5F) {
        step();
    }
    TCharacterProbe::SetVelocity(o, D3DXVECTOR3(0, TCharacterProbe::Velocity(o).y, 0));
    for (int i = 0; i < 20; ++i) {
        step();
    }
    const float x = o.Position().x;
    EXPECT_NEAR(o.Position().y, x * 0.4F, 1e-4);
    EXPECT_EQ(o.GetGroundKind(), 2u);
    EXPECT_FLOAT_EQ(TCharacterProbe::GroundNormal(o).y, 5.0F / std::sqrt(29.0F));

    // Walk on into the wall: held one radius in front of it on the plateau.
    TCharacterProbe::SetVelocity(o, D3DXVECTOR3(0.1F, 0, 0));
    for (int i = 0; i < 120; ++i) {
        step();
    }
    EXPECT_FLOAT_EQ(o.Position().x, 8.0F);
    EXPECT_FLOAT_EQ(o.Position().y, 2.0F);
    o.DetachFromField();
}

}  // namespace
}  // namespace objtest
