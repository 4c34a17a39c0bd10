// The engine's vertex programs against the same picture drawn by the fixed pipeline from vertices
// prepared on the CPU (the game's path without vertex shaders).
#include <cmath>

#include "d3d8_fixture.h"
#include "d3dx8/programs.h"
#include "support/golden.h"

namespace d3d8test {
namespace {

class Shaders : public DeviceTest, public ::testing::WithParamInterface<qmtest::ShaderSource> {
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
        D3DXMATRIX move;
        D3DXMatrixRotationY(&world_, 0.4F);
        D3DXMatrixTranslation(&move, 0.3F, -0.2F, 0.0F);
        world_ *= move;
        D3DXMatrixTranslation(&view_, 0.0F, 0.0F, 7.0F);
        D3DXMatrixPerspectiveFovLH(&projection_, 1.2F, static_cast<float>(kWidth) / kHeight, 1.0F, 50.0F);
        for (int key = 0; key < 2; ++key) {
            for (int i = 0; i < kGrid * kGrid; ++i) {
                const int x = i % kGrid, y = i / kGrid;
                const float s = key == 0 ? 4.5F : 3.5F;
                keys_[key].push_back(
                    {(x / (kGrid - 1.0F) * 2.0F - 1.0F) * s, (y / (kGrid - 1.0F) * 2.0F - 1.0F) * s * 0.8F + key * 0.5F,
                     (x + y) * 0.3F - key,
                     0xFF000000U | static_cast<DWORD>(60 * x + 40 * key) << 16 | static_cast<DWORD>(200 - 50 * y) << 8 |
                         static_cast<DWORD>(90 + 30 * key * x),
                     x * 0.7F + key * 0.3F, y * 0.5F - key * 0.2F});
            }
        }
        for (WORD i = 0; i < kGrid * (kGrid - 1); ++i) {
            if (i % kGrid != kGrid - 1) {
                indices_.insert(indices_.end(), {i, WORD(i + 1), WORD(i + kGrid), WORD(i + 1), WORD(i + kGrid + 1),
                                                 WORD(i + kGrid)});
            }
        }
        std::vector<DWORD> texels(16);
        for (DWORD i = 0; i < 16; ++i) {
            texels[i] = 0xFF000000U | (255 - i * 12) << 16 | (i * 15) << 8 | (i % 3) * 100;
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

    // The game's defaults for a textured, fogged mesh; then the grid drawn from one or two streams.
    platform::RgbaImage Draw(const std::vector<MeshVertex>& first, const std::vector<MeshVertex>* second)
    {
        States({{D3DRS_ZENABLE, D3DZB_TRUE}, {D3DRS_CULLMODE, D3DCULL_NONE}, {D3DRS_LIGHTING, TRUE},
                {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1}, {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1},
                {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_COLOR1}, {D3DRS_FOGENABLE, TRUE}, {D3DRS_FOGCOLOR, 0xFF2040C0}});
        Stage({{D3DTSS_COLOROP, D3DTOP_MODULATE}, {D3DTSS_COLORARG1, D3DTA_TEXTURE}, {D3DTSS_COLORARG2, D3DTA_DIFFUSE},
               {D3DTSS_MAGFILTER, D3DTEXF_LINEAR}, {D3DTSS_MINFILTER, D3DTEXF_LINEAR}});
        device_->SetTexture(0, texture_);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0F, 0);
        const UINT bytes = kGrid * kGrid * sizeof(MeshVertex);
        IDirect3DVertexBuffer8* a = MakeBuffer<IDirect3DVertexBuffer8>(first.data(), bytes, kFvfMesh);
        IDirect3DVertexBuffer8* b = second ? MakeBuffer<IDirect3DVertexBuffer8>(second->data(), bytes, kFvfMesh) : nullptr;
        IDirect3DIndexBuffer8* ib = MakeBuffer<IDirect3DIndexBuffer8>(indices_.data(), UINT(indices_.size() * 2));
        device_->SetStreamSource(0, a, sizeof(MeshVertex));
        device_->SetStreamSource(1, b, sizeof(MeshVertex));
        device_->SetIndices(ib, 0);
        device_->BeginScene();
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, kGrid * kGrid, 0, UINT(indices_.size() / 3)),
                  D3D_OK);
        device_->EndScene();
        platform::RgbaImage image = Read();
        device_->SetStreamSource(0, nullptr, 0);
        device_->SetStreamSource(1, nullptr, 0);
        device_->SetIndices(nullptr, 0);
        ReleaseAll({a, b, ib});
        return image;
    }

