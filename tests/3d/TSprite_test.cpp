// Sprites on the device: corners, scale, hiding, the screen modes and their pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "dx/dx8/3d/TSprite.h"
#include "MainCode/GameData/TWeponTable.h"
#include "graphics2d_fixture.h"
#include "platform/d3dx8/d3dx8.h"
#include "support/golden.h"

namespace {

class SpriteTest : public qmtest::Graphics2D {
protected:
    void TearDown() override
    {
        platform::EnableDrawLog(device(), false);
        TSprite::SetRenderMode(1);
        Graphics2D::TearDown();
    }

    std::size_t Draws()
    {
        const std::size_t n = platform::DrawLog(device()).size();
        platform::ClearDrawLog(device());
        return n;
    }

    // The picture of the sprite tests: the test picture plain, stretched and turned, and a
    // rectangle in four corner colours, all on the 640 × 480 screen.
    void DrawSpriteScene()
    {
        BeginFrame(0xFF203040);
        TSprite::SetRenderMode(1);
        TSprite sprite = TSprite::FromFile("sprite.ptx/picture", D3DPOOL_MANAGED, 0);
        sprite.Draw(10, 20, false);
        sprite.Draw(100, 20, 256, 128, false);
        D3DXMATRIX turn;
        D3DXMatrixRotationZ(&turn, 0.5F);
        sprite.DrawTransformed(420, 40, 128, 64, &turn, false);
        // A half-transparent black rectangle over part of the stretched picture.
        TSprite rect;
        rect.SetColor(0x80000000, -1);
        rect.DrawRect(300, 80, 200, 120, false);
    }
};

TEST_F(SpriteTest, CornersFollowTheScaleWithTheHalfPixelShift)
{
    StartDevice(1280, 960);
    WritePackage("sprite.ptx", {TestPicture("picture")});
    TSprite sprite = TSprite::FromFile("sprite.ptx/picture", D3DPOOL_MANAGED, 0);
    EXPECT_EQ(sprite.GetWidth(), 64u);
    EXPECT_EQ(sprite.GetHeight(), 32u);
    EXPECT_FLOAT_EQ(TSprite::GetScaleX(), 2.0F);

    sprite.Draw(10, 20, false);
    const float want[4][4] = {{19.5F, 39.5F, 0, 0}, {147.5F, 39.5F, 1, 0}, {19.5F, 103.5F, 0, 1}, {147.5F, 103.5F, 1, 1}};
    for (int i = 0; i < 4; ++i) {
        const TSprite::Vertex& v = sprite.GetVertex(i);
        EXPECT_FLOAT_EQ(v.x, want[i][0]) << i;
        EXPECT_FLOAT_EQ(v.y, want[i][1]) << i;
        EXPECT_FLOAT_EQ(v.u, want[i][2]) << i;
        EXPECT_FLOAT_EQ(v.v, want[i][3]) << i;
        EXPECT_FLOAT_EQ(v.rhw, 1.0F);
        EXPECT_EQ(v.diffuse, 0xFFFFFFFFu);
    }
    sprite.Draw(10, 20, 5, 6, true);
    EXPECT_FLOAT_EQ(sprite.GetVertex(3).x, 14.5F) << "unscaled: pixels as given";
    EXPECT_FLOAT_EQ(sprite.GetVertex(3).y, 25.5F);

    // A quarter turn about the centre, without the half-pixel shift.
    D3DXMATRIX turn;
    D3DXMatrixRotationZ(&turn, static_cast<float>(M_PI / 2));
    sprite.DrawTransformed(0, 0, 40, 20, &turn, true);
    EXPECT_NEAR(sprite.GetVertex(0).x, 30.0F, 1e-4);
    EXPECT_NEAR(sprite.GetVertex(0).y, -10.0F, 1e-4);
    EXPECT_NEAR(sprite.GetVertex(3).x, 10.0F, 1e-4);
    EXPECT_NEAR(sprite.GetVertex(3).y, 30.0F, 1e-4);

    sprite.SetColor(0x11223344, 2);
    EXPECT_EQ(sprite.GetVertex(2).diffuse, 0x11223344u);
    EXPECT_EQ(sprite.GetVertex(1).diffuse, 0xFFFFFFFFu);
    sprite.SetColor(0x55667788, -1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sprite.GetVertex(i).diffuse, 0x55667788u);
    }
}

