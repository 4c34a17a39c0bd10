// The thunder bolt: its generated ribbon, the wander of its edges, the watched hit that ends it
// and the burst it hands a fading jitter; and the ribbon files the bolt, the ray and the weapon
// trail refuse.
#include <gtest/gtest.h>

#include <cmath>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Effect/TParticleEffect.h"
#include "MainCode/Effect/TThunderEffect.h"
#include "burst_fixture.h"
#include "support/effect_probe.h"

namespace effecttest {
namespace {

constexpr std::uint32_t kBoltId = 121;
constexpr std::uint32_t kBurstId = 122;
const float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};
const float kBox[9] = {-0.5F, 0.0F, -0.5F, 0.5F, 2.0F, 0.5F, 0, 0, 0};
const float kJitter[3] = {300.0F, 300.0F, 300.0F};
const float kUnit[3] = {1.0F, 1.0F, 1.0F};

class ThunderBoltTest : public EffectAreaTest {
protected:
    void SetUp() override
    {
        EffectAreaTest::SetUp();
        init_genrand(5489);
    }
    // Fades in over 2 frames, loops until finished (or `loops` times), fades out over 4.
    TThunderEffect* StartBolt(std::int32_t loops = -1, std::uint32_t segments = 2)
    {
        Add(kBoltId, new TThunderEffect("", segments, 1.0F, 0.5F, 2.0F, 0.5F, loops, 4.0F, 0.5F));
        return static_cast<TThunderEffect*>(Create(kBoltId, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), kWhite));
    }
    // The bolt watching a hit of its own and handing the burst its fade.
    static TRefPtr<TAttackHit> Link(TThunderEffect* bolt, TJitterParticleEffect* burst)
    {
        TRefPtr<TAttackHit> hit(new LifeHit());
        bolt->SetWatched(hit);
        bolt->SetLinkedParticles(burst);
        return hit;
    }
    static void End(const TRefPtr<TAttackHit>& hit) { static_cast<LifeHit*>(hit.Get())->SetLife(0); }
    TJitterParticleEffect* StartBurst()
    {
        Add(kBurstId, new TJitterParticleEffect("effect.ptx/thunder00", 2, 2, 4, kBox, kBox, 0.04F, kJitter, false,
                                                kUnit));
        return static_cast<TJitterParticleEffect*>(
            Create(kBurstId, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), kWhite));
    }
};

TEST_F(ThunderBoltTest, TheRibbonIsLaidOutRowByRow)
{
    TThunderEffect bolt("", 2, 1.0F, 0.5F, 2.0F, 0.5F, -1, 4.0F, 0.5F);
    ASSERT_EQ(TEffectProbe::RowCount(bolt), 9) << "sixteen faces";
    EXPECT_EQ(TEffectProbe::WobbleEnd(bolt), 2);
    EXPECT_EQ(TEffectProbe::CalmEnd(bolt), 6);
    const std::vector<TRibbonRow>& rows = TEffectProbe::RowTable(bolt);
    EXPECT_EQ(rows[0], (TRibbonRow{0, 0, 0, 1, 1, 3}));
    EXPECT_EQ(rows[1], (TRibbonRow{2, 4, 6, 5, 7, 9}));
    EXPECT_EQ(rows[7], (TRibbonRow{38, 40, 42, 41, 43, 45}));
    EXPECT_EQ(rows[8], (TRibbonRow{44, 44, 46, 47, 47, 47}));
    ASSERT_EQ(TEffectProbe::SegmentCount(bolt), 2u);
    EXPECT_EQ(TEffectProbe::Segment(bolt, 1)->GetName(), "ThunderMsh1");
    EXPECT_EQ(bolt.GetFrame()->GetName(), "ThunderRoot");

    const std::vector<TRibbonVertex> v = VerticesOf(TEffectProbe::Segment(bolt, 0));
    for (int r : {0, 1, 4, 8}) {
        const float along = static_cast<float>(r) / 9.0F;
        const auto alpha = static_cast<std::uint32_t>(255.0F * (1.0F - along));
        for (int k = 0; k < 6; ++k) {
            const TRibbonVertex& x = v[rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)]];
            EXPECT_EQ(x.x, k < 3 ? -0.2F : 0.2F) << r << "/" << k;
            EXPECT_FLOAT_EQ(x.y, 0.2F + 9.8F * static_cast<float>(r) / 9.0F) << r;
            EXPECT_EQ(x.u, k < 3 ? 0.0F : 1.0F);
            EXPECT_FLOAT_EQ(x.v, along);
            EXPECT_EQ(x.diffuse, alpha << 24 | 0xFFFFFFu) << r;
        }
    }
    EXPECT_EQ(v[0].diffuse >> 24, 255u);
    EXPECT_EQ(v[47].diffuse >> 24, 28u) << "trunc(255 / 9)";
    const std::vector<std::uint16_t> indices = IndicesOf(TEffectProbe::Segment(bolt, 0));
    for (std::size_t i = 0; i < indices.size(); ++i) {
        ASSERT_EQ(indices[i], i);
    }
}

