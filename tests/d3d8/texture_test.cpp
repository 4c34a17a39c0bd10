// Texture formats, mip chains, locking, render targets and CopyRects.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class Textures : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        ASSERT_TRUE(MakeDevice());
        device_->BeginScene();
        ScreenStates();
    }
    void TearDown() override
    {
        if (device_ != nullptr) {
            device_->SetTexture(0, nullptr);
            device_->EndScene();
        }
        DeviceTest::TearDown();
    }
    // Draws the texture alone over the rectangle on a black back buffer.
    void Show(IDirect3DBaseTexture8* texture, float x1, float y1)
    {
        device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device_->SetTexture(0, texture);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0F, 0);
        DrawRect(0, 0, x1, y1, 0xFFFFFFFF);
    }
};

TEST_F(Textures, EveryFormatUploadsAsItLiesInMemory)
{
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
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(t->GetLevelDesc(0, &desc), D3D_OK);
        EXPECT_EQ(desc.Format, c.format);
        device_->SetTexture(0, t);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0F, 0);
        DrawRect(0, 0, 100, 40, 0xFFFFFFFF);
        const std::string name = "format " + std::to_string(c.format);
        ExpectArea(2, 2, 48, 38, c.opaqueWant, 3, name + " opaque");
        ExpectArea(52, 2, 98, 38, c.partialWant, 3, name + " with alpha");
        device_->SetTexture(0, nullptr);
        t->Release();
    }
    IDirect3DTexture8* t = nullptr;
    EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &t), D3DERR_INVALIDCALL);
    EXPECT_EQ(t, nullptr);
}

TEST_F(Textures, FullMipChainAndLocking)
{
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device_->CreateTexture(64, 16, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &t), D3D_OK);
    EXPECT_EQ(t->GetLevelCount(), 7U);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(t->GetLevelDesc(6, &desc), D3D_OK);
    EXPECT_TRUE(desc.Width == 1U && desc.Height == 1U);
    ASSERT_EQ(t->GetLevelDesc(2, &desc), D3D_OK);
    EXPECT_TRUE(desc.Width == 16U && desc.Height == 4U);
    EXPECT_EQ(t->GetLevelDesc(7, &desc), D3DERR_INVALIDCALL);

    D3DLOCKED_RECT whole{};
    ASSERT_EQ(t->LockRect(0, &whole, nullptr, 0), D3D_OK);
    EXPECT_GE(whole.Pitch, 128);
    EXPECT_EQ(t->LockRect(0, &whole, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL);
    const RECT part{8, 2, 16, 4};
    D3DLOCKED_RECT sub{};
    ASSERT_EQ(t->LockRect(0, &sub, &part, 0), D3D_OK);
    ASSERT_EQ(t->LockRect(1, &whole, nullptr, 0), D3D_OK);  // levels lock on their own
    t->UnlockRect(1);
    t->UnlockRect(0);
    ASSERT_EQ(t->LockRect(0, &whole, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(static_cast<BYTE*>(sub.pBits) - static_cast<BYTE*>(whole.pBits), 2 * whole.Pitch + 8 * 2);
    t->UnlockRect(0);
    const RECT outside{60, 0, 65, 4};
    EXPECT_EQ(t->LockRect(0, &sub, &outside, 0), D3DERR_INVALIDCALL);
    t->Release();
}

TEST_F(Textures, RenderTargetTextureKeepsTheRowsTheWayTheyWereDrawn)
{
    IDirect3DTexture8* target = nullptr;
    ASSERT_EQ(device_->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target),
              D3D_OK);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(target->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    IDirect3DSurface8 *level = nullptr, *depth = nullptr, *oldTarget = nullptr, *oldDepth = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &level), D3D_OK);
    ASSERT_EQ(device_->CreateDepthStencilSurface(64, 64, D3DFMT_D16, D3DMULTISAMPLE_NONE, &depth), D3D_OK);
    ASSERT_EQ(device_->GetRenderTarget(&oldTarget), D3D_OK);
    ASSERT_EQ(device_->GetDepthStencilSurface(&oldDepth), D3D_OK);

    ASSERT_EQ(device_->SetRenderTarget(level, depth), D3D_OK);
    D3DVIEWPORT8 vp{};
    device_->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 64U);  // the viewport follows the new target
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFF0000, 1.0F, 0);
    DrawRect(0, 0, 64, 16, 0xFF00FF00);  // a green band at the top

    ASSERT_EQ(device_->SetRenderTarget(oldTarget, oldDepth), D3D_OK);
    Show(target, 64, 64);
    ExpectArea(1, 1, 63, 15, {0, 255, 0, 0}, 0, "band on top");
    ExpectArea(1, 17, 63, 63, {255, 0, 0, 0}, 0, "red below");
    EXPECT_EQ(device_->SetRenderTarget(depth, nullptr), D3DERR_INVALIDCALL);
    for (IDirect3DSurface8* s : {oldTarget, oldDepth, depth, level}) {
        s->Release();
    }
    device_->SetTexture(0, nullptr);
    target->Release();
}

TEST_F(Textures, CopyRectsFromARenderTargetIntoAnImage)
{
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
    Show(texture, 32, 32);
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

    for (IDirect3DSurface8* s : {other, level, image, target, oldTarget}) {
        s->Release();
    }
    device_->SetTexture(0, nullptr);
    texture->Release();
}

}  // namespace
}  // namespace d3d8test
