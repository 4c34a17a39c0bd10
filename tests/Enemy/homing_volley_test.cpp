// The homing volleys against enemies of the map's factory placed at set distances: one shot per
// enemy found, in the factory's order, at most the case's count within its radius, one draw a shot,
// and each shot's curve ending on its still target's centre.
#include <gtest/gtest.h>

#include <vector>

#include "MainCode/Effect/TFrameAnimEffect.h"
#include "MainCode/Shot/THomingArcMotion.h"
#include "MainCode/Shot/TShot.h"
#include "enemy_fixture.h"
#include "support/character_probe.h"
#include "support/effect_test_area.h"
#include "support/shot_probe.h"

namespace enemytest {
namespace {

class HomingVolleyTest : public EnemyTest {
protected:
    void SetUp() override
    {
        EnemyTest::SetUp();
        caster_ = std::make_unique<qmtest::EffectTestCharacter>("owner");
        caster_->AttachToField(area_.get());
        caster_->Place(0.0F, 0.0F, 0.0F);
        // The flourish draws nothing of its own, so the shots' draws can be followed.
        Add(4, new TColourAnimEffect("edge01_anim.frm", 5, 1, 10, 1, 20, 1));
    }
    void TearDown() override
    {
        caster_->DetachFromField();
        caster_.reset();
        EnemyTest::TearDown();
    }
    // Enemies whose centres lie at the distances along +x from the caster's centre.
    void PlaceAt(const std::vector<float>& distances)
    {
        TestMap map(0, 8.0F);
        for (float d : distances) {
            map.Place(3, D3DXVECTOR3(d, 0.0F, 0.0F));
        }
        MakeFactory(map);
        D3DXVECTOR3 centre;
        caster_->GetCenterPosition(&centre);
        // Lift them so that their centres stand level with the caster's.
        for (const auto& entry : factory_->GetLive()) {
            D3DXVECTOR3 at;
            entry.second->GetPosition(&at);
            const float lift = centre.y - entry.second->GetCenterHeight();
            entry.second->SetPosition(D3DXVECTOR3(at.x, lift, at.z));
        }
    }
    std::vector<std::int32_t> IdsWithin(float radius) const
    {
        std::vector<std::int32_t> ids;
        D3DXVECTOR3 centre;
        caster_->GetCenterPosition(&centre);
        for (const auto& entry : factory_->GetLive()) {
            D3DXVECTOR3 c;
            entry.second->GetCenterPosition(&c);
            const D3DXVECTOR3 d = c - centre;
            if (D3DXVec3Length(&d) < radius) {
                ids.push_back(static_cast<std::int32_t>(entry.first));
            }
        }
        return ids;
    }
    void Fire(std::uint16_t code)
    {
        TPatternEvent e;
        e.EventCode = code;
        caster_->OnPatternEvent(e);
    }
    std::vector<const THomingArcMotion*> Volley(std::uint32_t shotId)
    {
        std::vector<const THomingArcMotion*> motions;
        for (const TEffectCreateCall& c : log_) {
            if (c.id == shotId) {
                auto* shot = dynamic_cast<TShot*>(c.result);
                EXPECT_NE(shot, nullptr);
                EXPECT_EQ(shot->GetFlightFrames(), 50);
                motions.push_back(dynamic_cast<const THomingArcMotion*>(TShotProbe::Motion(*shot)));
            }
        }
        return motions;
    }

