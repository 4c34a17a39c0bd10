// The game-object base: its files, attaching to an area, gravity and the speed limit, contacts and
// their hooks, the shadow on the ground, and copies.
#include <gtest/gtest.h>

#include <cfloat>
#include <memory>

#include "MainCode/Map/TCollisionWorld.h"
#include "object_fixture.h"
#include "support/character_probe.h"

namespace objtest {
namespace {

using GameObject = ObjectFixture;

TEST_F(GameObject, BuildsBodyAndShadowAndAttachesToTheArea)
{
    TestArea area(scene_.Get());
    TestObject o;
    EXPECT_EQ(TCharacterProbe::GroundHeight(o), FLT_MAX);
    EXPECT_EQ(TCharacterProbe::MaxVerticalSpeed(o), 0.5F);
    ASSERT_NE(o.GetBodyMesh(), nullptr);
    EXPECT_EQ(o.GetBodyMesh()->GetName(), "hero");
    EXPECT_EQ(o.GetBodyMesh()->GetMaterial(0).GetMaterialType(), 2100);
    EXPECT_EQ(o.GetFrame()->GetName(), "hero");
    ASSERT_EQ(TCharacterProbe::ShadowFrame(o)->GetMeshCount(), 1u);
    TMesh8* shadow = TCharacterProbe::ShadowFrame(o)->GetMesh(0);
    EXPECT_EQ(shadow->GetName(), "shadow");
    EXPECT_EQ(shadow->GetMaterial(0).GetMaterialType(), 3000);

    o.Place(1, 3, 2);
    o.AttachToField(&area);
    EXPECT_EQ(TCharacterProbe::GroundHeight(o), 3.0F);
    EXPECT_EQ(TCharacterProbe::GroundNormal(o), D3DXVECTOR3(0, 1, 0));
    EXPECT_EQ(o.GetFrame()->GetParent(), scene_.Get());
    EXPECT_EQ(TCharacterProbe::ShadowFrame(o)->GetParent(), scene_.Get());
    EXPECT_EQ(o.GetReferenceFrame(), scene_.Get());
    EXPECT_EQ(TCharacterProbe::CollisionWorld(o), area.GetCollisionWorld());
    EXPECT_EQ(area.GetCollisionWorld()->FindRegistered(o.GetObjectId()), &o);
    EXPECT_EQ(TCharacterProbe::Area(o), &area);
    D3DXVECTOR3 p;
    TCharacterProbe::ShadowFrame(o)->GetPosition(&p);
    EXPECT_FLOAT_EQ(p.y, 3.01F);
    EXPECT_EQ(p.x, 1.0F);

    o.SetShadowVisible(0);
    EXPECT_EQ(shadow->GetMaterial(0).GetMaterialType(), 0);
    o.SetShadowVisible(1);
    EXPECT_EQ(shadow->GetMaterial(0).GetMaterialType(), 3000);

    o.DetachFromField();
    EXPECT_EQ(area.GetCollisionWorld()->FindRegistered(o.GetObjectId()), nullptr);
    EXPECT_EQ(o.GetFrame()->GetParent(), nullptr);
    EXPECT_EQ(scene_->GetChildCount(), 0u);
}

TEST_F(GameObject, VerticalSpeedIsClampedOnlyBeyondTheLimit)
{
    TestObject o(2.0F, 1, -0.25F);  // limit 1.0
    o.SetVerticalSpeed(-0.75F);
    o.ApplyVelocity();
    EXPECT_EQ(TCharacterProbe::Velocity(o).y, -1.0F);
    EXPECT_EQ(o.Position().y, -1.0F);
    o.ApplyVelocity();
    EXPECT_EQ(TCharacterProbe::Velocity(o).y, -1.0F);
    EXPECT_EQ(o.Position().y, -2.0F);
    // Rising: clamped with its sign.
    o.SetGravity(0.5F);
    o.SetVerticalSpeed(0.75F);
    o.ApplyVelocity();
    EXPECT_EQ(TCharacterProbe::Velocity(o).y, 1.0F);
    o.SetVerticalSpeed(0.5F);
    o.ApplyVelocity();
    EXPECT_EQ(TCharacterProbe::Velocity(o).y, 1.0F);
    TCharacterProbe::SetVelocity(o, D3DXVECTOR3(0.25F, 0, -0.5F));
    o.SetGravity(0.0F);
    o.ApplyVelocity();
    EXPECT_EQ(o.Position(), D3DXVECTOR3(0.25F, -2.0F + 1.0F + 1.0F, -0.5F));
}

TEST_F(GameObject, ContactsLandHitWallsAndCeilingsUnlessAirborne)
{
    TestObject o(1.0F, 1, -0.02F);
    const float up[3] = {0, 1, 0};
    const float tilted[3] = {0, 0.8F, 0.6F};
    o.SetGravity(-0.5F);
    o.SetVerticalSpeed(-0.3F);
    o.SetContact(2.0F, 1, 0, 1, 0, tilted);
    EXPECT_EQ(o.landings, 1);
    EXPECT_EQ(TCharacterProbe::Gravity(o), -0.02F);
    EXPECT_EQ(TCharacterProbe::Velocity(o).y, 0.0F);
    EXPECT_EQ(TCharacterProbe::GroundHeight(o), 2.0F);
    EXPECT_EQ(TCharacterProbe::GroundNormal(o), D3DXVECTOR3(tilted));

    // Airborne: the on-ground flag is dropped, gravity and speed stay.
    o.airborne = true;
    o.SetGravity(-0.5F);
    o.SetVerticalSpeed(0.18F);
    o.SetContact(2.0F, 1, 1, 1, 0, up);
    EXPECT_EQ(o.landings, 1);
    EXPECT_EQ(o.contacts, 1);
    EXPECT_EQ(TCharacterProbe::Gravity(o), -0.5F);
    EXPECT_EQ(TCharacterProbe::Velocity(o).y, 0.18F);
    float h = 0;
    std::uint8_t flags[4] = {9, 9, 9, 9};
    float n[3];
    o.GetContact(&h, &flags[0], &flags[1], &flags[2], &flags[3], n);
    EXPECT_EQ(flags[0], 1);
    EXPECT_EQ(flags[1], 1);
    EXPECT_EQ(flags[2], 0);
    EXPECT_EQ(flags[3], 0);

    // A ceiling stops a rise; while falling it changes nothing and answers 256.
    EXPECT_EQ(o.OnCeilingContact(), 0u);
    EXPECT_EQ(TCharacterProbe::Velocity(o).y, 0.0F);
    o.SetVerticalSpeed(-0.1F);
    EXPECT_EQ(o.OnCeilingContact(), 256u);
    EXPECT_EQ(TCharacterProbe::Velocity(o).y, -0.1F);
    o.SetVerticalSpeed(0.1F);
    o.SetContact(2.0F, 0, 0, 0, 1, up);
    EXPECT_EQ(o.ceilings, 2 + 1);
    EXPECT_EQ(TCharacterProbe::Velocity(o).y, 0.0F);

    EXPECT_EQ(o.SetState(7), 7u);
    EXPECT_EQ(o.GetState(), 7u);
}

TEST_F(GameObject, ShadowLiesOnTheGroundAlongItsNormal)
{
    TestObject o;
    const float up[3] = {0, 1, 0};
    o.Place(3, 5, -2);
    o.SetContact(1.5F, 1, 0, 0, 0, up);
    o.UpdateShadow();
    const D3DXMATRIX& m = *TCharacterProbe::ShadowFrame(o)->GetMatrix();
    const D3DXMATRIX expected(-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 3, 1.51F, -2, 1);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_FLOAT_EQ(m.m[r][c], expected.m[r][c]) << r << "," << c;
        }
    }
    // A sloped normal: the shadow's Y axis follows it and the axes stay orthonormal.
    const float slope[3] = {0, 0.8F, 0.6F};
    o.SetContact(1.5F, 1, 0, 0, 0, slope);
    o.UpdateShadow();
    const D3DXMATRIX& s = *TCharacterProbe::ShadowFrame(o)->GetMatrix();
    EXPECT_FLOAT_EQ(s._21, 0.0F);
    EXPECT_FLOAT_EQ(s._22, 0.8F);
    EXPECT_FLOAT_EQ(s._23, 0.6F);
    EXPECT_NEAR(s._11 * s._21 + s._12 * s._22 + s._13 * s._23, 0.0F, 1e-6);
    EXPECT_NEAR(s._31 * s._21 + s._32 * s._22 + s._33 * s._23, 0.0F, 1e-6);
}

