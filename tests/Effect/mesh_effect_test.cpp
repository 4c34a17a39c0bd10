// The mesh effect: riding on its target, breaking when the target is let go or gone, and the
// owner's one strike with its sound.
#include <gtest/gtest.h>

#include "MainCode/Effect/TSmashEffect.h"
#include "MainCode/Map/TAttackTable.h"
#include "effect_area_fixture.h"
#include "formats/bht_writer.h"
#include "support/effect_probe.h"
#include "support/map_probe.h"

namespace effecttest {
namespace {

using qmtest::EffectTestCharacter;

constexpr std::uint32_t kMeshId = 700;
constexpr std::uint32_t kSound = 640;
constexpr std::uint16_t kHitEvent = 0x123;

const float kColour[4] = {0.9F, 0.8F, 0.7F, 1.0F};

class MeshEffectTest : public EffectAreaTest {
protected:
    void SetUp() override
    {
        EffectAreaTest::SetUp();
        TAttackRecord record;
        record.Id = kHitEvent;
        record.Kind = 0;
        record.Lifetime = 30;
        qmtest::BhtFile table;
        table.records.push_back(record);
        table.Save((dir_.Path() / "effect.bht").string());
        TAttackTable::SetDirectory("");
        TAttackTable::Load("effect.bht");
        ASSERT_TRUE(TMapProbe::HasAttack(kHitEvent));
        owner_ = std::make_unique<EffectTestCharacter>("owner");
        area_->Add(owner_.get());
        target_ = std::make_unique<EffectTestCharacter>("target");
        target_->Place(3.0F, 0.0F, 1.0F);
        area_->Add(target_.get());
    }
    void TearDown() override
    {
        TAttackTable::Clear();
        EffectAreaTest::TearDown();
    }
    // Waits `duration` frames; strikes with the event (0: sound only) 1 above the effect.
    TMeshEffect* Start(std::uint32_t duration, std::uint16_t event, std::int32_t target)
    {
        const D3DXVECTOR3 above(0.0F, 1.0F, 0.0F);
        Add(kMeshId, new TMeshEffect("ice01_mesh.msh", kSound, duration, 1, 0.05F, 0.001F, 0.05F, 0, false, event,
                                     &above, nullptr));
        auto* e = static_cast<TMeshEffect*>(
            Create(kMeshId, D3DXVECTOR3(0.0F, 0.0F, 0.0F), D3DXVECTOR3(0.0F, 0.0F, 1.0F), kColour));
        e->SetOwnerId(static_cast<std::int32_t>(owner_->GetObjectId()));
        e->SetTargetId(target);
        return e;
    }
    std::int32_t TargetId() const { return static_cast<std::int32_t>(target_->GetObjectId()); }
    static D3DXVECTOR3 PositionOf(TEffect* e)
    {
        D3DXVECTOR3 p;
        e->GetFrame()->GetPosition(&p);
        return p;
    }

