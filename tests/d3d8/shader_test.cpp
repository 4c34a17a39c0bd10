// Vertex programs of the mesh shaders and the sky against the same picture drawn by the fixed
// pipeline from vertices prepared on the CPU (the game's path without vertex shaders).
#include <cmath>
#include <cstring>

#include "d3d8_fixture.h"
#include "platform/d3dx8/d3dx8shader.h"

namespace d3d8test {
namespace {

D3DMATRIX Mul(const D3DMATRIX& a, const D3DMATRIX& b)
{
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            for (int k = 0; k < 4; ++k) {
                r.m[i][j] += a.m[i][k] * b.m[k][j];
            }
        }
    }
    return r;
}

D3DMATRIX Transposed(const D3DMATRIX& a)
{
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[j][i];
        }
    }
    return r;
}

const char kFixedHead[] = "vs.1.0\nm4x4 oPos, v0, c0\ndp4 r8.z, v0, c6\n";
const char kFixedTail[] = "mov oT0.xy, v2\nmad oFog.x, -r8.z, c8.y, c8.x\n";
const char kMorphHead[] = "vs.1.0\nmul r0, v0, c9.x\nmad r0, v1, c9.y, r0\nm4x4 oPos, r0, c0\ndp4 r8.z, r0, c6\n";
const char kFogLine[] = "mad oFog.x, -r8.z, c8.y, c8.x\n";

enum class ColorSource { Vertex, Constant, Modulate };

struct ShaderCase {
    const char* name;
    ColorSource color;
    bool morph;
    bool blendColor;
    bool blendUv;
    bool sky;
};

std::string ProgramOf(const ShaderCase& c)
{
    if (c.sky) {
        return "vs.1.0\nm4x4 oPos, v0, c0\ndp4 r8.z, v0, c6\ndp4 r0.x, v0, c10\ndp4 r0.y, v0, c12\nmov oD0, v1\n"
               "mad oT0.xy, r0.xy, c9.xy, c9.zw\nmad oFog.x, -r8.z, c8.y, c8.x\n";
    }
    if (!c.morph) {
        const char* colour = c.color == ColorSource::Vertex     ? "mov oD0, v1\n"
                             : c.color == ColorSource::Constant ? "mov oD0, c10\n"
                                                                : "mul oD0, v1, c10\n";
        return std::string(kFixedHead) + colour + kFixedTail;
    }
    std::string p = kMorphHead;
    switch (c.color) {
    case ColorSource::Vertex:
        p += c.blendColor ? "mul r1, v2, c9.x\nmad oD0, v3, c9.y, r1\n" : "mov oD0, v2\n";
        break;
    case ColorSource::Constant:
        p += "mov oD0, c10\n";
        break;
    case ColorSource::Modulate:
        p += c.blendColor ? "mul r1, v2, c9.x\nmad r3, v3, c9.y, r1\nmul oD0, r3, c10\n" : "mul oD0, v2, c10\n";
        break;
    }
    p += c.blendUv ? "mul r2, v4, c9.x\nmad oT0.xy, v5, c9.y, r2\n" : "mov oT0.xy, v4.xy\n";
    return p + kFogLine;
}

class Shaders : public DeviceTest, public ::testing::WithParamInterface<ShaderCase> {
protected:
    static constexpr int kGrid = 4;  // vertices per side
    static constexpr float kFogStart = 2.0F;
    static constexpr float kFogEnd = 14.0F;
    static constexpr float kMorph = 0.25F;
    static constexpr D3DCOLORVALUE kEmissive{0.8F, 0.5F, 0.3F, 1.0F};

