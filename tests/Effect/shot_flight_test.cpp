// A shot's life frame by frame: flight, the trail running into the parked head, the linked hit.
#include <gtest/gtest.h>

#include "MainCode/Character/TAccelMotion.h"
#include "shot_fixture.h"
#include "support/alloc_probe.h"
#include "support/shot_probe.h"

namespace shottest {
namespace {

// A linked shot that counts its ending calls and the questions about its hit.
class ProbeShot : public TShotD {
public:
    using TShotD::TShotD;
    TEffect* Clone() const override { return new ProbeShot(*this); }
    void OnHeadEnd() override
    {
        ++ends;
        parkedAtEnd = IsParked(GetPart(0));
    }
    bool IsHitAlive() override
    {
        ++asked;
        return TShotD::IsHitAlive();
    }
    int ends = 0;
    int asked = 0;
    bool parkedAtEnd = true;
};

// Flies toward +z by step a frame, in the shot root's space.
std::unique_ptr<TMotionHelper> Forward(float step)
{
    return std::make_unique<TAccelMotion>(D3DXVECTOR3(0.0F, 0.0F, 0.0F), D3DXVECTOR3(0.0F, 0.0F, -1.0F), step, 0.0F);
}

class ShotFlight : public ShotTest {
protected:
    // A fire shot flying +z at 0.1 a frame.
    template <class Shot = TShotC>
    Shot* Flying(std::int32_t flight, std::uint32_t parts, bool parked = true)
    {
        Register<Shot>(400, "effect.ptx/fire", flight, parts, parked, kOne);
        auto* shot = Fire<Shot>(400, D3DXVECTOR3(0, 0, 0));
        shot->SetMotion(Forward(0.1F));
        return shot;
    }
    // A flying probe with a live hit of its own.
    ProbeShot* Linked(std::int32_t flight, std::uint32_t parts, TRefPtr<TAttackHit>* hit, std::uint32_t owner = 7)
    {
        auto* shot = Flying<ProbeShot>(flight, parts);
        *hit = HitOn(shot, owner);
        shot->SetAttackHit(*hit);
        return shot;
    }
};

TEST_F(ShotFlight, CountsFlightThenTrailAndEndlessShotsOutliveTheirHit)
{
    EXPECT_EQ(AliveUpdates(Flying(20, 10)), 29);
    // One part: no trail; gone the frame after the flight. The count comes from the firer.
    auto* one = Flying(60, 1);
    one->SetFlightFrames(5);
    EXPECT_EQ(AliveUpdates(one), 5);
    // Endless, even when its hit is dead (unlinked classes never ask).
    auto* endless = Flying(TShot::kEndless, 3);
    EXPECT_EQ(AliveUpdates(endless, 500), 500);
    EXPECT_FALSE(TShotProbe::HasEnded(*endless));
    endless->Kill();
    EXPECT_FALSE(endless->Update());
    // A linked one asks nothing while endless.
    TRefPtr<TAttackHit> hit;
    auto* linked = Linked(TShot::kEndless, 3, &hit);
    hit->Kill();
    EXPECT_EQ(AliveUpdates(linked, 100), 100);
    EXPECT_EQ(linked->asked, 0);
    EXPECT_EQ(linked->ends, 0);
}

TEST_F(ShotFlight, TrailGrowsFromTheParkedChainOrStartsTogether)
{
    const D3DXVECTOR3 at(1.0F, 0.5F, 0.0F);
    Register<TShotC>(300, "effect.ptx/fire", 20, 4, true, kOne);
    Register<TShotC>(301, "effect.ptx/fire", 20, 4, false, kOne);
    auto* parked = Fire<TShotC>(300, at);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(IsParked(parked->GetPart(i))) << i;
        EXPECT_EQ(parked->GetPart(i).GetFrame()->GetParent(), parked->GetFrame());
    }
    parked->SetMotion(Forward(0.1F));
    for (std::size_t frame = 1; frame <= 4; ++frame) {
        parked->Update();
        // The head starts parked too: part k shows up k + 1 frames in, where the head was after its first step.
        for (std::size_t i = 1; i < 4; ++i) {
            EXPECT_EQ(IsParked(parked->GetPart(i)), i >= frame) << frame << " " << i;
        }
        effecttest::ExpectNear(WorldOf(parked->GetPart(0)), at + D3DXVECTOR3(0, 0, 0.1F * static_cast<float>(frame)));
        if (frame >= 2) {
            // Moved in from 1000 away: float steps of that size.
            effecttest::ExpectNear(WorldOf(parked->GetPart(frame - 1)), at + D3DXVECTOR3(0, 0, 0.1F), 1e-4F);
        }
    }
    auto* together = Fire<TShotC>(301, at);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_FALSE(IsParked(together->GetPart(i)));
        effecttest::ExpectNear(WorldOf(together->GetPart(i)), at);
    }
    // Without a helper the parts stay where they started and the count runs.
    Register<TShotC>(302, "effect.ptx/fire", 3, 2, false, kOne);
    auto* still = Fire<TShotC>(302, at);
    EXPECT_TRUE(still->Update());
    effecttest::ExpectNear(WorldOf(still->GetPart(0)), at);
    effecttest::ExpectNear(WorldOf(still->GetPart(1)), at);
    EXPECT_EQ(AliveUpdates(still), 3);
}