    std::unique_ptr<EffectTestCharacter> owner_;
    std::unique_ptr<EffectTestCharacter> target_;
};

TEST_F(MeshEffectTest, WithoutTargetItStaysPutAndFiresOnceAtItsDuration)
{
    TMeshEffect* e = Start(5, 0, -2);
    const D3DCOLORVALUE shown = TEffectProbe::Mesh(*e)->GetMaterial(0).GetMaterial().Emissive;
    EXPECT_EQ(shown.g, kColour[1]) << "Init shows the colour";
    for (int update = 1; update <= 4; ++update) {
        ASSERT_TRUE(e->Update());
        EXPECT_TRUE(owner_->sounds.empty()) << "update " << update;
        EXPECT_FALSE(e->IsShattering());
    }
    ASSERT_TRUE(e->Update());
    EXPECT_TRUE(TEffectProbe::HasFired(*e));
    EXPECT_TRUE(e->IsShattering());
    EXPECT_EQ(owner_->sounds, (std::vector<std::uint32_t>{kSound}));
    EXPECT_TRUE(owner_->AttackHits().empty()) << "no event, no hit";
    ExpectNear(PositionOf(e), D3DXVECTOR3(0.0F, 0.0F, 0.0F));
    while (e->Update()) {
    }
    EXPECT_EQ(owner_->sounds.size(), 1u);
    // A clone knows no owner or target.
    auto* clone = static_cast<TMeshEffect*>(Create(kMeshId, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), kColour));
    EXPECT_EQ(TEffectProbe::OwnerId(*clone), -2);
    EXPECT_EQ(TEffectProbe::TargetId(*clone), -2);
    EXPECT_FALSE(TEffectProbe::HasFired(*clone));
}

TEST_F(MeshEffectTest, ItRidesOnAHeldTargetAndStrikesWhenTheTargetIsLetGo)
{
    target_->held = true;
    TMeshEffect* e = Start(100, kHitEvent, TargetId());
    for (int update = 1; update <= 10; ++update) {
        ASSERT_TRUE(e->Update());
        target_->Place(3.0F + 0.1F * static_cast<float>(update), 0.0F, 1.0F);
    }
    ExpectNear(PositionOf(e), D3DXVECTOR3(3.9F, 0.0F, 1.0F));
    EXPECT_FALSE(TEffectProbe::HasFired(*e));

    target_->held = false;
    ASSERT_TRUE(e->Update());
    ExpectNear(PositionOf(e), D3DXVECTOR3(4.0F, 0.0F, 1.0F));
    EXPECT_TRUE(e->IsShattering());
    EXPECT_EQ(TEffectProbe::Time(*e), 11u) << "let go, not timed out";
    const std::vector<qmtest::AttackHitCall> hits = owner_->AttackHits();
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].code, kHitEvent);
    EXPECT_EQ(hits[0].parent, owner_->GetReferenceFrame());
    EXPECT_EQ(hits[0].parent, area_->Scene());
    ExpectNear(hits[0].position, D3DXVECTOR3(4.0F, 1.0F, 1.0F));
    EXPECT_EQ(owner_->sounds, (std::vector<std::uint32_t>{kSound}));

    // Broken, it no longer follows and never strikes again.
    target_->Place(9.0F, 0.0F, 9.0F);
    target_->held = true;
    e->Update();
    ExpectNear(PositionOf(e), D3DXVECTOR3(4.0F, 0.0F, 1.0F));
    EXPECT_EQ(owner_->AttackHits().size(), 1u);
    EXPECT_EQ(owner_->sounds.size(), 1u);
}

TEST_F(MeshEffectTest, AHeldTargetBreaksItAtTheDurationAGoneOneOrOneThatCannotBeHeldAtOnce)
{
    target_->held = true;
    TMeshEffect* e = Start(3, kHitEvent, TargetId());
    ASSERT_TRUE(e->Update());
    ASSERT_TRUE(e->Update());
    EXPECT_FALSE(TEffectProbe::HasFired(*e));
    ASSERT_TRUE(e->Update());
    EXPECT_TRUE(TEffectProbe::HasFired(*e));
    EXPECT_EQ(owner_->AttackHits().size(), 1u);
    owner_->sounds.clear();

    TMeshEffect* gone = Start(100, 0, TargetId());
    ASSERT_TRUE(gone->Update());
    area_->Remove(target_.get());
    ASSERT_TRUE(gone->Update());
    EXPECT_TRUE(gone->IsShattering());
    EXPECT_EQ(TEffectProbe::Time(*gone), TEffectProbe::Duration(*gone));
    EXPECT_EQ(owner_->sounds, (std::vector<std::uint32_t>{kSound}));

    // An object that is no armed character is never held.
    auto plain = NewObject("target", 2.0F, 0.0F, 0.0F);
    TMeshEffect* loose = Start(100, kHitEvent, static_cast<std::int32_t>(plain->GetObjectId()));
    ASSERT_TRUE(loose->Update());
    EXPECT_TRUE(TEffectProbe::HasFired(*loose));
    ExpectNear(PositionOf(loose), D3DXVECTOR3(2.0F, 0.0F, 0.0F));
    EXPECT_EQ(owner_->AttackHits().size(), 2u);
}

TEST_F(MeshEffectTest, WithoutAnArmedOwnerThereIsNoHit)
{
    // No owner at all: nothing, but it fires all the same (once).
    TMeshEffect* alone = Start(1, kHitEvent, -2);
    alone->SetOwnerId(-2);
    ASSERT_TRUE(alone->Update());
    EXPECT_TRUE(TEffectProbe::HasFired(*alone));
    EXPECT_TRUE(owner_->sounds.empty());
    EXPECT_TRUE(owner_->AttackHits().empty());

    // An owner that is a plain object only plays the sound.
    auto plain = NewObject("target", 0.0F, 0.0F, 0.0F);
    TMeshEffect* e = Start(1, kHitEvent, -2);
    e->SetOwnerId(static_cast<std::int32_t>(plain->GetObjectId()));
    ASSERT_TRUE(e->Update());
    EXPECT_EQ(plain->sounds, (std::vector<std::uint32_t>{kSound}));
}

}  // namespace
}  // namespace effecttest
