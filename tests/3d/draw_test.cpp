// Render presets and draw lists, the mesh shaders' programs, constants and streams, and the software path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "dx/dx8/3d/TDrawList.h"
#include "dx/dx8/3d/TRenderPreset.h"
#include "dx/dx8/3d/TTexture8.h"
#include "fixtures.h"
#include "platform/d3dx8/d3dx8.h"
#include "support/dx_probe.h"
#include "support/golden.h"

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

TEST_F(DrawLists, PresetsDrawInCodeOrderWithTheirStatesAndHiddenOrUnknownCodesNever)
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
    // A code no preset has is skipped like HIDE.
    Mesh(2).SetMaterialType(1234, TMesh8::kAllMaterials);
    Mesh(2).Draw(&world, &view_);
    EXPECT_EQ(TRenderPreset::GetPresets()->count(1234), 0u);
    EXPECT_TRUE(Flush().empty());
}

TEST_F(DrawLists, EntriesSortByDrawGroupThenDepth)
{
    for (std::uint16_t code : {TMeshMaterial::kOpaque, TMeshMaterial::kAlpha}) {
        for (int n = 1; n <= 6; ++n) {
            Mesh(n).SetMaterialType(code, TMesh8::kAllMaterials);
            Mesh(n).SetDrawGroup(n >= 5 ? 1 : 0, TMesh8::kAllMaterials);
        }
        // Meshes 5 and 6 in group 1, far and near; mesh 4 at its own centre, z 0.
        const std::pair<int, float> draws[] = {{5, 20.0F}, {1, 5.0F}, {6, 1.0F}, {2, 10.0F}, {4, 0.0F}, {3, 7.0F}};
        for (const auto& [n, z] : draws) {
            const D3DXMATRIX world = At(z);
            Mesh(n).Draw(&world, &view_);
        }
        const std::vector<UINT> drawn = Flush();
        if (code == TMeshMaterial::kOpaque) {
            EXPECT_EQ(drawn, (std::vector<UINT>{2, 3, 1, 4, 5, 6})) << "far to near";
        } else {
            EXPECT_EQ(drawn, (std::vector<UINT>{4, 1, 3, 2, 6, 5})) << "near to far";
        }
    }
}

TEST_F(DrawLists, PresetsAreRebuiltAfterADeviceReset)
{
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
        EXPECT_NE(TDxProbe::Handle(*preset), 0xFFFFFFFFu) << code;
    }
    Mesh(3).Draw(&world, &view_);
    EXPECT_EQ(Flush(), (std::vector<UINT>{3}));
    ASSERT_EQ(records_.size(), 1u);
    EXPECT_EQ(records_[0].renderStates[D3DRS_CULLMODE], static_cast<DWORD>(D3DCULL_CCW));
}

class Shaders : public MeshFixture {};

