// Consecutive draws that share every state go to GL as one draw: the picture is the one the
// draws make one by one, to the bit, and anything that changes what a draw looks like ends the run.
#include <cmath>
#include <functional>

#include "d3d8_fixture.h"
#include "d3dx8/programs.h"
#include "support/golden.h"

using namespace d3d8test;

namespace {

constexpr int kParticles = 40;
constexpr float kFogStart = 3.0F;
constexpr float kFogEnd = 9.0F;

// One program of the engine's list, by name.
std::string ProgramText(const std::string& name)
{
    for (const qmtest::ShaderSource& s : qmtest::EngineShaderPrograms()) {
        if (s.name == name) {
            return s.text;
        }
    }
    return "";
}

// A square of side 1 around the origin, its corners coloured apart.
std::vector<MeshVertex> Quad(DWORD tint)
{
    return {{-0.5F, -0.5F, 0.0F, 0xFF000000U | tint, 0.0F, 1.0F},
            {0.5F, -0.5F, 0.0F, 0xFFFFFFFFU, 1.0F, 1.0F},
            {-0.5F, 0.5F, 0.0F, 0x80FFFFFFU, 0.0F, 0.0F},
            {0.5F, 0.5F, 0.0F, 0xFF000000U | (tint ^ 0xFFFFFFU), 1.0F, 0.0F}};
}

class DrawBatch : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        ASSERT_TRUE(MakeDevice());
        std::vector<DWORD> texels(8 * 8);
        for (int i = 0; i < 64; ++i) {
            texels[i] = 0xFF000000U | static_cast<DWORD>((i % 8) * 32) << 16 | static_cast<DWORD>((i / 8) * 32) << 8 | 0x60;
        }
        texture_ = MakeTexture(8, 8, D3DFMT_A8R8G8B8, texels);
        texels.assign(64, 0xFF20E040U);
        other_ = MakeTexture(8, 8, D3DFMT_A8R8G8B8, texels);
        program_ = MakeProgram("ModulateColour");
        const WORD quad[6] = {0, 1, 2, 1, 3, 2};
        indices_ = MakeBuffer<IDirect3DIndexBuffer8>(quad, sizeof quad);
        for (int i = 0; i < kParticles; ++i) {
            const std::vector<MeshVertex> v = Quad(0x102030U * static_cast<DWORD>(i + 1));
            quads_.push_back(MakeBuffer<IDirect3DVertexBuffer8>(v.data(), UINT(v.size() * sizeof v[0]), kFvfMesh));
        }
        D3DXMatrixTranslation(&view_, 0.0F, 0.0F, 5.0F);
        D3DXMatrixPerspectiveFovLH(&projection_, 0.9F, float(kWidth) / kHeight, 0.5F, 20.0F);
    }
    void TearDown() override
    {
        if (device_ != nullptr) {
            device_->SetTexture(0, nullptr);
            device_->SetStreamSource(0, nullptr, 0);
            device_->SetIndices(nullptr, 0);
        }
        for (IDirect3DVertexBuffer8* q : quads_) {
            q->Release();
        }
        ReleaseAll({texture_, other_, indices_});
        DeviceTest::TearDown();
    }

    DWORD MakeProgram(const std::string& name)
    {
        const qmtest::Assembled code = qmtest::Assemble(ProgramText(name));
        EXPECT_EQ(code.hr, S_OK) << name << ": " << code.errors;
        const DWORD single[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(1, D3DVSDT_D3DCOLOR),
                                D3DVSD_REG(2, D3DVSDT_FLOAT2), D3DVSD_END()};
        DWORD handle = 0;
        EXPECT_EQ(device_->CreateVertexShader(single, code.tokens.data(), &handle, 0), D3D_OK);
        return handle;
    }

    // Additive particles as the effects draw them: z tested, not written, fog on, a texture.
    void ParticleStates()
    {
        States({{D3DRS_ZENABLE, TRUE}, {D3DRS_ZWRITEENABLE, FALSE}, {D3DRS_ALPHABLENDENABLE, TRUE},
                {D3DRS_SRCBLEND, D3DBLEND_ONE}, {D3DRS_DESTBLEND, D3DBLEND_ONE}, {D3DRS_CULLMODE, D3DCULL_NONE},
                {D3DRS_FOGENABLE, TRUE}, {D3DRS_FOGCOLOR, 0xFF304050}, {D3DRS_LIGHTING, FALSE}});
        Stage({{D3DTSS_COLOROP, D3DTOP_MODULATE}, {D3DTSS_COLORARG1, D3DTA_TEXTURE}, {D3DTSS_COLORARG2, D3DTA_DIFFUSE},
               {D3DTSS_ALPHAOP, D3DTOP_MODULATE}, {D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
               {D3DTSS_MINFILTER, D3DTEXF_LINEAR}, {D3DTSS_MAGFILTER, D3DTEXF_LINEAR}});
        device_->SetTexture(0, texture_);
        device_->SetVertexShader(program_);
        device_->SetIndices(indices_, 0);
        const float k = 1.0F / (kFogEnd - kFogStart);
        const float fog[4] = {kFogEnd * k, k, 0.0F, 0.0F};
        device_->SetVertexShaderConstant(8, fog, 1);
    }

    // Particle i: its own place, turn, size, depth and fading colour, in its own vertex buffer.
    void DrawParticle(int i, UINT vertexCount = 4)
    {
        D3DXMATRIX scale, turn, move;
        D3DXMatrixScaling(&scale, 0.7F + 0.02F * float(i % 7), 0.7F + 0.03F * float(i % 5), 1.0F);
        D3DXMatrixRotationZ(&turn, 0.37F * float(i));
        D3DXMatrixTranslation(&move, -2.4F + 0.55F * float(i % 10), -1.2F + 0.7F * float(i / 10), 0.25F * float(i % 9));
        const D3DXMATRIX world = scale * turn * move;
        D3DXMATRIX wv = world * view_;
        D3DXMATRIX wvp = wv * projection_;
        D3DXMatrixTranspose(&wvp, &wvp);
        D3DXMatrixTranspose(&wv, &wv);
        device_->SetVertexShaderConstant(0, &wvp, 4);
        device_->SetVertexShaderConstant(4, &wv, 4);
        const float fade = 1.0F - 0.02F * float(i);
        const float emissive[4] = {fade, 0.3F + 0.015F * float(i), 0.9F * fade, 1.0F};
        device_->SetVertexShaderConstant(10, emissive, 1);
        device_->SetStreamSource(0, quads_[static_cast<size_t>(i)], sizeof(MeshVertex));
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, vertexCount, 0, 2), D3D_OK);
    }

    // The frame drawn with batching on or off: the picture and the draws GL was handed.
    platform::RgbaImage DrawParticles(bool batched, std::uint64_t* glDraws)
    {
        platform::EnableDrawBatching(device_, batched);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102030, 1.0F, 0);
        device_->BeginScene();
        ParticleStates();
        const std::uint64_t before = platform::GlDrawCount(device_);
        for (int i = 0; i < kParticles; ++i) {
            DrawParticle(i);
        }
        device_->EndScene();
        *glDraws = platform::GlDrawCount(device_) - before;
        return Read();
    }

    // frame(batched, &glDraws) drawn one by one and merged: `draws` GL draws against one, the same
    // picture to the bit; the merged picture comes back.
    template <typename Frame>
    platform::RgbaImage ExpectOneDrawAndTheSamePicture(const Frame& frame, std::uint64_t draws)
    {
        std::uint64_t unbatchedDraws = 0;
        std::uint64_t batchedDraws = 0;
        const platform::RgbaImage alone = frame(false, &unbatchedDraws);
        const platform::RgbaImage merged = frame(true, &batchedDraws);
        EXPECT_EQ(unbatchedDraws, draws);
        EXPECT_EQ(batchedDraws, 1U);
        EXPECT_TRUE(qmtest::SamePicture(merged, alone, 0, 0));
        return merged;
    }

    // GL draws for three particles with `change` made before the second.
    template <typename Change>
    std::uint64_t DrawsAround(const Change& change)
    {
        device_->BeginScene();
        ParticleStates();
        const std::uint64_t before = platform::GlDrawCount(device_);
        DrawParticle(0);
        change();
        DrawParticle(1);
        DrawParticle(2);
        device_->EndScene();
        return platform::GlDrawCount(device_) - before;
    }

    IDirect3DTexture8* texture_ = nullptr;
    IDirect3DTexture8* other_ = nullptr;
    IDirect3DIndexBuffer8* indices_ = nullptr;
    std::vector<IDirect3DVertexBuffer8*> quads_;
    DWORD program_ = 0;
    D3DXMATRIX view_;
    D3DXMATRIX projection_;
};

