// Fixed-function drawing (pixel centres, combiners, alpha test, blending, culling, z, fog), texture formats
// and CopyRects.
#include "d3d8_fixture.h"
#include "support/alloc_probe.h"

namespace d3d8test {
namespace {

class Drawing : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        ASSERT_TRUE(MakeDevice());
        ASSERT_EQ(device_->BeginScene(), D3D_OK);
    }
    void TearDown() override
    {
        if (device_ != nullptr) {
            device_->EndScene();
        }
        DeviceTest::TearDown();
    }
    void Clear(D3DCOLOR color, DWORD flags = D3DCLEAR_TARGET, float z = 1.0F)
    {
        ASSERT_EQ(device_->Clear(0, nullptr, flags, color, z, 0), D3D_OK);
    }
};

TEST_F(Drawing, ScreenQuadMapsTexelsOntoPixelsWithDirect3DCentres)
{
    ScreenStates();
    std::vector<DWORD> texels(16);
    for (DWORD i = 0; i < 16; ++i) {
        texels[i] = 0xFF000000U | (i * 16) << 16 | (255 - i * 16) << 8 | (i % 4 * 60);
    }
    IDirect3DTexture8* texture = MakeTexture(4, 4, D3DFMT_A8R8G8B8, texels);
    ASSERT_NE(texture, nullptr);
    Clear(0xFF000000);
    device_->SetTexture(0, texture);
    Stage({{D3DTSS_MAGFILTER, D3DTEXF_POINT}, {D3DTSS_MINFILTER, D3DTEXF_POINT}});
    DrawRect(20, 10, 24, 14, 0xFFFFFFFF);
    const platform::RgbaImage image = Read();
    for (int i = 0; i < 16; ++i) {
        const std::uint8_t* p = image.At(20 + i % 4, 10 + i / 4);
        EXPECT_EQ(p[0], (texels[i] >> 16) & 0xFF) << i;
        EXPECT_EQ(p[1], (texels[i] >> 8) & 0xFF) << i;
        EXPECT_EQ(p[2], texels[i] & 0xFF) << i;
    }
    // Nothing spills onto the neighbouring pixels.
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(image.At(19, 10 + i)[1], 0);
        EXPECT_EQ(image.At(24, 10 + i)[1], 0);
        EXPECT_EQ(image.At(20 + i, 9)[1], 0);
        EXPECT_EQ(image.At(20 + i, 14)[1], 0);
    }
    device_->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(Drawing, StageZeroCombinesTextureAndDiffuseAndAlphaTestDiscardsAlphaZero)
{
    ScreenStates();
    IDirect3DTexture8* texture = MakeTexture(2, 2, D3DFMT_A8R8G8B8, std::vector<DWORD>(4, 0xFFC86432));
    ASSERT_NE(texture, nullptr);
    device_->SetTexture(0, texture);
    Clear(0xFF000000);
    DrawRect(0, 0, 40, 40, 0xFF80FF40);  // modulate: texture × diffuse
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    DrawRect(40, 0, 80, 40, 0xFF80FF40);  // texture alone
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    DrawRect(80, 0, 120, 40, 0xFF80FF40);  // diffuse alone
    Stage({{D3DTSS_COLOROP, D3DTOP_SELECTARG1}, {D3DTSS_COLORARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT}});
    DrawRect(40, 44, 80, 60, 0xFF80FF40);  // 1 - texture
    Stage({{D3DTSS_COLOROP, D3DTOP_MODULATE}, {D3DTSS_COLORARG1, D3DTA_TEXTURE}});
    device_->SetTexture(0, nullptr);
    DrawRect(0, 44, 40, 60, 0xFF80FF40);  // no texture: the diffuse colour shows
    ExpectArea(2, 46, 38, 58, {0x80, 0xFF, 0x40, 255}, 1, "untextured modulate");
    ExpectArea(2, 2, 38, 38, {0xC8 * 0x80 / 255, 0x64, 0x32 * 0x40 / 255, 255}, 2, "modulate");
    ExpectArea(42, 2, 78, 38, {0xC8, 0x64, 0x32, 255}, 1, "selectarg1");
    ExpectArea(82, 2, 118, 38, {0x80, 0xFF, 0x40, 255}, 1, "selectarg2");
    ExpectArea(42, 46, 78, 58, {55, 155, 205, 255}, 1, "complemented texture");
    texture->Release();

    ScreenStates();
    States({{D3DRS_ALPHATESTENABLE, TRUE}, {D3DRS_ALPHAREF, 0}, {D3DRS_ALPHAFUNC, D3DCMP_NOTEQUAL}});
    texture = MakeTexture(2, 1, D3DFMT_A8R8G8B8, {0x00FF0000, 0xFF00FF00, 0, 0, 0});
    device_->SetTexture(0, texture);
    Clear(0xFF0000FF);
    DrawRect(0, 0, 100, 60, 0xFFFFFFFF);
    ExpectArea(2, 2, 48, 58, {0, 0, 255, 255}, 0, "alpha 0 discarded");
    ExpectArea(52, 2, 98, 58, {0, 255, 0, 255}, 0, "alpha 255 drawn");
    device_->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(Drawing, EveryBlendPairOfThePresetsAndScreenModes)
{
    ScreenStates();
    DiffuseOnly();
    // Destination (200, 100, 40); source (100, 200, 60) with alpha 128.
    const DWORD dest = 0xFFC86428;
    const DWORD source = 0x8064C83C;
    auto mix = [](int s, int d) { return (s * 128 + d * 127 + 127) / 255; };
    const struct {
        DWORD src, dest;
        Rgba want;
        DWORD op = D3DBLENDOP_ADD;
    } cases[] = {
        {D3DBLEND_ONE, D3DBLEND_ZERO, {100, 200, 60, 0}},
        {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, {mix(100, 200), mix(200, 100), mix(60, 40), 0}},
        {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, {200 * 100 / 255, 100 * 200 / 255, 40 * 60 / 255, 0}},
        {D3DBLEND_ONE, D3DBLEND_ONE, {255, 255, 100, 0}},
        {D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, {100 * 55 / 255, 200 * 155 / 255, 60 * 215 / 255, 0}},
        // Source minus destination, then destination minus source, each clamped at 0.
        {D3DBLEND_ONE, D3DBLEND_ONE, {0, 100, 20, 0}, D3DBLENDOP_SUBTRACT},
        {D3DBLEND_ONE, D3DBLEND_ONE, {100, 0, 0, 0}, D3DBLENDOP_REVSUBTRACT},
    };
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    for (const auto& c : cases) {
        Clear(dest);
        States({{D3DRS_SRCBLEND, c.src}, {D3DRS_DESTBLEND, c.dest}, {D3DRS_BLENDOP, c.op}});
        DrawRect(10, 10, 90, 80, source);
        const std::string what = "blend " + std::to_string(c.src) + "/" + std::to_string(c.dest) + " op " +
                                 std::to_string(c.op);
        ExpectArea(12, 12, 88, 78, c.want, 2, what);
        ExpectArea(100, 10, 120, 80, {200, 100, 40, 0}, 0, what + " outside");
    }
}

TEST_F(Drawing, StageZeroTakesTheTexturesAlphaByDefault)
{
    // Only the render states: stage 0 stays as the device starts it.
    device_->SetVertexShader(kFvfScreen);
    States({{D3DRS_ZENABLE, FALSE}, {D3DRS_CULLMODE, D3DCULL_NONE}, {D3DRS_FOGENABLE, FALSE},
            {D3DRS_LIGHTING, FALSE}, {D3DRS_ALPHABLENDENABLE, TRUE}, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
            {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}});
    IDirect3DTexture8* texture = MakeTexture(2, 2, D3DFMT_A8R8G8B8, std::vector<DWORD>(4, 0x40FFFFFF));
    ASSERT_NE(texture, nullptr);
    device_->SetTexture(0, texture);
    Clear(0xFF000000);
    DrawRect(0, 0, 60, 40, 0x80FFFFFF);
    // Texture alpha 64 alone; texture × diffuse would give 32.
    ExpectArea(2, 2, 58, 38, {64, 64, 64, 0}, 2, "default alpha");
    device_->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(Drawing, BackFacesAreCulledInDirect3DWinding)
{
    ScreenStates();
    DiffuseOnly();
    // On screen (y down) the first triangle turns clockwise, the second counter-clockwise.
    auto sv = [](float x, float y, DWORD c) { return ScreenVertex{x, y, 0.5F, 1, c, 0, 0, 0}; };
    auto mv = [](float x, float y, DWORD c) { return MeshVertex{x, y, 0.5F, c, 0, 0}; };
    const DWORD r = 0xFFFF0000, g = 0xFF00FF00;
    const ScreenVertex cw[3] = {sv(10, 10, r), sv(50, 10, r), sv(10, 50, r)};
    const ScreenVertex ccw[3] = {sv(70, 10, g), sv(70, 50, g), sv(110, 10, g)};
    // The same with transformed vertices: the upper half of clip space is the top of the picture.
    const MeshVertex top[3] = {mv(-0.9F, 0.9F, r), mv(0.9F, 0.9F, r), mv(-0.9F, 0.1F, r)};
    const MeshVertex bottom[3] = {mv(-0.9F, -0.1F, g), mv(-0.9F, -0.9F, g), mv(0.9F, -0.1F, g)};
    const Rgba black{0, 0, 0, 0};
    const struct {
        DWORD mode;
        bool cwDrawn, ccwDrawn;
    } modes[] = {{D3DCULL_CCW, true, false}, {D3DCULL_CW, false, true}, {D3DCULL_NONE, true, true}};
    const D3DXMATRIX id = Identity();
    SetTransforms(id, id, id);
    for (const auto& m : modes) {
        Clear(0xFF000000);
        device_->SetRenderState(D3DRS_CULLMODE, m.mode);
        device_->SetVertexShader(kFvfScreen);
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, cw, sizeof cw[0]);
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, ccw, sizeof ccw[0]);
        ExpectArea(14, 14, 20, 20, m.cwDrawn ? Rgba{255, 0, 0, 0} : black, 0, "screen cw");
        ExpectArea(74, 14, 80, 20, m.ccwDrawn ? Rgba{0, 255, 0, 0} : black, 0, "screen ccw");
        Clear(0xFF000000);
        device_->SetVertexShader(kFvfMesh);
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, top, sizeof top[0]);
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, bottom, sizeof bottom[0]);
        ExpectArea(10, 10, 20, 16, m.cwDrawn ? Rgba{255, 0, 0, 0} : black, 0, "clip cw (top)");
        ExpectArea(10, 80, 20, 86, m.ccwDrawn ? Rgba{0, 255, 0, 0} : black, 0, "clip ccw (bottom)");
    }
}