TEST_F(Shaders, MorphFramesPickProgramStreamsAndWeights)
{
    StartDevice(true);
    PointCamera(6.0F);
    TMesh8 mesh = LoadMesh(MorphingGridMesh(2, 3.0F));
    auto* shader = static_cast<TAsmVertexShader*>(TDxProbe::VertexShader(mesh));
    ASSERT_NE(dynamic_cast<TMorphConstantColorShader*>(shader), nullptr);
    TMesh8 still = LoadMesh(GridMesh(2, 3.0F), "still.msh");
    const DWORD fixed = TDxProbe::Handle(*static_cast<TAsmVertexShader*>(TDxProbe::VertexShader(still)));
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 0.5F, 0.0F, 1.0F);
    const std::vector<float> sentinel(4, -7.0F);
    TMeshGeometry* g = mesh.GetGeometry();
    // Draws at the morph and time; then the program, c9 and the two streams' buffers.
    auto draw = [&](std::uint32_t morph, float t, DWORD program, std::vector<float> c9, UINT key0, UINT key1) {
        mesh.SetMorph(morph);
        mesh.SetMorphTime(t);
        device()->SetVertexShaderConstant(9, sentinel.data(), 1);
        mesh.DrawSubset(&world, &view_, 0);
        DWORD h = 0;
        device()->GetVertexShader(&h);
        EXPECT_EQ(h, program) << morph << " at " << t;
        std::vector<float> c(4);
        device()->GetVertexShaderConstant(9, c.data(), 1);
        EXPECT_EQ(c, c9) << morph << " at " << t;
        for (UINT i = 0; i < 2; ++i) {
            IDirect3DVertexBuffer8* vb = nullptr;
            UINT stride = 0;
            device()->GetStreamSource(i, &vb, &stride);
            if (vb != nullptr) {
                vb->Release();
            }
            if (i == 0 || program != fixed) {
                EXPECT_EQ(vb, g->GetVertexBuffer(i == 0 ? key0 : key1)) << morph << " at " << t << " stream " << i;
            }
        }
    };
    // Time 0: key frame 0 through the single-frame program, no weights.
    draw(0, 0.0F, fixed, sentinel, 0, 0);
    // 1.25: a quarter of the way from frame 1 (key 1) to frame 2 (key 2).
    draw(0, 1.25F, TDxProbe::Handle(*shader), {0.75F, 0.25F, 0.0F, 0.0F}, 1, 2);
    // Inside the last frame there is nothing to blend with.
    draw(0, 2.0F, fixed, sentinel, 2, 2);
    // Morph 1 shows key 2 twice: the same key frame on both sides draws unblended.
    draw(1, 0.5F, fixed, sentinel, 2, 2);
    draw(1, 1.5F, TDxProbe::Handle(*shader), {0.5F, 0.5F, 0.0F, 0.0F}, 2, 0);
}

// A freshly loaded mesh draws in its material's emissive colour, whatever its vertices hold. Without
// a texture stage 0 modulates that colour by itself (both arguments diffuse), so each channel shows
// squared; a white texture shows it as it is. Both paths alike.
class MeshColours : public MeshFixture {};

TEST_F(MeshColours, FreshMeshesShowTheirEmissiveColourSquaredUntexturedAndPlainUnderAWhiteTexture)
{
    struct Case {
        bool vertexShaders;
        bool textured;
        std::uint8_t expected[3];  // for the emissive colour (1.0, 0.6, 0.0)
    };
    const Case cases[] = {
        {true, false, {255, 92, 0}},
        {false, false, {255, 92, 0}},
        {true, true, {255, 153, 0}},
        {false, true, {255, 153, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.vertexShaders ? "programs" : "software") + (c.textured ? ", white texture" : ""));
        StartDevice(c.vertexShaders);
        ASSERT_FALSE(HasFatalFailure());
        PointCamera(5.0F);
        platform::RgbaImage image;
        {
            TMesh8 mesh = LoadMesh(GridMesh(2, 4.0F));
            mesh.SetEmissive(1.0F, 0.6F, 0.0F, 1.0F, TMesh8::kAllMaterials);
            if (c.textured) {
                TTexture8 white = TTexture8::Create("white", 1, 1, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0);
                D3DLOCKED_RECT locked{};
                ASSERT_EQ(white.GetTexture()->LockRect(0, &locked, nullptr, 0), D3D_OK);
                *static_cast<DWORD*>(locked.pBits) = 0xFFFFFFFFu;
                white.GetTexture()->UnlockRect(0);
                mesh.EditMaterial(0).SetTexture(white);
            }
            D3DXMATRIX world;
            D3DXMatrixIdentity(&world);
            image = DrawFrame(mesh, world);
        }
        TTexture8::PurgeCache(1);
        d3d()->Uninit();
        ASSERT_EQ(image.width, 640);
        for (const auto& [x, y] : {std::pair{320, 240}, std::pair{250, 200}, std::pair{400, 290}}) {
            const std::uint8_t* p = image.At(x, y);
            for (int ch = 0; ch < 3; ++ch) {
                EXPECT_NEAR(p[ch], c.expected[ch], 2) << "at " << x << ", " << y << " channel " << ch;
            }
        }
    }
}

// The same frames through the programs and through the software path (the layer switched to no
// vertex shaders) give the same picture.
struct PictureCase {
    const char* name;
    int source;  // 0 vertex colour, 1 constant colour, 2 modulated
    bool morph;
    std::uint32_t mode;
};

