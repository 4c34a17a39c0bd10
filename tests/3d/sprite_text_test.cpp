// Sprites and text textures on the device: corners, scale, the screen modes, glyph cells, the ramp,
// uploads, ownership of the bitmap, and their pictures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MainCode/GameData/TWeponTable.h"

#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TText8.h"
#include "fixtures.h"
#include "platform/d3dx8/d3dx8.h"
#include "support/dx_probe.h"
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
    TSprite StartWithPicture(int width = 640, int height = 480)
    {
        StartDevice(width, height);
        WritePackage("sprite.ptx", {TestPicture("picture")});
        return TSprite::FromFile("sprite.ptx/picture", D3DPOOL_MANAGED, 0);
    }
    std::size_t Draws()
    {
        const std::size_t n = platform::DrawLog(device()).size();
        platform::ClearDrawLog(device());
        return n;
    }
    // The test picture plain, stretched and turned, and a half-transparent black rectangle.
    void DrawSpriteScene(TSprite& sprite)
    {
        BeginFrame(0xFF203040);
        TSprite::SetRenderMode(1);
        sprite.Draw(10, 20, false);
        sprite.Draw(100, 20, 256, 128, false);
        D3DXMATRIX turn;
        D3DXMatrixRotationZ(&turn, 0.5F);
        sprite.DrawTransformed(420, 40, 128, 64, &turn, false);
        TSprite rect;
        rect.SetColor(0x80000000, -1);
        rect.DrawRect(300, 80, 200, 120, false);
    }
};

TEST_F(SpriteTest, CornersFollowTheScaleWithTheHalfPixelShift)
{
    TSprite sprite = StartWithPicture(1280, 960);
    EXPECT_EQ(sprite.GetWidth(), 64u);
    sprite.Draw(10, 20, false);
    const float want[4][4] = {{19.5F, 39.5F, 0, 0}, {147.5F, 39.5F, 1, 0}, {19.5F, 103.5F, 0, 1}, {147.5F, 103.5F, 1, 1}};
    for (int i = 0; i < 4; ++i) {
        const TSprite::Vertex& v = sprite.GetVertex(i);
        EXPECT_FLOAT_EQ(v.x, want[i][0]) << i;
        EXPECT_FLOAT_EQ(v.y, want[i][1]) << i;
        EXPECT_FLOAT_EQ(v.u, want[i][2]) << i;
        EXPECT_FLOAT_EQ(v.v, want[i][3]) << i;
    }
}

TEST_F(SpriteTest, ABlankSpriteByNameIsMadeOnceAtItsFirstSize)
{
    StartDevice();
    TSprite first("blank sprite", 128, 32, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET);
    EXPECT_EQ(first.GetWidth(), 128u);
    EXPECT_EQ(first.GetHeight(), 32u);
    const TTexture8& image = TDxProbe::Image(first);
    ASSERT_TRUE(image.HasTexture());
    ASSERT_NE(TTexture8::Find("blank sprite"), nullptr);
    EXPECT_EQ(TTexture8::Find("blank sprite")->GetTexture(), image.GetTexture());
    D3DSURFACE_DESC desc{};
    ASSERT_TRUE(image.GetLevelDesc(0, &desc));
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
    const float uv[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(first.GetVertex(i).rhw, 1.0F) << i;
        EXPECT_EQ(first.GetVertex(i).diffuse, 0xFFFFFFFFu) << i;
        EXPECT_FLOAT_EQ(first.GetVertex(i).u, uv[i][0]) << i;
        EXPECT_FLOAT_EQ(first.GetVertex(i).v, uv[i][1]) << i;
    }
    // The same name again shares the cached texture whatever size and format it asks for.
    TSprite second("blank sprite", 16, 64, D3DFMT_R5G6B5, D3DPOOL_MANAGED, 0);
    EXPECT_EQ(TDxProbe::Image(second).GetTexture(), image.GetTexture());
    EXPECT_EQ(second.GetWidth(), 128u);
    EXPECT_EQ(second.GetHeight(), 32u);
}

TEST_F(SpriteTest, UnrecordedModesAreIgnored)
{
    TSprite sprite = StartWithPicture();
    platform::EnableDrawLog(device(), true);
    platform::ClearDrawLog(device());
    TSprite::SetRenderMode(5);
    EXPECT_TRUE(TDxProbe::IsHidden());
    sprite.Draw(0, 0, false);
    sprite.DrawTransformed(0, 0, 10, 10, nullptr, false);
    sprite.DrawRect(0, 0, 10, 10, false);
    EXPECT_EQ(Draws(), 0u);
    TSprite::SetRenderMode(9);  // never recorded: ignored, still hidden
    EXPECT_TRUE(TDxProbe::IsHidden());
    sprite.Draw(0, 0, false);
    EXPECT_EQ(Draws(), 0u);
    TSprite::SetRenderMode(0);
    sprite.Draw(0, 0, false);
    EXPECT_EQ(Draws(), 1u);
}

