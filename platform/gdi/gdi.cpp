#include "platform/gdi/gdi.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/gdi/gdi_internal.h"
#include "platform/text/cp932.h"
#include "platform/win32/kernel.h"

namespace platform::gdi {

std::unordered_set<HGDIOBJ__*>& Objects()
{
    static std::unordered_set<HGDIOBJ__*> objects;
    return objects;
}

}  // namespace platform::gdi

namespace {

using platform::gdi::Font;
using platform::gdi::Objects;

constexpr const char* kFontFamily = "IPAGothic";
// A DIB section larger than this is refused (the game's largest is 512 × 64).
constexpr unsigned long long kMaxDibBytes = 64ull << 20;

struct Bitmap : HGDIOBJ__ {
    int width = 0;
    int height = 0;  // rows
    bool topDown = false;
    int bitCount = 0;
    int stride = 0;
    DWORD masks[3] = {};  // red, green, blue
    std::vector<BYTE> bits;

    BYTE* Row(int y) { return bits.data() + static_cast<size_t>(topDown ? y : height - 1 - y) * stride; }
};

}  // namespace

struct HDC__ {
    HGDIOBJ font = nullptr;
    HGDIOBJ bitmap = nullptr;
    int bkMode = OPAQUE;
};

namespace {

std::unordered_set<HDC__*>& Dcs()
{
    static std::unordered_set<HDC__*> dcs;
    return dcs;
}

template <typename T>
T* Lookup(HGDIOBJ handle)
{
    if (handle == nullptr || Objects().count(handle) == 0) {
        return nullptr;
    }
    return dynamic_cast<T*>(handle);
}

HDC__* LookupDc(HDC dc)
{
    return dc != nullptr && Dcs().count(dc) != 0 ? dc : nullptr;
}

HGDIOBJ Register(HGDIOBJ__* object)
{
    Objects().insert(object);
    return object;
}

// What a fresh DC holds: a 1 × 1 bitmap and a font without a face.
HGDIOBJ StockBitmap()
{
    static HGDIOBJ stock = [] {
        auto* b = new Bitmap();
        b->stock = true;
        b->width = 1;
        b->height = 1;
        b->bitCount = 32;
        b->stride = 4;
        b->masks[0] = 0xFF0000;
        b->masks[1] = 0xFF00;
        b->masks[2] = 0xFF;
        b->bits.assign(4, 0);
        return Register(b);
    }();
    return stock;
}

HGDIOBJ StockFont()
{
    static HGDIOBJ stock = [] {
        auto* f = new Font();
        f->stock = true;
        return Register(f);
    }();
    return stock;
}

FT_Library Library()
{
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0) {
            std::fprintf(stderr, "gdi: FreeType cannot start\n");
            return static_cast<FT_Library>(nullptr);
        }
        return lib;
    }();
    return library;
}

// The system's fonts and caches, with every family asked for replaced by IPAGothic.
FcConfig* FontConfig()
{
    static FcConfig* config = [] {
        FcConfig* c = FcConfigCreate();
        const char* xml =
            "<?xml version=\"1.0\"?><fontconfig>"
            "<include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>"
            "<match target=\"pattern\"><edit name=\"family\" mode=\"assign_replace\" binding=\"strong\">"
            "<string>IPAGothic</string></edit></match>"
            "</fontconfig>";
        if (c == nullptr || !FcConfigParseAndLoadFromMemory(c, reinterpret_cast<const FcChar8*>(xml), FcTrue) ||
            !FcConfigBuildFonts(c)) {
            std::fprintf(stderr, "gdi: fontconfig cannot load its configuration\n");
            if (c != nullptr) {
                FcConfigDestroy(c);
            }
            return static_cast<FcConfig*>(nullptr);
        }
        return c;
    }();
    return config;
}

struct FontFile {
    std::string path;
    int index = 0;
    std::string family;
};

