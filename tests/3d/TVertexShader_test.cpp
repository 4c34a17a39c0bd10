// The mesh shaders: programs made with the device and again after a reset, the constants and streams
// a subset is drawn with, and the same frames drawn through the vertex programs and through the
// software path (the layer switched to no vertex shaders) giving the same picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dx/dx8/3d/TDrawList.h"
#include "dx/dx8/3d/TTexture8.h"
#include "mesh_fixture.h"
#include "platform/d3dx8/d3dx8.h"
#include "support/png_writer.h"

namespace meshtest {
namespace {

std::vector<DWORD> Handles()
{
    std::vector<DWORD> handles;
    for (std::size_t i = 0; i < TVertexShader::GetRegisteredCount(); ++i) {
        handles.push_back(static_cast<TAsmVertexShader*>(TVertexShader::GetRegistered(i))->GetHandle());
    }
    return handles;
}

class Shaders : public MeshFixture {};

TEST_F(Shaders, ProgramsAreMadeWithTheDeviceAndAfterAReset)
{
    StartDevice(true);
    ASSERT_EQ(TVertexShader::GetRegisteredCount(), 15u);
    const std::vector<DWORD> before = Handles();
    for (DWORD h : before) {
        EXPECT_NE(h, 0u);
    }
    // The constant-colour morph programs depend on the texture bit only: modes 3 and 2 share one.
    auto* mode3 = static_cast<TAsmVertexShader*>(TVertexShader::GetRegistered(7));
    auto* mode2 = static_cast<TAsmVertexShader*>(TVertexShader::GetRegistered(9));
    EXPECT_EQ(std::string(mode3->GetSource()), mode2->GetSource());
    EXPECT_NE(std::string(mode3->GetSource()).find("mad oT0.xy, v5, c9.y, r2\n"), std::string::npos);

    platform::InjectDeviceLoss(device());
    d3d()->CheckLostDevice();
    d3d()->CheckLostDevice();
    ASSERT_TRUE(d3d()->CheckLostDevice());
    const std::vector<DWORD> after = Handles();
    ASSERT_EQ(after.size(), 15u);
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_NE(after[i], 0u) << i;
        EXPECT_EQ(device()->SetVertexShader(after[i]), D3D_OK) << i;
    }
    d3d()->Uninit();

    // Without vertex shaders nothing is assembled.
    StartDevice(false);
    for (DWORD h : Handles()) {
        EXPECT_EQ(h, 0u);
    }
}

TEST_F(Shaders, MorphFramesPickProgramStreamsAndWeights)
{
    StartDevice(true);
    PointCamera(6.0F);
    TMesh8 mesh = LoadMesh(MorphingGridMesh(2, 3.0F));
    auto* shader = static_cast<TAsmVertexShader*>(mesh.GetVertexShader());
    ASSERT_NE(dynamic_cast<TMorphConstantColorShader*>(shader), nullptr);
    TMesh8 still = LoadMesh(GridMesh(2, 3.0F), "still.msh");
    ASSERT_NE(dynamic_cast<TConstantColorShader*>(still.GetVertexShader()), nullptr);
    const DWORD fixed = static_cast<TAsmVertexShader*>(still.GetVertexShader())->GetHandle();
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 0.5F, 0.0F, 1.0F);

    const float sentinel[4] = {-7.0F, -7.0F, -7.0F, -7.0F};
    auto draw = [&](std::uint32_t morph, float t) {
        mesh.SetMorph(morph);
        mesh.SetMorphTime(t);
        device()->SetVertexShaderConstant(9, sentinel, 1);
        mesh.DrawSubset(&world, &view_, 0);
    };
    auto c9 = [&]() {
        std::vector<float> c(4);
        device()->GetVertexShaderConstant(9, c.data(), 1);
        return c;
    };
    auto stream = [&](UINT i) {
        IDirect3DVertexBuffer8* vb = nullptr;
        UINT stride = 0;
        device()->GetStreamSource(i, &vb, &stride);
        if (vb != nullptr) {
            vb->Release();
        }
        return vb;
    };
    auto current = [&]() {
        DWORD h = 0;
        device()->GetVertexShader(&h);
        return h;
    };
    TMeshGeometry* g = mesh.GetGeometry();

