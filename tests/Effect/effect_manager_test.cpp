// The effect manager: catalogue gate, cloning and serials, the scale test, the update walk, clearing,
// releasing, lookup by serial and the recorded Create calls.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "effect_fixture.h"
#include "support/alloc_probe.h"
#include "support/effect_create_recorder.h"
#include "support/effect_probe.h"

namespace effecttest {
namespace {

const D3DXVECTOR3 kOrigin(0.0F, 0.0F, 0.0F);
const D3DXVECTOR3 kForward(0.0F, 0.0F, 1.0F);
const float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};
const float kUnit[3] = {1.0F, 1.0F, 1.0F};

// The manager reads the generated effect folder; the scripted prototypes replace catalogue entries.
class EffectManagerTest : public EffectFolder {
protected:
    void SetUp() override
    {
        EffectFolder::SetUp();
        owned_ = std::make_unique<TEffectManager>();
    }
    void TearDown() override
    {
        // Its effects write to the journals while it goes.
        owned_.reset();
        EffectFolder::TearDown();
    }
    TEffect* Create(std::uint32_t id, const float* scale = kUnit)
    {
        return owned_->Create(id, &kOrigin, &kForward, scene_.Get(), nullptr, kWhite, scale);
    }
    std::vector<std::string> TakeEvents()
    {
        std::vector<std::string> out;
        out.swap(journal_.events);
        return out;
    }

    TRefPtr<TFrame> scene_ = Frame("Scene");
    Journal journal_;
    Journal other_;
    std::unique_ptr<TEffectManager> owned_;
};

TEST(EffectCatalogue, AcceptsExactlyItsIdsAtEveryRunBound)
{
    const std::vector<std::uint32_t>& ids = TEffectManager::GetCatalogueIds();
    ASSERT_EQ(ids.size(), 193u);
    EXPECT_EQ(ids.front(), 0u);
    EXPECT_EQ(ids.back(), 10000u);
    // First and last of every run inside, the neighbours outside.
    const std::uint32_t runs[][2] = {{0, 6},       {10, 16},     {20, 26},     {30, 35},     {50, 56},
                                     {100, 123},   {200, 225},   {300, 306},   {310, 316},   {320, 330},
                                     {400, 414},   {450, 456},   {500, 513},   {550, 552},   {600, 603},
                                     {700, 708},   {800, 809},   {900, 915},   {1000, 1001}, {1100, 1100},
                                     {2000, 2001}, {10000, 10000}};
    for (const auto& run : runs) {
        EXPECT_TRUE(TEffectManager::IsCatalogueId(run[0])) << run[0];
        EXPECT_TRUE(TEffectManager::IsCatalogueId(run[1])) << run[1];
        if (run[0] > 0) {
            EXPECT_FALSE(TEffectManager::IsCatalogueId(run[0] - 1)) << run[0] - 1;
        }
        EXPECT_FALSE(TEffectManager::IsCatalogueId(run[1] + 1)) << run[1] + 1;
    }
    // Negative ids seen unsigned.
    EXPECT_FALSE(TEffectManager::IsCatalogueId(0xFFFFFFFFu));
    EXPECT_FALSE(TEffectManager::IsCatalogueId(0x80000000u));
}

TEST_F(EffectManagerTest, ClonesOfOneIdAreDistinctWithConsecutiveSerials)
{
    TRefPtr<TEffect> prototype = Scripted(&journal_, -1);
    owned_->AddPrototype(100, prototype);
    TEffect* a = Create(100);
    TEffect* b = Create(100);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_NE(a, prototype.Get());
    EXPECT_EQ(a->GetSerial(), 0);
    EXPECT_EQ(b->GetSerial(), 1);
    EXPECT_EQ(TEffectProbe::LiveCount(*owned_), 2u);
    // The prototype is never started, and no two of them share a frame.
    EXPECT_EQ(prototype->GetSerial(), -1);
    EXPECT_EQ(prototype->GetFrame()->GetParent(), nullptr);
    EXPECT_NE(a->GetFrame(), b->GetFrame());
    EXPECT_NE(a->GetFrame(), prototype->GetFrame());
    EXPECT_EQ(scene_->GetChildCount(), 2u);
    EXPECT_EQ(scene_->GetChild(0), a->GetFrame());
    EXPECT_EQ(scene_->GetChild(1), b->GetFrame());
}

TEST_F(EffectManagerTest, OnlyAScaleOfExactlyOneEachWaySkipsSetScale)
{
    owned_->AddPrototype(0, Scripted(&journal_, -1));
    Create(0, kUnit);
    EXPECT_TRUE(TakeEvents().empty());
    const float justAbove = 1.0000001F;
    ASSERT_NE(justAbove, 1.0F);
    for (int axis = 0; axis < 3; ++axis) {
        float scale[3] = {1.0F, 1.0F, 1.0F};
        scale[axis] = justAbove;
        Create(0, scale);
        const std::vector<std::string> events = TakeEvents();
        ASSERT_FALSE(events.empty()) << "axis " << axis;
        EXPECT_EQ(events[0], "scale");
        EXPECT_EQ(journal_.scale[static_cast<std::size_t>(axis)], justAbove);
    }
}

TEST_F(EffectManagerTest, IdsWithoutPrototypeGiveNullUseASerialAndAddNothing)
{
    std::vector<TEffectCreateCall> log;
    qmtest::EffectCreateRecorder creates(owned_.get(), &log);
    owned_->AddPrototype(7, Scripted(&journal_, -1));  // outside the catalogue: never found
    owned_->AddPrototype(6, Scripted(&journal_, -1));
    owned_->AddPrototype(5, TRefPtr<TEffect>());
    const std::size_t prototypes = TEffectProbe::PrototypeCount(*owned_);

    EXPECT_EQ(Create(7), nullptr);
    EXPECT_EQ(Create(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(Create(5), nullptr);  // in the catalogue, not registered
    EXPECT_EQ(owned_->FindPrototype(5).Get(), nullptr);
    EXPECT_EQ(owned_->FindPrototype(7).Get(), nullptr);
    EXPECT_EQ(TEffectProbe::PrototypeCount(*owned_), prototypes);
    EXPECT_EQ(TEffectProbe::LiveCount(*owned_), 0u);
    EXPECT_EQ(scene_->GetChildCount(), 0u);

    TEffect* made = Create(6);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetSerial(), 3);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].id, 7u);
    EXPECT_EQ(log[0].result, nullptr);
    EXPECT_EQ(log[0].serial, 0);
    EXPECT_EQ(log[3].result, made);
    EXPECT_EQ(log[3].serial, 3);
}

