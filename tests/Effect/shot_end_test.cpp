// What rock, smoke and star shots raise when their flight ends, and the shot prototype set.
#include <gtest/gtest.h>

#include "MainCode/Character/TAccelMotion.h"
#include "MainCode/Effect/TSmashEffect.h"
#include "MainCode/Shot/TShotPrototypes.h"
#include "shot_fixture.h"
#include "formats/bht_writer.h"
#include "support/character_probe.h"
#include "support/effect_probe.h"
#include "support/map_probe.h"
#include "support/shot_probe.h"

namespace shottest {
namespace {

class ShotEnds : public ShotTest {
protected:
    // The rock's end effect as the catalogue has it.
    void AddRockEnd(std::uint32_t id)
    {
        const D3DXVECTOR3 none(0.0F, 0.0F, 0.0F);
        Add(id, new TMeshEffect("rock01_mesh.msh", 506, 1, 1, 0.05F, 0.005F, 0.01F, 1, true, 5003, &none, kOne));
    }
};

TEST_F(ShotEnds, RockRaisesItsMeshEffectAlongTheHeadsZAxis)
{
    AddRockEnd(511);
    Register<TShotJ>(510, "meteo.msh", 511, 3, 1, false, kOne);
    auto* shot = Fire<TShotJ>(510, D3DXVECTOR3(1.0F, 2.0F, 3.0F));
    shot->AimParts(D3DXVECTOR3(1.0F, 0.0F, 0.0F));
    shot->SetAttackHit(HitOn(shot, 42));
    const float ember[4] = {0.8F, 0.4F, 0.2F, 1.0F};
    shot->AddEndEffect(603, D3DXVECTOR3(0, 0.3F, 0), D3DXVECTOR3(0.6F, 1, 0.6F), ember);
    shot->AddEndEffect(904, D3DXVECTOR3(0, 0.3F, 0), D3DXVECTOR3(1, 1, 1), ember);
    RunOut(shot);
    const std::vector<TEffectCreateCall> ends = CallsOf(511);
    ASSERT_EQ(ends.size(), 1u);
    effecttest::ExpectNear(ends[0].position, D3DXVECTOR3(1.0F, 2.0F, 3.0F));
    effecttest::ExpectNear(ends[0].direction, D3DXVECTOR3(1.0F, 0.0F, 0.0F));
    EXPECT_EQ(ends[0].parent, area_->Scene());
    EXPECT_EQ(ends[0].area, area_.get());
    auto* mesh = dynamic_cast<TMeshEffect*>(ends[0].result);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(TEffectProbe::OwnerId(*mesh), 42);
    EXPECT_EQ(TEffectProbe::EndEffectCount(*mesh), 2u);

    // Without records or hit: the effect all the same, no one owning it. A clone starts empty.
    auto* bare = Fire<TShotJ>(510, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(TShotProbe::EndEffectCount(*bare), 0u);
    RunOut(bare);
    auto* plain = dynamic_cast<TMeshEffect*>(CallsOf(511).back().result);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(TEffectProbe::OwnerId(*plain), -2);
    EXPECT_EQ(TEffectProbe::EndEffectCount(*plain), 0u);
    effecttest::ExpectNear(CallsOf(511).back().direction, D3DXVECTOR3(0.0F, 0.0F, 1.0F));
}

TEST_F(ShotEnds, RockWithoutAMeshEndEffectRaisesNothingToFill)
{
    // No prototype for the end id: nothing is made and nothing used.
    Manager().AddPrototype(501, TRefPtr<TEffect>());
    Register<TShotJ>(500, "rock01_mesh.msh", 501, 2, 1, true, kOne);
    auto* lost = Fire<TShotJ>(500, D3DXVECTOR3(0, 0, 0));
    lost->SetAttackHit(HitOn(lost, 9));
    RunOut(lost);
    ASSERT_EQ(CallsOf(501).size(), 1u);
    EXPECT_EQ(CallsOf(501)[0].result, nullptr);

    // An end id that names some other effect: it is raised and left alone.
    Register<TShotC>(503, "effect.ptx/fire", 5, 2, true, kOne);
    Register<TShotJ>(502, "rock01_mesh.msh", 503, 2, 1, true, kOne);
    auto* odd = Fire<TShotJ>(502, D3DXVECTOR3(0, 0, 0));
    const float white[4] = {1, 1, 1, 1};
    odd->AddEndEffect(603, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1), white);
    RunOut(odd);
    ASSERT_EQ(CallsOf(503).size(), 1u);
    EXPECT_NE(dynamic_cast<TShotC*>(CallsOf(503)[0].result), nullptr);
}

TEST_F(ShotEnds, SmokeCarrierRaisesItsBurstWhereTheHeadWas)
{
    const float none[3] = {0.0F, 0.0F, 0.0F};
    Register<TShotM>(550, "effect.ptx/smoke", 109, -1, 60, 1, true, -1, 0, none, none);
    auto* shot = Fire<TShotM>(550, D3DXVECTOR3(0, 0, 0));
    shot->SetMotion(std::make_unique<TAccelMotion>(D3DXVECTOR3(2, 1, 0), D3DXVECTOR3(0, 0, -1), 0.1F, 0.0F));
    shot->SetFlightFrames(10);
    RunOut(shot);
    ASSERT_EQ(CallsOf(109).size(), 1u);
    const TEffectCreateCall burst = CallsOf(109)[0];
    effecttest::ExpectNear(burst.position, D3DXVECTOR3(2.0F, 1.0F, 1.0F));
    effecttest::ExpectNear(burst.direction, D3DXVECTOR3(0.0F, 0.0F, 1.0F));
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(burst.colour[k], 1.0F);
    }
    EXPECT_EQ(burst.scale[0], 1.0F);
    EXPECT_EQ(log_.size(), 2u);  // the shot and its burst: no B, no hit
}

TEST_F(ShotEnds, StarWithoutItsHitMakesNoHitAndNoSound)
{
    qmtest::EffectTestCharacter owner;
    area_->Add(&owner);
    Register<TShotN>(551, "effect.ptx/dark", 114, -1, 3, 4, true, 500, 2504, kOne, kOne);
    auto* shot = Fire<TShotN>(551, D3DXVECTOR3(0, 0, 0));
    RunOut(shot);
    EXPECT_EQ(CallsOf(114).size(), 1u);
    EXPECT_TRUE(TCharacterProbe::Hits(owner).empty());
    EXPECT_TRUE(owner.sounds.empty());
    area_->Remove(&owner);
}

TEST_F(ShotEnds, StarLetsItsOwnerStrikeAndTakesTheStarLook)
{
    qmtest::BhtFile table;
    TAttackRecord record;
    record.Id = 2504;
    record.Radius = 1.75F;
    table.records.push_back(record);
    table.Save("star.bht");
    TAttackTable::Load("star.bht");
    qmtest::EffectTestCharacter owner;
    area_->Add(&owner);

    const float lift[3] = {0.0F, 0.5F, 0.0F};
    Register<TShotN>(551, "effect.ptx/dark", 114, 115, 3, 4, true, 500, 17, lift, kOne);
    auto* shot = Fire<TShotN>(551, D3DXVECTOR3(1.0F, 0.0F, 2.0F));
    EXPECT_EQ(TShotProbe::StarScale(*shot)[1], 1.0F);
    TShotProbe::SetHitEvent(*shot, 2504);
    shot->SetStarScale(2.0F, 3.0F, 4.0F);
    shot->SetStarColour1(0.1F, 0.2F, 0.3F, 0.4F);
    shot->SetStarColour2(0.5F, 0.6F, 0.7F, 0.8F);
    shot->SetAttackHit(HitOn(shot, owner.GetObjectId()));
    shot->SetMotion(std::make_unique<TAccelMotion>(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, -1), 0.5F, 0.0F));
    RunOut(shot);