TEST_F(Drawing, ZTestAndZWrite)
{
    ScreenStates();
    DiffuseOnly();
    States({{D3DRS_ZENABLE, D3DZB_TRUE}, {D3DRS_ZFUNC, D3DCMP_LESSEQUAL}, {D3DRS_ZWRITEENABLE, TRUE}});
    const Rgba red{255, 0, 0, 0};
    const Rgba green{0, 255, 0, 0};
    Clear(0xFF000000, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    DrawRect(10, 10, 50, 50, 0xFFFF0000, 0.2F);
    DrawRect(0, 0, 100, 80, 0xFF00FF00, 0.6F);
    ExpectArea(12, 12, 48, 48, red, 0, "near stays in front");
    ExpectArea(60, 10, 90, 70, green, 0, "far drawn where nothing is nearer");

    // Without z writes the near quad leaves the far one free to cover it.
    Clear(0xFF000000, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    DrawRect(10, 10, 50, 50, 0xFFFF0000, 0.2F);
    DrawRect(0, 0, 100, 80, 0xFF00FF00, 0.6F);
    ExpectArea(12, 12, 48, 48, green, 0, "no z write");
}

// Each depth test, for shapes nearer than, level with and farther than the one drawn first: the
// game draws a second pass at the same depth with less-or-equal.
TEST_F(Drawing, EveryDepthTestAgainstANearerALevelAndAFartherShape)
{
    ScreenStates();
    DiffuseOnly();
    States({{D3DRS_ZENABLE, D3DZB_TRUE}, {D3DRS_ZWRITEENABLE, TRUE}});
    const Rgba red{255, 0, 0, 0};
    const Rgba green{0, 255, 0, 0};
    const struct {
        D3DCMPFUNC func;
        bool nearer, level, farther;  // drawn over the first
    } cases[] = {
        {D3DCMP_NEVER, false, false, false},       {D3DCMP_LESS, true, false, false},
        {D3DCMP_EQUAL, false, true, false},        {D3DCMP_LESSEQUAL, true, true, false},
        {D3DCMP_GREATER, false, false, true},      {D3DCMP_NOTEQUAL, true, false, true},
        {D3DCMP_GREATEREQUAL, false, true, true},  {D3DCMP_ALWAYS, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.func);
        Clear(0xFF000000, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
        device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
        DrawRect(0, 0, 96, 32, 0xFFFF0000, 0.5F);
        device_->SetRenderState(D3DRS_ZFUNC, c.func);
        DrawRect(0, 0, 32, 32, 0xFF00FF00, 0.25F);
        DrawRect(32, 0, 64, 32, 0xFF00FF00, 0.5F);
        DrawRect(64, 0, 96, 32, 0xFF00FF00, 0.75F);
        ExpectArea(0, 0, 32, 32, c.nearer ? green : red, 0, "nearer");
        ExpectArea(32, 0, 64, 32, c.level ? green : red, 0, "level");
        ExpectArea(64, 0, 96, 32, c.farther ? green : red, 0, "farther");
    }
}

TEST_F(Drawing, LinearVertexFogByViewDepth)
{
    States({{D3DRS_LIGHTING, FALSE}, {D3DRS_ZENABLE, FALSE}, {D3DRS_CULLMODE, D3DCULL_NONE}, {D3DRS_FOGENABLE, TRUE},
            {D3DRS_FOGCOLOR, 0xFF0000FF}, {D3DRS_FOGTABLEMODE, D3DFOG_NONE}, {D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR},
            {D3DRS_RANGEFOGENABLE, FALSE}, {D3DRS_FOGSTART, Bits(0.0F)}, {D3DRS_FOGEND, Bits(10.0F)}});
    DiffuseOnly();
    D3DXMATRIX proj;
    D3DXMatrixPerspectiveFovLH(&proj, 1.5707964F, static_cast<float>(kWidth) / kHeight, 1.0F, 100.0F);
    const D3DXMATRIX id = Identity();
    SetTransforms(id, id, proj);
    Clear(0xFF000000);
    device_->SetVertexShader(kFvfMesh);
    // Left half at depth 5 (half fogged), right half at depth 2.5 (a quarter).
    auto quad = [&](float x0, float x1, float z) {
        const float s = z * 2.0F;
        const MeshVertex v[4] = {{x0 * s, s, z, 0xFFFFFFFF, 0, 0}, {x1 * s, s, z, 0xFFFFFFFF, 0, 0},
                                 {x0 * s, -s, z, 0xFFFFFFFF, 0, 0}, {x1 * s, -s, z, 0xFFFFFFFF, 0, 0}};
        device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof v[0]);
    };
    quad(-2.0F, 0.0F, 5.0F);
    quad(0.0F, 2.0F, 2.5F);
    ExpectArea(4, 4, kWidth / 2 - 4, kHeight - 4, {128, 128, 255, 0}, 3, "depth 5");
    ExpectArea(kWidth / 2 + 4, 4, kWidth - 4, kHeight - 4, {191, 191, 255, 0}, 3, "depth 2.5");
}

// Draws set only what changed since the last one: a stage's sampling, once changed, reaches every
// texture drawn with it (also one sampled before the change), and a lit mesh without vertex colours
// takes the material's diffuse even right after one whose colour followed the vertices.
TEST_F(Drawing, StateChangedBetweenDrawsReachesTheNextDraw)
{
    ScreenStates();
    Clear(0xFF000000);
    IDirect3DTexture8* first = MakeTexture(2, 1, D3DFMT_A8R8G8B8, {0xFF000000, 0xFFFFFFFF});
    IDirect3DTexture8* second = MakeTexture(2, 1, D3DFMT_A8R8G8B8, {0xFF000000, 0xFFFFFFFF});
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    auto draw = [&](IDirect3DTexture8* t, float y) {
        device_->SetTexture(0, t);
        DrawRect(0, y, 32, y + 4, 0xFFFFFFFF);
    };
    Stage({{D3DTSS_MAGFILTER, D3DTEXF_POINT}, {D3DTSS_MINFILTER, D3DTEXF_POINT}});
    draw(first, 0);
    Stage({{D3DTSS_MAGFILTER, D3DTEXF_LINEAR}, {D3DTSS_MINFILTER, D3DTEXF_LINEAR}});
    draw(second, 8);
    draw(first, 16);
    Stage({{D3DTSS_MAGFILTER, D3DTEXF_POINT}, {D3DTSS_MINFILTER, D3DTEXF_POINT}});
    draw(first, 24);
    device_->SetTexture(0, nullptr);
    const platform::RgbaImage image = Read();
    // Point sampling steps from black to white at the middle; linear sampling passes through grey.
    for (int y : {0, 24}) {
        EXPECT_EQ(image.At(15, y + 1)[0], 0) << y;
        EXPECT_EQ(image.At(16, y + 1)[0], 255) << y;
    }
    for (int y : {8, 16}) {
        EXPECT_GT(image.At(15, y + 1)[0], 60) << y;
        EXPECT_LT(image.At(15, y + 1)[0], 195) << y;
    }
    ReleaseAll({first, second});

    struct LitVertex {
        float x, y, z;
        float nx, ny, nz;
        DWORD diffuse;
    };
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0F, 1.0F, 1.0F, 1.0F};
    light.Direction = {0.0F, 0.0F, 1.0F};
    ASSERT_EQ(device_->SetLight(0, &light), D3D_OK);
    ASSERT_EQ(device_->LightEnable(0, TRUE), D3D_OK);
    D3DMATERIAL8 material{};
    material.Diffuse = {0.0F, 1.0F, 0.0F, 1.0F};
    ASSERT_EQ(device_->SetMaterial(&material), D3D_OK);
    States({{D3DRS_LIGHTING, TRUE}, {D3DRS_AMBIENT, 0}, {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1}});
    DiffuseOnly();
    const D3DXMATRIX id = Identity();
    SetTransforms(id, id, id);
    // Left half of the screen with red vertex colours, then the right half without any.
    const LitVertex left[4] = {{-1, 1, 0.5F, 0, 0, -1, 0xFFFF0000}, {0, 1, 0.5F, 0, 0, -1, 0xFFFF0000},
                               {-1, -1, 0.5F, 0, 0, -1, 0xFFFF0000}, {0, -1, 0.5F, 0, 0, -1, 0xFFFF0000}};
    device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, left, sizeof left[0]), D3D_OK);
    const float right[4][6] = {{0, 1, 0.5F, 0, 0, -1}, {1, 1, 0.5F, 0, 0, -1}, {0, -1, 0.5F, 0, 0, -1},
                               {1, -1, 0.5F, 0, 0, -1}};
    device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, right, sizeof right[0]), D3D_OK);
    ExpectArea(4, 4, kWidth / 2 - 4, kHeight - 4, {255, 0, 0, 0}, 3, "vertex colour");
    ExpectArea(kWidth / 2 + 4, 4, kWidth - 4, kHeight - 4, {0, 255, 0, 0}, 3, "material");
}

