#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace {

LOGFONTA Description(int height, int width, const std::string& face)
{
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = 2;
    std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return lf;
}

const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

// A memory DC with a font selected; restores and frees everything at the end.
class FontDc {
public:
    explicit FontDc(const LOGFONTA& lf) : font_(CreateFontIndirectA(&lf)), dc_(CreateCompatibleDC(nullptr))
    {
        if (font_ != nullptr) {
            old_ = SelectObject(dc_, font_);
        }
    }
    ~FontDc()
    {
        if (old_ != nullptr) {
            SelectObject(dc_, old_);
        }
        DeleteDC(dc_);
        DeleteObject(font_);
    }
    HFONT font() const { return font_; }
    HDC dc() const { return dc_; }

    GLYPHMETRICS Glyph(UINT code, std::vector<BYTE>* bits = nullptr, DWORD* size = nullptr)
    {
        GLYPHMETRICS gm{};
        const DWORD n = GetGlyphOutlineA(dc_, code, GGO_GRAY4_BITMAP, &gm, 0, nullptr, &kIdentity);
        if (size != nullptr) {
            *size = n;
        }
        if (bits != nullptr && n != GDI_ERROR && n > 0) {
            bits->assign(n, 0xEE);
            EXPECT_EQ(GetGlyphOutlineA(dc_, code, GGO_GRAY4_BITMAP, &gm, n, bits->data(), &kIdentity), n);
        }
        return gm;
    }

private:
    HFONT font_;
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

TEST(GdiFont, EveryFaceNameComesBackAsIpaGothic)
{
    for (const char* face : {"ＭＳ ゴシック", "IPAGothic", "No Such Face At All"}) {
        const LOGFONTA lf = Description(16, 0, face);
        HFONT font = CreateFontIndirectA(&lf);
        ASSERT_NE(font, nullptr) << face;
        EXPECT_STREQ(platform::GdiFontFamily(font), "IPAGothic") << face;
        EXPECT_TRUE(DeleteObject(font));
        EXPECT_FALSE(DeleteObject(font)) << "a deleted font is no longer a handle";
    }
}

TEST(GdiFont, FaceNameFillingAllThirtyTwoBytesIsReadNoFurther)
{
    LOGFONTA lf = Description(16, 0, "");
    std::memset(lf.lfFaceName, 'A', LF_FACESIZE);  // no terminator inside the field
    lf.lfPitchAndFamily = 0;
    HFONT font = CreateFontIndirectA(&lf);
    ASSERT_NE(font, nullptr);
    DeleteObject(font);
}

TEST(GdiFont, SixteenPixelCellsAreEightWideForAsciiAndSixteenForDoubleByte)
{
    FontDc f(Description(16, 0, "ＭＳ ゴシック"));
    ASSERT_NE(f.font(), nullptr);
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(f.dc(), &tm));
    EXPECT_EQ(tm.tmHeight, 16);
    EXPECT_GT(tm.tmAscent, 10);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);

    EXPECT_EQ(f.Glyph('A').gmCellIncX, 8);
    EXPECT_EQ(f.Glyph('~').gmCellIncX, 8);
    const std::string kanji = "章";  // two CP932 bytes
    ASSERT_EQ(kanji.size(), 2u);
    const UINT code = static_cast<unsigned char>(kanji[0]) * 256u + static_cast<unsigned char>(kanji[1]);
    std::vector<BYTE> bits;
    const GLYPHMETRICS gm = f.Glyph(code, &bits);
    EXPECT_EQ(gm.gmCellIncX, 16);
    EXPECT_GT(gm.gmBlackBoxX, 10u);
    EXPECT_LE(gm.gmBlackBoxY, 16u);
    EXPECT_LE(static_cast<LONG>(gm.gmptGlyphOrigin.y), tm.tmAscent);
}

TEST(GdiFont, WidthIsTheHalfWidthCell)
{
    FontDc f(Description(18, 9, "ＭＳ ゴシック"));
    EXPECT_EQ(f.Glyph('A').gmCellIncX, 9);
    FontDc narrow(Description(16, 4, "ＭＳ ゴシック"));
    EXPECT_EQ(narrow.Glyph('A').gmCellIncX, 4);
}