// The font file for a face name and style; matched once per combination.
bool MatchFont(const std::string& faceUtf8, int weight, bool italic, FontFile* out)
{
    static std::map<std::string, FontFile> matched;
    const std::string key = faceUtf8 + '\n' + std::to_string(weight) + (italic ? "i" : "");
    auto it = matched.find(key);
    if (it != matched.end()) {
        *out = it->second;
        return true;
    }
    FcConfig* config = FontConfig();
    if (config == nullptr) {
        return false;
    }
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(faceUtf8.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight == 0 ? FW_NORMAL : weight));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* font = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (font == nullptr) {
        return false;
    }
    FcChar8* file = nullptr;
    FcChar8* family = nullptr;
    int index = 0;
    bool ok = FcPatternGetString(font, FC_FILE, 0, &file) == FcResultMatch &&
              FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    if (ok) {
        out->path = reinterpret_cast<const char*>(file);
        out->family = reinterpret_cast<const char*>(family);
        out->index = index;
        // Only IPAGothic has the cell widths the game's text layout counts on.
        if (out->family != kFontFamily) {
            std::fprintf(stderr, "gdi: font \"%s\" came back as \"%s\", not %s\n", faceUtf8.c_str(),
                         out->family.c_str(), kFontFamily);
            ok = false;
        }
    }
    FcPatternDestroy(font);
    if (ok) {
        matched.emplace(key, *out);
    }
    return ok;
}

long Round26_6(FT_Pos v)
{
    return static_cast<long>((v + 32) >> 6);
}

// UTF-8 of one character to its code point; 0 when the text is not exactly one character.
FT_ULong SingleCodePoint(const std::string& utf8)
{
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t n = utf8.size();
    if (n == 1 && s[0] < 0x80) {
        return s[0];
    }
    if (n == 2 && (s[0] & 0xE0) == 0xC0) {
        return ((s[0] & 0x1Fu) << 6) | (s[1] & 0x3Fu);
    }
    if (n == 3 && (s[0] & 0xF0) == 0xE0) {
        return ((s[0] & 0x0Fu) << 12) | ((s[1] & 0x3Fu) << 6) | (s[2] & 0x3Fu);
    }
    if (n == 4 && (s[0] & 0xF8) == 0xF0) {
        return ((s[0] & 0x07u) << 18) | ((s[1] & 0x3Fu) << 12) | ((s[2] & 0x3Fu) << 6) | (s[3] & 0x3Fu);
    }
    return 0;
}

// The glyph of a CP932 character code; 0 (the font's missing glyph) when it has none.
FT_UInt GlyphIndex(FT_Face face, UINT character)
{
    std::string bytes;
    if (character > 0xFF) {
        bytes.push_back(static_cast<char>((character >> 8) & 0xFF));
    }
    bytes.push_back(static_cast<char>(character & 0xFF));
    const std::string utf8 = platform::Cp932ToUtf8(bytes);
    // The converter answers '?' for a sequence it cannot map.
    if (utf8 == "?" && bytes != "?") {
        return 0;
    }
    const FT_ULong code = SingleCodePoint(utf8);
    return code == 0 ? 0 : FT_Get_Char_Index(face, code);
}

bool IsIdentity(const MAT2* m)
{
    return m->eM11.value == 1 && m->eM11.fract == 0 && m->eM12.value == 0 && m->eM12.fract == 0 &&
           m->eM21.value == 0 && m->eM21.fract == 0 && m->eM22.value == 1 && m->eM22.fract == 0;
}

// Bit position and width of a channel mask.
void MaskShape(DWORD mask, int* shift, int* bits)
{
    *shift = 0;
    *bits = 0;
    if (mask == 0) {
        return;
    }
    while ((mask & 1u) == 0) {
        mask >>= 1;
        ++*shift;
    }
    while ((mask & 1u) != 0) {
        mask >>= 1;
        ++*bits;
    }
}

DWORD PackChannel(BYTE value, DWORD mask)
{
    int shift = 0;
    int bits = 0;
    MaskShape(mask, &shift, &bits);
    if (bits == 0) {
        return 0;
    }
    const DWORD v = bits >= 8 ? static_cast<DWORD>(value) << (bits - 8) : static_cast<DWORD>(value) >> (8 - bits);
    return (v << shift) & mask;
}

}  // namespace