    void SetUp() override
    {
        DeviceTest::SetUp();
        ASSERT_TRUE(MakeDevice());
        D3DCAPS8 caps{};
        device_->GetDeviceCaps(&caps);
        if (caps.VertexShaderVersion < D3DVS_VERSION(1, 0)) {
            GTEST_SKIP() << "no vertex programs on this GL";
        }
        world_ = Identity();
        const float a = 0.4F;
        world_._11 = std::cos(a);
        world_._13 = -std::sin(a);
        world_._31 = std::sin(a);
        world_._33 = std::cos(a);
        world_._41 = 0.3F;
        world_._42 = -0.2F;
        view_ = Identity();
        view_._43 = 7.0F;
        projection_ = PerspectiveLH(1.2F, static_cast<float>(kWidth) / kHeight, 1.0F, 50.0F);
        for (int key = 0; key < 2; ++key) {
            keys_[key].resize(kGrid * kGrid);
            for (int y = 0; y < kGrid; ++y) {
                for (int x = 0; x < kGrid; ++x) {
                    MeshVertex& v = keys_[key][y * kGrid + x];
                    const float s = key == 0 ? 4.5F : 3.5F;
                    v.x = (x / (kGrid - 1.0F) * 2.0F - 1.0F) * s;
                    v.y = (y / (kGrid - 1.0F) * 2.0F - 1.0F) * s * 0.8F + key * 0.5F;
                    v.z = (x + y) * 0.3F - key;
                    v.diffuse = 0xFF000000U | (static_cast<DWORD>(60 * x + 40 * key) << 16) |
                                (static_cast<DWORD>(200 - 50 * y) << 8) | static_cast<DWORD>(90 + 30 * key * x);
                    v.u = x * 0.7F + key * 0.3F;
                    v.v = y * 0.5F - key * 0.2F;
                }
            }
        }
        for (int y = 0; y + 1 < kGrid; ++y) {
            for (int x = 0; x + 1 < kGrid; ++x) {
                const WORD i = static_cast<WORD>(y * kGrid + x);
                for (WORD k : {i, static_cast<WORD>(i + 1), static_cast<WORD>(i + kGrid), static_cast<WORD>(i + 1),
                               static_cast<WORD>(i + kGrid + 1), static_cast<WORD>(i + kGrid)}) {
                    indices_.push_back(k);
                }
            }
        }
        std::vector<DWORD> texels(16);
        for (int i = 0; i < 16; ++i) {
            texels[i] = 0xFF000000U | (static_cast<DWORD>(255 - i * 12) << 16) | (static_cast<DWORD>(i * 15) << 8) |
                        static_cast<DWORD>((i % 3) * 100);
        }
        texture_ = MakeTexture(4, 4, D3DFMT_A8R8G8B8, texels);
    }

    void TearDown() override
    {
        if (texture_ != nullptr) {
            device_->SetTexture(0, nullptr);
            texture_->Release();
        }
        DeviceTest::TearDown();
    }

    IDirect3DVertexBuffer8* Buffer(const std::vector<MeshVertex>& v)
    {
        IDirect3DVertexBuffer8* vb = nullptr;
        EXPECT_EQ(device_->CreateVertexBuffer(static_cast<UINT>(v.size() * sizeof v[0]), 0, kFvfMesh, D3DPOOL_MANAGED,
                                              &vb),
                  D3D_OK);
        BYTE* p = nullptr;
        vb->Lock(0, 0, &p, 0);
        std::memcpy(p, v.data(), v.size() * sizeof v[0]);
        vb->Unlock();
        return vb;
    }

