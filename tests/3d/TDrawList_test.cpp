// Render presets and draw lists: presets flushed in code order, entries sorted by draw group and
// depth, hidden and unknown codes never drawn, presets rebuilt after a device reset.
#include <gtest/gtest.h>

#include <vector>

#include "dx/dx8/3d/TRenderPreset.h"
#include "mesh_fixture.h"
#include "platform/d3dx8/d3dx8.h"

namespace meshtest {
namespace {

// A fan of n triangles, so that the draw log tells the meshes apart by their triangle counts.
qmtest::MeshFile Fan(int n)
{
    qmtest::MeshFile f;
    f.name = "fan";
    f.materials.push_back(qmtest::MeshMaterial("fan", 1, 1, 1, 1, 0));
    std::vector<qmtest::MeshVertex> v = {{0, 0, 0, 0xFFFFFFFF, 0, 0}};
    for (int i = 0; i <= n; ++i) {
        v.push_back({static_cast<float>(i) * 0.1F, 1.0F, 0.0F, 0xFFFFFFFF, 0, 0});
    }
    f.keyFrames.push_back(v);
    for (int i = 0; i < n; ++i) {
        f.indices.insert(f.indices.end(), {0, static_cast<std::uint16_t>(i + 1), static_cast<std::uint16_t>(i + 2)});
        f.faceMaterials.push_back(0);
    }
    return f;
}

class DrawLists : public MeshFixture {
protected:
    void SetUp() override
    {
        MeshFixture::SetUp();
        StartDevice(true);
        PointCamera(5.0F);
        for (int n = 1; n <= 6; ++n) {
            meshes_.push_back(LoadMesh(Fan(n), "fan" + std::to_string(n) + ".msh"));
        }
        platform::EnableDrawLog(device(), true);
    }
    void TearDown() override
    {
        meshes_.clear();
        MeshFixture::TearDown();
    }

    TMesh8& Mesh(int triangles) { return meshes_[triangles - 1]; }
    static D3DXMATRIX At(float z)
    {
        D3DXMATRIX m;
        D3DXMatrixTranslation(&m, 0.0F, 0.0F, z);
        return m;
    }
    // The triangle counts of the draws since the last call, in order.
    std::vector<UINT> Flush()
    {
        platform::ClearDrawLog(device());
        d3d()->BeginScene();
        TDrawList::FlushAll();
        d3d()->EndScene();
        std::vector<UINT> drawn;
        for (const platform::D3D8DrawRecord& r : platform::DrawLog(device())) {
            drawn.push_back(r.primitiveCount);
        }
        records_ = platform::DrawLog(device());
        return drawn;
    }