TEST(GdiGlyph, GrayBitmapHasSeventeenLevelsInPaddedRows)
{
    FontDc f(Description(16, 0, "ＭＳ ゴシック"));
    std::vector<BYTE> bits;
    DWORD size = 0;
    const std::string ch = "■";  // a solid block: full coverage inside
    const UINT code = static_cast<unsigned char>(ch[0]) * 256u + static_cast<unsigned char>(ch[1]);
    const GLYPHMETRICS gm = f.Glyph(code, &bits, &size);
    const DWORD stride = (gm.gmBlackBoxX + 3) & ~3u;
    ASSERT_EQ(size, stride * gm.gmBlackBoxY);
    int full = 0;
    for (DWORD y = 0; y < gm.gmBlackBoxY; ++y) {
        for (DWORD x = 0; x < stride; ++x) {
            const BYTE v = bits[y * stride + x];
            EXPECT_LE(v, 16);
            if (x >= gm.gmBlackBoxX) {
                EXPECT_EQ(v, 0) << "padding";
            }
            full += v == 16 ? 1 : 0;
        }
    }
    EXPECT_GT(full, 50) << "the block's inside is fully covered";

    // A buffer too small is refused rather than overrun.
    std::vector<BYTE> small(size - 1);
    GLYPHMETRICS gm2{};
    EXPECT_EQ(GetGlyphOutlineA(f.dc(), code, GGO_GRAY4_BITMAP, &gm2, size - 1, small.data(), &kIdentity), GDI_ERROR);
}

TEST(GdiGlyph, SpaceNeedsNoBytesButAdvances)
{
    FontDc f(Description(16, 0, "ＭＳ ゴシック"));
    DWORD size = 1;
    const GLYPHMETRICS gm = f.Glyph(' ', nullptr, &size);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(gm.gmCellIncX, 8);
    // The ideographic space is a double-byte cell.
    EXPECT_EQ(f.Glyph(0x8140, nullptr, &size).gmCellIncX, 16);
    EXPECT_EQ(size, 0u);
}

