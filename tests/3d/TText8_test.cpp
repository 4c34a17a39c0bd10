// Text textures: glyph cells, the colour ramp, uploads, ownership of the bitmap, the picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TCommon/my_error.h"
#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TText8.h"
#include "graphics2d_fixture.h"
#include "support/golden.h"

namespace {

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

    // Whether any bitmap pixel in columns [x0, x1) is lit.
    static bool ColumnsLit(const TText8& text, int x0, int x1)
    {
        for (std::uint32_t y = 0; y < text.GetTextHeight(); ++y) {
            const auto* row = reinterpret_cast<const std::uint16_t*>(text.GetPixels() + y * text.GetStride());
            for (int x = x0; x < x1; ++x) {
                if (row[x] != 0) {
                    return true;
                }
            }
        }
        return false;
    }

    // Level 0 of the text texture, one 16-bit value a texel.
    static std::vector<std::uint16_t> TextureTexels(const TText8& text)
    {
        IDirect3DTexture8* t = text.GetImage().GetTexture();
        D3DSURFACE_DESC desc{};
        t->GetLevelDesc(0, &desc);
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(t->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        std::vector<std::uint16_t> out;
        for (UINT y = 0; y < desc.Height; ++y) {
            const auto* row = reinterpret_cast<const std::uint16_t*>(static_cast<const std::uint8_t*>(locked.pBits) +
                                                                     y * locked.Pitch);
            out.insert(out.end(), row, row + desc.Width);
        }
        t->UnlockRect(0);
        return out;
    }

    static bool AnyLit(const std::vector<std::uint16_t>& texels)
    {
        for (std::uint16_t v : texels) {
            if (v != 0) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(TextTest, SingleByteCellsAreEightAndDoubleByteSixteen)
{
    ASSERT_EQ(d3d()->GetTextureFormat(3), D3DFMT_R5G6B5);
    TText8 text("title", 256, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
    EXPECT_EQ(text.GetTextFormat(), D3DFMT_R5G6B5);
    EXPECT_EQ(text.GetStride(), 512u);
    // "Quillmark 4" 11 × 8, "章" 16, " " 8, "～" 16, " Solstice " 10 × 8, "～" 16.
    const int pen = text.DrawText(4, 0, kTitle, Font(), true);
    EXPECT_EQ(pen, 4 + 88 + 16 + 8 + 16 + 80 + 16);
    EXPECT_TRUE(ColumnsLit(text, 4 + 88, 4 + 104)) << "章";
    EXPECT_FALSE(ColumnsLit(text, 4 + 104 + 1, 4 + 104 + 7)) << "the space after it";
    EXPECT_FALSE(ColumnsLit(text, pen + 1, 256)) << "nothing after the pen";
    EXPECT_TRUE(AnyLit(TextureTexels(text)));

    // The next run continues from the returned pen.
    EXPECT_EQ(text.DrawText(pen, 0, "AB", Font(), false), pen + 16);

    // CR and LF start no new line; three double-byte characters are three cells.
    TText8 line("line", 128, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
    EXPECT_EQ(line.DrawText(0, 0, "a\r\nb", Font(), false), 32);
    EXPECT_EQ(line.DrawText(0, 0, "章章章", Font(), false), 48);
    // A lead byte at the very end pairs with the terminator and still takes a cell.
    const std::string lone = std::string("a") + "章"[0];
    EXPECT_EQ(line.DrawText(0, 0, lone, Font(), false), 8 + 16);
}

TEST_F(TextTest, RampAndTheSixteenBitColours)
{
    TText8 text("ramp", 32, 16, 0x1FF, 128, 64, D3DPOOL_MANAGED, 0);  // only the low 8 bits count
    const RGBQUAD full = text.GetRampEntry(16);
    EXPECT_EQ(full.rgbRed, 255);
    EXPECT_EQ(full.rgbGreen, 128);
    EXPECT_EQ(full.rgbBlue, 64);
    const RGBQUAD half = text.GetRampEntry(8);
    EXPECT_EQ(half.rgbRed, 127);
    EXPECT_EQ(half.rgbGreen, 64);
    EXPECT_EQ(half.rgbBlue, 32);
    const RGBQUAD one = text.GetRampEntry(1);
    EXPECT_EQ(one.rgbRed, 15);
    EXPECT_EQ(one.rgbGreen, 8);
    EXPECT_EQ(one.rgbBlue, 4);
    EXPECT_EQ(text.GetRampEntry(0).rgbRed, 0);
    EXPECT_EQ(text.GetRampEntry(17).rgbRed, 0) << "entries past 16 stay black";

    // A fully covered pixel of "■" is the full colour in 5-6-5.
    text.DrawText(0, 0, "■", Font(), false);
    const auto* row = reinterpret_cast<const std::uint16_t*>(text.GetPixels() + 8 * text.GetStride());
    EXPECT_EQ(row[8], (31 << 11) | (32 << 5) | 8);

    text.SetTextColor(0, 255, 0);
    EXPECT_EQ(text.GetRampEntry(16).rgbGreen, 255);
    EXPECT_EQ(text.GetRampEntry(16).rgbRed, 0);
}

TEST_F(TextTest, UploadMakesTheTextVisibleAndClearCanKeepTheOldPicture)
{
    TText8 text("upload", 64, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
    EXPECT_FALSE(AnyLit(TextureTexels(text)));
    text.DrawText(0, 0, "Hi", Font(), false);
    EXPECT_FALSE(AnyLit(TextureTexels(text))) << "not uploaded yet";
    text.Upload();
    EXPECT_TRUE(AnyLit(TextureTexels(text)));
    text.Clear(false);
    EXPECT_FALSE(ColumnsLit(text, 0, 64));
    EXPECT_TRUE(AnyLit(TextureTexels(text))) << "Clear(false) leaves the texture";
    text.Clear(true);
    EXPECT_FALSE(AnyLit(TextureTexels(text)));
}

TEST_F(TextTest, RowsAreCopiedByWidthNotPitchAndNeverPastTheTexture)
{
    // Width 3: DIB rows of 8 bytes, texture rows of 6 bytes used.
    TText8 narrow("narrow", 3, 4, 255, 255, 255, D3DPOOL_MANAGED, 0);
    EXPECT_EQ(narrow.GetStride(), 8u);
    narrow.DrawText(0, 0, "■", Font(), true);
    EXPECT_EQ(TextureTexels(narrow).size(), 12u);

    // A second text of the name shares the small texture: its larger bitmap is cut to fit.
    TText8 small("shared", 16, 8, 255, 255, 255, D3DPOOL_MANAGED, 0);
    TText8 big("shared", 128, 32, 255, 0, 0, D3DPOOL_MANAGED, 0);
    EXPECT_EQ(big.GetImage().GetTexture(), small.GetImage().GetTexture());
    big.DrawText(0, 0, "■■■■", Font(), true);
    EXPECT_TRUE(AnyLit(TextureTexels(small)));
}

TEST_F(TextTest, EachTextOwnsItsBitmapAndCopiesShareIt)
{
    auto* first = new TText8("owned", 32, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
    TText8 copy(*first);
    EXPECT_EQ(copy.GetPixels(), first->GetPixels());
    TText8 other("owned", 32, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
    EXPECT_NE(other.GetPixels(), first->GetPixels()) << "a second text of the name has its own";
    delete first;
    // The copy still draws into the bitmap it shares (the sanitizers check it is alive).
    EXPECT_EQ(copy.DrawText(0, 0, "ok", Font(), true), 16);
    EXPECT_TRUE(ColumnsLit(copy, 0, 16));
}

TEST_F(TextTest, UnknownTextFormatThrows)
{
    try {
        TText8 text("bad", 32, 16, 255, 255, 255, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0);
        FAIL() << "no exception";
    } catch (const my_error& e) {
        EXPECT_NE(std::string(e.what()).find("Unknown TextTextureFormat"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("102"), std::string::npos);
    }
    TText8 x555("x555", 8, 16, 0, 255, 0, D3DFMT_X1R5G5B5, D3DPOOL_MANAGED, 0);
    x555.DrawText(0, 0, "■", Font(), false);
    const auto* row = reinterpret_cast<const std::uint16_t*>(x555.GetPixels() + 8 * x555.GetStride());
    EXPECT_EQ(row[4], 0x03E0);
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