    platform::RgbaImage DrawWithProgram(const qmtest::ShaderSource& c)
    {
        const bool morph = c.mode >= 0;
        const qmtest::Assembled code = qmtest::Assemble(c.text);
        EXPECT_EQ(code.hr, S_OK) << code.errors;
        const DWORD single[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(1, D3DVSDT_D3DCOLOR),
                                D3DVSD_REG(2, D3DVSDT_FLOAT2), D3DVSD_END()};
        const DWORD twin[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(2, D3DVSDT_D3DCOLOR),
                              D3DVSD_REG(4, D3DVSDT_FLOAT2), D3DVSD_STREAM(1), D3DVSD_REG(1, D3DVSDT_FLOAT3),
                              D3DVSD_REG(3, D3DVSDT_D3DCOLOR), D3DVSD_REG(5, D3DVSDT_FLOAT2), D3DVSD_END()};
        DWORD handle = 0;
        EXPECT_EQ(device_->CreateVertexShader(morph ? twin : single, code.tokens.data(), &handle, 0), D3D_OK);
        if (handle == 0) {
            return {};
        }
        D3DXMATRIX wv = world_ * view_, wvp = wv * projection_, wT = world_;
        D3DXMatrixTranspose(&wvp, &wvp);
        D3DXMatrixTranspose(&wv, &wv);
        D3DXMatrixTranspose(&wT, &wT);
        device_->SetVertexShaderConstant(0, &wvp, 4);
        device_->SetVertexShaderConstant(4, &wv, 4);
        const float k = 1.0F / (kFogEnd - kFogStart);
        const float fog[4] = {kFogEnd * k, k, 0.0F, 0.0F};
        const float morphWeights[4] = {1.0F - kMorph, kMorph, 0.0F, 0.0F};
        const float sky[4] = {0.4F, 0.6F, 0.1F, 0.3F};
        device_->SetVertexShaderConstant(8, fog, 1);
        device_->SetVertexShaderConstant(9, c.sky ? sky : morphWeights, 1);
        if (c.sky) {
            device_->SetVertexShaderConstant(10, &wT, 4);
        } else {
            device_->SetVertexShaderConstant(10, &kEmissive, 1);
        }
        EXPECT_EQ(device_->SetVertexShader(handle), D3D_OK);
        platform::RgbaImage image = Draw(keys_[0], morph ? &keys_[1] : nullptr);
        device_->SetVertexShader(kFvfMesh);
        EXPECT_EQ(device_->DeleteVertexShader(handle), D3D_OK);
        return image;
    }

    // The software path: the vertices prepared as the shader objects do without vertex shaders.
    platform::RgbaImage DrawWithFixedPipeline(const qmtest::ShaderSource& c)
    {
        std::vector<MeshVertex> v = keys_[0];
        const int w = static_cast<int>(kMorph * 256.0F);
        for (size_t i = 0; i < v.size(); ++i) {
            const MeshVertex& a = keys_[0][i];
            const MeshVertex& b = keys_[1][i];
            if (c.mode >= 0) {
                v[i].x = a.x + (b.x - a.x) * kMorph;
                v[i].y = a.y + (b.y - a.y) * kMorph;
                v[i].z = a.z + (b.z - a.z) * kMorph;
                if ((c.mode & 2) != 0) {
                    v[i].u = a.u + (b.u - a.u) * kMorph;
                    v[i].v = a.v + (b.v - a.v) * kMorph;
                }
                if ((c.mode & 1) != 0) {
                    DWORD out = 0;
                    for (int s = 0; s < 32; s += 8) {
                        const int ca = static_cast<int>((a.diffuse >> s) & 0xFF);
                        const int cb = static_cast<int>((b.diffuse >> s) & 0xFF);
                        out |= static_cast<DWORD>((ca + (((cb - ca) * w) >> 8)) & 0xFF) << s;
                    }
                    v[i].diffuse = out;
                }
            }
            const float e[4] = {kEmissive.b, kEmissive.g, kEmissive.r, kEmissive.a};
            DWORD out = 0;
            for (int s = 0; s < 4; ++s) {
                const DWORD ch = (v[i].diffuse >> (8 * s)) & 0xFF;
                out |= (c.colour == 1   ? static_cast<DWORD>(e[s] * 255.0F)
                        : c.colour == 2 ? (ch * static_cast<DWORD>(e[s] * 256.0F)) >> 8
                                        : ch)
                       << (8 * s);
            }
            v[i].diffuse = out;
            if (c.sky) {
                D3DXVECTOR3 p(a.x, a.y, a.z), world;
                D3DXVec3TransformCoord(&world, &p, &world_);
                v[i].u = world.x * 0.4F + 0.1F;
                v[i].v = world.z * 0.6F + 0.3F;
            }
        }
        States({{D3DRS_FOGTABLEMODE, D3DFOG_NONE}, {D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR}, {D3DRS_RANGEFOGENABLE, FALSE},
                {D3DRS_FOGSTART, Bits(kFogStart)}, {D3DRS_FOGEND, Bits(kFogEnd)}});
        device_->SetVertexShader(kFvfMesh);
        SetTransforms(world_, view_, projection_);
        return Draw(v, nullptr);
    }

