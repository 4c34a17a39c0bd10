// The effect base: starting under a parent, the model loaders and their file names.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "effect_fixture.h"
#include "support/dx_probe.h"
#include "support/effect_probe.h"

namespace effecttest {
namespace {

// An effect whose model is loaded by name, as the effect classes do.
class ModelEffect : public TEffect {
public:
    ModelEffect() : TEffect(TRefPtr<TFrame>()) {}
    bool Update() override { return m_alive; }
    TEffect* Clone() const override { return new ModelEffect(); }
};

std::uint16_t TypeOf(TMesh8& mesh) { return mesh.GetMaterial(0).GetMaterialType(); }

using EffectBaseTest = EffectFolder;

TEST_F(EffectBaseTest, InitHangsTheEffectLastUnderItsParentAndShieldsItFromTheParentsTint)
{
    // A turned, moved parent that already has a child, and a carrier mesh of its own.
    D3DXMATRIX turn;
    D3DXMatrixRotationY(&turn, 0.7F);
    D3DXMATRIX move;
    D3DXMatrixTranslation(&move, 5.0F, 1.0F, -2.0F);
    TRefPtr<TFrame> parent = Frame("Parent", turn * move);
    parent->AddChild(Frame("Earlier"));
    parent->AddMesh(TEffect::LoadMesh("ice01_mesh.msh"));
    TRefPtr<TFrame> elsewhere = Frame("Elsewhere");

    ModelEffect effect;
    effect.LoadModel("bomb00.frm");
    elsewhere->AddChild(TEffectProbe::FrameRef(effect));
    effect.GetFrame()->SetAnimationIndex(3);
    effect.GetFrame()->SetAnimationTime(7.0F);

    const D3DXVECTOR3 position(1.0F, 2.0F, 3.0F);
    const D3DXVECTOR3 direction(3.0F, 0.0F, 4.0F);
    const float colour[4] = {0.25F, 0.5F, 0.75F, 1.0F};
    effect.Init(42, &position, &direction, parent.Get(), nullptr, colour);

    EXPECT_EQ(effect.GetSerial(), 42);
    EXPECT_EQ(TEffectProbe::Colour(effect)[2], 0.75F);
    EXPECT_EQ(elsewhere->GetChildCount(), 0u);
    ASSERT_EQ(parent->GetChildCount(), 2u);
    EXPECT_EQ(parent->GetChild(1), effect.GetFrame());
    D3DXVECTOR3 world;
    ExpectNear(*effect.GetFrame()->GetWorldPosition(&world), position);
    D3DXVECTOR3 z;
    effect.GetFrame()->GetWorldAxis(&z, 3);
    EXPECT_NEAR(z.x, 0.6F, 1e-5F);
    EXPECT_NEAR(z.z, 0.8F, 1e-5F);
    for (TFrame* f : {effect.GetFrame(), effect.GetFrame()->GetChild(0)}) {
        EXPECT_EQ(TDxProbe::AnimationIndex(*f), 0);
        EXPECT_EQ(TDxProbe::AnimationTime(*f), 0.0F);
    }
    TMesh8* mesh = effect.GetFrame()->FindMesh("bomb00_msh", true);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(TypeOf(*mesh), TMeshMaterial::kAdd);

    parent->SetMaterialType(TMeshMaterial::kAlphaNotCull, true, false);
    EXPECT_EQ(TypeOf(*parent->GetMesh(0)), TMeshMaterial::kAlphaNotCull);
    EXPECT_EQ(TypeOf(*mesh), TMeshMaterial::kAdd);
}

TEST_F(EffectBaseTest, LoadModelChoosesByTheLastFourCharactersInAnyCase)
{
    ModelEffect effect;
    effect.LoadModel("BOMB00.FRM");
    ASSERT_NE(effect.GetFrame(), nullptr);
    EXPECT_EQ(effect.GetFrame()->GetName(), "bomb00");
    ASSERT_EQ(effect.GetFrame()->GetChildCount(), 1u);
    EXPECT_EQ(effect.GetFrame()->GetChild(0)->GetKeyTrackSetCount(), 1u);

    qmtest::EffectQuadMesh("body").Save("msh/effect/body.tob");
    for (const char* name : {"meteo.msh", "body.tob", "Meteo.MSH"}) {
        effect.LoadModel(name);
        TFrame* root = effect.GetFrame();
        EXPECT_EQ(root->GetName(), "EffectRoot") << name;
        EXPECT_EQ(root->GetParent(), nullptr);
        ASSERT_EQ(root->GetMeshCount(), 1u) << name;
        EXPECT_EQ(root->GetMesh(0)->GetName(), "EffectTob");
        EXPECT_EQ(root->GetChildCount(), 0u);
    }
    EXPECT_EQ(effect.GetFrame()->GetMesh(0)->GetVertexCount(), 4u);  // the meteo shard has 4 too
    // Other extensions, and names too short to have one, leave the frame alone.
    TFrame* before = effect.GetFrame();
    for (const char* name : {"", "meteo.png", "frm", "msh", "tob", "x.fr"}) {
        effect.LoadModel(name);
        EXPECT_EQ(effect.GetFrame(), before) << name;
    }
    // Four characters are an extension: this one names a file that is not there.
    EXPECT_NE(ErrorOf([&] { effect.LoadModel(".MSH"); }).find("msh/effect/.MSH"), std::string::npos);
}

TEST_F(EffectBaseTest, LoadersReadTheEffectFolder)
{
    TMesh8 quad = TEffect::LoadMesh("");
    EXPECT_EQ(quad.GetName(), "particle_mesh");
    EXPECT_EQ(quad.GetVertexCount(), 4u);
    TRefPtr<TFrame> none = TEffect::LoadFrame("");
    EXPECT_EQ(none.Get(), nullptr);
    EXPECT_FALSE(none.IsOwned());
    TRefPtr<TFrame> frame = TEffect::LoadFrame("flash01_2.frm");
    ASSERT_NE(frame.Get(), nullptr);
    EXPECT_EQ(frame->GetName(), "flash01_2");

    const std::string error = ErrorOf([] { TEffect::LoadMesh("missing.msh"); });
    EXPECT_NE(error.find("msh/effect/missing.msh"), std::string::npos) << error;
    // A failed load keeps the model the effect had.
    ModelEffect effect;
    effect.LoadModel("meteo.msh");
    TFrame* before = effect.GetFrame();
    EXPECT_NE(ErrorOf([&] { effect.LoadModel("missing.msh"); }), "");
    EXPECT_EQ(effect.GetFrame(), before);
}

TEST_F(EffectBaseTest, GeneratedFolderHoldsEveryFileTheEffectsRead)
{
    for (const std::string& name : qmtest::EffectFrameFiles()) {
        TRefPtr<TFrame> frame = TEffect::LoadFrame(name);
        ASSERT_NE(frame.Get(), nullptr) << name;
        EXPECT_EQ(frame->GetName(), name.substr(0, name.find('.'))) << name;
        ASSERT_EQ(frame->GetChildCount(), 1u) << name;
        EXPECT_EQ(frame->GetChild(0)->GetMeshCount(), 1u) << name;
        EXPECT_EQ(frame->GetChild(0)->GetKeyTrackSetCount(), 1u) << name;
    }
    EXPECT_EQ(qmtest::EffectFrameFiles().size(), 19u);
    for (const std::string& name : qmtest::EffectMeshFiles()) {
        EXPECT_GT(TEffect::LoadMesh(name).GetFaceCount(), 0u) << name;
    }
    ASSERT_EQ(qmtest::EffectTextureNames().size(), 14u);
    for (const std::string& name : qmtest::EffectTextureNames()) {
        TTexture8 texture = TTexture8::Load("effect.ptx/" + name, D3DPOOL_MANAGED, 0);
        EXPECT_TRUE(texture.HasTexture()) << name;
    }
    EXPECT_TRUE(TEffect::LoadMesh("ring02_mesh.msh").GetMaterial(0).GetTexture().HasTexture());
}

// Rows as the ribbon effects read them: row 0 (0, 0, 0 | 1, 1, 3), middle row r from u = 2 + 6 (r - 1)
// (u, u + 2, u + 4 | u + 3, u + 5, u + 7), the last (n - 4, n - 4, n - 2 | n - 1, n - 1, n - 1).
TEST_F(EffectBaseTest, RibbonStripsKeepTheRowOrderTheRibbonsRead)
{
    for (const char* name : {"thunder.msh", "sword01.msh"}) {
        TMesh8 mesh = TEffect::LoadMesh(name);
        const std::uint32_t faces = mesh.GetFaceCount();
        const std::uint32_t n = mesh.GetVertexCount();
        ASSERT_EQ(n, faces * 3u) << name;
        const std::uint32_t rows = (faces >> 1) + 1;
        const auto* v = static_cast<const float*>(mesh.LockVerticesReadOnly(0));
        ASSERT_NE(v, nullptr);
        const auto at = [&](std::uint32_t i, int c) { return v[i * 6 + static_cast<std::uint32_t>(c)]; };
        for (std::uint32_t r = 0; r < rows; ++r) {
            using Row = std::array<std::uint32_t, 6>;
            const std::uint32_t u = 2 + 6 * (r - 1);
            const Row idx = r == 0             ? Row{0, 0, 0, 1, 1, 3}
                            : r == rows - 1 ? Row{n - 4, n - 4, n - 2, n - 1, n - 1, n - 1}
                                            : Row{u, u + 2, u + 4, u + 3, u + 5, u + 7};
            for (int k = 0; k < 6; ++k) {
                EXPECT_EQ(at(idx[k], 0), k < 3 ? -0.2F : 0.2F) << name << " row " << r;
                EXPECT_EQ(at(idx[k], 1), at(idx[0], 1)) << name << " row " << r;
            }
            if (r > 0) {
                EXPECT_GT(at(idx[0], 1), at(r == 1 ? 0 : 2 + 6 * (r - 2), 1)) << name << " row " << r;
            }
        }
        mesh.UnlockVertices(0, false);
        const std::uint16_t* indices = mesh.LockIndicesReadOnly();
        for (std::uint32_t i = 0; i < n; ++i) {
            EXPECT_EQ(indices[i], i);
        }
        mesh.UnlockIndices();
    }
}

}  // namespace
}  // namespace effecttest