TEST_F(SpriteTest, PictureAt640x480)
{
    TSprite sprite = StartWithPicture();
    DrawSpriteScene(sprite);
    EXPECT_TRUE(qmtest::MatchesGolden(EndFrame(), "sprite_640x480"));
}

TEST_F(SpriteTest, PictureAt1280x960IsTheSameScreenScaled)
{
    TSprite sprite = StartWithPicture(1280, 960);
    DrawSpriteScene(sprite);
    EXPECT_TRUE(qmtest::MatchesGolden(EndFrame(), "sprite_1280x960"));
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
    // A background with light and dark parts: the modes differ over both; mode 5 draws nothing.
    TSprite::SetRenderMode(0);
    TSprite::FromFile("sprite.ptx/back", D3DPOOL_MANAGED, 0).Draw(0, 0, 640, 480, false);
    TSprite sprite = TSprite::FromFile("sprite.ptx/picture", D3DPOOL_MANAGED, 0);
    for (int mode = 0; mode <= 5; ++mode) {
        TSprite::SetRenderMode(mode);
        sprite.Draw(20.0F + 100.0F * static_cast<float>(mode), 60, 90, 90, false);
        sprite.Draw(20.0F + 100.0F * static_cast<float>(mode), 300, 90, 90, false);
    }
    EXPECT_TRUE(qmtest::MatchesGolden(EndFrame(), "sprite_screen_modes"));
}

TEST_F(SpriteTest, WeaponIconsComeFromTheIconPackageByType)
{
    StartDevice(640, 480);
    WritePackage("itm_icon.ptx", {TestPicture("itm02_icon")});
    TWeponTable::Clear();
    EXPECT_EQ(TWeponTable::CreateIconSprite(1000).GetWidth(), 64u);  // an unknown weapon: type 0
    TWeponTable::Clear();
}

const char kTitle[] = "Quillmark 4章 ～ Solstice ～";

class TextTest : public qmtest::Graphics2D {
protected:
    void SetUp() override
    {
        Graphics2D::SetUp();
        StartDevice();
    }
    static TFontHolder* Font()
    {
        static TFontHolder font(0, 16, "ＭＳ ゴシック", 400, 2, 0, 0, 0);
        return &font;
    }
    static std::uint16_t PixelAt(const TText8& text, int x, int y)
    {
        return reinterpret_cast<const std::uint16_t*>(TDxProbe::Pixels(text) + y * TDxProbe::Stride(text))[x];
    }
    // Whether any bitmap pixel in columns [x0, x1) is lit.
    static bool ColumnsLit(const TText8& text, int x0, int x1)
    {
        bool lit = false;
        for (int y = 0; y < static_cast<int>(TDxProbe::TextHeight(text)); ++y) {
            for (int x = x0; x < x1; ++x) {
                lit = lit || PixelAt(text, x, y) != 0;
            }
        }
        return lit;
    }

