// The weapon trail: its ribbon and unbounded bounds, the colour and length a weapon sets, the
// trail collapsing when the owner starts an action and shifting after, and the 25-frame fade.
#include <gtest/gtest.h>

#include <cmath>

#include "MainCode/Effect/TAfterImage.h"
#include "burst_fixture.h"
#include "dx/dx8/3d/TVertexShader.h"
#include "support/dx_probe.h"
#include "support/effect_probe.h"

namespace effecttest {
namespace {

constexpr std::uint32_t kEdges = 11;  // sixty vertices

class WeaponTrailTest : public EffectAreaTest {
protected:
    void SetUp() override
    {
        EffectAreaTest::SetUp();
        owner_ = std::make_unique<QueryCharacter>();
        area_->Add(owner_.get());
        weapon_ = Frame("RWpn");
        area_->Scene()->AddChild(weapon_);
        trail_ = TAfterImage::Create(weapon_.Get(), owner_.get());
        trail_->Attach(area_->Scene());
    }
    void TearDown() override
    {
        trail_.reset();
        weapon_->Detach();
        weapon_ = TRefPtr<TFrame>();
        area_->Remove(owner_.get());
        owner_.reset();
        EffectAreaTest::TearDown();
    }
    void Step(bool query)
    {
        owner_->query = query;
        trail_->Update();
    }
    void MoveWeapon(float x, float y, float z) { weapon_->SetPosition(D3DXVECTOR3(x, y, z)); }
    D3DCOLORVALUE Shown() const { return EmissiveOf(TEffectProbe::Mesh(*trail_)); }
    std::uint16_t Material() const { return TEffectProbe::Mesh(*trail_)->GetMaterial(0).GetMaterialType(); }
    void ExpectShown(float r, float g, float b, float a, const std::string& when) const
    {
        const D3DCOLORVALUE c = Shown();
        EXPECT_NEAR(c.r, r, 1e-5F) << when;
        EXPECT_NEAR(c.g, g, 1e-5F) << when;
        EXPECT_NEAR(c.b, b, 1e-5F) << when;
        EXPECT_NEAR(c.a, a, 1e-5F) << when;
    }
    // Runs an action of `frames` frames, then the frame the query turns false.
    void ActionThenStop(int frames)
    {
        for (int i = 0; i < frames; ++i) {
            Step(true);
        }
        Step(false);
    }

    std::unique_ptr<QueryCharacter> owner_;
    TRefPtr<TFrame> weapon_;
    std::unique_ptr<TAfterImage> trail_;
};

TEST_F(WeaponTrailTest, TheRibbonRunsItsTextureAlongTheEdgesAndIsNeverCulled)
{
    TMesh8* mesh = TEffectProbe::Mesh(*trail_);
    EXPECT_EQ(mesh->GetName(), "AftImg");
    EXPECT_EQ(TEffectProbe::Frame(*trail_)->GetName(), "AftImg");
    EXPECT_EQ(TEffectProbe::EndFrame(*trail_)->GetName(), "AftImgEnd");
    EXPECT_EQ(TEffectProbe::EndFrame(*trail_)->GetParent(), weapon_.Get());
    EXPECT_NE(dynamic_cast<TConstantColorShader*>(TDxProbe::VertexShader(*mesh)), nullptr);
    ASSERT_EQ(TEffectProbe::EdgeCount(*trail_), kEdges);
    const std::vector<TRibbonVertex> v = VerticesOf(mesh);
    const std::vector<TRibbonRow> rows = BuildRibbonRows(kEdges, 60);
    for (std::uint32_t e : {0u, 1u, 10u}) {
        for (std::uint16_t i : rows[e]) {
            EXPECT_FLOAT_EQ(v[i].v, static_cast<float>(e) * (1.0F / 11.0F)) << e;
        }
    }
    EXPECT_EQ(v[1].u, 1.0F) << "across the ribbon as the file has it";
    const std::vector<std::uint16_t> indices = IndicesOf(mesh);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        ASSERT_EQ(indices[i], i);
    }
    ExpectNear(D3DXVECTOR3(v[0].x, v[0].y, v[0].z), D3DXVECTOR3(0, 0, 0));
    ExpectNear(D3DXVECTOR3(v[1].x, v[1].y, v[1].z), D3DXVECTOR3(0, 0, 0));

