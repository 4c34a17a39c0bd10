// Particle bursts: the random range, the draws of a burst, its clock, its fades, atlas cells
// handed out across bursts, clones that keep to their own particles, and the jittering kinds.
#include <gtest/gtest.h>

#include <cmath>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Effect/TParticleEffect.h"
#include "MainCode/TRunState.h"
#include "burst_fixture.h"
#include "support/effect_probe.h"

namespace effecttest {
namespace {

const float kStartBox[9] = {-1.0F, 0.5F, 0.0F, 1.0F, 0.5F, 2.0F, 0, 0, 0};
const float kEndBox[9] = {-2.0F, 1.0F, -1.0F, 2.0F, 3.0F, 1.0F, 0, 0, 0};
const float kUnit[3] = {1.0F, 1.0F, 1.0F};
const float kJitter[3] = {100.0F, 200.0F, 400.0F};
const float kColour[4] = {1.0F, 0.5F, 0.25F, 0.8F};

class ParticleBurstTest : public EffectAreaTest {
protected:
    void SetUp() override
    {
        EffectAreaTest::SetUp();
        AlignCellCounters();
        init_genrand(5489);
    }
    template <typename T>
    T* Start(std::uint32_t id, T* prototype)
    {
        Add(id, prototype);
        return static_cast<T*>(Create(id, D3DXVECTOR3(0.0F, 0.0F, 0.0F), D3DXVECTOR3(0.0F, 0.0F, 1.0F), kColour));
    }
    static D3DXVECTOR3 At(const TParticle& p)
    {
        D3DXVECTOR3 out;
        p.frame->GetPosition(&out);
        return out;
    }
    // Texture coordinates of the quad's first and last corner.
    static std::pair<TRibbonVertex, TRibbonVertex> Corners(const TParticle& p)
    {
        const std::vector<TRibbonVertex> v = VerticesOf(p.frame->GetMesh(0));
        return {v.front(), v.back()};
    }
};

float Expected(std::uint32_t r, float min, float max)
{
    const auto range = static_cast<std::uint32_t>(std::trunc(max * 100.0F - min * 100.0F));
    return min + static_cast<float>(r % range) * 0.01F;
}

TEST(RandomRangeTest, StepsOfAHundredthFromMinToBelowMaxAndOneDrawACall)
{
    init_genrand(5489);
    const std::uint32_t r0 = genrand_int32();
    init_genrand(5489);
    EXPECT_FLOAT_EQ(RandomRange(-1.0F, 1.0F), Expected(r0, -1.0F, 1.0F));
    float low = 10.0F;
    float high = -10.0F;
    for (int i = 0; i < 4000; ++i) {
        const float x = RandomRange(-1.0F, 1.0F);
        low = std::min(low, x);
        high = std::max(high, x);
        const float steps = (x + 1.0F) * 100.0F;
        ASSERT_NEAR(steps, std::round(steps), 1e-3F) << x;
    }
    EXPECT_EQ(low, -1.0F);
    EXPECT_NEAR(high, 0.99F, 1e-6F);

    // Empty, short and backward ranges give min and still draw once.
    init_genrand(5489);
    std::uint32_t r[6];
    for (std::uint32_t& x : r) {
        x = genrand_int32();
    }
    init_genrand(5489);
    EXPECT_EQ(RandomRange(0.7F, 0.7F), 0.7F);
    EXPECT_EQ(RandomRange(0.25F, 0.255F), 0.25F) << "half a step truncates to none";
    EXPECT_EQ(RandomRange(2.0F, -3.0F), 2.0F) << "backward";
    EXPECT_EQ(RandomRange(2.0F, 1.995F), 2.0F) << "just backward";
    const float huge = RandomRange(-3.0e7F, 3.0e7F);
    EXPECT_GE(huge, -3.0e7F);
    EXPECT_LT(huge, 3.0e7F);
    EXPECT_FLOAT_EQ(RandomRange(3.0F, 4.0F), Expected(r[5], 3.0F, 4.0F)) << "one draw per call";
}

TEST_F(ParticleBurstTest, SixDrawsAParticleStartThenEndAndAFlatAxisGivesItsCoordinate)
{
    std::vector<std::uint32_t> r(13);
    for (std::uint32_t& x : r) {
        x = genrand_int32();
    }
    init_genrand(5489);
    auto* burst = Start(200, new TParticleEffect("", 2, kStartBox, kEndBox, 0.04F, kUnit));
    for (std::uint32_t i = 0; i < 2; ++i) {
        const TParticle& p = TEffectProbe::Particle(*burst, i);
        const std::uint32_t* d = &r[6 * i];
        EXPECT_FLOAT_EQ(p.start.x, Expected(d[0], -1.0F, 1.0F)) << i;
        EXPECT_EQ(p.start.y, 0.5F) << "min = max";
        EXPECT_FLOAT_EQ(p.start.z, Expected(d[2], 0.0F, 2.0F)) << i;
        EXPECT_FLOAT_EQ(p.end.x, Expected(d[3], -2.0F, 2.0F)) << i;
        EXPECT_FLOAT_EQ(p.end.y, Expected(d[4], 1.0F, 3.0F)) << i;
        EXPECT_FLOAT_EQ(p.end.z, Expected(d[5], -1.0F, 1.0F)) << i;
    }
    EXPECT_EQ(genrand_int32(), r[12]) << "twelve draws in all";
}

// Single-precision steps first exceed 1 on update 25 at 0.04 and 51 at 0.02; at 0.25 the clock
// stands at exactly 1 on update 4, which does not yet end it.
TEST_F(ParticleBurstTest, TheClockPassingOneEndsTheBurst)
{
    for (const auto& [dt, last] :
         {std::pair<float, int>{0.04F, 25}, std::pair<float, int>{0.02F, 51}, std::pair<float, int>{0.25F, 5}}) {
        auto* burst = Start(200, new TParticleEffect("", 1, kStartBox, kEndBox, dt, kUnit));
        const TParticle& p = TEffectProbe::Particle(*burst, 0);
        for (int update = 1; update < last; ++update) {
            ASSERT_TRUE(burst->Update()) << dt << " update " << update;
        }
        ExpectNear(At(p), p.start + (p.end - p.start) * TEffectProbe::Time(*burst));
        EXPECT_FALSE(burst->Update()) << dt;
        EXPECT_GT(TEffectProbe::Time(*burst), 1.0F);
    }
}

TEST_F(ParticleBurstTest, TheRgbBurstFadesOnlyColourTheAlphaBurstOnlyAlpha)
{
    auto* rgb = Start(200, new TParticleEffect("effect.ptx/fire", 2, 2, 2, kStartBox, kEndBox, 0.04F, kUnit));
    auto* alpha = Start(201, new TAlphaParticleEffect("effect.ptx/fire", 2, 2, 2, kStartBox, kEndBox, 0.04F, kUnit));
    for (int i = 0; i < 10; ++i) {
        rgb->Update();
        alpha->Update();
    }
    TMesh8* rgbMesh = TEffectProbe::Particle(*rgb, 1).frame->GetMesh(0);
    TMesh8* alphaMesh = TEffectProbe::Particle(*alpha, 1).frame->GetMesh(0);
    EXPECT_NEAR(EmissiveOf(rgbMesh).r, 1.0F - 10 * 0.04F, 1e-5F);
    EXPECT_NEAR(EmissiveOf(rgbMesh).b, 0.25F - 10 * 0.01F, 1e-5F);
    EXPECT_EQ(EmissiveOf(rgbMesh).a, 1.0F) << "the file's alpha";
    EXPECT_NEAR(EmissiveOf(alphaMesh).a, 0.8F - 10 * 0.032F, 1e-5F);
    EXPECT_EQ(EmissiveOf(alphaMesh).r, 1.0F) << "the file's red";
    EXPECT_EQ(rgbMesh->GetMaterial(0).GetMaterialType(), 4000);
    EXPECT_EQ(alphaMesh->GetMaterial(0).GetMaterialType(), 2300);
}

TEST_F(ParticleBurstTest, TwoClonesNeverMoveEachOthersParticles)
{
    Add(200, new TParticleEffect("", 3, kStartBox, kEndBox, 0.04F, kUnit));
    const D3DXVECTOR3 at(0.0F, 0.0F, 0.0F);
    const D3DXVECTOR3 ahead(0.0F, 0.0F, 1.0F);
    auto* a = static_cast<TParticleEffect*>(Create(200, at, ahead, kColour));
    auto* b = static_cast<TParticleEffect*>(Create(200, at, ahead, kColour));
    ASSERT_NE(a->GetFrame(), b->GetFrame());
    for (std::uint32_t i = 0; i < 3; ++i) {
        EXPECT_NE(TEffectProbe::Particle(*a, i).frame.Get(), TEffectProbe::Particle(*b, i).frame.Get());
        EXPECT_EQ(TEffectProbe::Particle(*a, i).frame->GetParent(), a->GetFrame());
    }
    for (int i = 0; i < 5; ++i) {
        a->Update();
    }
    for (std::uint32_t i = 0; i < 3; ++i) {
        ExpectNear(At(TEffectProbe::Particle(*b, i)), D3DXVECTOR3(0.0F, 0.0F, 0.0F));
        const TParticle& p = TEffectProbe::Particle(*a, i);
        ExpectNear(At(p), p.start + (p.end - p.start) * TEffectProbe::Time(*a));
    }
    EXPECT_EQ(TEffectProbe::Time(*b), 0.0F);
}

TEST_F(ParticleBurstTest, AtlasCellsAreHandedOutInTurnAcrossBursts)
{
    auto* first = new TParticleEffect("effect.ptx/fire", 2, 2, 3, kStartBox, kEndBox, 0.04F, kUnit);
    auto* second = new TParticleEffect("effect.ptx/ice", 2, 2, 3, kStartBox, kEndBox, 0.04F, kUnit);
    Add(200, first);
    Add(201, second);
    const std::uint32_t base = TRunState::Current().particleAtlasCounter - 6;
    EXPECT_EQ(base % 4, 0u);
    // Cells 0, 1, 2, 3, 0, 1: column = cell mod 2, row = cell div 2.
    const float expect[6][2] = {{0, 0}, {0.5F, 0}, {0, 0.5F}, {0.5F, 0.5F}, {0, 0}, {0.5F, 0}};
    for (std::uint32_t i = 0; i < 6; ++i) {
        const TParticle& p = TEffectProbe::Particle(*(i < 3 ? first : second), i % 3);
        const auto [a, b] = Corners(p);
        EXPECT_EQ(a.u, expect[i][0]) << i;
        EXPECT_EQ(a.v, expect[i][1]) << i;
        EXPECT_EQ(b.u, expect[i][0] + 0.5F) << i;
        EXPECT_EQ(b.v, expect[i][1] + 0.5F) << i;
    }
    // A clone shows its prototype's cells and takes none.
    auto* clone = static_cast<TParticleEffect*>(Create(201, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), kColour));
    EXPECT_EQ(Corners(TEffectProbe::Particle(*clone, 2)).first.u, 0.5F);
    EXPECT_EQ(Corners(TEffectProbe::Particle(*clone, 0)).first.v, 0.5F);
    EXPECT_EQ(TRunState::Current().particleAtlasCounter, base + 6);
    AlignCellCounters();
    // A one-by-one atlas alternates rows 0 and 1 of its one picture.
    auto* burst = new TParticleEffect("effect.ptx/fire", 1, 1, 3, kStartBox, kEndBox, 0.04F, kUnit);
    Add(202, burst);
    for (std::uint32_t i = 0; i < 3; ++i) {
        const auto [a, b] = Corners(TEffectProbe::Particle(*burst, i));
        const float row = static_cast<float>(i % 2);
        EXPECT_EQ(a.u, 0.0F);
        EXPECT_EQ(b.u, 1.0F);
        EXPECT_EQ(a.v, row) << i;
        EXPECT_EQ(b.v, row + 1.0F) << i;
    }
}

TEST_F(ParticleBurstTest, TheMeshFormTakesAQuadOfThreeCorners)
{
    qmtest::MeshFile quad = qmtest::EffectQuadMesh("particle_mesh");
    quad.keyFrames[0].pop_back();
    quad.indices = {0, 1, 2};
    quad.faceMaterials = {0};
    quad.Save((dir_.Path() / "msh/effect/particle_mesh.msh").string());
    // The mesh form addresses no corner and takes it.
    TParticleEffect meshes("", 2, kStartBox, kEndBox, 0.04F, kUnit);
    EXPECT_EQ(TEffectProbe::Count(meshes), 2u);
}

TEST_F(ParticleBurstTest, EndlessJitterNeverEndsTheFadingKindsEndAndFadeTheirChannels)
{
    const auto jitter = [&](std::uint32_t id, bool fades) {
        auto* prototype =
            new TJitterParticleEffect("effect.ptx/star", 2, 2, 2, kStartBox, kEndBox, 0.04F, kJitter, fades, kUnit);
        return Start(id, prototype);
    };
    auto* endless = jitter(200, false);
    auto* fading = jitter(201, true);
    auto* rgbOnly = jitter(202, true);
    rgbOnly->SetRoutine(&TJitterParticleEffect::FadingJitterRGB);
    EXPECT_EQ(TEffectProbe::Particle(*endless, 0).frame->GetMesh(0)->GetMaterial(0).GetMaterialType(), 2300);
    for (int update = 1; update < 25; ++update) {
        ASSERT_TRUE(fading->Update()) << update;
        ASSERT_TRUE(rgbOnly->Update()) << update;
    }
    // The RGB Init leaves no alpha step, so both keep alpha; colour fades in both.
    EXPECT_NEAR(EmissiveOf(TEffectProbe::Particle(*fading, 0).frame->GetMesh(0)).g, 0.5F - 24 * 0.02F, 1e-5F);
    EXPECT_NEAR(EmissiveOf(TEffectProbe::Particle(*rgbOnly, 0).frame->GetMesh(0)).g, 0.5F - 24 * 0.02F, 1e-5F);
    EXPECT_EQ(EmissiveOf(TEffectProbe::Particle(*fading, 0).frame->GetMesh(0)).a, 0.8F)
        << "SetEmissive writes the colour's alpha";
    EXPECT_EQ(EmissiveOf(TEffectProbe::Particle(*rgbOnly, 0).frame->GetMesh(0)).a, 1.0F) << "the file's alpha";
    EXPECT_FALSE(fading->Update());
    EXPECT_FALSE(rgbOnly->Update());

    D3DXVECTOR3 before = At(TEffectProbe::Particle(*endless, 0));
    int moved = 0;
    for (int update = 0; update < 3000; ++update) {
        ASSERT_TRUE(endless->Update()) << update;
        const D3DXVECTOR3 now = At(TEffectProbe::Particle(*endless, 0));
        moved += now.x != before.x ? 1 : 0;
        // One shake is at most 64 / divisor a step on each axis.
        ASSERT_LE(std::fabs(now.y - before.y), 64.0F / 200.0F + 1e-5F);
        ASSERT_LE(std::fabs(now.z - before.z), 64.0F / 400.0F + 1e-5F);
        before = now;
    }
    EXPECT_GT(moved, 2900);
    EXPECT_EQ(TEffectProbe::Time(*endless), 0.0F);
    endless->Kill();
    EXPECT_FALSE(endless->Update());
}

}  // namespace
}  // namespace effecttest
