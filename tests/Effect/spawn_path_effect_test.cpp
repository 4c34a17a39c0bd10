// The spawn path: timed points fired one a frame in the effect's axes, the rumble, and the final
// effect that takes over the end records.
#include <gtest/gtest.h>

#include "MainCode/Effect/TFrameAnimEffect.h"
#include "MainCode/Effect/TSmashEffect.h"
#include "MainCode/Effect/TSpawnPathEffect.h"
#include "effect_area_fixture.h"
#include "support/effect_probe.h"

namespace effecttest {
namespace {

constexpr std::uint32_t kPathId = 214;
constexpr std::uint32_t kSpawnId = 54;
constexpr std::uint32_t kFinalId = 701;
constexpr int kLastUpdate = 37;  // the hold clock passes 11.0

const float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};

// The first update whose clock (0.3 a frame, single precision) exceeds t; 0 when none before the end.
int FirstUpdateAfter(float t)
{
    float clock = 0.0F;
    for (int update = 1; update <= kLastUpdate; ++update) {
        clock += 0.3F;
        if (clock > t) {
            return update;
        }
    }
    return 0;
}

class SpawnPathTest : public EffectAreaTest {
protected:
    void SetUp() override
    {
        EffectAreaTest::SetUp();
        Add(kPathId, new TSpawnPathEffect("earthfang.frm", kFinalId));
        Add(kSpawnId, new TColourAnimEffect("impact01_anim.frm", 100.0F, 0.0F, false));
        const D3DXVECTOR3 none(0.0F, 0.0F, 0.0F);
        Add(kFinalId, new TMeshEffect("earthfang.msh", 0, 5, 1, 0.01F, 0.0F, 0.1F, 0, false, 0, &none, nullptr));
    }
    // At (1, 0, 2) heading +x: the frame's Z axis is world +x, its X axis world -z.
    TSpawnPathEffect* Start()
    {
        return static_cast<TSpawnPathEffect*>(
            Create(kPathId, D3DXVECTOR3(1.0F, 0.0F, 2.0F), D3DXVECTOR3(1.0F, 0.0F, 0.0F), kWhite));
    }
    // Update number of each creation of the id while the path runs to its end.
    std::vector<int> RunAndCollect(TSpawnPathEffect* path, std::uint32_t id)
    {
        std::vector<int> updates;
        for (int update = 1; update <= 60; ++update) {
            const std::size_t before = log_.size();
            const bool alive = path->Update();
            for (std::size_t k = before; k < log_.size(); ++k) {
                if (log_[k].id == id) {
                    updates.push_back(update);
                }
            }
            if (!alive) {
                EXPECT_EQ(update, kLastUpdate);
                break;
            }
        }
        return updates;
    }
};

TEST_F(SpawnPathTest, PointsFireOnTheFirstFrameTheClockPassesThemOneAFrameInTheOrderAdded)
{
    TSpawnPathEffect* path = Start();
    path->SetSpawnEffectId(kSpawnId);
    const D3DXVECTOR3 ahead(0.0F, 0.0F, 2.0F);
    const D3DXVECTOR3 aside(1.0F, 0.5F, 0.0F);
    path->AddSpawnPoint(2.0F, &ahead);
    path->AddSpawnPoint(2.0F, &aside);  // due at once: waits a frame
    path->AddSpawnPoint(6.0F, &ahead);
    path->AddSpawnPoint(4.0F, &ahead);  // out of order: held back by 6.0
    path->AddSpawnPoint(8.0F, &ahead);
    path->AddSpawnPoint(11.0F, &ahead);  // passed on the very last update
    path->AddSpawnPoint(11.2F, &ahead);  // never reached

    const std::vector<int> updates = RunAndCollect(path, kSpawnId);
    const int at2 = FirstUpdateAfter(2.0F);
    const int at6 = FirstUpdateAfter(6.0F);
    EXPECT_EQ(updates, (std::vector<int>{at2, at2 + 1, at6, at6 + 1, FirstUpdateAfter(8.0F), kLastUpdate}));
    EXPECT_EQ(FirstUpdateAfter(11.0F), kLastUpdate);
    EXPECT_EQ(TEffectProbe::SpawnIndex(*path), 6u);

    const std::vector<TEffectCreateCall> calls = CallsOf(kSpawnId);
    ASSERT_EQ(calls.size(), 6u);
    ExpectNear(calls[0].position, D3DXVECTOR3(3.0F, 0.0F, 2.0F));
    // x runs along the frame's X axis, world -z.
    ExpectNear(calls[1].position, D3DXVECTOR3(1.0F, 0.5F, 1.0F));
    ExpectNear(calls[0].direction, D3DXVECTOR3(1.0F, 0.0F, 0.0F));
    EXPECT_EQ(calls[0].parent, area_->Scene());
    EXPECT_EQ(calls[0].area, area_.get());
    EXPECT_EQ(calls[0].colour[1], 1.0F);
    EXPECT_EQ(calls[0].scale[0], 1.0F);
}

TEST_F(SpawnPathTest, WithoutASpawnIdNothingSpawnsAndClonesCarryNoLists)
{
    TSpawnPathEffect* first = Start();
    const D3DXVECTOR3 ahead(0.0F, 0.0F, 1.0F);
    first->AddSpawnPoint(1.0F, &ahead);
    first->AddPathPoint(kSpawnId, &ahead, &ahead, kWhite);
    first->SetSpawnEffectId(-1);
    EXPECT_TRUE(RunAndCollect(first, kSpawnId).empty());

    first = Start();
    first->SetSpawnEffectId(kSpawnId);
    first->AddSpawnPoint(1.0F, &ahead);
    first->AddPathPoint(kSpawnId, &ahead, &ahead, kWhite);
    TSpawnPathEffect* second = Start();
    EXPECT_EQ(TEffectProbe::SpawnEffectId(*second), -1);
    EXPECT_EQ(TEffectProbe::SpawnPointCount(*second), 0u);
    EXPECT_EQ(TEffectProbe::PathPointCount(*second), 0u);
    EXPECT_EQ(TEffectProbe::FollowId(*second), static_cast<std::int32_t>(kFinalId));
    EXPECT_EQ(TEffectProbe::OwnerId(*second), -2);
}

TEST_F(SpawnPathTest, TheFinalEffectTakesTheOwnerAndEveryRecordAndRaisesThemWhenItBreaks)
{
    auto owner = NewObject("owner", 0, 0, 0);
    TSpawnPathEffect* path = Start();
    path->SetOwnerId(static_cast<std::int32_t>(owner->GetObjectId()));
    const D3DXVECTOR3 offsets[3] = {{0.0F, 0.0F, 1.0F}, {0.0F, 1.0F, 0.0F}, {2.0F, 0.0F, 0.0F}};
    const D3DXVECTOR3 scale(2.0F, 2.0F, 2.0F);
    const float tint[4] = {0.5F, 0.25F, 1.0F, 0.75F};
    for (const D3DXVECTOR3& o : offsets) {
        path->AddPathPoint(kSpawnId, &o, &scale, tint);
    }
    std::vector<float> soundClock;
    for (int update = 1; update <= kLastUpdate; ++update) {
        const std::size_t before = owner->sounds.size();
        EXPECT_EQ(path->Update(), update < kLastUpdate);
        if (owner->sounds.size() != before) {
            soundClock.push_back(path->GetTime());
        }
    }
    EXPECT_EQ(owner->sounds, (std::vector<std::uint32_t>{506, 506}));
    ASSERT_EQ(soundClock.size(), 2u);
    EXPECT_GT(soundClock[0], 1.0F);
    EXPECT_LT(soundClock[0], 1.5F);

    const std::vector<TEffectCreateCall> finals = CallsOf(kFinalId);
    ASSERT_EQ(finals.size(), 1u);
    ExpectNear(finals[0].position, D3DXVECTOR3(1.0F, 0.0F, 2.0F));
    ExpectNear(finals[0].direction, D3DXVECTOR3(1.0F, 0.0F, 0.0F));
    auto* final = dynamic_cast<TMeshEffect*>(finals[0].result);
    ASSERT_NE(final, nullptr);
    EXPECT_EQ(TEffectProbe::OwnerId(*final), static_cast<std::int32_t>(owner->GetObjectId()));
    EXPECT_EQ(TEffectProbe::EndEffectCount(*final), 3u);

    // The final effect waits 5 frames, then raises the records along its own axes.
    log_.clear();
    for (int i = 0; i < 5; ++i) {
        final->Update();
    }
    const std::vector<TEffectCreateCall> ends = CallsOf(kSpawnId);
    ASSERT_EQ(ends.size(), 3u);
    ExpectNear(ends[0].position, D3DXVECTOR3(2.0F, 0.0F, 2.0F));
    ExpectNear(ends[1].position, D3DXVECTOR3(1.0F, 1.0F, 2.0F));
    ExpectNear(ends[2].position, D3DXVECTOR3(1.0F, 0.0F, 0.0F));
    EXPECT_EQ(ends[2].scale[1], 2.0F);
    EXPECT_EQ(ends[2].colour[1], 0.25F);
    EXPECT_EQ(ends[2].colour[3], 0.75F);
    ExpectNear(ends[0].direction, D3DXVECTOR3(1.0F, 0.0F, 0.0F));
}

TEST_F(SpawnPathTest, FinalIdsWithoutPrototypeOrOfAnotherClassGetNoOwnerAndNoRecords)
{
    auto owner = NewObject("owner", 0, 0, 0);
    const D3DXVECTOR3 ahead(0.0F, 0.0F, 1.0F);
    // An id the manager has no prototype for.
    Manager().AddPrototype(702, TRefPtr<TEffect>());
    Add(kPathId + 1, new TSpawnPathEffect("earthfang.frm", 702));
    // A final effect that is itself a spawn path.
    Add(kPathId + 2, new TSpawnPathEffect("earthfang.frm", kPathId + 3));
    Add(kPathId + 3, new TSpawnPathEffect("earthfang.frm", -1));
    for (std::uint32_t id : {kPathId + 1, kPathId + 2}) {
        auto* path = static_cast<TSpawnPathEffect*>(
            Create(id, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), kWhite));
        path->SetOwnerId(static_cast<std::int32_t>(owner->GetObjectId()));
        path->AddPathPoint(kSpawnId, &ahead, &ahead, kWhite);
        owner->sounds.clear();
        int updates = 1;
        while (path->Update()) {
            ++updates;
        }
        EXPECT_EQ(updates, kLastUpdate);
        EXPECT_EQ(owner->sounds, (std::vector<std::uint32_t>{506, 506}));
    }
    ASSERT_EQ(CallsOf(702).size(), 1u);
    EXPECT_EQ(CallsOf(702)[0].result, nullptr);
    ASSERT_EQ(CallsOf(kPathId + 3).size(), 1u);
    auto* other = static_cast<TSpawnPathEffect*>(CallsOf(kPathId + 3)[0].result);
    EXPECT_EQ(TEffectProbe::OwnerId(*other), -2);
    EXPECT_EQ(TEffectProbe::PathPointCount(*other), 0u);

    // An owner that has left: no sound, and the final effect has no owner.
    auto* path = Start();
    path->SetOwnerId(static_cast<std::int32_t>(owner->GetObjectId()));
    area_->Remove(owner.get());
    owner->sounds.clear();
    while (path->Update()) {
    }
    EXPECT_TRUE(owner->sounds.empty());
    EXPECT_EQ(TEffectProbe::OwnerId(*static_cast<TMeshEffect*>(CallsOf(kFinalId).back().result)), -2);
}

}  // namespace
}  // namespace effecttest