TRefPtr<TVertexShader> ShaderFor(const PictureCase& c)
{
    if (!c.morph) {
        switch (c.source) {
        case 0: return TRefPtr<TVertexShader>(new TVertexColorShader());
        case 1: return TRefPtr<TVertexShader>(new TConstantColorShader());
        default: return TRefPtr<TVertexShader>(new TModulateColorShader());
        }
    }
    switch (c.source) {
    case 0: return TRefPtr<TVertexShader>(new TMorphVertexColorShader(c.mode));
    case 1: return TRefPtr<TVertexShader>(new TMorphConstantColorShader(c.mode));
    default: return TRefPtr<TVertexShader>(new TMorphModulateColorShader((c.mode & 1) != 0, (c.mode & 2) != 0));
    }
}

class Pictures : public MeshFixture, public ::testing::WithParamInterface<PictureCase> {
protected:
    // A textured mesh seen from a camera off the axis and turned, at several morph times, then with
    // a new emissive colour.
    std::vector<platform::RgbaImage> DrawFrames(bool vertexShaders)
    {
        std::vector<platform::RgbaImage> frames;
        StartDevice(vertexShaders);
        if (HasFatalFailure()) {
            return frames;
        }
        D3DXMATRIX camera;
        D3DXMATRIX turn;
        D3DXMatrixRotationY(&turn, 0.2F);
        D3DXMatrixTranslation(&camera, -1.2F, 0.5F, -6.0F);
        D3DXMatrixMultiply(&camera, &turn, &camera);
        view_.SetCameraMatrix(camera);
        TTexture8 texture = TTexture8::Create("checker", 4, 4, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0);
        D3DLOCKED_RECT locked{};
        if (texture.GetTexture()->LockRect(0, &locked, nullptr, 0) == D3D_OK) {
            for (int y = 0; y < 4; ++y) {
                auto* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
                for (int x = 0; x < 4; ++x) {
                    row[x] = (x + y) % 2 == 0 ? 0xFFFFFFFFu : 0xFF8090A0u;
                }
            }
            texture.GetTexture()->UnlockRect(0);
        }
        {
            TMesh8 mesh = LoadMesh(GetParam().morph ? MorphingGridMesh(6, 4.0F) : GridMesh(6, 4.0F));
            mesh.SetVertexShader(ShaderFor(GetParam()));
            mesh.EditMaterial(0).SetTexture(texture);
            D3DXMATRIX world;
            D3DXMatrixRotationY(&world, -0.4F);
            for (float t : {0.0F, 0.6F, 1.25F, 2.0F, -1.0F}) {
                if (t < 0.0F) {
                    mesh.SetEmissive(0.3F, 0.8F, 0.5F, 1.0F, TMesh8::kAllMaterials);
                    t = 0.6F;
                }
                mesh.SetMorphTime(t);
                frames.push_back(DrawFrame(mesh, world));
            }
        }
        d3d()->Uninit();
        return frames;
    }
};

TEST_P(Pictures, SoftwarePathDrawsWhatTheProgramsDraw)
{
    const std::vector<platform::RgbaImage> programs = DrawFrames(true);
    const std::vector<platform::RgbaImage> software = DrawFrames(false);
    ASSERT_EQ(programs.size(), 5u);
    ASSERT_EQ(software.size(), 5u);
    for (std::size_t f = 0; f < programs.size(); ++f) {
        // The mesh fills much of the picture; only pixels along triangle edges may fall differently.
        const int total = programs[f].width * programs[f].height;
        EXPECT_TRUE(qmtest::SamePicture(programs[f], software[f], 8, total / 200, total / 16)) << "frame " << f;
    }
}

INSTANTIATE_TEST_SUITE_P(
    ColorSources, Pictures,
    ::testing::Values(PictureCase{"Vertex", 0, false, 0}, PictureCase{"Constant", 1, false, 0},
                      PictureCase{"Modulate", 2, false, 0}, PictureCase{"MorphVertex3", 0, true, 3},
                      PictureCase{"MorphConstant1", 1, true, 1}, PictureCase{"MorphModulate2", 2, true, 2}),

    [](const ::testing::TestParamInfo<PictureCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace meshtest