HFONT CreateFontIndirectA(const LOGFONTA* description)
{
    if (description == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    FT_Library library = Library();
    if (library == nullptr) {
        return nullptr;
    }
    // The face name need not be terminated inside its 32 bytes.
    const size_t faceLength = strnlen(description->lfFaceName, LF_FACESIZE);
    const std::string face = platform::Cp932ToUtf8(std::string(description->lfFaceName, faceLength));
    FontFile file;
    if (!MatchFont(face, description->lfWeight, description->lfItalic != 0, &file)) {
        return nullptr;
    }
    auto font = std::make_unique<Font>();
    font->description = *description;
    font->family = file.family;
    if (FT_New_Face(library, file.path.c_str(), file.index, &font->face) != 0) {
        font->face = nullptr;
        std::fprintf(stderr, "gdi: cannot open font file %s\n", file.path.c_str());
        return nullptr;
    }
    long height = description->lfHeight < 0 ? -static_cast<long>(description->lfHeight) : description->lfHeight;
    if (height == 0) {
        height = 16;
    }
    // A GDI width is the average (half-width) character width: half the em.
    long width = description->lfWidth < 0 ? -static_cast<long>(description->lfWidth) : description->lfWidth;
    if (height > 4096 || width > 2048 ||
        FT_Set_Pixel_Sizes(font->face, static_cast<FT_UInt>(width * 2), static_cast<FT_UInt>(height)) != 0) {
        return nullptr;
    }
    return Register(font.release());
}

BOOL DeleteObject(HGDIOBJ object)
{
    if (object == nullptr || Objects().count(object) == 0) {
        return FALSE;
    }
    if (object->stock) {
        return TRUE;
    }
    if (object->selections > 0) {
        return FALSE;
    }
    Objects().erase(object);
    delete object;
    return TRUE;
}

HDC CreateCompatibleDC(HDC)
{
    auto* dc = new HDC__();
    dc->font = StockFont();
    dc->bitmap = StockBitmap();
    dc->font->selections++;
    dc->bitmap->selections++;
    Dcs().insert(dc);
    return dc;
}

BOOL DeleteDC(HDC handle)
{
    HDC__* dc = LookupDc(handle);
    if (dc == nullptr) {
        return FALSE;
    }
    dc->font->selections--;
    dc->bitmap->selections--;
    Dcs().erase(dc);
    delete dc;
    return TRUE;
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object)
{
    HDC__* dc = LookupDc(handle);
    if (dc == nullptr || object == nullptr || Objects().count(object) == 0) {
        return nullptr;
    }
    HGDIOBJ* slot = nullptr;
    if (dynamic_cast<Font*>(object) != nullptr) {
        slot = &dc->font;
    } else if (dynamic_cast<Bitmap*>(object) != nullptr) {
        // A bitmap is in one DC at a time.
        if (object->selections > 0 && object != dc->bitmap && !object->stock) {
            return nullptr;
        }
        slot = &dc->bitmap;
    } else {
        return nullptr;
    }
    HGDIOBJ old = *slot;
    old->selections--;
    object->selections++;
    *slot = object;
    return old;
}

int SetBkMode(HDC handle, int mode)
{
    HDC__* dc = LookupDc(handle);
    if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) {
        return 0;
    }
    const int old = dc->bkMode;
    dc->bkMode = mode;
    return old;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset)
{
    if (bits != nullptr) {
        *bits = nullptr;
    }
    if (info == nullptr || usage != DIB_RGB_COLORS || section != nullptr || offset != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const bool depthOk = h.biBitCount == 16 || h.biBitCount == 32;
    const bool compressionOk = h.biCompression == BI_RGB || h.biCompression == BI_BITFIELDS;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN ||
        h.biPlanes != 1 || !depthOk || !compressionOk) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const unsigned long long rows = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
    const unsigned long long stride = ((static_cast<unsigned long long>(h.biWidth) * h.biBitCount + 31) / 32) * 4;
    if (stride * rows > kMaxDibBytes) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = h.biWidth;
    bitmap->height = static_cast<int>(rows);
    bitmap->topDown = h.biHeight < 0;
    bitmap->bitCount = h.biBitCount;
    bitmap->stride = static_cast<int>(stride);
    if (h.biCompression == BI_BITFIELDS) {
        std::memcpy(bitmap->masks, reinterpret_cast<const BYTE*>(info) + h.biSize, sizeof(bitmap->masks));
    } else if (h.biBitCount == 16) {
        bitmap->masks[0] = 0x7C00;
        bitmap->masks[1] = 0x03E0;
        bitmap->masks[2] = 0x001F;
    } else {
        bitmap->masks[0] = 0xFF0000;
        bitmap->masks[1] = 0x00FF00;
        bitmap->masks[2] = 0x0000FF;
    }
    bitmap->bits.assign(static_cast<size_t>(stride * rows), 0);
    if (bits != nullptr) {
        *bits = bitmap->bits.data();
    }
    return Register(bitmap.release());
}