TEST_F(ThunderBoltTest, EdgesWanderButStayNearTheCentreAndTheEndRowsNeverMove)
{
    TThunderEffect* bolt = StartBolt(-1, 1);
    TMesh8* mesh = TEffectProbe::Segment(*bolt, 0);
    const std::vector<TRibbonVertex> start = VerticesOf(mesh);
    const std::vector<TRibbonRow>& rows = TEffectProbe::RowTable(*bolt);
    std::vector<bool> moved(9, false);
    for (int frame = 0; frame < 5000; ++frame) {
        bolt->Update();
        const std::vector<TRibbonVertex> v = VerticesOf(mesh);
        for (int r = 0; r < 9; ++r) {
            const TRibbonRow& row = rows[static_cast<std::size_t>(r)];
            if (r == 0 || r == 8) {
                for (std::uint16_t i : row) {
                    ASSERT_EQ(v[i].x, start[i].x) << "frame " << frame << " row " << r;
                }
                continue;
            }
            // One step is at most 64 / scale; only an edge past its bound is pushed back.
            const float s = r <= 2 ? 500.0F : (r <= 6 ? 200.0F : 400.0F);
            const float left = v[row[0]].x;
            const float right = v[row[3]].x;
            ASSERT_EQ(v[row[1]].x, left);
            ASSERT_EQ(v[row[2]].x, left);
            ASSERT_EQ(v[row[4]].x, right);
            ASSERT_EQ(v[row[5]].x, right);
            ASSERT_GE(left, -0.4F - 64.0F / s - 1e-5F) << "frame " << frame << " row " << r;
            ASSERT_LE(left, 63.0F / s + 1e-5F) << "frame " << frame << " row " << r;
            ASSERT_GE(right, -64.0F / s - 1e-5F) << "frame " << frame << " row " << r;
            ASSERT_LE(right, 0.4F + 63.0F / s + 1e-5F) << "frame " << frame << " row " << r;
            moved[static_cast<std::size_t>(r)] = moved[static_cast<std::size_t>(r)] || left != start[row[0]].x;
        }
    }
    for (int r = 1; r < 8; ++r) {
        EXPECT_TRUE(moved[static_cast<std::size_t>(r)]) << r;
    }
    EXPECT_TRUE(bolt->IsAlive()) << "no watched hit, no end";
    EXPECT_FALSE(TEffectProbe::IsFinishing(*bolt));
}