    std::vector<TMesh8> meshes_;
    std::vector<platform::D3D8DrawRecord> records_;
};

TEST_F(DrawLists, PresetsDrawInCodeOrderWithTheirStates)
{
    const D3DXMATRIX world = At(0.0F);
    const std::uint16_t codes[] = {4000, 2000, 0, 1200, 5000, 3000};
    for (int i = 0; i < 6; ++i) {
        Mesh(i + 1).SetMaterialType(codes[i], TMesh8::kAllMaterials);
    }
    for (int n : {1, 2, 3, 4, 5, 6}) {
        Mesh(n).Draw(&world, &view_);
    }
    // OPAQUE, ALPHA, MUL, ADD, REND_DESTINVERSE; HIDE never.
    EXPECT_EQ(Flush(), (std::vector<UINT>{4, 2, 6, 1, 5}));
    ASSERT_EQ(records_.size(), 5u);
    struct States {
        DWORD z, zWrite, blend, cull, source, destination;
    };
    const States want[] = {{1, 1, 0, 3, 2, 1}, {1, 1, 1, 3, 5, 6}, {1, 0, 1, 1, 1, 3}, {1, 0, 1, 1, 2, 2},
                           {1, 0, 1, 1, 10, 1}};
    for (std::size_t i = 0; i < 5; ++i) {
        const DWORD* rs = records_[i].renderStates;
        EXPECT_EQ(rs[D3DRS_ZENABLE], want[i].z) << i;
        EXPECT_EQ(rs[D3DRS_ZWRITEENABLE], want[i].zWrite) << i;
        EXPECT_EQ(rs[D3DRS_ALPHABLENDENABLE], want[i].blend) << i;
        EXPECT_EQ(rs[D3DRS_CULLMODE], want[i].cull) << i;
        EXPECT_EQ(rs[D3DRS_SRCBLEND], want[i].source) << i;
        EXPECT_EQ(rs[D3DRS_DESTBLEND], want[i].destination) << i;
        // The builder's defaults come with every preset.
        EXPECT_EQ(rs[D3DRS_ALPHATESTENABLE], static_cast<DWORD>(TRUE)) << i;
    }
    // A flushed list is empty.
    EXPECT_TRUE(Flush().empty());
}

TEST_F(DrawLists, EntriesSortByDrawGroupThenDepth)
{
    for (std::uint16_t code : {TMeshMaterial::kOpaque, TMeshMaterial::kAlpha}) {
        for (int n = 1; n <= 6; ++n) {
            Mesh(n).SetMaterialType(code, TMesh8::kAllMaterials);
            Mesh(n).SetDrawGroup(n >= 5 ? 1 : 0, TMesh8::kAllMaterials);
        }
        const D3DXMATRIX z5 = At(5.0F);
        const D3DXMATRIX z10 = At(10.0F);
        const D3DXMATRIX z7 = At(7.0F);
        const D3DXMATRIX z20 = At(20.0F);
        const D3DXMATRIX z1 = At(1.0F);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        Mesh(5).Draw(&z20, &view_);  // group 1, far
        Mesh(1).Draw(&z5, &view_);
        Mesh(6).Draw(&z1, &view_);  // group 1, near
        Mesh(2).Draw(&z10, &view_);
        Mesh(4).Draw(&identity, &view_);  // its own centre: z 0
        Mesh(3).Draw(&z7, &view_);
        const std::vector<UINT> drawn = Flush();
        if (code == TMeshMaterial::kOpaque) {
            EXPECT_EQ(drawn, (std::vector<UINT>{2, 3, 1, 4, 5, 6})) << "far to near";
        } else {
            EXPECT_EQ(drawn, (std::vector<UINT>{4, 1, 3, 2, 6, 5})) << "near to far";
        }
    }
    auto* alpha = static_cast<TDrawList*>(TRenderPreset::Get(TMeshMaterial::kAlpha));
    const D3DXMATRIX z3 = At(3.0F);
    Mesh(1).Draw(&z3, &view_);
    ASSERT_EQ(alpha->GetEntries().size(), 1u);
    EXPECT_FLOAT_EQ(alpha->GetEntries()[0].depth, 3.0F);
    EXPECT_EQ(alpha->GetEntries()[0].view, &view_);
    EXPECT_EQ(alpha->GetEntries()[0].mesh, &Mesh(1));
    Flush();
}

TEST_F(DrawLists, HiddenAndUnknownCodesAreNeverDrawn)
{
    const D3DXMATRIX world = At(0.0F);
    Mesh(1).SetMaterialType(TMeshMaterial::kHide, TMesh8::kAllMaterials);
    Mesh(2).SetMaterialType(1234, TMesh8::kAllMaterials);  // no preset has it
    Mesh(1).Draw(&world, &view_);
    Mesh(2).Draw(&world, &view_);
    EXPECT_EQ(TRenderPreset::Get(1234), nullptr);
    EXPECT_EQ(TRenderPreset::GetPresets()->count(1234), 0u);
    EXPECT_TRUE(Flush().empty());

    // A frame with nothing to draw leaves every state as it was.
    device()->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTCOLOR);
    device()->SetRenderState(D3DRS_FOGENABLE, TRUE);
    EXPECT_TRUE(Flush().empty());
    EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), static_cast<DWORD>(FALSE));
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_DESTCOLOR));
    EXPECT_EQ(RenderState(D3DRS_FOGENABLE), static_cast<DWORD>(TRUE));
}

TEST_F(DrawLists, PresetsAreRebuiltAfterADeviceReset)
{
    EXPECT_EQ(TRenderPreset::GetPresets()->size(), 12u);
    EXPECT_EQ(TRenderPreset::GetNames().size(), 25u);
    EXPECT_EQ(TRenderPreset::GetNames().at("DEFAULT"), 2000u);
    EXPECT_EQ(TRenderPreset::GetNames().at("REND00"), 0u);
    EXPECT_EQ(TRenderPreset::GetNames().at("REND05"), 2100u);
    EXPECT_EQ(TRenderPreset::GetNames().at("REND11"), 5000u);
    EXPECT_EQ(TRenderPreset::GetNames().at("ZWNALPHANOTCULL"), 2300u);

    const D3DXMATRIX world = At(0.0F);
    Mesh(3).Draw(&world, &view_);
    platform::InjectDeviceLoss(device());
    EXPECT_FALSE(d3d()->CheckLostDevice());
    EXPECT_FALSE(d3d()->CheckLostDevice());
    ASSERT_TRUE(d3d()->CheckLostDevice());
    // The entries went with the old presets; the new ones are recorded and draw as before.
    EXPECT_TRUE(Flush().empty());
    ASSERT_EQ(TRenderPreset::GetPresets()->size(), 12u);
    for (auto& [code, preset] : *TRenderPreset::GetPresets()) {
        EXPECT_NE(preset->GetHandle(), 0xFFFFFFFFu) << code;
    }
    Mesh(3).Draw(&world, &view_);
    EXPECT_EQ(Flush(), (std::vector<UINT>{3}));
    ASSERT_EQ(records_.size(), 1u);
    EXPECT_EQ(records_[0].renderStates[D3DRS_CULLMODE], static_cast<DWORD>(D3DCULL_CCW));

    // A code registered twice keeps its first preset.
    TStateBlock* opaque = TRenderPreset::Get(1200);
    TRenderPreset::Register(1200, TDrawList::Create(false, 0, 0, 0, 1, 0, 1, 1));
    EXPECT_EQ(TRenderPreset::Get(1200), opaque);
}

}  // namespace
}  // namespace meshtest