TEST_F(SpriteTest, HiddenModeAndSpritesWithoutTexture)
{
    StartDevice();
    WritePackage("sprite.ptx", {TestPicture("picture")});
    TSprite sprite = TSprite::FromFile("sprite.ptx/picture", D3DPOOL_MANAGED, 0);
    TSprite blank;
    EXPECT_EQ(blank.GetWidth(), 0u);
    platform::EnableDrawLog(device(), true);
    platform::ClearDrawLog(device());

    TSprite::SetRenderMode(1);
    blank.Draw(0, 0, 10, 10, false);
    EXPECT_EQ(Draws(), 0u) << "no texture, no Draw";
    sprite.Draw(0, 0, false);
    EXPECT_EQ(Draws(), 1u);
    blank.DrawRect(0, 0, 10, 10, false);
    ASSERT_EQ(platform::DrawLog(device()).size(), 1u) << "DrawRect needs no texture";
    EXPECT_EQ(platform::DrawLog(device())[0].texture, nullptr) << "and unbinds the last one";
    platform::ClearDrawLog(device());

    TSprite::SetRenderMode(5);
    EXPECT_TRUE(TSprite::IsHidden());
    sprite.Draw(0, 0, false);
    sprite.DrawTransformed(0, 0, 10, 10, nullptr, false);
    sprite.DrawRect(0, 0, 10, 10, false);
    EXPECT_EQ(Draws(), 0u);
    TSprite::SetRenderMode(9);  // never recorded: ignored, still hidden
    EXPECT_TRUE(TSprite::IsHidden());
    sprite.Draw(0, 0, false);
    EXPECT_EQ(Draws(), 0u);
    TSprite::SetRenderMode(0);
    sprite.Draw(0, 0, false);
    EXPECT_EQ(Draws(), 1u);
}

TEST_F(SpriteTest, EachModeRecordsItsBlendingAndSurvivesAReset)
{
    StartDevice();
    WritePackage("sprite.ptx", {TestPicture("picture")});
    TSprite sprite = TSprite::FromFile("sprite.ptx/picture", D3DPOOL_MANAGED, 0);
    const DWORD want[5][3] = {{D3DBLEND_ONE, D3DBLEND_ZERO, FALSE},
                              {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, TRUE},
                              {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, TRUE},
                              {D3DBLEND_ONE, D3DBLEND_ONE, TRUE},
                              {D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, TRUE}};
    auto check = [&](const char* when) {
        platform::EnableDrawLog(device(), true);
        for (int mode = 0; mode < 5; ++mode) {
            // Something else set in between must not leak into the mode.
            device()->SetRenderState(D3DRS_ZENABLE, TRUE);
            device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTALPHA);
            TSprite::SetRenderMode(mode);
            platform::ClearDrawLog(device());
            sprite.Draw(0, 0, false);
            ASSERT_EQ(platform::DrawLog(device()).size(), 1u) << when << " mode " << mode;
            const platform::D3D8DrawRecord& r = platform::DrawLog(device())[0];
            EXPECT_EQ(r.renderStates[D3DRS_SRCBLEND], want[mode][0]) << when << " mode " << mode;
            EXPECT_EQ(r.renderStates[D3DRS_DESTBLEND], want[mode][1]) << when << " mode " << mode;
            EXPECT_EQ(r.renderStates[D3DRS_ALPHABLENDENABLE], want[mode][2]) << when << " mode " << mode;
            EXPECT_EQ(r.renderStates[D3DRS_ZENABLE], 0u);
            EXPECT_EQ(r.renderStates[D3DRS_CULLMODE], static_cast<DWORD>(D3DCULL_NONE));
            EXPECT_EQ(r.vertexShader, TSprite::kFvf);
            EXPECT_EQ(r.stage0[D3DTSS_ADDRESSU], static_cast<DWORD>(D3DTADDRESS_CLAMP));
            EXPECT_EQ(r.stage0[D3DTSS_MAGFILTER], static_cast<DWORD>(D3DTEXF_LINEAR));
            EXPECT_EQ(r.stage0[D3DTSS_COLORARG1], D3DTA_TEXTURE);
            EXPECT_EQ(r.primitiveCount, 2u);
            EXPECT_EQ(r.texture, sprite.GetImage().GetTexture());
        }
        platform::EnableDrawLog(device(), false);
    };
    check("after start-up");
    platform::InjectDeviceLoss(device());
    EXPECT_FALSE(d3d()->CheckLostDevice());
    EXPECT_FALSE(d3d()->CheckLostDevice());
    ASSERT_TRUE(d3d()->CheckLostDevice());
    check("after a reset");
}