TEST_F(Drawing, DrawsRefuseIndicesAndRangesOutsideTheirBuffers)
{
    ScreenStates();
    const ScreenVertex v[3] = {};
    const WORD bad[3] = {0, 1, 3};
    EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, bad, D3DFMT_INDEX16, v, sizeof v[0]),
              D3DERR_INVALIDCALL);
    IDirect3DVertexBuffer8* vb = MakeBuffer<IDirect3DVertexBuffer8>(nullptr, sizeof v, kFvfScreen);
    IDirect3DIndexBuffer8* ib = MakeBuffer<IDirect3DIndexBuffer8>(bad, sizeof bad);
    device_->SetStreamSource(0, vb, sizeof(ScreenVertex));
    device_->SetIndices(ib, 0);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 1, 1), D3DERR_INVALIDCALL);  // past the indices
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 1), D3DERR_INVALIDCALL);              // past the vertices
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    BYTE* p = nullptr;
    EXPECT_EQ(vb->Lock(0, 1000, &p, 0), D3DERR_INVALIDCALL);
    device_->SetStreamSource(0, nullptr, 0);
    device_->SetIndices(nullptr, 0);
    ReleaseAll({vb, ib});
}

TEST_F(Drawing, IndexRangesAreKeptPerRunAndForgottenWhenTheBufferIsLocked)
{
    ScreenStates();
    const ScreenVertex v[3] = {};
    const WORD indices[6] = {0, 1, 2, 0, 1, 3};  // the second run reaches one past the last vertex
    IDirect3DVertexBuffer8* vb = MakeBuffer<IDirect3DVertexBuffer8>(v, sizeof v, kFvfScreen);
    IDirect3DIndexBuffer8* ib = MakeBuffer<IDirect3DIndexBuffer8>(indices, sizeof indices);
    device_->SetVertexShader(kFvfScreen);
    device_->SetStreamSource(0, vb, sizeof(ScreenVertex));
    device_->SetIndices(ib, 0);
    for (int pass = 0; pass < 2; ++pass) {  // the second pass answers from what the first found
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3D_OK);
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 3, 1), D3DERR_INVALIDCALL);
    }
    BYTE* p = nullptr;
    ASSERT_EQ(ib->Lock(0, 6, &p, 0), D3D_OK);
    const WORD past[3] = {0, 3, 1};
    std::memcpy(p, past, sizeof past);
    ib->Unlock();
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL);
    ASSERT_EQ(ib->Lock(6, 6, &p, 0), D3D_OK);
    const WORD last[3] = {2, 1, 0};
    std::memcpy(p, last, sizeof last);
    ib->Unlock();
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 3, 1), D3D_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL);
    // A base vertex moves the whole range: index 2 is then past the end as well.
    device_->SetIndices(ib, 1);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 3, 1), D3DERR_INVALIDCALL);
    device_->SetStreamSource(0, nullptr, 0);
    device_->SetIndices(nullptr, 0);
    ReleaseAll({vb, ib});
}