    // Time 0: key frame 0 through the single-frame program, no weights.
    draw(0, 0.0F);
    EXPECT_EQ(current(), fixed);
    EXPECT_EQ(stream(0), g->GetVertexBuffer(0));
    EXPECT_EQ(c9(), std::vector<float>(sentinel, sentinel + 4));
    // 1.25: a quarter of the way from frame 1 (key 1) to frame 2 (key 2).
    draw(0, 1.25F);
    EXPECT_EQ(current(), shader->GetHandle());
    EXPECT_EQ(c9(), (std::vector<float>{0.75F, 0.25F, 0.0F, 0.0F}));
    EXPECT_EQ(stream(0), g->GetVertexBuffer(1));
    EXPECT_EQ(stream(1), g->GetVertexBuffer(2));
    // Inside the last frame there is nothing to blend with.
    draw(0, 2.0F);
    EXPECT_EQ(current(), fixed);
    EXPECT_EQ(stream(0), g->GetVertexBuffer(2));
    // Morph 1 shows key 2 twice: the same key frame on both sides draws unblended.
    draw(1, 0.5F);
    EXPECT_EQ(current(), fixed);
    EXPECT_EQ(stream(0), g->GetVertexBuffer(2));
    EXPECT_EQ(c9(), std::vector<float>(sentinel, sentinel + 4));
    draw(1, 1.5F);
    EXPECT_EQ(c9(), (std::vector<float>{0.5F, 0.5F, 0.0F, 0.0F}));
    EXPECT_EQ(stream(1), g->GetVertexBuffer(0));

    // c0-c3 = (world × view × projection) transposed, c10 the emissive colour.
    std::vector<float> c(16);
    device()->GetVertexShaderConstant(0, c.data(), 4);
    D3DXMATRIX wvp;
    D3DXMatrixMultiply(&wvp, &world, view_.GetViewProjection());
    for (int r = 0; r < 4; ++r) {
        for (int col = 0; col < 4; ++col) {
            EXPECT_FLOAT_EQ(c[r * 4 + col], wvp.m[col][r]);
        }
    }
    device()->GetVertexShaderConstant(6, c.data(), 1);
    D3DXMATRIX wv;
    D3DXMatrixMultiply(&wv, &world, view_.GetView());
    EXPECT_FLOAT_EQ(c[3], wv.m[3][2]);  // the view-space depth row
    device()->GetVertexShaderConstant(10, c.data(), 1);
    EXPECT_EQ(std::vector<float>(c.begin(), c.begin() + 4), (std::vector<float>{0.9F, 0.6F, 0.3F, 1.0F}));
}

TEST_F(Shaders, MaterialsOnAnAlphaTextureAreAlpha)
{
    StartDevice(true);
    D3DMATERIAL8 m{};
    m.Emissive.a = 1.0F;
    const TTexture8 alpha = TTexture8::Create("alpha", 4, 4, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0);
    const TTexture8 solid = TTexture8::Create("solid", 4, 4, D3DFMT_R5G6B5, D3DPOOL_MANAGED, 0);
    ASSERT_TRUE(alpha.HasTexture());
    EXPECT_EQ(TMeshMaterial("a", &m, alpha).GetMaterialType(), TMeshMaterial::kAlpha);
    EXPECT_EQ(TMeshMaterial("s", &m, solid).GetMaterialType(), TMeshMaterial::kOpaque);
    TMeshMaterial changed("s", &m, solid);
    changed.SetTexture(alpha);  // the code is not derived again
    EXPECT_EQ(changed.GetMaterialType(), TMeshMaterial::kOpaque);
    EXPECT_TRUE(changed.HasAlphaTexture());
}

// ---- the same frames through the programs and through the software path ----

enum class Source { Vertex, Constant, Modulate };

struct PictureCase {
    const char* name;
    Source source;
    bool morph;
    std::uint32_t mode;
};

TRefPtr<TVertexShader> ShaderFor(const PictureCase& c)
{
    if (!c.morph) {
        switch (c.source) {
        case Source::Vertex: return TRefPtr<TVertexShader>(new TVertexColorShader());
        case Source::Constant: return TRefPtr<TVertexShader>(new TConstantColorShader());
        case Source::Modulate: return TRefPtr<TVertexShader>(new TModulateColorShader());
        }
    }
    switch (c.source) {
    case Source::Vertex: return TRefPtr<TVertexShader>(new TMorphVertexColorShader(c.mode));
    case Source::Constant: return TRefPtr<TVertexShader>(new TMorphConstantColorShader(c.mode));
    case Source::Modulate: break;
    }
    return TRefPtr<TVertexShader>(new TMorphModulateColorShader((c.mode & 1) != 0, (c.mode & 2) != 0));
}