    // The states every scene draw starts from: the game's defaults, a textured and fogged mesh.
    void CommonStates()
    {
        device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device_->SetRenderState(D3DRS_LIGHTING, TRUE);
        device_->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
        device_->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
        device_->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_COLOR1);
        device_->SetRenderState(D3DRS_FOGENABLE, TRUE);
        device_->SetRenderState(D3DRS_FOGCOLOR, 0xFF2040C0);
        device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        device_->SetTexture(0, texture_);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0F, 0);
    }

    platform::RgbaImage DrawWithProgram(const ShaderCase& c)
    {
        const std::string text = ProgramOf(c);
        ID3DXBuffer* code = nullptr;
        ID3DXBuffer* errors = nullptr;
        EXPECT_EQ(D3DXAssembleShader(text.data(), static_cast<UINT>(text.size()), 0, nullptr, &code, &errors), S_OK)
            << (errors != nullptr ? static_cast<const char*>(errors->GetBufferPointer()) : "");
        if (code == nullptr) {
            return {};
        }
        const DWORD single[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(1, D3DVSDT_D3DCOLOR),
                                D3DVSD_REG(2, D3DVSDT_FLOAT2), D3DVSD_END()};
        const DWORD twin[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(2, D3DVSDT_D3DCOLOR),
                              D3DVSD_REG(4, D3DVSDT_FLOAT2), D3DVSD_STREAM(1), D3DVSD_REG(1, D3DVSDT_FLOAT3),
                              D3DVSD_REG(3, D3DVSDT_D3DCOLOR), D3DVSD_REG(5, D3DVSDT_FLOAT2), D3DVSD_END()};
        DWORD handle = 0;
        EXPECT_EQ(device_->CreateVertexShader(c.morph ? twin : single,
                                              static_cast<const DWORD*>(code->GetBufferPointer()), &handle, 0),
                  D3D_OK);
        code->Release();
        if (handle == 0) {
            return {};
        }
        CommonStates();
        const D3DMATRIX wv = Mul(world_, view_);
        const D3DMATRIX wvp = Transposed(Mul(wv, projection_));
        const D3DMATRIX wvT = Transposed(wv);
        device_->SetVertexShaderConstant(0, &wvp, 4);
        device_->SetVertexShaderConstant(4, &wvT, 4);
        const float k = 1.0F / (kFogEnd - kFogStart);
        const float fog[4] = {kFogEnd * k, k, 0.0F, 0.0F};
        device_->SetVertexShaderConstant(8, fog, 1);
        const float morph[4] = {1.0F - kMorph, kMorph, 0.0F, 0.0F};
        device_->SetVertexShaderConstant(9, morph, 1);
        if (c.sky) {
            const float sky[4] = {0.4F, 0.6F, 0.1F, 0.3F};
            const D3DMATRIX wT = Transposed(world_);
            device_->SetVertexShaderConstant(9, sky, 1);
            device_->SetVertexShaderConstant(10, &wT, 4);
        } else {
            device_->SetVertexShaderConstant(10, &kEmissive, 1);
        }
        IDirect3DVertexBuffer8* a = Buffer(keys_[0]);
        IDirect3DVertexBuffer8* b = Buffer(keys_[1]);
        IDirect3DIndexBuffer8* ib = Indices();
        EXPECT_EQ(device_->SetVertexShader(handle), D3D_OK);
        device_->SetStreamSource(0, a, sizeof(MeshVertex));
        device_->SetStreamSource(1, c.morph ? b : nullptr, sizeof(MeshVertex));
        device_->SetIndices(ib, 0);
        device_->BeginScene();
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, kGrid * kGrid, 0,
                                                static_cast<UINT>(indices_.size() / 3)),
                  D3D_OK);
        device_->EndScene();
        platform::RgbaImage image = Read();
        device_->SetStreamSource(0, nullptr, 0);
        device_->SetStreamSource(1, nullptr, 0);
        device_->SetIndices(nullptr, 0);
        device_->SetVertexShader(kFvfMesh);
        EXPECT_EQ(device_->DeleteVertexShader(handle), D3D_OK);
        a->Release();
        b->Release();
        ib->Release();
        return image;
    }

    IDirect3DIndexBuffer8* Indices()
    {
        IDirect3DIndexBuffer8* ib = nullptr;
        EXPECT_EQ(device_->CreateIndexBuffer(static_cast<UINT>(indices_.size() * 2), 0, D3DFMT_INDEX16,
                                             D3DPOOL_MANAGED, &ib),
                  D3D_OK);
        BYTE* p = nullptr;
        ib->Lock(0, 0, &p, 0);
        std::memcpy(p, indices_.data(), indices_.size() * 2);
        ib->Unlock();
        return ib;
    }

    // The software path: the vertices prepared as the shader objects do without vertex shaders.
    platform::RgbaImage DrawWithFixedPipeline(const ShaderCase& c)
    {
        std::vector<MeshVertex> v = keys_[0];
        const DWORD w = static_cast<DWORD>(kMorph * 256.0F);
        for (size_t i = 0; i < v.size(); ++i) {
            const MeshVertex& a = keys_[0][i];
            const MeshVertex& b = keys_[1][i];
            if (c.morph) {
                v[i].x = a.x + (b.x - a.x) * kMorph;
                v[i].y = a.y + (b.y - a.y) * kMorph;
                v[i].z = a.z + (b.z - a.z) * kMorph;
                if (c.blendUv) {
                    v[i].u = a.u + (b.u - a.u) * kMorph;
                    v[i].v = a.v + (b.v - a.v) * kMorph;
                }
                if (c.blendColor) {
                    DWORD out = 0;
                    for (int s = 0; s < 32; s += 8) {
                        const int ca = static_cast<int>((a.diffuse >> s) & 0xFF);
                        const int cb = static_cast<int>((b.diffuse >> s) & 0xFF);
                        out |= static_cast<DWORD>((ca + (((cb - ca) * static_cast<int>(w)) >> 8)) & 0xFF) << s;
                    }
                    v[i].diffuse = out;
                }
            }
            if (c.color == ColorSource::Constant) {
                v[i].diffuse = (static_cast<DWORD>(kEmissive.a * 255.0F) << 24) |
                               (static_cast<DWORD>(kEmissive.r * 255.0F) << 16) |
                               (static_cast<DWORD>(kEmissive.g * 255.0F) << 8) | static_cast<DWORD>(kEmissive.b * 255.0F);
            } else if (c.color == ColorSource::Modulate) {
                const float e[4] = {kEmissive.b, kEmissive.g, kEmissive.r, kEmissive.a};
                DWORD out = 0;
                for (int s = 0; s < 4; ++s) {
                    const DWORD ch = (v[i].diffuse >> (8 * s)) & 0xFF;
                    out |= ((ch * static_cast<DWORD>(e[s] * 256.0F)) >> 8) << (8 * s);
                }
                v[i].diffuse = out;
            }
            if (c.sky) {
                const D3DMATRIX& m = world_;
                const float wx = a.x * m._11 + a.y * m._21 + a.z * m._31 + m._41;
                const float wz = a.x * m._13 + a.y * m._23 + a.z * m._33 + m._43;
                v[i].u = wx * 0.4F + 0.1F;
                v[i].v = wz * 0.6F + 0.3F;
            }
        }
        CommonStates();
        device_->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
        device_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
        device_->SetRenderState(D3DRS_RANGEFOGENABLE, FALSE);
        device_->SetRenderState(D3DRS_FOGSTART, Bits(kFogStart));
        device_->SetRenderState(D3DRS_FOGEND, Bits(kFogEnd));
        device_->SetVertexShader(kFvfMesh);
        device_->SetTransform(D3DTS_WORLD, &world_);
        device_->SetTransform(D3DTS_PROJECTION, &projection_);
        device_->SetTransform(D3DTS_VIEW, &view_);
        IDirect3DVertexBuffer8* vb = Buffer(v);
        IDirect3DIndexBuffer8* ib = Indices();
        device_->SetStreamSource(0, vb, sizeof(MeshVertex));
        device_->SetIndices(ib, 0);
        device_->BeginScene();
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, kGrid * kGrid, 0,
                                                static_cast<UINT>(indices_.size() / 3)),
                  D3D_OK);
        device_->EndScene();
        platform::RgbaImage image = Read();
        device_->SetStreamSource(0, nullptr, 0);
        device_->SetIndices(nullptr, 0);
        vb->Release();
        ib->Release();
        return image;
    }

    D3DMATRIX world_{};
    D3DMATRIX view_{};
    D3DMATRIX projection_{};
    std::vector<MeshVertex> keys_[2];
    std::vector<WORD> indices_;
    IDirect3DTexture8* texture_ = nullptr;
};