// What the benchmarks read of the memory sent to GL: a texture write counts its rectangle, a
// buffer the bytes written since its last draw, once.
TEST_F(Drawing, UploadsCountTheTexelsAndBufferBytesSentToGl)
{
    const platform::D3D8Uploads before = platform::GlUploads(device_);
    IDirect3DTexture8* texture = MakeTexture(8, 4, D3DFMT_A8R8G8B8, std::vector<DWORD>(32, 0xFF00FF00U));
    D3DLOCKED_RECT locked{};
    const RECT part{2, 1, 6, 3};
    ASSERT_EQ(texture->LockRect(0, &locked, &part, 0), D3D_OK);
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    platform::D3D8Uploads now = platform::GlUploads(device_);
    EXPECT_EQ(now.textures - before.textures, 2U);
    EXPECT_EQ(now.textureBytes - before.textureBytes, 128U + 32U);

    const MeshVertex v[3] = {{0.0F, 0.0F, 1.0F, 0xFFFFFFFFU, 0.0F, 0.0F},
                             {1.0F, 0.0F, 1.0F, 0xFFFFFFFFU, 1.0F, 0.0F},
                             {0.0F, 1.0F, 1.0F, 0xFFFFFFFFU, 0.0F, 1.0F}};
    IDirect3DVertexBuffer8* vb = MakeBuffer<IDirect3DVertexBuffer8>(v, sizeof v, kFvfMesh);
    device_->SetVertexShader(kFvfMesh);
    device_->SetStreamSource(0, vb, sizeof(MeshVertex));
    const std::uint64_t made = platform::GlUploads(device_).bufferBytes;
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    EXPECT_EQ(platform::GlUploads(device_).bufferBytes - made, 72U);  // as written when it was made
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    EXPECT_EQ(platform::GlUploads(device_).bufferBytes - made, 72U);
    BYTE* p = nullptr;
    ASSERT_EQ(vb->Lock(24, 24, &p, 0), D3D_OK);
    vb->Unlock();
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    EXPECT_EQ(platform::GlUploads(device_).bufferBytes - made, 96U);
    now = platform::GlUploads(device_);
    EXPECT_EQ(now.textures - before.textures, 2U);
    device_->SetStreamSource(0, nullptr, 0);
    ReleaseAll({vb, texture});
}