class Pictures : public MeshFixture, public ::testing::WithParamInterface<PictureCase> {
protected:
    // The frames of one run: a textured mesh, seen from a camera off the axis and turned, at
    // several morph times, then with a new emissive colour.
    std::vector<platform::RgbaImage> DrawFrames(bool vertexShaders)
    {
        StartDevice(vertexShaders);
        std::vector<platform::RgbaImage> frames;
        if (HasFatalFailure()) {
            return frames;
        }
        const PictureCase& c = GetParam();
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
            TMesh8 mesh = LoadMesh(c.morph ? MorphingGridMesh(6, 4.0F) : GridMesh(6, 4.0F));
            mesh.SetVertexShader(ShaderFor(c));
            mesh.EditMaterial(0).SetTexture(texture);
            D3DXMATRIX world;
            D3DXMatrixRotationY(&world, -0.4F);
            const float times[] = {0.0F, 0.6F, 1.25F, 2.0F};
            for (float t : times) {
                mesh.SetMorphTime(t);
                frames.push_back(DrawFrame(mesh, world));
            }
            mesh.SetEmissive(0.3F, 0.8F, 0.5F, 1.0F, TMesh8::kAllMaterials);
            mesh.SetMorphTime(0.6F);
            frames.push_back(DrawFrame(mesh, world));
        }
        d3d()->Uninit();
        return frames;
    }

    platform::RgbaImage DrawFrame(TMesh8& mesh, const D3DXMATRIX& world)
    {
        EXPECT_TRUE(d3d()->CheckLostDevice());
        d3d()->Clear(0xFF000000, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
        d3d()->BeginScene();
        mesh.Draw(&world, &view_);
        TDrawList::FlushAll();
        d3d()->EndScene();
        platform::RgbaImage image;
        EXPECT_TRUE(platform::ReadBackBuffer(device(), &image));
        return image;
    }

    static std::string Save(const platform::RgbaImage& image, const std::string& name)
    {
        const std::string path = std::string(::testing::TempDir()) + name + ".png";
        return qmtest::WritePng(path, image.width, image.height, image.pixels) ? path : "(not written)";
    }
};

TEST_P(Pictures, SoftwarePathDrawsWhatTheProgramsDraw)
{
    const std::vector<platform::RgbaImage> programs = DrawFrames(true);
    const std::vector<platform::RgbaImage> software = DrawFrames(false);
    ASSERT_EQ(programs.size(), 5u);
    ASSERT_EQ(software.size(), 5u);
    for (std::size_t f = 0; f < programs.size(); ++f) {
        const platform::RgbaImage& a = programs[f];
        const platform::RgbaImage& b = software[f];
        ASSERT_EQ(a.pixels.size(), b.pixels.size());
        int covered = 0;
        int differing = 0;
        int worst = 0;
        for (std::size_t i = 0; i < a.pixels.size(); i += 4) {
            covered += (a.pixels[i] | a.pixels[i + 1] | a.pixels[i + 2]) != 0 ? 1 : 0;
            int d = 0;
            for (int ch = 0; ch < 3; ++ch) {
                d = std::max(d, std::abs(a.pixels[i + ch] - b.pixels[i + ch]));
            }
            worst = std::max(worst, d);
            differing += d > 8 ? 1 : 0;
        }
        const int total = a.width * a.height;
        EXPECT_GT(covered, total / 16) << "frame " << f << ": the mesh should fill much of the picture";
        // Only pixels along triangle edges may fall differently.
        EXPECT_LT(differing, total / 200) << "frame " << f << ", worst " << worst << "; pictures "
                                          << Save(a, std::string(GetParam().name) + "_program" + std::to_string(f))
                                          << " and "
                                          << Save(b, std::string(GetParam().name) + "_software" + std::to_string(f));
    }
    // The frames differ from each other where they should: the morph moves, the emissive colour shows.
    if (GetParam().morph) {
        EXPECT_NE(programs[0].pixels, programs[2].pixels);
    }
    if (GetParam().source != Source::Vertex) {
        EXPECT_NE(programs[1].pixels, programs[4].pixels);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ColorSources, Pictures,
    ::testing::Values(PictureCase{"Vertex", Source::Vertex, false, 0},
                      PictureCase{"Constant", Source::Constant, false, 0},
                      PictureCase{"Modulate", Source::Modulate, false, 0},
                      PictureCase{"MorphVertex3", Source::Vertex, true, 3},
                      PictureCase{"MorphVertex0", Source::Vertex, true, 0},
                      PictureCase{"MorphConstant3", Source::Constant, true, 3},
                      PictureCase{"MorphConstant1", Source::Constant, true, 1},
                      PictureCase{"MorphModulate3", Source::Modulate, true, 3},
                      PictureCase{"MorphModulate2", Source::Modulate, true, 2}),
    [](const ::testing::TestParamInfo<PictureCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace meshtest