TEST_P(Shaders, ProgramDrawsWhatTheSoftwarePathDraws)
{
    const ShaderCase& c = GetParam();
    const platform::RgbaImage shader = DrawWithProgram(c);
    const platform::RgbaImage fixed = DrawWithFixedPipeline(c);
    ASSERT_EQ(shader.pixels.size(), fixed.pixels.size());
    ASSERT_FALSE(shader.pixels.empty());
    int covered = 0;
    int differing = 0;
    int worst = 0;
    for (size_t i = 0; i < fixed.pixels.size(); i += 4) {
        if (fixed.pixels[i] != 0 || fixed.pixels[i + 1] != 0 || fixed.pixels[i + 2] != 0) {
            ++covered;
        }
        int d = 0;
        for (int ch = 0; ch < 3; ++ch) {
            d = std::max(d, std::abs(shader.pixels[i + ch] - fixed.pixels[i + ch]));
        }
        worst = std::max(worst, d);
        differing += d > 6 ? 1 : 0;
    }
    const int total = kWidth * kHeight;
    EXPECT_GT(covered, total / 4) << "the mesh should fill much of the picture";
    // Only pixels on triangle edges may fall differently.
    EXPECT_LT(differing, total / 100) << "worst " << worst << "; pictures " << SavePicture(shader, "program")
                                      << " and " << SavePicture(fixed, "fixed");
}