    ASSERT_EQ(CallsOf(114).size(), 1u);
    const TEffectCreateCall a = CallsOf(114)[0];
    effecttest::ExpectNear(a.position, D3DXVECTOR3(1.0F, 0.0F, 3.5F));
    EXPECT_EQ(a.scale[2], 4.0F);
    EXPECT_EQ(a.colour[3], 0.4F);
    ASSERT_EQ(CallsOf(115).size(), 1u);
    const TEffectCreateCall b = CallsOf(115)[0];
    EXPECT_EQ(b.colour[0], 0.5F);
    EXPECT_EQ(b.scale[0], 1.0F);

    ASSERT_EQ(TCharacterProbe::Hits(owner).size(), 1u);
    TAttackHit* strike = TCharacterProbe::Hits(owner).front().Get();
    EXPECT_EQ(TMapProbe::Radius(*strike), 1.75F);
    EXPECT_EQ(TMapProbe::Parent(*strike), area_->Scene());
    D3DXVECTOR3 at;
    TMapProbe::Frame(*strike)->GetWorldPosition(&at);
    effecttest::ExpectNear(at, D3DXVECTOR3(1.0F, 0.5F, 3.5F));
    EXPECT_EQ(owner.sounds, (std::vector<std::uint32_t>{500}));
    area_->Remove(&owner);
}