TEST_F(EffectManagerTest, RecordsEveryCreateWithItsArguments)
{
    std::vector<TEffectCreateCall> log;
    qmtest::EffectCreateRecorder creates(owned_.get(), &log);
    owned_->AddPrototype(1000, Scripted(&journal_, -1));
    const D3DXVECTOR3 position(1.0F, 2.0F, 3.0F);
    const D3DXVECTOR3 direction(0.0F, 1.0F, 0.0F);
    const float colour[4] = {0.1F, 0.2F, 0.3F, 0.4F};
    const float scale[3] = {2.0F, 1.0F, 0.5F};
    auto* area = reinterpret_cast<TAreaBase*>(scene_.Get());  // only passed through
    TEffect* made = owned_->Create(1000, &position, &direction, scene_.Get(), area, colour, scale);
    owned_->Create(7, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(log.size(), 2u);
    const TEffectCreateCall& c = log[0];
    EXPECT_EQ(c.id, 1000u);
    EXPECT_TRUE(c.hasPosition);
    EXPECT_EQ(c.position.z, 3.0F);
    EXPECT_EQ(c.direction.y, 1.0F);
    EXPECT_EQ(c.parent, scene_.Get());
    EXPECT_EQ(c.area, area);
    EXPECT_EQ(c.colour[3], 0.4F);
    EXPECT_EQ(c.scale[2], 0.5F);
    EXPECT_EQ(c.result, made);
    EXPECT_EQ(TEffectProbe::Colour(*made)[1], 0.2F);
    EXPECT_FALSE(log[1].hasPosition || log[1].hasDirection || log[1].hasColour || log[1].hasScale);
    EXPECT_EQ(log[1].result, nullptr);
    creates.Stop();
    Create(1000);
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(EffectManagerTest, AnEffectAnsweringFalseGoesInThatPassAndTheNextStillRuns)
{
    owned_->AddPrototype(1, Scripted(&journal_, 1));
    owned_->AddPrototype(2, Scripted(&journal_, -1));
    TEffect* first = Create(1);
    Create(2);
    TRefPtr<TFrame> firstFrame = TEffectProbe::FrameRef(*first);
    TakeEvents();
    owned_->Update();
    EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"update 0", "detach 0", "gone 0", "update 1"}));
    EXPECT_EQ(TEffectProbe::LiveCount(*owned_), 1u);
    EXPECT_EQ(firstFrame->GetParent(), nullptr);
    EXPECT_EQ(scene_->GetChildCount(), 1u);
    owned_->Update();
    EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"update 1"}));
    owned_->Clear();
    TakeEvents();

    // An effect created during the pass is updated in it.
    owned_->AddPrototype(10, Scripted(&journal_, -1));
    auto spawner = Scripted(&journal_, -1);
    static_cast<ScriptedEffect*>(spawner.Get())->SpawnOnUpdate(owned_.get(), 10);
    owned_->AddPrototype(11, spawner);
    Create(11);
    Create(10);
    TakeEvents();
    owned_->Update();
    EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"update 2", "update 3", "update 4"}));
    EXPECT_EQ(TEffectProbe::LiveCount(*owned_), 3u);
    EXPECT_EQ(scene_->GetChildCount(), 3u);
}

