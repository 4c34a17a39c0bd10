// Motion helpers: even and accelerated moves, offset and jittered placement, Bézier curves with
// bend, homing and healing, and the point handed from part to part.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TAccelMotion.h"
#include "MainCode/Character/TCurveMotion.h"
#include "MainCode/Character/THealingCurveMotion.h"
#include "MainCode/Character/THeldRandomOffsetMotion.h"
#include "armed_fixture.h"
#include "support/character_probe.h"
#include "support/frame_motion_target.h"

namespace objtest {
namespace {

D3DXMATRIX Identity()
{
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

D3DXVECTOR3 At(const TFrame& f)
{
    D3DXVECTOR3 p;
    f.GetPosition(&p);
    return p;
}

TEST(MotionHelper, AcceleratedMovesAgainstTheDirection)
{
    TFrame frame("e", Identity(), nullptr);
    qmtest::FrameMotionTarget target(&frame);
    TAccelMotion even(D3DXVECTOR3(1.0F, 0.0F, 0.0F), D3DXVECTOR3(0.0F, 0.0F, 2.0F), 0.5F, 0.0F);
    for (int i = 1; i <= 4; ++i) {
        even.Step(&target);
        EXPECT_FLOAT_EQ(At(frame).z, -0.5F * i);
        EXPECT_FLOAT_EQ(At(frame).x, 1.0F);
    }
    TAccelMotion faster(D3DXVECTOR3(0.0F, 0.0F, 0.0F), D3DXVECTOR3(1.0F, 0.0F, 0.0F), 0.0F, 0.1F);
    faster.Step(&target);
    EXPECT_FLOAT_EQ(At(frame).x, -0.1F);
    faster.Step(&target);
    EXPECT_FLOAT_EQ(At(frame).x, -0.3F);
    // Orienting is no part of the plain accelerated move.
    TFrame other("o", Identity(), nullptr);
    other.SetPosition(D3DXVECTOR3(5.0F, 0.0F, 0.0F));
    const D3DXMATRIX before = *frame.GetMatrix();
    faster.Orient(&target, nullptr, &other);
    EXPECT_EQ(0, std::memcmp(&before, frame.GetMatrix(), sizeof before));
}

TEST(MotionHelper, OffsetsAndJitter)
{
    TFrame anchor("a", Identity(), nullptr);
    anchor.SetPosition(D3DXVECTOR3(10.0F, 0.0F, 0.0F));
    anchor.RotateAxis(D3DXVECTOR3(0.0F, 1.0F, 0.0F), 3.14159274F, true);
    TFrame frame("e", Identity(), nullptr);
    qmtest::FrameMotionTarget target(&frame);
    TOffsetMotion offset(&anchor, D3DXVECTOR3(1.0F, 2.0F, 0.0F), D3DXVECTOR3(0.0F, 0.5F, 0.0F));
    offset.Step(&target);
    EXPECT_NEAR(At(frame).x, 9.0F, 1e-5);  // the offset in the turned anchor's axes
    EXPECT_NEAR(At(frame).y, 2.0F, 1e-5);

    // Draws x, y, z in that order from the shared generator.
    init_genrand(5489);
    std::int32_t r[3];
    for (std::int32_t& v : r) {
        v = static_cast<std::int32_t>((genrand_int32() >> 1) & 0x7F) - 64;
    }
    init_genrand(5489);
    TRefPtr<TFrame> held(new TFrame("h", Identity(), nullptr));
    THeldRandomOffsetMotion jitter(held, D3DXVECTOR3(1.0F, 1.0F, 1.0F), D3DXVECTOR3(0.0F, 0.1F, 0.0F), 200.0F,
                                   400.0F, 100.0F);
    EXPECT_EQ(held.UseCount(), 2u);
    jitter.Step(&target);
    EXPECT_FLOAT_EQ(At(frame).x, 1.0F + r[0] / 200.0F);
    EXPECT_FLOAT_EQ(At(frame).y, 1.0F + r[1] / 400.0F);
    EXPECT_FLOAT_EQ(At(frame).z, 1.0F + r[2] / 100.0F);

    // Part to part: the base copies the point, the offset classes add their second vector.
    TFrame next("n", Identity(), nullptr);
    qmtest::FrameMotionTarget nextTarget(&next);
    jitter.Apply(&nextTarget, &target);
    EXPECT_FLOAT_EQ(At(next).y, At(frame).y + 0.1F);
    TAccelMotion plain(D3DXVECTOR3(0.0F, 0.0F, 0.0F), D3DXVECTOR3(1.0F, 0.0F, 0.0F), 0.0F, 0.0F);
    plain.Apply(&nextTarget, &target);
    EXPECT_FLOAT_EQ(At(next).y, At(frame).y);
}

TEST(MotionHelper, CurvesBendAndRunPastTheEnd)
{
    TFrame frame("e", Identity(), nullptr);
    qmtest::FrameMotionTarget target(&frame);
    const D3DXVECTOR3 start(0.0F, 0.0F, 0.0F);
    const D3DXVECTOR3 end(0.0F, 0.0F, 10.0F);
    TCurveMotion straight(0.05F, D3DXVECTOR3(0.0F, 0.0F, 0.0F), start, end);
    for (int i = 1; i <= 20; ++i) {
        straight.Step(&target);
        ASSERT_FLOAT_EQ(At(frame).x, 0.0F);
        ASSERT_FLOAT_EQ(At(frame).y, 0.0F);
    }
    EXPECT_NEAR(TCharacterProbe::CurveT(straight), 1.0F, 1e-5);
    EXPECT_NEAR(At(frame).z, 10.0F, 1e-3);
    straight.Step(&target);  // not clamped
    EXPECT_GT(At(frame).z, 10.0F);

    // Bend: x to the side, y up, z forward, whatever the curve's heading.
    TCurveMotion bent(0.5F, D3DXVECTOR3(1.0F, 2.0F, 3.0F), start, D3DXVECTOR3(-4.0F, 7.0F, 0.0F));
    const D3DXVECTOR3 c = TCharacterProbe::Point(bent, 1);
    EXPECT_NEAR(c.x, -3.0F, 1e-5);  // forward is -X, the side is +Z
    EXPECT_NEAR(c.y, 2.0F, 1e-5);
    EXPECT_NEAR(c.z, 1.0F, 1e-5);
    EXPECT_EQ(TCharacterProbe::Point(bent, 2), c);
    bent.Step(&target);
    const D3DXVECTOR3 mid = start * 0.125F + c * 0.375F + c * 0.375F + D3DXVECTOR3(-4.0F, 7.0F, 0.0F) * 0.125F;
    EXPECT_NEAR(At(frame).x, mid.x, 1e-5);
    EXPECT_NEAR(At(frame).y, mid.y, 1e-5);

    // A straight-up or zero-length curve keeps finite points.
    TCurveMotionBase up(0.5F, D3DXVECTOR3(1.0F, 1.0F, 1.0F), start, D3DXVECTOR3(0.0F, 5.0F, 0.0F));
    EXPECT_TRUE(std::isfinite(TCharacterProbe::Point(up, 1).x));
    EXPECT_FLOAT_EQ(TCharacterProbe::Point(up, 1).y, 1.0F);
}

class HomingMotion : public ArmedFixture {};

TEST_F(HomingMotion, FollowsTheTargetUntilTheHomingEndThenHeals)
{
    TestArea area(scene_.Get());
    TestFighter target;
    target.AttachToField(&area);
    area.RegisterObject(&target);
    target.Place(0.0F, 0.0F, 10.0F);
    TFrame frame("e", Identity(), nullptr);
    qmtest::FrameMotionTarget mover(&frame);

    THomingCurveMotion homing(0.25F, D3DXVECTOR3(0.0F, 1.0F, 0.0F), D3DXVECTOR3(0.0F, 0.0F, 0.0F),
                              D3DXVECTOR3(9.0F, 9.0F, 9.0F), &area, target.GetObjectId(), 0.5F, 0.25F);
    EXPECT_FLOAT_EQ(TCharacterProbe::Point(homing, 3).z, 10.0F);  // the target's centre, not the given end
    EXPECT_FLOAT_EQ(TCharacterProbe::Point(homing, 3).y, 1.0F);
    // Bent by one unit upward, at right angles to the line to the target's centre.
    const D3DXVECTOR3 bend = TCharacterProbe::Point(homing, 1);
    EXPECT_NEAR(D3DXVec3Length(&bend), 1.0F, 1e-5);
    EXPECT_NEAR(bend.y * 1.0F + bend.z * 10.0F, 0.0F, 1e-4);
    EXPECT_GT(bend.y, 0.99F);
    EXPECT_FLOAT_EQ(bend.x, 0.0F);
    target.Place(2.0F, 0.0F, 10.0F);
    homing.Step(&mover);  // t 0 -> 0.25
    EXPECT_FLOAT_EQ(TCharacterProbe::Point(homing, 3).x, 2.0F);
    EXPECT_FLOAT_EQ(TCharacterProbe::Point(homing, 3).y, 0.25F);  // raised by the height offset
    target.Place(4.0F, 0.0F, 10.0F);
    homing.Step(&mover);  // t 0.25 -> 0.5
    EXPECT_FLOAT_EQ(TCharacterProbe::Point(homing, 3).x, 4.0F);
    target.Place(6.0F, 0.0F, 10.0F);
    homing.Step(&mover);  // at the homing end: stays
    EXPECT_FLOAT_EQ(TCharacterProbe::Point(homing, 3).x, 4.0F);

    // Gone from the area: the last end stays.
    THomingCurveMotion lost(0.1F, D3DXVECTOR3(0.0F, 0.0F, 0.0F), D3DXVECTOR3(0.0F, 0.0F, 0.0F),
                            D3DXVECTOR3(0.0F, 0.0F, 0.0F), &area, target.GetObjectId(), 1.0F, 0.0F);
    area.UnregisterObject(&target);
    lost.Step(&mover);
    EXPECT_FLOAT_EQ(TCharacterProbe::Point(lost, 3).x, 6.0F);

    area.RegisterObject(&target);
    target.SetHp(10);
    THealingCurveMotion heal(0.05F, D3DXVECTOR3(0.0F, 0.0F, 0.0F), D3DXVECTOR3(0.0F, 0.0F, 0.0F),
                             D3DXVECTOR3(0.0F, 0.0F, 0.0F), &area, target.GetObjectId(), 0.5F, 0.0F, 3);
    std::vector<int> healedAt;
    for (int i = 1; i <= 22; ++i) {
        const std::int32_t before = target.GetHp();
        heal.Step(&mover);
        if (target.GetHp() != before) {
            healedAt.push_back(i);
        }
    }
    // t passes 0.98 at the 20th step (t = 1.0 in float sums just under or over).
    ASSERT_FALSE(healedAt.empty());
    EXPECT_GE(healedAt.front(), 20);
    EXPECT_EQ(healedAt.back(), 22);
    EXPECT_EQ(target.GetHp(), 10 + 3 * static_cast<int>(healedAt.size()));
    area.UnregisterObject(&target);
    heal.Step(&mover);  // gone: nothing
    target.DetachFromField();
}

}  // namespace
}  // namespace objtest
