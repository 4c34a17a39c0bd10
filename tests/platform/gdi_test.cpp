#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace {

const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

HFONT MakeFont(int height, int width, const char* face)
{
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfWeight = FW_NORMAL;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

UINT DoubleByte(const std::string& ch)
{
    return static_cast<unsigned char>(ch[0]) * 256u + static_cast<unsigned char>(ch[1]);
}

// A memory DC with a font selected.
struct FontDc {
    explicit FontDc(int height, int width = 0) : font(MakeFont(height, width, "ＭＳ ゴシック")) { SelectObject(dc, font); }
    ~FontDc()
    {
        DeleteDC(dc);
        DeleteObject(font);
    }
    // The glyph's metrics; its bits and their size when asked for.
    GLYPHMETRICS Glyph(UINT code, DWORD* size = nullptr, std::vector<BYTE>* bits = nullptr)
    {
        GLYPHMETRICS gm{};
        const DWORD n = GetGlyphOutlineA(dc, code, GGO_GRAY4_BITMAP, &gm, 0, nullptr, &kIdentity);
        if (size != nullptr) {
            *size = n;
        }
        if (bits != nullptr && n != GDI_ERROR && n > 0) {
            bits->assign(n, 0xEE);
            EXPECT_EQ(GetGlyphOutlineA(dc, code, GGO_GRAY4_BITMAP, &gm, n, bits->data(), &kIdentity), n);
        }
        return gm;
    }
    HFONT font;
    HDC dc = CreateCompatibleDC(nullptr);
};

TEST(GdiFont, EveryFaceIsIpaGothicAndCellsFollowHeightAndWidth)
{
    for (const char* face : {"ＭＳ ゴシック", "No Such Face At All"}) {
        HFONT font = MakeFont(16, 0, face);
        ASSERT_NE(font, nullptr) << face;
        EXPECT_STREQ(platform::GdiFontFamily(font), "IPAGothic") << face;
        EXPECT_TRUE(DeleteObject(font));
        EXPECT_FALSE(DeleteObject(font)) << "a deleted font is no longer a handle";
    }
    LOGFONTA full{};
    full.lfHeight = 16;
    std::memset(full.lfFaceName, 'A', LF_FACESIZE);  // no terminator inside the field: read no further
    HFONT font = CreateFontIndirectA(&full);
    ASSERT_NE(font, nullptr);
    DeleteObject(font);

    FontDc f(16);
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(f.dc, &tm));
    EXPECT_EQ(tm.tmHeight, 16);
    EXPECT_GT(tm.tmAscent, 10);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    EXPECT_EQ(f.Glyph('A').gmCellIncX, 8);
    const GLYPHMETRICS gm = f.Glyph(DoubleByte("章"));
    EXPECT_EQ(gm.gmCellIncX, 16);
    EXPECT_GT(gm.gmBlackBoxX, 10u);
    EXPECT_LE(gm.gmBlackBoxY, 16u);
    EXPECT_LE(static_cast<LONG>(gm.gmptGlyphOrigin.y), tm.tmAscent);
    // Blanks need no bytes but advance: space, ideographic space, a lone lead byte, a control code.
    for (auto [code, advance] : {std::pair{UINT(' '), 8}, {0x8140u, 16}, {0x8200u, 16}, {UINT('\n'), 8}}) {
        DWORD size = 1;
        EXPECT_EQ(f.Glyph(code, &size).gmCellIncX, advance) << code;
        EXPECT_EQ(size, 0u) << code;
    }
    EXPECT_EQ(FontDc(18, 9).Glyph('A').gmCellIncX, 9);
}

TEST(GdiGlyph, GrayBitmapHasSeventeenLevelsInPaddedRowsAndBadRequestsFail)
{
    FontDc f(16);
    std::vector<BYTE> bits;
    DWORD size = 0;
    const UINT code = DoubleByte("■");  // a solid block: full coverage inside
    const GLYPHMETRICS gm = f.Glyph(code, &size, &bits);
    const DWORD stride = (gm.gmBlackBoxX + 3) & ~3u;
    ASSERT_EQ(size, stride * gm.gmBlackBoxY);
    int full = 0;
    for (DWORD i = 0; i < size; ++i) {
        EXPECT_LE(bits[i], 16);
        if (i % stride >= gm.gmBlackBoxX) {
            EXPECT_EQ(bits[i], 0) << "padding";
        }
        full += bits[i] == 16 ? 1 : 0;
    }
    EXPECT_GT(full, 50) << "the block's inside is fully covered";

    // A buffer too small is refused rather than overrun; a DC without a font has no glyphs.
    std::vector<BYTE> small(size - 1);
    GLYPHMETRICS gm2{};
    EXPECT_EQ(GetGlyphOutlineA(f.dc, code, GGO_GRAY4_BITMAP, &gm2, size - 1, small.data(), &kIdentity), GDI_ERROR);
    HDC bare = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetGlyphOutlineA(bare, 'A', GGO_GRAY4_BITMAP, &gm2, 0, nullptr, &kIdentity), GDI_ERROR);
    TEXTMETRICA tm{};
    EXPECT_FALSE(GetTextMetricsA(bare, &tm));
    DeleteDC(bare);
}

