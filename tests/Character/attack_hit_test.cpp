// Attack hits against armed targets: held hits with their hit counts and intervals, timed hits and
// their lifetimes, immunity, cancelling, the touch bound and turning toward the source.
#include <gtest/gtest.h>

#include "MainCode/Map/TAttackHitHeld.h"
#include "MainCode/Map/TAttackHitTimed.h"
#include "MainCode/Map/TAttackHitTimedHeld.h"
#include "armed_fixture.h"
#include "support/character_probe.h"
#include "support/map_probe.h"

namespace objtest {
namespace {

class AttackHit : public ArmedFixture {
protected:
    // A hit at the scene's origin with sphere radius 0.5; targets of centre height 1.0 at the
    // origin are touched (centre (0, 1, 0), reach 1.5).
    static TAttackHitParams Params(std::int32_t interval, std::uint32_t cancelMask = 0)
    {
        TAttackHitParams p;
        p.Interval = interval;
        p.CancelMask = cancelMask;
        p.Radius = 0.5F;
        p.BaseDamage = 30;
        return p;
    }
    // Strikes and updates for the given number of steps; the steps at which the target was hit.
    static std::vector<int> Run(TAttackHit& hit, TestFighter& target, int steps, int* trueUpdates = nullptr)
    {
        std::vector<int> at;
        for (int i = 0; i < steps; ++i) {
            const std::size_t before = target.reactions.size();
            hit.HitTest(&target);
            if (target.reactions.size() != before) {
                at.push_back(i);
            }
            // The owner drops a hit whose update answers false.
            if (!hit.Update()) {
                break;
            }
            if (trueUpdates != nullptr) {
                ++*trueUpdates;
            }
        }
        return at;
    }
};

TEST_F(AttackHit, HeldHitsCountAndWaitTheirInterval)
{
    TestFighter t;
    {
        TAttackHitHeld one(0, scene_.Get(), nullptr, 1, Params(10));
        one.HitTest(&t);
        EXPECT_EQ(t.reactions.size(), 1u);
        EXPECT_EQ(one.HasLanded(), 1);
        EXPECT_EQ(TMapProbe::HitsLeft(one), 0u);
        EXPECT_FALSE(one.Update());
        EXPECT_FALSE(one.IsAlive());
    }
    t.reactions.clear();
    TAttackHitHeld three(0, scene_.Get(), nullptr, 3, Params(10));
    EXPECT_EQ(Run(three, t, 30), (std::vector<int>{0, 10, 20}));
    EXPECT_FALSE(three.Update());

    t.reactions.clear();
    TAttackHitHeld two(0, scene_.Get(), nullptr, 5, Params(1));
    EXPECT_EQ(Run(two, t, 3), (std::vector<int>{0, 1, 2}));  // interval 1: every step

    // Interval -1: each target once.
    TestFighter u;
    t.reactions.clear();
    TAttackHitHeld once(0, scene_.Get(), nullptr, 5, Params(-1));
    EXPECT_EQ(Run(once, t, 30), (std::vector<int>{0}));
    EXPECT_EQ(Run(once, u, 30), (std::vector<int>{0}));
    EXPECT_EQ(TMapProbe::HitsLeft(once), 3u);
    ASSERT_EQ(TMapProbe::HitList(once).size(), 2u);
    EXPECT_EQ(TMapProbe::HitList(once)[0].Step, 0u);
}

TEST_F(AttackHit, TimedLifetimes)
{
    TestFighter t;
    TAttackHitTimed first(0, scene_.Get(), nullptr, 1, Params(10));
    EXPECT_FALSE(first.Update());

    int trueUpdates = 0;
    TAttackHitTimed five(0, scene_.Get(), nullptr, 5, Params(10));
    EXPECT_EQ(TMapProbe::Interval(five), -1);
    EXPECT_EQ(Run(five, t, 8, &trueUpdates), (std::vector<int>{0}));  // once, not counted
    EXPECT_EQ(trueUpdates, 4);
    EXPECT_EQ(five.HasLanded(), 0);

    TAttackHitTimed forever(0, scene_.Get(), nullptr, 0, Params(10));
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(forever.Update()) << i;
    }
    TAttackHitTimedHeld timedHeld(0, scene_.Get(), nullptr, 5, 3, Params(1));
    trueUpdates = 0;
    EXPECT_EQ(Run(timedHeld, t, 6, &trueUpdates), (std::vector<int>{0, 1, 2}));  // lifetime ends first
    EXPECT_EQ(trueUpdates, 2);
    TAttackHitTimedHeld endless(0, scene_.Get(), nullptr, 2, 0, Params(1));
    EXPECT_EQ(Run(endless, t, 50), (std::vector<int>{0, 1}));  // the hits run out, the time does not
    EXPECT_FALSE(endless.Update());
}

TEST_F(AttackHit, ImmuneTargetsTouchBoundAndCancelling)
{
    TestFighter t;
    TCharacterProbe::SetHitImmunity(t, 1);
    const float centre[3] = {0.0F, 1.0F, 0.0F};  // level with the target's centre
    TAttackHitHeld held(0, scene_.Get(), centre, 3, Params(10));
    held.HitTest(&t);
    EXPECT_TRUE(t.reactions.empty());
    EXPECT_TRUE(TMapProbe::HitList(held).empty());
    TCharacterProbe::SetHitImmunity(t, 0);

    // Reach 1.5 from the target's centre: strictly inside hits.
    t.Place(1.5F, 0, 0);
    held.HitTest(&t);
    EXPECT_TRUE(t.reactions.empty());
    t.Place(1.49F, 0, 0);
    held.HitTest(&t);
    EXPECT_EQ(t.reactions.size(), 1u);
    EXPECT_TRUE(held.IsInHitList(&t));
    t.Place(0, 1.49F, 0);
    EXPECT_TRUE(held.Touches(&t));
    t.Place(0, 1.5F, 0);
    EXPECT_FALSE(held.Touches(&t));

    TAttackHitHeld six(0, scene_.Get(), nullptr, 3, Params(10, 6));
    TAttackHitHeld one(0, scene_.Get(), nullptr, 3, Params(10, 1));
    six.Cancel(4);
    one.Cancel(4);
    EXPECT_FALSE(six.IsAlive());
    EXPECT_EQ(TMapProbe::Frame(six)->GetParent(), nullptr);
    EXPECT_TRUE(one.IsAlive());
    EXPECT_EQ(TMapProbe::Frame(one)->GetParent(), scene_.Get());
    one.Kill();
    EXPECT_FALSE(one.IsAlive());
    EXPECT_FALSE(one.Update() && one.IsAlive());
}

TEST_F(AttackHit, TurnsTheStruckSideTowardTheSource)
{
    TestArea area(scene_.Get());
    TestFighter owner;
    TestFighter target;
    owner.AttachToField(&area);
    target.AttachToField(&area);
    area.RegisterObject(&owner);
    // The target faces -Z; the owner stands in front of it, the hit frame behind it.
    owner.Place(0, 0, -5);
    const float behind[3] = {0.0F, 0.0F, 5.0F};
    TAttackHitTimed hit(owner.GetObjectId(), scene_.Get(), behind, 5, Params(10));

    EXPECT_TRUE(hit.TurnFrameToward(&area, target.GetFrame(), scene_.Get(), false));
    D3DXVECTOR3 front;
    target.GetFront(&front);
    EXPECT_NEAR(front.z, -1.0F, 1e-5);  // faces the owner

    EXPECT_FALSE(hit.TurnFrameToward(&area, target.GetFrame(), scene_.Get(), true));
    target.GetFront(&front);
    EXPECT_NEAR(front.z, -1.0F, 1e-5);  // back to the hit frame behind it

    // An owner the area does not know: the hit frame is the source.
    TAttackHitTimed stray(123456, scene_.Get(), behind, 5, Params(10));
    EXPECT_FALSE(stray.TurnFrameToward(&area, target.GetFrame(), scene_.Get(), false));
    area.UnregisterObject(&owner);
    target.DetachFromField();
    owner.DetachFromField();
}

}  // namespace
}  // namespace objtest