TEST_F(ShotFlight, ColourFadesToOneNthAndCreateScaleIsIgnored)
{
    auto* proto = Register<TShotC>(300, "effect.ptx/fire", 20, 4, true, kOne);
    const float colour[4] = {0.8F, 0.6F, 0.4F, 1.0F};
    const float bigger[3] = {3.0F, 3.0F, 3.0F};
    const D3DXVECTOR3 at(0, 0, 0);
    const D3DXVECTOR3 heading(0, 0, 1);
    auto* shot =
        dynamic_cast<TShotC*>(Manager().Create(300, &at, &heading, area_->Scene(), area_.get(), colour, bigger));
    ASSERT_NE(shot, nullptr);
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(TShotProbe::Colour(shot->GetPart(0))[k], colour[k]);
        EXPECT_FLOAT_EQ(TShotProbe::Colour(shot->GetPart(3))[k], colour[k] / 4.0F);
    }
    EXPECT_FLOAT_EQ(TShotProbe::Colour(shot->GetPart(2))[3], 0.5F);
    const D3DCOLORVALUE emissive = TShotProbe::Mesh(shot->GetPart(3))->GetMaterial(0).GetMaterial().Emissive;
    EXPECT_FLOAT_EQ(emissive.r, 0.2F);
    EXPECT_FLOAT_EQ(emissive.a, 0.25F);
    // The quad keeps the prototype's size.
    const auto* mine = static_cast<const float*>(TShotProbe::Mesh(shot->GetPart(0))->LockVerticesReadOnly(0));
    const auto* theirs = static_cast<const float*>(TShotProbe::Mesh(proto->GetPart(0))->LockVerticesReadOnly(0));
    for (int k = 0; k < 3; ++k) {
        EXPECT_FLOAT_EQ(mine[k], theirs[k]);
    }
}

TEST_F(ShotFlight, DeadHitEndsTheFlightOnTheNextUpdate)
{
    TRefPtr<TAttackHit> hit;
    auto* shot = Linked(20, 3, &hit, 42);
    EXPECT_EQ(shot->GetOwnerId(), 42);
    EXPECT_TRUE(shot->Update());
    hit->Kill();
    EXPECT_TRUE(shot->Update());
    EXPECT_TRUE(TShotProbe::HasEnded(*shot));
    EXPECT_EQ(shot->ends, 1);
    EXPECT_FALSE(shot->parkedAtEnd);  // the ending runs before the head is parked
    EXPECT_TRUE(IsParked(shot->GetPart(0)));
    // The shot let the dead hit go; the trail still runs three frames.
    EXPECT_EQ(TShotProbe::AttackHit(*shot), nullptr);
    EXPECT_EQ(AliveUpdates(shot), 2);
    EXPECT_EQ(shot->ends, 1);
}

TEST_F(ShotFlight, CountEndingFrameDoesNotAskTheHitAndTheEndOfTrailKillsIt)
{
    TRefPtr<TAttackHit> hit;
    auto* shot = Linked(2, 2, &hit);
    shot->Update();
    EXPECT_EQ(shot->asked, 1);
    hit->Kill();
    shot->Update();  // the count reaches 0 here
    EXPECT_EQ(shot->asked, 1);
    EXPECT_EQ(shot->ends, 1);
    // Still held, so the end of the trail kills it again and lets nothing else go.
    EXPECT_EQ(TShotProbe::AttackHit(*shot), hit.Get());

    TRefPtr<TAttackHit> live;
    EXPECT_EQ(AliveUpdates(Linked(2, 2, &live)), 3);
    EXPECT_FALSE(live->IsAlive());
    // Killed and cleared away in flight: the hit lives on.
    TRefPtr<TAttackHit> kept;
    Linked(2, 2, &kept)->Kill();
    Manager().Clear();
    EXPECT_TRUE(kept->IsAlive());
}

TEST_F(ShotFlight, KilledShotStillRunsItsLastUpdate)
{
    // Its count reaches 0 on that update: the flight ends there.
    auto* byCount = Flying<ProbeShot>(3, 3);
    byCount->SetFlightFrames(1);
    byCount->Kill();
    EXPECT_FALSE(byCount->Update());
    EXPECT_EQ(byCount->ends, 1);
    // Its hit died: the flight ends there too.
    TRefPtr<TAttackHit> hit;
    auto* byHit = Linked(3, 3, &hit);
    hit->Kill();
    byHit->Kill();
    EXPECT_FALSE(byHit->Update());
    EXPECT_EQ(byHit->ends, 1);
    // Neither: it flies that frame and ends nothing.
    auto* flying = Flying<ProbeShot>(3, 3);
    flying->Kill();
    EXPECT_FALSE(flying->Update());
    EXPECT_EQ(flying->ends, 0);
    EXPECT_EQ(flying->GetFlightFrames(), 2);
}

TEST_F(ShotFlight, CountSetToZeroEndsInsteadOfFlyingForever)
{
    auto* shot = Flying(60, 2);
    shot->SetFlightFrames(0);
    EXPECT_TRUE(shot->Update());
    EXPECT_TRUE(TShotProbe::HasEnded(*shot));
    EXPECT_EQ(AliveUpdates(shot), 1);
}

TEST_F(ShotFlight, UpdateAllocatesNothing)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    Register<TShotD>(400, "effect.ptx/fire", 30, 10, true, kOne);
    Register<TShotB>(401, "effect.ptx/dark", 30, 6, true, kOne);
    auto* linked = Fire<TShotD>(400, D3DXVECTOR3(0, 0, 0));
    linked->SetMotion(Forward(0.05F));
    TRefPtr<TAttackHit> hit = HitOn(linked);
    linked->SetAttackHit(hit);
    auto* plain = Fire<TShotB>(401, D3DXVECTOR3(1, 0, 0));
    plain->SetMotion(Forward(0.05F));
    qmtest::AllocationProbe probe;
    for (int i = 0; i < 35; ++i) {
        linked->Update();
        plain->Update();
    }
    EXPECT_EQ(probe.Allocations(), 0);
}

}  // namespace
}  // namespace shottest