// A 16-bit section, 5-6-5 with bit fields, 5-5-5 without.
HBITMAP Section16(int width, int height, DWORD compression, void** bits)
{
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    } info{};
    info.header = {sizeof(BITMAPINFOHEADER), width, height, 1, 16, compression, 0, 0, 0, 0, 0};
    return CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, bits, nullptr, 0);
}

// Draws a top-down 8-bit picture whose entries 0..16 ramp up to (r, g, b), as the text writer draws glyphs.
int DrawRamp(HDC dc, int x, int y, int w, int h, const std::vector<BYTE>& pixels, RGBQUAD colour)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD table[256];
    } info{};
    info.header = {sizeof(BITMAPINFOHEADER), w, -h, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
    for (int i = 0; i <= 16; ++i) {
        info.table[i] = RGBQUAD{static_cast<BYTE>(i * colour.rgbBlue / 16), static_cast<BYTE>(i * colour.rgbGreen / 16),
                                static_cast<BYTE>(i * colour.rgbRed / 16), 0};
    }
    return SetDIBitsToDevice(dc, x, y, w, h, 0, 0, 0, h, pixels.data(), reinterpret_cast<const BITMAPINFO*>(&info),
                             DIB_RGB_COLORS);
}

TEST(GdiDib, SectionsAreZeroedAndAlignedAndBadHeadersAreRefused)
{
    void* bits = nullptr;
    HBITMAP bmp = Section16(3, -2, BI_BITFIELDS, &bits);
    ASSERT_NE(bmp, nullptr);
    // 3 pixels × 2 bytes = 6, rounded up to 8 a row.
    const auto* p = static_cast<const BYTE*>(bits);
    EXPECT_EQ(std::vector<BYTE>(p, p + 16), std::vector<BYTE>(16, 0));
    EXPECT_TRUE(DeleteObject(bmp));

    for (auto bad : {std::pair{0, -2}, std::pair{3, 0}, std::pair{-3, 2}, std::pair{100000, -100000}}) {
        bits = reinterpret_cast<void*>(1);
        EXPECT_EQ(Section16(bad.first, bad.second, BI_RGB, &bits), nullptr) << bad.first << " x " << bad.second;
        EXPECT_EQ(bits, nullptr);
    }
}

TEST(GdiDib, PaletteBlitConvertsToTheSectionFormatAndClips)
{
    void* bits = nullptr;
    HBITMAP bmp = Section16(4, -3, BI_BITFIELDS, &bits);
    ASSERT_NE(bmp, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);

    // A 2 × 2 glyph of levels 16, 8 / 0, 4 drawn at (3, -1): only its column 0, row 1 lands.
    const std::vector<BYTE> glyph = {16, 8, 0, 0, 0, 4, 0, 0};
    const RGBQUAD white{255, 255, 255, 0};
    EXPECT_EQ(DrawRamp(dc, 3, -1, 2, 2, glyph, white), 1);
    const auto* px = static_cast<const WORD*>(bits);
    const int rowWords = 4;
    EXPECT_EQ(px[0 * rowWords + 3], 0) << "glyph level 0 is written too (black)";
    // At (1, 1): level 16 of white → 0xFFFF in 5-6-5; level 8 → 127 → (15, 31, 15).
    EXPECT_EQ(DrawRamp(dc, 1, 1, 2, 2, glyph, white), 2);
    EXPECT_EQ(px[1 * rowWords + 1], 0xFFFF);
    EXPECT_EQ(px[1 * rowWords + 2], (15 << 11) | (31 << 5) | 15);
    EXPECT_EQ(px[2 * rowWords + 2], (7 << 11) | (15 << 5) | 7);  // level 4: 63

    EXPECT_FALSE(DeleteObject(bmp)) << "still selected";
    EXPECT_EQ(SelectObject(dc, old), bmp);
    EXPECT_TRUE(DeleteObject(bmp));

    bmp = Section16(1, -1, BI_RGB, &bits);
    old = SelectObject(dc, bmp);
    EXPECT_EQ(DrawRamp(dc, 0, 0, 1, 1, {16, 0, 0, 0}, RGBQUAD{0, 255, 0, 0}), 1);
    EXPECT_EQ(*static_cast<const WORD*>(bits), 0x03E0);
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteDC(dc));
    DeleteObject(bmp);
}

}  // namespace