TEST_F(EffectManagerTest, KillFinishAndClear)
{
    owned_->AddPrototype(3, Scripted(&journal_, -1));
    TEffect* effect = Create(3);
    effect->Finish();
    EXPECT_TRUE(TEffectProbe::IsFinishing(*effect));
    owned_->Update();
    EXPECT_EQ(TEffectProbe::LiveCount(*owned_), 1u);
    effect->Kill();
    EXPECT_EQ(TEffectProbe::LiveCount(*owned_), 1u);  // still listed until the next pass
    TakeEvents();
    owned_->Update();
    EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"update 0", "detach 0", "gone 0"}));
    EXPECT_EQ(TEffectProbe::LiveCount(*owned_), 0u);

    // Clear detaches everything without updating.
    Create(3);
    Create(3);
    TakeEvents();
    owned_->Clear();
    EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"detach 1", "detach 2", "gone 1", "gone 2"}));
    EXPECT_EQ(TEffectProbe::LiveCount(*owned_), 0u);
    EXPECT_EQ(scene_->GetChildCount(), 0u);
    owned_->Update();
    EXPECT_TRUE(TakeEvents().empty());
    // Serials keep growing.
    EXPECT_EQ(Create(3)->GetSerial(), 3);
}

TEST_F(EffectManagerTest, ALaterPrototypeReplacesTheEarlierOne)
{
    owned_->AddPrototype(20, Scripted(&journal_, -1));
    owned_->AddPrototype(20, Scripted(&other_, -1));
    EXPECT_EQ(journal_.destroyed, 1);
    EXPECT_EQ(TEffectProbe::PrototypeCount(*owned_), 193u);
    Create(20);
    EXPECT_EQ(journal_.clones, 0);
    EXPECT_EQ(other_.clones, 1);
}

TEST_F(EffectManagerTest, FindLiveSharesTheListsReferenceUntilTheEffectIsDropped)
{
    owned_->AddPrototype(21, Scripted(&journal_, 2));
    const std::int32_t serial = Create(21)->GetSerial();
    TRefPtr<TEffect> held = owned_->FindLive(serial);
    ASSERT_NE(held.Get(), nullptr);
    EXPECT_EQ(held.UseCount(), 2u);
    EXPECT_EQ(owned_->FindLive(serial + 1).Get(), nullptr);
    owned_->Update();
    owned_->Update();
    EXPECT_EQ(owned_->FindLive(serial).Get(), nullptr);
    // Dropped from the list but still whole for its holder.
    EXPECT_EQ(journal_.destroyed, 0);
    EXPECT_EQ(held.UseCount(), 1u);
    EXPECT_EQ(held->GetSerial(), serial);
}

TEST_F(EffectManagerTest, DestroyingTheManagerReleasesWithoutDetaching)
{
    owned_->AddPrototype(30, Scripted(&journal_, -1));
    Create(30);
    Create(30);
    journal_.events.clear();
    owned_.reset();
    // Prototype and both clones gone; nobody asked to detach, so the frames still hang.
    EXPECT_EQ(journal_.destroyed, 3);
    for (const std::string& e : journal_.events) {
        EXPECT_EQ(e.rfind("detach", 0), std::string::npos) << e;
    }
    EXPECT_EQ(scene_->GetChildCount(), 2u);
}

TEST_F(EffectManagerTest, UpdatingLiveEffectsAllocatesNothing)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    owned_->AddPrototype(50, Scripted(nullptr, -1));
    owned_->AddPrototype(51, Scripted(nullptr, 3));
    for (int i = 0; i < 20; ++i) {
        Create(i % 2 == 0 ? 50 : 51);
    }
    qmtest::AllocationProbe probe;
    for (int frame = 0; frame < 5; ++frame) {
        owned_->Update();
    }
    EXPECT_EQ(probe.Allocations(), 0);
    EXPECT_EQ(TEffectProbe::LiveCount(*owned_), 10u);
}

}  // namespace
}  // namespace effecttest