TEST(GdiGlyph, RefusedRequests)
{
    FontDc f(Description(16, 0, "ＭＳ ゴシック"));
    GLYPHMETRICS gm{};
    const MAT2 doubled = {{0, 2}, {0, 0}, {0, 0}, {0, 2}};
    EXPECT_EQ(GetGlyphOutlineA(f.dc(), 'A', 1, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineA(f.dc(), 'A', GGO_GRAY4_BITMAP, &gm, 0, nullptr, &doubled), GDI_ERROR);
    HDC bare = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetGlyphOutlineA(bare, 'A', GGO_GRAY4_BITMAP, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
    TEXTMETRICA tm{};
    EXPECT_FALSE(GetTextMetricsA(bare, &tm)) << "no font selected";
    DeleteDC(bare);
    // A lone lead byte followed by NUL maps to no character, nor does a control code: blank cells.
    DWORD size = 1;
    EXPECT_EQ(f.Glyph(0x8200, nullptr, &size).gmCellIncX, 16);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(f.Glyph('\n', nullptr, &size).gmCellIncX, 8);
    EXPECT_EQ(size, 0u);
}

BITMAPINFO* Header16(std::vector<BYTE>& storage, int width, int height, DWORD compression)
{
    storage.assign(sizeof(BITMAPINFOHEADER) + 12, 0);
    auto* info = reinterpret_cast<BITMAPINFO*>(storage.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = height;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = 16;
    info->bmiHeader.biCompression = compression;
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(storage.data() + sizeof(BITMAPINFOHEADER), masks, sizeof(masks));
    return info;
}

// An 8-bit palette picture of w × h with entries 0..16 as a ramp of (r, g, b).
struct Palette8 {
    std::vector<BYTE> header;
    std::vector<BYTE> pixels;
    BITMAPINFO* info = nullptr;

    Palette8(int w, int h, bool topDown, BYTE r, BYTE g, BYTE b)
    {
        header.assign(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
        info = reinterpret_cast<BITMAPINFO*>(header.data());
        info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info->bmiHeader.biWidth = w;
        info->bmiHeader.biHeight = topDown ? -h : h;
        info->bmiHeader.biPlanes = 1;
        info->bmiHeader.biBitCount = 8;
        auto* table = reinterpret_cast<RGBQUAD*>(header.data() + sizeof(BITMAPINFOHEADER));
        for (int i = 0; i <= 16; ++i) {
            table[i] = RGBQUAD{static_cast<BYTE>(i * b / 16), static_cast<BYTE>(i * g / 16),
                               static_cast<BYTE>(i * r / 16), 0};
        }
        pixels.assign(static_cast<size_t>((w + 3) & ~3) * h, 0);
    }
};

TEST(GdiDib, SectionIsZeroedWithAlignedRowsAndRefusesBadHeaders)
{
    std::vector<BYTE> storage;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, Header16(storage, 3, -2, BI_BITFIELDS), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bmp, nullptr);
    ASSERT_NE(bits, nullptr);
    // 3 pixels × 2 bytes = 6, rounded up to 8 a row.
    const auto* p = static_cast<const BYTE*>(bits);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(p[i], 0);
    }
    EXPECT_TRUE(DeleteObject(bmp));

    for (auto bad : {std::pair{0, -2}, std::pair{3, 0}, std::pair{-3, 2}, std::pair{100000, -100000}}) {
        bits = reinterpret_cast<void*>(1);
        EXPECT_EQ(CreateDIBSection(nullptr, Header16(storage, bad.first, bad.second, BI_RGB), DIB_RGB_COLORS, &bits,
                                   nullptr, 0),
                  nullptr)
            << bad.first << " x " << bad.second;
        EXPECT_EQ(bits, nullptr);
    }
}

TEST(GdiDib, PaletteBlitConvertsToTheSectionFormatAndClips)
{
    std::vector<BYTE> storage;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, Header16(storage, 4, -3, BI_BITFIELDS), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bmp, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);

    // A 2 × 2 glyph of levels 16, 8 / 0, 4 drawn at (3, -1): only its column 0, row 1 lands.
    Palette8 glyph(2, 2, true, 255, 255, 255);
    glyph.pixels = {16, 8, 0, 0, 0, 4, 0, 0};
    EXPECT_EQ(SetDIBitsToDevice(dc, 3, -1, 2, 2, 0, 0, 0, 2, glyph.pixels.data(), glyph.info, DIB_RGB_COLORS), 1);
    const auto* px = static_cast<const WORD*>(bits);
    const int rowWords = 4;
    EXPECT_EQ(px[0 * rowWords + 3], 0) << "glyph level 0 is written too (black)";
    // At (1, 1): level 16 of white → 0xFFFF in 5-6-5; level 8 → 127 → (15, 31, 15).
    EXPECT_EQ(SetDIBitsToDevice(dc, 1, 1, 2, 2, 0, 0, 0, 2, glyph.pixels.data(), glyph.info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(px[1 * rowWords + 1], 0xFFFF);
    EXPECT_EQ(px[1 * rowWords + 2], (15 << 11) | (31 << 5) | 15);
    EXPECT_EQ(px[2 * rowWords + 2], (7 << 11) | (15 << 5) | 7);  // level 4: 63

    // A bottom-up source draws the same way up.
    Palette8 up(2, 2, false, 255, 0, 0);
    up.pixels = {0, 16, 0, 0, 16, 0, 0, 0};  // stored bottom row first
    EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 2, 2, 0, 0, 0, 2, up.pixels.data(), up.info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(px[0], 0xF800) << "top-left comes from the last stored row";
    EXPECT_EQ(px[rowWords + 1], 0xF800);

    EXPECT_FALSE(DeleteObject(bmp)) << "still selected";
    EXPECT_EQ(SelectObject(dc, old), bmp);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(bmp));
}

TEST(GdiDib, FiveFiveFiveSection)
{
    std::vector<BYTE> storage;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, Header16(storage, 1, -1, BI_RGB), DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    Palette8 glyph(1, 1, true, 0, 255, 0);
    glyph.pixels[0] = 16;
    EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 1, 1, 0, 0, 0, 1, glyph.pixels.data(), glyph.info, DIB_RGB_COLORS), 1);
    EXPECT_EQ(*static_cast<const WORD*>(bits), 0x03E0);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
}

}  // namespace