BOOL GetTextMetricsA(HDC handle, TEXTMETRICA* metrics)
{
    HDC__* dc = LookupDc(handle);
    if (dc == nullptr || metrics == nullptr) {
        return FALSE;
    }
    auto* font = dynamic_cast<Font*>(dc->font);
    if (font == nullptr || font->face == nullptr) {
        return FALSE;
    }
    FT_Face face = font->face;
    const FT_Size_Metrics& m = face->size->metrics;
    // The face's own ascender and descender at this size, rounded, not FreeType's outward rounding.
    const long ascent = Round26_6(FT_MulFix(face->ascender, m.y_scale));
    const long descent = Round26_6(FT_MulFix(-face->descender, m.y_scale));
    *metrics = TEXTMETRICA{};
    metrics->tmAscent = ascent;
    metrics->tmDescent = descent;
    metrics->tmHeight = ascent + descent;
    metrics->tmInternalLeading = ascent + descent - static_cast<long>(m.y_ppem);
    if (metrics->tmInternalLeading < 0) {
        metrics->tmInternalLeading = 0;
    }
    metrics->tmAveCharWidth = (m.x_ppem + 1) / 2;
    metrics->tmMaxCharWidth = Round26_6(m.max_advance);
    metrics->tmWeight = font->description.lfWeight == 0 ? FW_NORMAL : font->description.lfWeight;
    metrics->tmDigitizedAspectX = 96;
    metrics->tmDigitizedAspectY = 96;
    metrics->tmFirstChar = 0x20;
    metrics->tmLastChar = 0xFC;
    metrics->tmDefaultChar = 0x1F;
    metrics->tmBreakChar = 0x20;
    metrics->tmItalic = font->description.lfItalic;
    metrics->tmUnderlined = font->description.lfUnderline;
    metrics->tmStruckOut = font->description.lfStrikeOut;
    metrics->tmPitchAndFamily = font->description.lfPitchAndFamily;
    metrics->tmCharSet = font->description.lfCharSet;
    return TRUE;
}

