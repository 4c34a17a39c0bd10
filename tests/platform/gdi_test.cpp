#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/testing/gdi.h"

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
    EXPECT_EQ(f.Glyph('A').gmCellIncX, 8);
    EXPECT_EQ(f.Glyph(DoubleByte("章")).gmCellIncX, 16);
    // Blanks need no bytes but advance.
    DWORD size = 1;
    EXPECT_EQ(f.Glyph(0x8140u, &size).gmCellIncX, 16);
    EXPECT_EQ(size, 0u);
    size = 1;
    EXPECT_EQ(f.Glyph(' ', &size).gmCellIncX, 8);
    EXPECT_EQ(size, 0u);
    // Codes without a glyph: a blank half cell for a single byte, a whole one for a double byte.
    FontDc large(24);
    const struct {
        FontDc* font;
        UINT code;
        SHORT advance;
    } blanks[] = {{&f, 0x01, 8}, {&large, 0xA0, 12}, {&f, 0xFF, 8}, {&large, 0x8540, 24}};
    for (const auto& b : blanks) {
        size = 1;
        const GLYPHMETRICS gm = b.font->Glyph(b.code, &size);
        EXPECT_EQ(gm.gmCellIncX, b.advance) << std::hex << b.code;
        EXPECT_EQ(gm.gmBlackBoxX, 1u) << std::hex << b.code;
        EXPECT_EQ(size, 0u) << std::hex << b.code;
    }
    // A stroke thinner than a pixel still shows (file names in error texts have underscores).
    std::vector<BYTE> bits;
    const GLYPHMETRICS underscore = f.Glyph('_', &size, &bits);
    EXPECT_EQ(underscore.gmBlackBoxX, 8u);
    EXPECT_EQ(underscore.gmBlackBoxY, 1u);
    EXPECT_LT(underscore.gmptGlyphOrigin.y, 0) << "below the baseline";
    EXPECT_GT(bits.empty() ? 0 : bits[0] + bits[7], 8);
}

TEST(GdiGlyph, GrayBitmapHasSeventeenLevelsInPaddedRowsAndSmallBuffersFail)
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

    // A buffer too small is refused rather than overrun.
    std::vector<BYTE> small(size - 1);
    GLYPHMETRICS gm2{};
    EXPECT_EQ(GetGlyphOutlineA(f.dc, code, GGO_GRAY4_BITMAP, &gm2, size - 1, small.data(), &kIdentity), GDI_ERROR);
}

}  // namespace