TEST_F(SpriteTest, PictureAt640x480)
{
    StartDevice();
    WritePackage("sprite.ptx", {TestPicture("picture")});
    DrawSpriteScene();
    EXPECT_TRUE(qmtest::MatchesGolden(EndFrame(), "sprite_640x480"));
}

TEST_F(SpriteTest, PictureAt1280x960IsTheSameScreenScaled)
{
    StartDevice(1280, 960);
    WritePackage("sprite.ptx", {TestPicture("picture")});
    DrawSpriteScene();
    const platform::RgbaImage big = EndFrame();
    EXPECT_TRUE(qmtest::MatchesGolden(big, "sprite_1280x960"));
    // The flat parts land where the 640 × 480 picture has them, twice as far.
    const std::uint8_t* red = big.At(2 * 20, 2 * 30);  // inside the first sprite's red quarter
    EXPECT_GT(red[0], 200);
    EXPECT_LT(red[1], 80);
}

TEST_F(SpriteTest, PictureOfEveryScreenMode)
{
    StartDevice();
    std::vector<qmtest::PtxColor> shades;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const auto v = static_cast<std::uint8_t>(240 - (x + y) * 16);
            shades.push_back({v, v, static_cast<std::uint8_t>(v / 2 + 60)});
        }
    }
    WritePackage("sprite.ptx", {TestPicture("picture"), qmtest::PtxImage::FromPixels("back", 0, 8, 8, shades)});
    BeginFrame(0xFF000000);
    // A background with light and dark parts: the modes differ over both.
    TSprite::SetRenderMode(0);
    TSprite::FromFile("sprite.ptx/back", D3DPOOL_MANAGED, 0).Draw(0, 0, 640, 480, false);
    TSprite sprite = TSprite::FromFile("sprite.ptx/picture", D3DPOOL_MANAGED, 0);
    for (int mode = 0; mode <= 5; ++mode) {
        TSprite::SetRenderMode(mode);
        sprite.Draw(20.0F + 100.0F * static_cast<float>(mode), 60, 90, 90, false);
        sprite.Draw(20.0F + 100.0F * static_cast<float>(mode), 300, 90, 90, false);
    }
    EXPECT_TRUE(qmtest::MatchesGolden(EndFrame(), "sprite_screen_modes"));
    // Mode 5 drew nothing: its place shows the background.
    TSprite::SetRenderMode(1);
}

}  // namespace

TEST_F(SpriteTest, RectanglesShowTheirCornerColours)
{
    StartDevice(640, 480);
    BeginFrame(0xFF000000);
    TSprite::SetRenderMode(1);
    TSprite rect;
    rect.SetColor(0xFF20C040, -1);
    rect.DrawRect(100, 100, 200, 100, false);
    TSprite corner;
    corner.SetColor(0xFF000000, -1);
    corner.SetColor(0xFFFF0000, 3);  // only the bottom-right corner red
    corner.DrawRect(400, 100, 100, 100, false);
    const platform::RgbaImage image = EndFrame();
    const std::uint8_t* mid = image.At(200, 150);
    EXPECT_NEAR(mid[0], 0x20, 2);
    EXPECT_NEAR(mid[1], 0xC0, 2);
    EXPECT_NEAR(mid[2], 0x40, 2);
    EXPECT_GT(image.At(497, 197)[0], 200);  // near the red corner
    EXPECT_LT(image.At(403, 103)[0], 20);   // near the black one
}

TEST_F(SpriteTest, WeaponIconsComeFromTheIconPackageByType)
{
    StartDevice(640, 480);
    WritePackage("itm_icon.ptx", {TestPicture("itm02_icon")});
    TWeponTable::Clear();
    const TSprite icon = TWeponTable::CreateIconSprite(1000);  // an unknown weapon: type 0
    EXPECT_EQ(icon.GetWidth(), 64u);
    EXPECT_EQ(icon.GetHeight(), 32u);
    const TSprite none = TWeponTable::CreateIconSprite(1001);
    EXPECT_EQ(none.GetWidth(), icon.GetWidth());  // same type, same picture
    TWeponTable::Clear();
}