    D3DXMATRIX world_, view_, projection_;
    std::vector<MeshVertex> keys_[2];
    std::vector<WORD> indices_;
    IDirect3DTexture8* texture_ = nullptr;
};

TEST_P(Shaders, ProgramDrawsWhatTheSoftwarePathDraws)
{
    const platform::RgbaImage shader = DrawWithProgram(GetParam());
    const platform::RgbaImage fixed = DrawWithFixedPipeline(GetParam());
    // The mesh fills much of the picture; only pixels on triangle edges may fall differently.
    EXPECT_TRUE(qmtest::SamePicture(fixed, shader, 6, kWidth * kHeight / 100, kWidth * kHeight / 4));
}

INSTANTIATE_TEST_SUITE_P(EveryEngineProgram, Shaders, ::testing::ValuesIn(qmtest::EngineShaderPrograms()),
                         [](const ::testing::TestParamInfo<qmtest::ShaderSource>& info) { return info.param.name; });

TEST_F(DeviceTest, VertexShaderDeclarationsAndTokensAreChecked)
{
    ASSERT_TRUE(MakeDevice());
    const qmtest::Assembled code = qmtest::Assemble("vs.1.0\nm4x4 oPos, v0, c0\nmov oD0, v1\n");
    const DWORD* tokens = code.tokens.data();
    const DWORD good[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(1, D3DVSDT_D3DCOLOR),
                          D3DVSD_END()};
    DWORD handle = 0;
    ASSERT_EQ(device_->CreateVertexShader(good, tokens, &handle, 0), D3D_OK);
    EXPECT_EQ(handle & 1, 1U);  // never mistaken for an FVF code
    ASSERT_EQ(device_->SetVertexShader(handle), D3D_OK);
    const float c[8] = {};
    EXPECT_EQ(device_->SetVertexShaderConstant(95, c, 2), D3DERR_INVALIDCALL);

    const DWORD badStream[] = {D3DVSD_STREAM(5), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_END()};
    const DWORD badReg[] = {D3DVSD_STREAM(0), D3DVSD_REG(20, D3DVSDT_FLOAT3), D3DVSD_END()};
    const DWORD badConst[] = {D3DVSD_CONST(95, 2), 0, 0, 0, 0, 0, 0, 0, 0, D3DVSD_END()};
    const DWORD unknownOpcode[] = {D3DVS_VERSION(1, 0), 0x00000077, 0x800F0000, 0x90E40000, 0x0000FFFF};
    const DWORD pixelVersion[] = {D3DPS_VERSION(1, 1), 0x0000FFFF};
    DWORD other = 0;
    for (const DWORD* decl : {badStream, badReg, badConst}) {
        EXPECT_EQ(device_->CreateVertexShader(decl, tokens, &other, 0), D3DERR_INVALIDCALL);
    }
    for (const DWORD* bad : {unknownOpcode, pixelVersion}) {
        EXPECT_EQ(device_->CreateVertexShader(good, bad, &other, 0), D3DERR_INVALIDCALL);
    }

    ASSERT_EQ(device_->DeleteVertexShader(handle), D3D_OK);
    DWORD current = 1;
    device_->GetVertexShader(&current);
    EXPECT_EQ(current, 0U);
    EXPECT_EQ(device_->DeleteVertexShader(handle), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetVertexShader(handle), D3DERR_INVALIDCALL);
}

}  // namespace
}  // namespace d3d8test