// A buffer with more runs than are remembered: each answer is still the run's own, on the first
// pass and on a second one that finds the oldest replaced. Remembering allocates nothing, not
// even for a new buffer (effects make theirs as they start).
TEST_F(Drawing, MoreRunsThanAreRememberedStillAnswerEachItsOwnWay)
{
    ScreenStates();
    const ScreenVertex v[3] = {};
    constexpr int kRuns = 65;  // one more than are remembered
    std::vector<WORD> indices;
    for (int run = 0; run < kRuns; ++run) {
        // Odd runs reach one past the last vertex.
        indices.insert(indices.end(), {0, 1, static_cast<WORD>(run % 2 == 0 ? 2 : 3)});
    }
    const auto bytes = static_cast<UINT>(indices.size() * sizeof(WORD));
    IDirect3DVertexBuffer8* vb = MakeBuffer<IDirect3DVertexBuffer8>(v, sizeof v, kFvfScreen);
    IDirect3DIndexBuffer8* first = MakeBuffer<IDirect3DIndexBuffer8>(indices.data(), bytes);
    IDirect3DIndexBuffer8* second = MakeBuffer<IDirect3DIndexBuffer8>(indices.data(), bytes);
    device_->SetVertexShader(kFvfScreen);
    device_->SetStreamSource(0, vb, sizeof(ScreenVertex));
    int pass = 0;
    for (IDirect3DIndexBuffer8* ib : {first, second, second}) {
        device_->SetIndices(ib, 0);
        qmtest::AllocationProbe probe(true);
        for (int run = 0; run < kRuns; ++run) {
            EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, static_cast<UINT>(run) * 3, 1),
                      run % 2 == 0 ? D3D_OK : D3DERR_INVALIDCALL)
                << "pass " << pass << ", run " << run;
        }
        // The frame ends with what was drawn.
        device_->EndScene();
        device_->BeginScene();
        // The first pass may still size the device's own draw lists.
        if (pass > 0) {
            EXPECT_EQ(probe.OwnThreadAllocations() - probe.OwnThreadDriverAllocations(), 0) << "pass " << pass;
        }
        ++pass;
    }
    device_->SetStreamSource(0, nullptr, 0);
    device_->SetIndices(nullptr, 0);
    ReleaseAll({vb, first, second});
}