TEST_F(ThunderBoltTest, ItLivesAsLongAsItsHitPlusTheFadeOutAndHandsItsBurstTheFade)
{
    int afterEnd[2] = {0, 0};
    const int hitLives[2] = {10, 37};
    for (int run = 0; run < 2; ++run) {
        TThunderEffect* bolt = StartBolt();
        TJitterParticleEffect* burst = StartBurst();
        TRefPtr<TAttackHit> hit = Link(bolt, burst);
        const D3DXVECTOR3 still(0.0F, 0.0F, 0.0F);
        bolt->SetVelocity(&still);
        for (int frame = 0; frame < hitLives[run]; ++frame) {
            ASSERT_TRUE(bolt->Update()) << frame;
        }
        EXPECT_FALSE(TEffectProbe::IsFinishing(*bolt));
        EXPECT_TRUE(TEffectProbe::Routine(*burst) == &TJitterParticleEffect::EndlessJitter);
        End(hit);
        int frames = 1;
        while (bolt->Update()) {
            ++frames;
            ASSERT_LT(frames, 100);
        }
        EXPECT_TRUE(TEffectProbe::IsFinishing(*bolt));
        EXPECT_TRUE(TEffectProbe::Routine(*burst) == &TJitterParticleEffect::FadingJitterRGB);
        afterEnd[run] = frames;
        Manager().Clear();
    }
    EXPECT_EQ(afterEnd[0], afterEnd[1]) << "the same fade-out whenever the hit ends";
    // The frame that sees the ended hit finishes, the next leaves the loop, then the clamped fade
    // runs from 1 past 4 in steps of 0.5.
    EXPECT_EQ(afterEnd[0], 1 + 1 + 7);
}

TEST_F(ThunderBoltTest, ABurstThatEndedOrWasDroppedIsNeverTouched)
{
    // Ended but still listed: the bolt leaves its routine alone.
    TThunderEffect* bolt = StartBolt();
    TJitterParticleEffect* burst = StartBurst();
    TRefPtr<TAttackHit> hit = Link(bolt, burst);
    burst->Kill();
    End(hit);
    bolt->Update();
    EXPECT_TRUE(TEffectProbe::Routine(*burst) == &TJitterParticleEffect::EndlessJitter);
    EXPECT_TRUE(TEffectProbe::IsFinishing(*bolt));

    // Dropped by the manager (and so deleted): the bolt finds nothing by its serial.
    TThunderEffect* second = StartBolt();
    TJitterParticleEffect* gone = StartBurst();
    const std::int32_t serial = gone->GetSerial();
    TRefPtr<TAttackHit> secondHit = Link(second, gone);
    EXPECT_EQ(TEffectProbe::LinkedSerial(*second), serial);
    gone->Kill();
    Manager().Update();
    ASSERT_EQ(Manager().FindLive(serial).Get(), nullptr);
    End(secondHit);
    second->Update();
    EXPECT_TRUE(TEffectProbe::IsFinishing(*second));
}

TEST_F(ThunderBoltTest, ItDriftsByItsVelocityEndsByItselfWithCountedLoopsAndACloneStartsBare)
{
    TThunderEffect* drifting = StartBolt();
    const D3DXVECTOR3 drift(0.01F, 0.0F, -0.02F);
    drifting->SetVelocity(&drift);
    for (int i = 0; i < 10; ++i) {
        drifting->Update();
    }
    D3DXVECTOR3 at;
    ExpectNear(*drifting->GetFrame()->GetPosition(&at), D3DXVECTOR3(0.1F, 0.0F, -0.2F));

    TThunderEffect* bolt = StartBolt(2);
    int frames = 1;
    while (bolt->Update()) {
        ++frames;
        ASSERT_LT(frames, 100);
    }
    EXPECT_FALSE(TEffectProbe::IsFinishing(*bolt));
    // A clone starts without hit, burst or velocity.
    TThunderEffect* clone = StartBolt();
    EXPECT_EQ(TEffectProbe::LinkedSerial(*clone), -1);
    ExpectNear(TEffectProbe::Velocity(*clone), D3DXVECTOR3(0, 0, 0));
    EXPECT_NE(TEffectProbe::Segment(*clone, 0)->GetGeometry(), TEffectProbe::Segment(*bolt, 0)->GetGeometry());
}

}  // namespace
}  // namespace effecttest