    std::unique_ptr<qmtest::EffectTestCharacter> caster_;
};

TEST_F(HomingVolleyTest, TheSmallVolleyTakesTheFirstTwoWithinFive)
{
    PlaceAt({1.0F, 3.0F, 4.9F, 5.0F, 7.0F});
    ASSERT_EQ(IdsWithin(5.0F).size(), 3u);
    init_genrand(5489);
    std::vector<std::uint32_t> d;
    for (int i = 0; i < 3; ++i) {
        d.push_back(genrand_int31());
    }
    init_genrand(5489);
    Fire(10032);
    EXPECT_EQ(genrand_int31(), d[2]) << "one draw a shot";
    const std::vector<const THomingArcMotion*> shots = Volley(500);
    ASSERT_EQ(shots.size(), 2u);
    const std::vector<std::int32_t> near = IdsWithin(5.0F);
    D3DXVECTOR3 centre;
    caster_->GetCenterPosition(&centre);
    for (std::size_t i = 0; i < 2; ++i) {
        ASSERT_NE(shots[i], nullptr);
        EXPECT_EQ(TShotProbe::TargetId(*shots[i]), near[i]);
        EXPECT_FLOAT_EQ(TCharacterProbe::StepSize(*shots[i]), 0.02F);
        EXPECT_FLOAT_EQ(TShotProbe::Limit(*shots[i]), 0.7F);
        effecttest::ExpectNear(TCharacterProbe::Point(*shots[i], 0), centre);
        // The bulge's side part is the draw's seven bits, 1/16 a step, across the way to the target.
        const D3DXVECTOR3 way = TCharacterProbe::Point(*shots[i], 3) - centre;
        D3DXVECTOR3 side;
        const D3DXVECTOR3 up(0, 1, 0);
        D3DXVec3Cross(&side, &up, &way);
        D3DXVec3Normalize(&side, &side);
        const D3DXVECTOR3 bend = TCharacterProbe::Point(*shots[i], 1) - centre;
        EXPECT_NEAR(D3DXVec3Dot(&bend, &side), (static_cast<float>(d[i] & 127) - 64.0F) * 0.0625F, 1e-4F);
        EXPECT_NEAR(bend.y, 2.5F, 1e-5F);
    }
    EXPECT_EQ(log_.back().id, 4u);

    // A still target's centre is where each curve ends as its 50 frames run out.
    for (int frame = 0; frame < 50; ++frame) {
        area_->Update();
    }
    for (std::size_t i = 0; i < 2; ++i) {
        TGameObject* target = area_->FindObject(static_cast<std::uint32_t>(near[i]));
        ASSERT_NE(target, nullptr);
        D3DXVECTOR3 c;
        target->GetCenterPosition(&c);
        EXPECT_NEAR(TCharacterProbe::CurveT(*shots[i]), 1.0F, 1e-4F);
        effecttest::ExpectNear(TCharacterProbe::Point(*shots[i], 3), c, 1e-4F);
    }
}

TEST_F(HomingVolleyTest, TheRadiusIsExclusiveAndNothingFoundStillFlourishes)
{
    PlaceAt({4.99F, 5.0F});
    Fire(10032);
    EXPECT_EQ(Volley(500).size(), 1u);
    log_.clear();
    PlaceAt({5.0F, 10.0F});
    Fire(10032);
    EXPECT_TRUE(Volley(500).empty());
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_EQ(log_[0].id, 4u);
    log_.clear();
    Fire(11032);
    EXPECT_EQ(Volley(502).size(), 1u) << "5 lies inside 10, 10 does not";
}

TEST_F(HomingVolleyTest, AFullArrayEndsTheLargeVolleyAtFive)
{
    // Six within 10: the factory fills all five entries and leaves no -1 behind them.
    PlaceAt({1.0F, 2.0F, 3.0F, 4.0F, 6.0F, 9.9F, 10.5F});
    ASSERT_EQ(IdsWithin(10.0F).size(), 6u);
    Fire(11032);
    const std::vector<const THomingArcMotion*> shots = Volley(502);
    ASSERT_EQ(shots.size(), 5u);
    const std::vector<std::int32_t> near = IdsWithin(10.0F);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(TShotProbe::TargetId(*shots[i]), near[i]);
    }
    EXPECT_EQ(log_.back().id, 4u);
}

}  // namespace
}  // namespace enemytest