TEST_F(DrawBatch, FortyAdditiveParticlesMergedAreTheParticlesDrawnOneByOne)
{
    const platform::RgbaImage merged = ExpectOneDrawAndTheSamePicture(
        [this](bool batched, std::uint64_t* glDraws) { return DrawParticles(batched, glDraws); }, 40);
    EXPECT_TRUE(qmtest::MatchesGolden(merged, "DrawBatchParticles"));
}

TEST_F(DrawBatch, AnythingThatChangesADrawEndsTheRun)
{
    const DWORD morph = MakeProgram("VertexColour");
    const struct {
        const char* what;
        std::function<void()> change;
        std::uint64_t draws;
    } cases[] = {
        {"only the constants", [] {}, 1},
        {"another texture", [&] { device_->SetTexture(0, other_); }, 2},
        {"a blend", [&] { device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA); }, 2},
        {"a render state no switch of GL follows", [&] { device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0x80FF0000); }, 2},
        {"a stage's combiner", [&] { Stage({{D3DTSS_COLOROP, D3DTOP_ADD}}); }, 2},
        {"a stage's filter", [&] { Stage({{D3DTSS_MAGFILTER, D3DTEXF_POINT}}); }, 2},
        {"another program", [&] { device_->SetVertexShader(morph); }, 2},
        {"the viewport", [&] {
             const D3DVIEWPORT8 half{0, 0, kWidth / 2, kHeight, 0.0F, 1.0F};
             device_->SetViewport(&half);
         }, 2},
        {"a clear", [&] { device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0F, 0); }, 2},
    };
    for (const auto& c : cases) {
        const D3DVIEWPORT8 full{0, 0, kWidth, kHeight, 0.0F, 1.0F};
        device_->SetViewport(&full);
        EXPECT_EQ(DrawsAround(c.change), c.draws) << c.what;
    }
    device_->SetVertexShader(program_);
    device_->DeleteVertexShader(morph);
}