    // Whether any texel of level 0 of the text texture is lit (in columns [x0, x1)), and how many
    // texels there are.
    static bool TextureLit(const TText8& text, std::size_t* count = nullptr, UINT x0 = 0, UINT x1 = 0xFFFF)
    {
        IDirect3DTexture8* t = TDxProbe::Image(text).GetTexture();
        D3DSURFACE_DESC desc{};
        t->GetLevelDesc(0, &desc);
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(t->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        bool lit = false;
        for (UINT y = 0; y < desc.Height; ++y) {
            const auto* row = reinterpret_cast<const std::uint16_t*>(static_cast<const std::uint8_t*>(locked.pBits) +
                                                                     y * locked.Pitch);
            for (UINT x = x0; x < desc.Width && x < x1; ++x) {
                lit = lit || row[x] != 0;
            }
        }
        t->UnlockRect(0);
        if (count != nullptr) {
            *count = static_cast<std::size_t>(desc.Width) * desc.Height;
        }
        return lit;
    }
};

TEST_F(TextTest, SingleByteCellsAreEightAndDoubleByteSixteen)
{
    TText8 text("title", 256, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
    EXPECT_EQ(TDxProbe::TextFormat(text), D3DFMT_R5G6B5);
    // "Quillmark 4" 11 × 8, "章" 16, " " 8, "～" 16, " Solstice " 10 × 8, "～" 16.
    const int pen = text.DrawText(4, 0, kTitle, Font(), true);
    EXPECT_EQ(pen, 4 + 88 + 16 + 8 + 16 + 80 + 16);
    EXPECT_TRUE(ColumnsLit(text, 4 + 88, 4 + 104)) << "章";
    EXPECT_FALSE(ColumnsLit(text, 4 + 104 + 1, 4 + 104 + 7)) << "the space after it";
    EXPECT_FALSE(ColumnsLit(text, pen + 1, 256)) << "nothing after the pen";
    EXPECT_TRUE(TextureLit(text));
}

TEST_F(TextTest, RampAndTheSixteenBitColours)
{
    TText8 text("ramp", 32, 16, 0x1FF, 128, 64, D3DPOOL_MANAGED, 0);  // only the low 8 bits count
    EXPECT_EQ(TDxProbe::RampEntry(text, 16).rgbRed, 255);
    EXPECT_EQ(TDxProbe::RampEntry(text, 16).rgbBlue, 64);
    EXPECT_EQ(TDxProbe::RampEntry(text, 8).rgbRed, 127);
    EXPECT_EQ(TDxProbe::RampEntry(text, 8).rgbGreen, 64);
    EXPECT_EQ(TDxProbe::RampEntry(text, 1).rgbRed, 15);
    EXPECT_EQ(TDxProbe::RampEntry(text, 17).rgbRed, 0) << "entries past 16 stay black";
    // A fully covered pixel of "■" is the full colour in 5-6-5, or in 5-5-5 for that format.
    text.DrawText(0, 0, "■", Font(), false);
    EXPECT_EQ(PixelAt(text, 8, 8), (31 << 11) | (32 << 5) | 8);
}

TEST_F(TextTest, RowsAreCopiedByWidthAndTheBitmapIsOwnedByItsLastHolder)
{
    // Width 3: DIB rows of 8 bytes, texture rows of 6 bytes used.
    TText8 narrow("narrow", 3, 4, 255, 255, 255, D3DPOOL_MANAGED, 0);
    EXPECT_EQ(TDxProbe::Stride(narrow), 8u);
    narrow.DrawText(0, 0, "■", Font(), true);
    std::size_t texels = 0;
    TextureLit(narrow, &texels);
    EXPECT_EQ(texels, 12u);
    // A name made again at another size gets a texture of that size: a 30-byte name is whole in
    // the wider one. The same name and size share one texture.
    const std::string name = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";  // 240 pixels
    TText8 small("tName", 128, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
    small.DrawText(0, 0, name, Font(), true);
    TText8 wide("tName", 256, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
    wide.DrawText(0, 0, name, Font(), true);
    EXPECT_NE(TDxProbe::Image(wide).GetTexture(), TDxProbe::Image(small).GetTexture());
    EXPECT_TRUE(TextureLit(wide, &texels, 232, 240)) << "the last character";
    EXPECT_EQ(texels, 256u * 16u);
    EXPECT_FALSE(TextureLit(wide, nullptr, 241, 256));
    EXPECT_TRUE(TextureLit(small, &texels, 120, 128));
    EXPECT_EQ(texels, 128u * 16u);
    TText8 again("tName", 256, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
    EXPECT_EQ(TDxProbe::Image(again).GetTexture(), TDxProbe::Image(wide).GetTexture());

    auto* first = new TText8("owned", 32, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
    TText8 copy(*first);
    EXPECT_EQ(TDxProbe::Pixels(copy), TDxProbe::Pixels(*first));
    TText8 other("owned", 32, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
    EXPECT_NE(TDxProbe::Pixels(other), TDxProbe::Pixels(*first)) << "a second text of the name has its own";
    delete first;
    // The copy still draws into the bitmap it shares (the sanitizers check it is alive).
    EXPECT_EQ(copy.DrawText(0, 0, "ok", Font(), true), 16);
    EXPECT_TRUE(ColumnsLit(copy, 0, 16));
}

TEST_F(TextTest, PictureOfTheTitle)
{
    TText8 text("title", 256, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
    text.DrawText(0, 0, kTitle, Font(), true);
    TText8 yellow("yellow", 256, 16, 255, 220, 80, D3DPOOL_MANAGED, 0);
    yellow.DrawText(16, 0, "テキスト 16px", Font(), true);
    BeginFrame(0xFF101830);
    TSprite::SetRenderMode(0);
    text.Draw(8, 8, true);
    text.Draw(8, 40, 512, 32, true);  // doubled, to see the cells
    TSprite::SetRenderMode(3);        // added: black is see-through
    yellow.Draw(8, 100, true);
    EXPECT_TRUE(qmtest::MatchesGolden(EndFrame(), "text_title"));
    TSprite::SetRenderMode(1);
}

}  // namespace