TEST_F(Drawing, EveryFormatUploadsAsItLiesInMemory)
{
    ScreenStates();
    const struct {
        D3DFORMAT format;
        DWORD opaque;  // texel drawn on the left
        Rgba opaqueWant;
        DWORD partial;     // texel drawn on the right, blended with its alpha over black
        Rgba partialWant;  // rgb × alpha
    } cases[] = {
        {D3DFMT_A8R8G8B8, 0xFFC86432, {0xC8, 0x64, 0x32, 0}, 0x80FF8040, {128, 64, 32, 0}},
        {D3DFMT_X8R8G8B8, 0x00C86432, {0xC8, 0x64, 0x32, 0}, 0x00FF8040, {255, 128, 64, 0}},
        // Blue 0xFF, green 0x80, red 0: 0x041F.
        {D3DFMT_R5G6B5, 0x041F, {0, 130, 255, 0}, 0xF800, {255, 0, 0, 0}},
        {D3DFMT_X1R5G5B5, 0x7C00, {255, 0, 0, 0}, 0x03E0, {0, 255, 0, 0}},
        {D3DFMT_A1R5G5B5, 0xFC00, {255, 0, 0, 0}, 0x03E0, {0, 0, 0, 0}},
        // Alpha 0x80 from the alpha layer: 0x808F (alpha 0x88, green 0x88, blue 0xFF).
        {D3DFMT_A4R4G4B4, 0xF0F0, {0, 255, 0, 0}, 0x808F, {0, 0x88 * 0x88 / 255, 0x88, 0}},
        {D3DFMT_X4R4G4B4, 0x0F80, {255, 0x88, 0, 0}, 0x000F, {0, 0, 255, 0}},
    };
    States({{D3DRS_ALPHABLENDENABLE, TRUE}, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA}, {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}});
    for (const auto& c : cases) {
        IDirect3DTexture8* t = MakeTexture(2, 1, c.format, {c.opaque, c.partial});
        ASSERT_NE(t, nullptr) << c.format;
        device_->SetTexture(0, t);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0F, 0);
        DrawRect(0, 0, 100, 40, 0xFFFFFFFF);
        const std::string name = "format " + std::to_string(c.format);
        ExpectArea(2, 2, 48, 38, c.opaqueWant, 3, name + " opaque");
        ExpectArea(52, 2, 98, 38, c.partialWant, 3, name + " with alpha");
        device_->SetTexture(0, nullptr);
        t->Release();
    }
}

