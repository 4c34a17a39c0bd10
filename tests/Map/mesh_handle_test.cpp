// Object ids from the process-wide pool, and a handle's placement and turning.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "MainCode/Map/TMeshHandle.h"
#include "TCommon/TIdPool.h"

namespace {

class Handle : public TMeshHandle {
public:
    explicit Handle(std::uint32_t related = 7) : TMeshHandle(related)
    {
        D3DXMATRIX m;
        D3DXMatrixIdentity(&m);
        m_frame = TRefPtr<TFrame>(new TFrame("handle", m, nullptr));
    }
    bool Update() override { return true; }
};

// The pool on an 8-bit counter wraps after 256 ids: those still in use are skipped, released ones
// come round again; the 32-bit one wraps from 0xFFFFFFFF to 0.
TEST(MeshHandle, IdsCountUpAndAreNotReusedUntilTheCounterWraps)
{
    TIdPool<std::uint8_t> small;
    EXPECT_EQ((std::vector<int>{small.Allocate(), small.Allocate(), small.Allocate()}), (std::vector<int>{0, 1, 2}));
    small.Release(1);
    small.Release(200);  // not in use: changes nothing
    for (int id = 3; id < 256; ++id) {
        ASSERT_EQ(small.Allocate(), id);
        small.Release(static_cast<std::uint8_t>(id));
    }
    EXPECT_EQ((std::vector<int>{small.Allocate(), small.Allocate()}), (std::vector<int>{1, 3}));
    TIdPool<std::uint32_t> wide(0xFFFFFFFEu);
    EXPECT_EQ((std::vector<std::uint32_t>{wide.Allocate(), wide.Allocate(), wide.Allocate()}),
              (std::vector<std::uint32_t>{0xFFFFFFFEu, 0xFFFFFFFFu, 0}));

    // Handles take the process-wide pool's ids in turn and give them back.
    auto a = std::make_unique<Handle>();
    auto b = std::make_unique<Handle>(3);
    EXPECT_EQ(b->GetObjectId(), a->GetObjectId() + 1);
    EXPECT_EQ(b->GetRelatedId(), 3u);
    const std::uint32_t next = b->GetObjectId() + 1;
    b.reset();
    EXPECT_EQ(Handle().GetObjectId(), next);
}

// The process-wide pool counts on past 65,535: a 16-bit counter would come round to ids in use.
TEST(MeshHandle, TheProcessWidePoolCountsPastSixtyFiveThousandFiveHundredAndThirtyFive)
{
    const std::uint32_t first = TMeshHandle::AllocateObjectId();
    TMeshHandle::ReleaseObjectId(first);
    for (std::uint32_t i = 1; i <= 65536; ++i) {
        const std::uint32_t id = TMeshHandle::AllocateObjectId();
        TMeshHandle::ReleaseObjectId(id);
        ASSERT_EQ(id, first + i);
    }
    const std::uint32_t next = TMeshHandle::AllocateObjectId();
    TMeshHandle::ReleaseObjectId(next);
    EXPECT_EQ(next, first + 65537u);
    EXPECT_GE(next, 65537u);
}

TEST(MeshHandle, FrontAndRightAreTheNegativeAxes)
{
    Handle h;
    D3DXVECTOR3 v;
    h.GetFront(&v);
    EXPECT_EQ(v, D3DXVECTOR3(0, 0, -1));
    h.GetRight(&v);
    EXPECT_EQ(v, D3DXVECTOR3(-1, 0, 0));
    // Scaled axes still give unit vectors.
    h.GetFrame()->Scale(2, 2, 2, true);
    h.GetFront(&v);
    EXPECT_FLOAT_EQ(v.z, -1.0F);
    h.Move(1, 2, 3);
    h.Move(1, 0, 0);
    h.GetPosition(&v);
    EXPECT_EQ(v, D3DXVECTOR3(2, 2, 3));
}

float SideOffset(Handle& h, const Handle& target)
{
    D3DXVECTOR3 rel;
    EXPECT_TRUE(target.GetFrame()->GetPositionRelativeTo(h.GetFrame(), &rel));
    return rel.x;
}

TEST(MeshHandle, TurningStepsTowardTheTargetAndSnapsAfterAnOvershoot)
{
    Handle h;
    Handle ahead;
    ahead.SetPosition(D3DXVECTOR3(0, 0, -10));
    // Straight ahead along the frame's axis: side 1, no turn.
    EXPECT_EQ(h.TurnToward(ahead), 1u);
    EXPECT_EQ(SideOffset(h, ahead), 0.0F);

    // Near and to one side (the front is -Z): a step of ten degrees closes in without crossing.
    Handle target;
    target.SetPosition(D3DXVECTOR3(1, 0, -2));
    float before = std::fabs(SideOffset(h, target));
    const std::uint32_t side = h.TurnToward(target);
    EXPECT_EQ(side, SideOffset(h, target) <= 0.0F ? 1u : 0u);
    EXPECT_LT(std::fabs(SideOffset(h, target)), before);
    EXPECT_GT(SideOffset(h, target), 0.0F);
    EXPECT_EQ(side, 0u);

    // Far ahead: ten degrees a unit carries it across, and the step ends looking at it; the same
    // toward a bare frame, and LookAt leaves the model's front (-Z) on the target.
    Handle wide;
    wide.SetPosition(D3DXVECTOR3(5, 0, -10));
    Handle turner, frameTurner, looker;
    turner.TurnToward(wide);
    frameTurner.TurnTowardFrame(wide.GetFrame());
    looker.LookAt(wide, nullptr, TFrame::kLookUpright);
    for (const Handle* turned : {&turner, &frameTurner, &looker}) {
        D3DXVECTOR3 front;
        turned->GetFront(&front);
        EXPECT_NEAR(front.x, 5.0F / std::sqrt(125.0F), 1e-5);
        EXPECT_NEAR(front.z, -10.0F / std::sqrt(125.0F), 1e-5);
    }
}

}  // namespace