TEST_F(ShotEnds, ClonesKeepTheirSettingsAndInitResetsTheStarLook)
{
    const float lift[3] = {0.0F, 0.5F, 0.0F};
    auto* proto = Register<TShotM>(550, "effect.ptx/smoke", 109, 110, 60, 2, true, 77, 12, lift, kOne);
    proto->SetStarScale(9.0F, 9.0F, 9.0F);
    auto* shot = Fire<TShotM>(550, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(TShotProbe::BurstIdA(*shot), 109);
    EXPECT_EQ(TShotProbe::BurstIdB(*shot), 110);
    EXPECT_EQ(TShotProbe::SoundId(*shot), 77);
    EXPECT_EQ(TShotProbe::HitEvent(*shot), 12);
    EXPECT_EQ(TShotProbe::HitOffset(*shot)[1], 0.5F);
    EXPECT_EQ(TShotProbe::StarScale(*shot)[0], 1.0F);
    EXPECT_EQ(TShotProbe::Area(*shot), area_.get());
    EXPECT_EQ(shot->GetOwnerId(), -2);
    EXPECT_EQ(TShotProbe::AttackHit(*shot), nullptr);
}

TEST_F(ShotEnds, PrototypeSetByIdAndClass)
{
    const std::vector<std::uint32_t> ids = TShotProbe::PrototypeIds(Manager());
    EXPECT_EQ(ids.size(), 70u);
    for (std::uint32_t id : ids) {
        EXPECT_TRUE(TEffectManager::IsCatalogueId(id)) << id;
        TRefPtr<TEffect> built(NewShotPrototype(id));
        EXPECT_NE(dynamic_cast<TShot*>(built.Get()), nullptr) << id;
    }
    EXPECT_EQ(NewShotPrototype(53), nullptr);
    EXPECT_EQ(NewShotPrototype(1101), nullptr);
    const auto clone = [&](std::uint32_t id) { return Manager().FindPrototype(id); };
    // First and last ids, and one of every class.
    EXPECT_TRUE(Is<TShotA>(52) && !Is<TShotI>(52));
    EXPECT_TRUE(Is<TShotI>(1100) && !Is<TShotM>(1100));
    EXPECT_TRUE(Is<TShotB>(56) && Is<TShotB>(306) && Is<TShotB>(809));
    EXPECT_TRUE(Is<TShotC>(300) && Is<TShotD>(404) && Is<TShotE>(406));
    EXPECT_TRUE(Is<TShotF>(412) && Is<TShotG>(413) && Is<TShotH>(804));
    EXPECT_EQ(dynamic_cast<TShot*>(clone(1100).Get())->GetPartCount(), 1u);
    auto star = clone(552);
    auto* n = dynamic_cast<TShotN*>(star.Get());
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(TShotProbe::HitEvent(*n), 3504);
    EXPECT_EQ(TShotProbe::SoundId(*n), 500);
    EXPECT_EQ(n->GetPartCount(), 10u);
    auto meteor = clone(512);
    auto* j = dynamic_cast<TShotJ*>(meteor.Get());
    ASSERT_NE(j, nullptr);
    EXPECT_FALSE(TShotProbe::IsStartParked(*j));
    auto rock = clone(500);
    EXPECT_TRUE(TShotProbe::IsStartParked(*dynamic_cast<TShot*>(rock.Get())));
    auto longest = clone(456);
    auto* slow = dynamic_cast<TShot*>(longest.Get());
    EXPECT_EQ(slow->GetFlightFrames(), 120);
    EXPECT_EQ(slow->GetPartCount(), 30u);
    EXPECT_EQ(TShotProbe::TailFrames(*slow), 30);
}

}  // namespace
}  // namespace shottest