DWORD GetGlyphOutlineA(HDC handle, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD size, void* buffer,
                       const MAT2* matrix)
{
    HDC__* dc = LookupDc(handle);
    if (dc == nullptr || metrics == nullptr || format != GGO_GRAY4_BITMAP || matrix == nullptr ||
        !IsIdentity(matrix)) {
        return GDI_ERROR;
    }
    auto* font = dynamic_cast<Font*>(dc->font);
    if (font == nullptr || font->face == nullptr) {
        return GDI_ERROR;
    }
    FT_Face face = font->face;
    const FT_UInt glyph = GlyphIndex(face, character);
    if (glyph == 0) {
        // No such character (control codes, unmapped bytes): a blank cell, half width for a
        // single byte as the text layout counts it.
        *metrics = GLYPHMETRICS{};
        metrics->gmBlackBoxX = 1;
        metrics->gmBlackBoxY = 1;
        const long em = static_cast<long>(face->size->metrics.x_ppem);
        metrics->gmCellIncX = static_cast<SHORT>(character > 0xFF ? em : em / 2);
        return 0;
    }
    const auto render = [&](FT_Int32 hinting) {
        return FT_Load_Glyph(face, glyph, hinting | FT_LOAD_NO_BITMAP) == 0 &&
               FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0;
    };
    if (!render(FT_LOAD_DEFAULT)) {
        return GDI_ERROR;
    }
    // Hinting can round a thin stroke away (the underscore at 16 pixels): such a glyph is drawn unhinted.
    if ((face->glyph->bitmap.width == 0 || face->glyph->bitmap.rows == 0) && !render(FT_LOAD_NO_HINTING)) {
        return GDI_ERROR;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    *metrics = GLYPHMETRICS{};
    metrics->gmCellIncX = static_cast<SHORT>(Round26_6(slot->advance.x));
    metrics->gmCellIncY = 0;
    if (bitmap.width == 0 || bitmap.rows == 0) {
        // GDI reports a blank glyph as a 1 × 1 box that needs no bytes.
        metrics->gmBlackBoxX = 1;
        metrics->gmBlackBoxY = 1;
        return 0;
    }
    metrics->gmBlackBoxX = bitmap.width;
    metrics->gmBlackBoxY = bitmap.rows;
    metrics->gmptGlyphOrigin.x = slot->bitmap_left;
    metrics->gmptGlyphOrigin.y = slot->bitmap_top;
    const DWORD stride = (bitmap.width + 3u) & ~3u;
    const DWORD needed = stride * bitmap.rows;
    if (size == 0 || buffer == nullptr) {
        return needed;
    }
    if (size < needed) {
        return GDI_ERROR;
    }
    auto* out = static_cast<BYTE*>(buffer);
    std::memset(out, 0, needed);
    for (unsigned y = 0; y < bitmap.rows; ++y) {
        const unsigned char* src = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        for (unsigned x = 0; x < bitmap.width; ++x) {
            out[y * stride + x] = static_cast<BYTE>((src[x] * 16 + 127) / 255);
        }
    }
    return needed;
}

int SetDIBitsToDevice(HDC handle, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info, UINT colorUse)
{
    HDC__* dc = LookupDc(handle);
    if (dc == nullptr || bits == nullptr || info == nullptr || colorUse != DIB_RGB_COLORS) {
        return 0;
    }
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biBitCount != 8 || h.biCompression != BI_RGB ||
        h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN || h.biWidth > 65536 ||
        width > 65536 || height > 65536) {
        return 0;
    }
    auto* target = dynamic_cast<Bitmap*>(dc->bitmap);
    if (target == nullptr || target->stock) {
        return 0;
    }
    const bool topDown = h.biHeight < 0;
    const long srcHeight = topDown ? -static_cast<long>(h.biHeight) : h.biHeight;
    const long srcStride = ((static_cast<long>(h.biWidth) * 8 + 31) / 32) * 4;
    const DWORD colours = h.biClrUsed != 0 && h.biClrUsed < 256 ? h.biClrUsed : 256;
    const auto* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(info) + h.biSize);

    // Packed destination value of every palette entry.
    std::vector<DWORD> packed(256, 0);
    for (DWORD i = 0; i < colours; ++i) {
        packed[i] = PackChannel(table[i].rgbRed, target->masks[0]) | PackChannel(table[i].rgbGreen, target->masks[1]) |
                    PackChannel(table[i].rgbBlue, target->masks[2]);
    }
    const auto* src = static_cast<const BYTE*>(bits);
    int copied = 0;
    for (long row = 0; row < static_cast<long>(height); ++row) {
        // Source rows counted from the top of the picture; a bottom-up DIB counts ySrc from its bottom.
        const long sy = topDown ? ySrc + row : srcHeight - 1 - (ySrc + static_cast<long>(height) - 1 - row);
        const long dy = yDest + row;
        if (sy < 0 || sy >= srcHeight || dy < 0 || dy >= target->height) {
            continue;
        }
        // Stored scan line index (scan 0 is the first stored row) within the lines given.
        const long scan = topDown ? sy : srcHeight - 1 - sy;
        if (scan < static_cast<long>(startScan) || scan >= static_cast<long>(startScan) + static_cast<long>(lines)) {
            continue;
        }
        const BYTE* line = src + (scan - static_cast<long>(startScan)) * srcStride;
        BYTE* out = target->Row(static_cast<int>(dy));
        for (long col = 0; col < static_cast<long>(width); ++col) {
            const long sx = xSrc + col;
            const long dx = xDest + col;
            if (sx < 0 || sx >= h.biWidth || dx < 0 || dx >= target->width) {
                continue;
            }
            const DWORD value = packed[line[sx]];
            if (target->bitCount == 16) {
                out[dx * 2] = static_cast<BYTE>(value & 0xFF);
                out[dx * 2 + 1] = static_cast<BYTE>(value >> 8);
            } else {
                for (int b = 0; b < 4; ++b) {
                    out[dx * 4 + b] = static_cast<BYTE>(value >> (8 * b));
                }
            }
        }
        ++copied;
    }
    return copied;
}