TEST_F(DrawBatch, DrawsOfUpToSixtyFourVerticesMergeAndABatchHoldsUpTo8192)
{
    // Index 0..63 of a long strip of quads: the range the indices reach is what counts.
    std::vector<MeshVertex> many;
    for (int i = 0; i < 65; ++i) {
        many.push_back({0.01F * float(i), 0.0F, 0.0F, 0xFFFFFFFF, 0.0F, 0.0F});
    }
    IDirect3DVertexBuffer8* long_ = MakeBuffer<IDirect3DVertexBuffer8>(many.data(), UINT(many.size() * sizeof many[0]), kFvfMesh);
    const WORD reach64[6] = {0, 1, 63, 1, 2, 63};
    const WORD reach65[6] = {0, 1, 64, 1, 2, 64};
    IDirect3DIndexBuffer8* i64 = MakeBuffer<IDirect3DIndexBuffer8>(reach64, sizeof reach64);
    IDirect3DIndexBuffer8* i65 = MakeBuffer<IDirect3DIndexBuffer8>(reach65, sizeof reach65);
    const struct {
        IDirect3DIndexBuffer8* indices;
        int draws;
        std::uint64_t glDraws;
    } cases[] = {
        {i64, 3, 1},        // 64 vertices a draw merge
        {i65, 3, 3},        // 65 go alone
        {i64, 128, 1},      // 128 x 64 = 8192 vertices: one batch
        {i64, 129, 2},      // the 129th starts the next
    };
    for (const auto& c : cases) {
        device_->BeginScene();
        ParticleStates();
        device_->SetIndices(c.indices, 0);
        device_->SetStreamSource(0, long_, sizeof(MeshVertex));
        const std::uint64_t before = platform::GlDrawCount(device_);
        for (int d = 0; d < c.draws; ++d) {
            EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 65, 0, 2), D3D_OK);
        }
        device_->EndScene();
        EXPECT_EQ(platform::GlDrawCount(device_) - before, c.glDraws) << c.draws << " draws";
    }
    device_->SetIndices(nullptr, 0);
    device_->SetStreamSource(0, nullptr, 0);
    ReleaseAll({long_, i64, i65});
}

TEST_F(DrawBatch, ATextureRewrittenBetweenTwoDrawsShowsItsOldTexelsInTheFirst)
{
    const auto frame = [&](bool batched) {
        platform::EnableDrawBatching(device_, batched);
        std::vector<DWORD> texels(64, 0xFF0040FFU);
        IDirect3DTexture8* changing = MakeTexture(8, 8, D3DFMT_A8R8G8B8, texels);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0F, 0);
        device_->BeginScene();
        ParticleStates();
        device_->SetTexture(0, changing);
        DrawParticle(3);
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(changing->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const DWORD red = 0xFFFF2000U;
                std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, &red, 4);
            }
        }
        changing->UnlockRect(0);
        DrawParticle(25);
        device_->EndScene();
        device_->SetTexture(0, nullptr);
        changing->Release();
        return Read();
    };
    const platform::RgbaImage alone = frame(false);
    const platform::RgbaImage merged = frame(true);
    EXPECT_TRUE(qmtest::SamePicture(merged, alone, 0, 0));
    // Particle 3 (upper row, left) kept its blue texels.
    const std::uint8_t* p = merged.At(51, 68);
    EXPECT_GT(p[2], p[0]) << int(p[0]) << " " << int(p[1]) << " " << int(p[2]);
}

TEST_F(DrawBatch, OverlappingBlendedSpritesMergedAreTheSpritesDrawnOneByOne)
{
    const auto frame = [&](bool batched, std::uint64_t* glDraws) {
        platform::EnableDrawBatching(device_, batched);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040, 1.0F, 0);
        device_->BeginScene();
        ScreenStates();
        device_->SetTexture(0, texture_);
        States({{D3DRS_ALPHABLENDENABLE, TRUE}, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}});
        const std::uint64_t before = platform::GlDrawCount(device_);
        for (int i = 0; i < 20; ++i) {
            const float x = 4.0F + 5.0F * float(i);
            const float y = 6.0F + 3.0F * float(i % 6);
            DrawRect(x, y, x + 21.0F, y + 17.0F,
                     (static_cast<DWORD>(0x40 + 9 * i) << 24) | ((0x30C0F0U ^ (0x0F0F0FU * DWORD(i))) & 0xFFFFFFU));
        }
        device_->EndScene();
        *glDraws = platform::GlDrawCount(device_) - before;
        device_->SetTexture(0, nullptr);
        return Read();
    };
    ExpectOneDrawAndTheSamePicture(frame, 20);
}

}  // namespace