INSTANTIATE_TEST_SUITE_P(
    MeshAndSkyPrograms, Shaders,
    ::testing::Values(ShaderCase{"VertexColor", ColorSource::Vertex, false, false, false, false},
                      ShaderCase{"ConstantColor", ColorSource::Constant, false, false, false, false},
                      ShaderCase{"ModulateColor", ColorSource::Modulate, false, false, false, false},
                      ShaderCase{"MorphVertex0", ColorSource::Vertex, true, false, false, false},
                      ShaderCase{"MorphVertex1", ColorSource::Vertex, true, true, false, false},
                      ShaderCase{"MorphVertex2", ColorSource::Vertex, true, false, true, false},
                      ShaderCase{"MorphVertex3", ColorSource::Vertex, true, true, true, false},
                      ShaderCase{"MorphConstant1", ColorSource::Constant, true, true, false, false},
                      ShaderCase{"MorphConstant3", ColorSource::Constant, true, true, true, false},
                      ShaderCase{"MorphModulate0", ColorSource::Modulate, true, false, false, false},
                      ShaderCase{"MorphModulate1", ColorSource::Modulate, true, true, false, false},
                      ShaderCase{"MorphModulate2", ColorSource::Modulate, true, false, true, false},
                      ShaderCase{"MorphModulate3", ColorSource::Modulate, true, true, true, false},
                      ShaderCase{"Sky", ColorSource::Vertex, false, false, false, true}),
    [](const ::testing::TestParamInfo<ShaderCase>& info) { return std::string(info.param.name); });

TEST_F(DeviceTest, VertexShaderDeclarationsAndTokensAreChecked)
{
    ASSERT_TRUE(MakeDevice());
    const char text[] = "vs.1.0\nm4x4 oPos, v0, c0\nmov oD0, v1\n";
    ID3DXBuffer* code = nullptr;
    ASSERT_EQ(D3DXAssembleShader(text, sizeof text - 1, 0, nullptr, &code, nullptr), S_OK);
    const auto* tokens = static_cast<const DWORD*>(code->GetBufferPointer());
    const DWORD good[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(1, D3DVSDT_D3DCOLOR),
                          D3DVSD_CONST(20, 1), Bits(1.0F), Bits(2.0F), Bits(3.0F), Bits(4.0F), D3DVSD_END()};
    DWORD handle = 0;
    ASSERT_EQ(device_->CreateVertexShader(good, tokens, &handle, 0), D3D_OK);
    EXPECT_EQ(handle & 1, 1U);  // never mistaken for an FVF code
    // Constants of the declaration load when the shader is chosen.
    ASSERT_EQ(device_->SetVertexShader(handle), D3D_OK);
    float c[4] = {};
    ASSERT_EQ(device_->GetVertexShaderConstant(20, c, 1), D3D_OK);
    EXPECT_EQ(c[2], 3.0F);
    EXPECT_EQ(device_->SetVertexShaderConstant(95, c, 2), D3DERR_INVALIDCALL);

    const DWORD badStream[] = {D3DVSD_STREAM(5), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_END()};
    const DWORD badReg[] = {D3DVSD_STREAM(0), D3DVSD_REG(20, D3DVSDT_FLOAT3), D3DVSD_END()};
    const DWORD badConst[] = {D3DVSD_CONST(95, 2), 0, 0, 0, 0, 0, 0, 0, 0, D3DVSD_END()};
    DWORD other = 0;
    EXPECT_EQ(device_->CreateVertexShader(badStream, tokens, &other, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateVertexShader(badReg, tokens, &other, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateVertexShader(badConst, tokens, &other, 0), D3DERR_INVALIDCALL);
    const DWORD unknownOpcode[] = {D3DVS_VERSION(1, 0), 0x00000077, 0x800F0000, 0x90E40000, 0x0000FFFF};
    EXPECT_EQ(device_->CreateVertexShader(good, unknownOpcode, &other, 0), D3DERR_INVALIDCALL);
    const DWORD pixelVersion[] = {D3DPS_VERSION(1, 1), 0x0000FFFF};
    EXPECT_EQ(device_->CreateVertexShader(good, pixelVersion, &other, 0), D3DERR_INVALIDCALL);
    code->Release();

    ASSERT_EQ(device_->DeleteVertexShader(handle), D3D_OK);
    DWORD current = 1;
    device_->GetVertexShader(&current);
    EXPECT_EQ(current, 0U);
    EXPECT_EQ(device_->DeleteVertexShader(handle), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetVertexShader(handle), D3DERR_INVALIDCALL);
}

}  // namespace
}  // namespace d3d8test