    // Far from the camera and behind it, the sphere still covers everything.
    MoveWeapon(500.0F, -80.0F, 900.0F);
    ActionThenStop(4);
    float sphere[5];
    mesh->GetBoundingSphere(sphere, nullptr);
    EXPECT_GE(sphere[3], 1e30F);
    EXPECT_TRUE(area_->View()->IsSphereVisible(sphere));
}

TEST_F(WeaponTrailTest, AnAdditiveRampFadesTheColourToBlackOver25StepsAtFullAlpha)
{
    EXPECT_EQ(TEffectProbe::Mode(*trail_), 4000u);
    trail_->SetRamp(2.0F, 1.0F, 0.5F, 0.0F, 9);
    D3DXVECTOR3 end;
    TEffectProbe::EndFrame(*trail_)->GetPosition(&end);
    ExpectNear(end, D3DXVECTOR3(0.0F, 0.0F, -2.0F));
    EXPECT_FLOAT_EQ(TEffectProbe::Length(*trail_), 2.0F);

    Step(true);
    EXPECT_EQ(Material(), 4000);
    ExpectShown(1.0F, 0.5F, 0.0F, 1.0F, "shown");
    Step(true);
    Step(false);
    EXPECT_EQ(TEffectProbe::FadeCounter(*trail_), 25) << "the turn only restarts the ramps";
    ExpectShown(1.0F, 0.5F, 0.0F, 1.0F, "on the turn");
    for (int k = 1; k <= 24; ++k) {
        Step(false);
        ExpectShown(1.0F - k / 25.0F, 0.5F - 0.5F * k / 25.0F, 0.0F, 1.0F, "fade " + std::to_string(k));
        ASSERT_EQ(Material(), 4000) << k;
    }
    Step(false);
    ExpectShown(0.0F, 0.0F, 0.0F, 1.0F, "the 25th");
    EXPECT_EQ(Material(), 0);
    EXPECT_EQ(TEffectProbe::FadeCounter(*trail_), -1);
    Step(false);
    EXPECT_EQ(Material(), 0) << "hidden stays hidden";
}

TEST_F(WeaponTrailTest, AlphaAndMultiplyModesKeepTheColourAndRunAlphaOneToZero)
{
    for (std::uint32_t mode : {2300u, 3000u}) {
        TEffectProbe::SetMode(*trail_, mode);
        trail_->SetRamp(1.5F, 1.0F, 0.5F, 0.0F, 9);
        ActionThenStop(2);
        EXPECT_EQ(Material(), 0 + mode) << mode;
        for (int k = 1; k <= 25; ++k) {
            Step(false);
            if (k == 10) {
                ExpectShown(1.0F, 0.5F, 0.0F, 0.6F, "alpha at 10");
            }
        }
        ExpectShown(1.0F, 0.5F, 0.0F, 0.0F, "alpha at 25");
        EXPECT_EQ(Material(), 0);
    }
}

TEST_F(WeaponTrailTest, TheKindDecidesAtSevenAndOtherModesChangeOnlyTheLength)
{
    trail_->SetRamp(1.0F, 0.2F, 0.4F, 0.6F, 9);
    // Kind 7 leaves the mode; another mode keeps its ramps.
    TEffectProbe::SetMode(*trail_, 2100);
    trail_->SetRamp(3.0F, 1.0F, 1.0F, 1.0F, 7);
    EXPECT_EQ(TEffectProbe::Mode(*trail_), 2100u);
    EXPECT_FLOAT_EQ(TEffectProbe::Red(*trail_).from, 0.2F);
    EXPECT_FLOAT_EQ(TEffectProbe::Blue(*trail_).from, 0.6F);
    EXPECT_FLOAT_EQ(TEffectProbe::Length(*trail_), 3.0F);
    D3DXVECTOR3 end;
    TEffectProbe::EndFrame(*trail_)->GetPosition(&end);
    ExpectNear(end, D3DXVECTOR3(0.0F, 0.0F, -3.0F));
    // Kind 6 is additive whatever the mode was.
    TEffectProbe::SetMode(*trail_, 2300);
    trail_->SetRamp(1.0F, 0.9F, 0.8F, 0.7F, 6);
    EXPECT_EQ(TEffectProbe::Mode(*trail_), 4000u);
    EXPECT_FLOAT_EQ(TEffectProbe::Red(*trail_).to, 0.0F);
    EXPECT_FLOAT_EQ(TEffectProbe::Alpha(*trail_).to, 1.0F);
    trail_->SetRamp(1.0F, 0.9F, 0.8F, 0.7F, 0);
    EXPECT_EQ(TEffectProbe::Mode(*trail_), 4000u);
}

TEST_F(WeaponTrailTest, TheFirstTrueQueryCollapsesTheRibbonTheNextShiftsItAndOneDuringTheFadeRestartsIt)
{
    trail_->SetRamp(1.0F, 1.0F, 1.0F, 1.0F, 0);
    MoveWeapon(1.0F, 0.0F, 0.0F);
    Step(true);
    for (std::uint32_t e = 0; e < kEdges; ++e) {
        ExpectNear(TEffectProbe::EdgeNear(*trail_, e), D3DXVECTOR3(1.0F, 0.0F, 0.0F));
        ExpectNear(TEffectProbe::EdgeFar(*trail_, e), D3DXVECTOR3(1.0F, 0.0F, -1.0F));
    }
    MoveWeapon(3.0F, 0.0F, 0.0F);
    Step(true);
    ExpectNear(TEffectProbe::EdgeNear(*trail_, 0), D3DXVECTOR3(3.0F, 0.0F, 0.0F));
    ExpectNear(TEffectProbe::EdgeFar(*trail_, 0), D3DXVECTOR3(3.0F, 0.0F, -1.0F));
    // The newest edges bend from the weapon back onto the older ones, the rest only shifted.
    float last = 3.0F;
    for (std::uint32_t e = 1; e <= 3; ++e) {
        const D3DXVECTOR3 p = TEffectProbe::EdgeNear(*trail_, e);
        EXPECT_LT(p.x, last) << e;
        EXPECT_GT(p.x, 1.0F) << e;
        EXPECT_NEAR(p.y, 0.0F, 1e-6F);
        last = p.x;
    }
    EXPECT_NEAR(TEffectProbe::EdgeNear(*trail_, 1).x, (125.0F * 3.0F + 91.0F) / 216.0F, 1e-5F);
    for (std::uint32_t e = 4; e < kEdges; ++e) {
        ExpectNear(TEffectProbe::EdgeNear(*trail_, e), D3DXVECTOR3(1.0F, 0.0F, 0.0F));
    }
    // Held still, the whole ribbon settles on the weapon edge: every blend weighs some of the
    // newest edge in, so the old position dies away geometrically.
    for (int i = 0; i < 150; ++i) {
        Step(true);
    }
    for (std::uint32_t e = 0; e < kEdges; ++e) {
        ExpectNear(TEffectProbe::EdgeNear(*trail_, e), D3DXVECTOR3(3.0F, 0.0F, 0.0F), 1e-4F);
    }

    // A true query during the fade ends it and restarts the trail.
    trail_->SetRamp(1.0F, 1.0F, 0.5F, 0.0F, 9);
    ActionThenStop(3);
    for (int k = 0; k < 10; ++k) {
        Step(false);
    }
    ASSERT_EQ(TEffectProbe::FadeCounter(*trail_), 15);
    MoveWeapon(0.0F, 2.0F, 0.0F);
    Step(true);
    EXPECT_EQ(TEffectProbe::FadeCounter(*trail_), -1);
    EXPECT_EQ(Material(), 4000);
    ExpectShown(1.0F, 0.5F, 0.0F, 1.0F, "restarted");
    ExpectNear(TEffectProbe::EdgeNear(*trail_, kEdges - 1), D3DXVECTOR3(0.0F, 2.0F, 0.0F));
    // Attach and Detach hide it and forget the query.
    trail_->Detach();
    EXPECT_EQ(Material(), 0);
    EXPECT_FALSE(TEffectProbe::LastQuery(*trail_));
    EXPECT_EQ(TEffectProbe::Frame(*trail_)->GetParent(), nullptr);
    trail_->Attach(area_->Scene());
    EXPECT_EQ(TEffectProbe::Frame(*trail_)->GetParent(), area_->Scene());
    Step(false);
    EXPECT_EQ(TEffectProbe::FadeCounter(*trail_), -1) << "no fade without a query before";
}

}  // namespace
}  // namespace effecttest