TEST_F(Drawing, FullMipChainAndLockGuards)
{
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device_->CreateTexture(64, 16, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &t), D3D_OK);
    EXPECT_EQ(t->GetLevelCount(), 7U);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(t->GetLevelDesc(6, &desc), D3D_OK);
    EXPECT_TRUE(desc.Width == 1U && desc.Height == 1U);
    EXPECT_EQ(t->GetLevelDesc(7, &desc), D3DERR_INVALIDCALL);
    D3DLOCKED_RECT whole{};
    ASSERT_EQ(t->LockRect(0, &whole, nullptr, 0), D3D_OK);
    EXPECT_EQ(t->LockRect(0, &whole, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL);
    const RECT outside{60, 0, 65, 4};
    EXPECT_EQ(t->LockRect(0, &whole, &outside, 0), D3DERR_INVALIDCALL);
    t->Release();
}

TEST_F(Drawing, CopyRectsFromARenderTargetIntoAnImage)
{
    ScreenStates();
    IDirect3DSurface8 *target = nullptr, *oldTarget = nullptr;
    ASSERT_EQ(device_->CreateRenderTarget(32, 24, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, FALSE, &target), D3D_OK);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(target->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);  // not lockable
    ASSERT_EQ(device_->GetRenderTarget(&oldTarget), D3D_OK);
    ASSERT_EQ(device_->SetRenderTarget(target, nullptr), D3D_OK);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0F, 0);
    DrawRect(0, 0, 32, 4, 0xFFFFFF00);
    device_->SetRenderTarget(oldTarget, nullptr);

    IDirect3DSurface8* image = nullptr;
    ASSERT_EQ(device_->CreateImageSurface(32, 24, D3DFMT_X8R8G8B8, &image), D3D_OK);
    ASSERT_EQ(device_->CopyRects(target, nullptr, 0, image, nullptr), D3D_OK);
    ASSERT_EQ(image->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    auto pixel = [&](int x, int y) {
        DWORD p = 0;
        std::memcpy(&p, static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
        return p & 0xFFFFFF;
    };
    EXPECT_EQ(pixel(0, 0), 0xFFFF00U);
    EXPECT_EQ(pixel(31, 3), 0xFFFF00U);
    EXPECT_EQ(pixel(0, 4), 0x0000FFU);
    EXPECT_EQ(pixel(31, 23), 0x0000FFU);
    image->UnlockRect();

    // Part of the target into another place of a texture level, then drawn.
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(32, 32, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    IDirect3DSurface8* level = nullptr;
    texture->GetSurfaceLevel(0, &level);
    const RECT band{0, 0, 32, 4};
    const POINT to{0, 28};
    ASSERT_EQ(device_->CopyRects(image, &band, 1, level, &to), D3D_OK);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTexture(0, texture);
    Clear(0xFF000000);
    DrawRect(0, 0, 32, 32, 0xFFFFFFFF);
    ExpectArea(0, 28, 32, 32, {255, 255, 0, 0}, 0, "copied band");
    ExpectArea(0, 0, 32, 28, {0, 0, 0, 0}, 0, "rest of the texture");

    // Formats must match and rectangles stay inside both surfaces.
    IDirect3DSurface8* other = nullptr;
    ASSERT_EQ(device_->CreateImageSurface(32, 24, D3DFMT_R5G6B5, &other), D3D_OK);
    EXPECT_EQ(device_->CopyRects(target, nullptr, 0, other, nullptr), D3DERR_INVALIDCALL);
    const RECT tooBig{0, 0, 33, 4};
    EXPECT_EQ(device_->CopyRects(target, &tooBig, 1, image, nullptr), D3DERR_INVALIDCALL);
    const POINT offEdge{10, 22};
    EXPECT_EQ(device_->CopyRects(target, &band, 1, image, &offEdge), D3DERR_INVALIDCALL);

    device_->SetTexture(0, nullptr);
    ReleaseAll({other, level, image, target, oldTarget, texture});
}

}  // namespace
}  // namespace d3d8test