TEST_F(GameObject, CopiesTakeANewIdBodyAndShadowButNoContact)
{
    TestArea area(scene_.Get());
    TestObject o(1.25F, 0, -0.04F);
    o.SetGravity(-0.1F);
    o.AttachToField(&area);
    const float up[3] = {0, 1, 0};
    o.SetContact(0.5F, 1, 1, 0, 0, up);
    TestObject copy(o);
    EXPECT_NE(copy.GetObjectId(), o.GetObjectId());
    EXPECT_EQ(copy.GetRelatedId(), o.GetRelatedId());
    EXPECT_EQ(copy.GetCenterHeight(), 1.25F);
    EXPECT_EQ(copy.IsPushable(), 0);
    EXPECT_EQ(TCharacterProbe::DefaultGravity(copy), -0.1F);
    EXPECT_EQ(TCharacterProbe::GroundHeight(copy), FLT_MAX);
    EXPECT_EQ(TCharacterProbe::Area(copy), nullptr);
    EXPECT_NE(TCharacterProbe::ShadowFrame(copy), TCharacterProbe::ShadowFrame(o));
    EXPECT_EQ(TCharacterProbe::ShadowFrame(copy)->GetMeshCount(), 1u);
    ASSERT_NE(copy.GetBodyMesh(), nullptr);
    EXPECT_NE(copy.GetBodyMesh(), o.GetBodyMesh());
    EXPECT_EQ(copy.GetFrame()->GetName(), "hero");
    o.DetachFromField();
}

}  // namespace
}  // namespace objtest
