#include "dx/dx8/3d/TText8.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "TCommon/my_error.h"
#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TD3D8.h"
#include "platform/text/cp932.h"

namespace {

const char kSourceFile[] = "dx/dx8/3d/TText8";
constexpr int kTextFormatClass = 3;
// Larger bitmaps are refused; the game's largest text is 512 × 64.
constexpr std::uint32_t kMaxSide = 4096;

}  // namespace

TText8::DibSection::~DibSection()
{
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
}

TText8::TText8(const std::string& name, UINT width, UINT height, int red, int green, int blue, D3DPOOL pool,
               DWORD usage)
    : TText8(name, width, height, red, green, blue, TD3D8::Instance()->GetTextureFormat(kTextFormatClass), pool,
             usage)
{
}

TText8::TText8(const std::string& name, UINT width, UINT height, int red, int green, int blue, D3DFORMAT format,
               D3DPOOL pool, DWORD usage)
    : TSprite(TTexture8::CreateSized(name, width, height, format, pool, usage)),
      m_dib(new DibSection()),
      m_glyphHeader(new GlyphHeader()),
      m_format(format),
      m_textWidth(width),
      m_textHeight(height),
      m_stride(((width * 16 + 31) / 8) & ~3u),
      m_red(static_cast<std::uint8_t>(red)),
      m_green(static_cast<std::uint8_t>(green)),
      m_blue(static_cast<std::uint8_t>(blue))
{
    GlyphHeader& glyph = *m_glyphHeader;
    std::memset(&glyph, 0, sizeof(glyph));
    glyph.header.biSize = sizeof(BITMAPINFOHEADER);
    glyph.header.biPlanes = 1;
    glyph.header.biBitCount = 8;
    glyph.header.biCompression = BI_RGB;

    // The section's header with the three masks after it.
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } section{};
    section.header.biSize = sizeof(BITMAPINFOHEADER);
    section.header.biWidth = static_cast<LONG>(width);
    section.header.biHeight = -static_cast<LONG>(height);
    section.header.biPlanes = 1;
    section.header.biBitCount = 16;
    section.header.biSizeImage = height * m_stride;
    switch (format) {
    case D3DFMT_R5G6B5:
        section.header.biCompression = BI_BITFIELDS;
        section.masks[0] = 0xF800;
        section.masks[1] = 0x07E0;
        section.masks[2] = 0x001F;
        break;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        section.header.biCompression = BI_RGB;
        break;
    default:
        throw my_error("Unknown TextTextureFormat", kSourceFile, 102);
    }
    SetTextColor(red, green, blue);
    if (width != 0 && height != 0 && width <= kMaxSide && height <= kMaxSide) {
        void* bits = nullptr;
        m_dib->bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&section), DIB_RGB_COLORS, &bits,
                                         nullptr, 0);
        m_dib->pixels = m_dib->bitmap != nullptr ? static_cast<std::uint8_t*>(bits) : nullptr;
    }
    Clear(true);
}

TText8::~TText8() = default;

void TText8::SetTextColor(int red, int green, int blue)
{
    m_red = static_cast<std::uint8_t>(red);
    m_green = static_cast<std::uint8_t>(green);
    m_blue = static_cast<std::uint8_t>(blue);
    for (int i = 0; i <= 16; ++i) {
        RGBQUAD& c = m_glyphHeader->colors[i];
        c.rgbRed = static_cast<BYTE>(i * m_red / 16);
        c.rgbGreen = static_cast<BYTE>(i * m_green / 16);
        c.rgbBlue = static_cast<BYTE>(i * m_blue / 16);
        c.rgbReserved = 0;
    }
}

int TText8::DrawText(int x, int y, const std::string& text, TFontHolder* font, bool upload)
{
    int pen = x;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldBitmap = m_dib->bitmap != nullptr ? SelectObject(dc, m_dib->bitmap) : nullptr;
    HGDIOBJ oldFont = font != nullptr && *font->GetFont() != nullptr ? SelectObject(dc, *font->GetFont()) : nullptr;
    SetBkMode(dc, TRANSPARENT);

    const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    const int baseline = y + tm.tmAscent;
    std::vector<BYTE> buffer;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        UINT code = lead;
        if (platform::IsCp932LeadByte(lead)) {
            // A lead byte at the very end pairs with the terminator.
            const auto trail = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
            code = lead * 256u + trail;
            i += 2;
        } else {
            i += 1;
        }
        GLYPHMETRICS gm{};
        const DWORD size = GetGlyphOutlineA(dc, code, GGO_GRAY4_BITMAP, &gm, 0, nullptr, &identity);
        if (size == 0 || size == GDI_ERROR) {
            pen += gm.gmCellIncX;
            continue;
        }
        buffer.assign(size, 0);
        if (GetGlyphOutlineA(dc, code, GGO_GRAY4_BITMAP, &gm, size, buffer.data(), &identity) != GDI_ERROR) {
            BITMAPINFOHEADER& h = m_glyphHeader->header;
            h.biWidth = static_cast<LONG>(gm.gmBlackBoxX);
            h.biHeight = -static_cast<LONG>(gm.gmBlackBoxY);
            h.biSizeImage = size;
            // Every glyph level, 0 included, is written over what was there.
            SetDIBitsToDevice(dc, pen + gm.gmptGlyphOrigin.x, baseline - gm.gmptGlyphOrigin.y, gm.gmBlackBoxX,
                              gm.gmBlackBoxY, 0, 0, 0, gm.gmBlackBoxY, buffer.data(),
                              reinterpret_cast<const BITMAPINFO*>(m_glyphHeader.Get()), DIB_RGB_COLORS);
        }
        pen += gm.gmCellIncX;
    }

    if (oldFont != nullptr) {
        SelectObject(dc, oldFont);
    }
    if (oldBitmap != nullptr) {
        SelectObject(dc, oldBitmap);
    }
    DeleteDC(dc);
    if (upload) {
        Upload();
    }
    return pen;
}

void TText8::Clear(bool upload)
{
    if (m_dib->pixels != nullptr) {
        std::memset(m_dib->pixels, 0, static_cast<std::size_t>(m_textHeight) * m_stride);
    }
    if (upload) {
        Upload();
    }
}

void TText8::Upload()
{
    IDirect3DTexture8* texture = m_image.GetTexture();
    D3DSURFACE_DESC desc{};
    if (texture == nullptr || m_dib->pixels == nullptr || !m_image.GetLevelDesc(0, &desc)) {
        return;
    }
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0)) || locked.pBits == nullptr) {
        return;
    }
    // A row is 2 × width bytes; a shared texture of another size takes only what fits.
    const std::size_t row = std::min<std::size_t>({static_cast<std::size_t>(m_textWidth) * 2,
                                                   static_cast<std::size_t>(desc.Width) * 2,
                                                   static_cast<std::size_t>(locked.Pitch)});
    const std::uint32_t rows = std::min(m_textHeight, desc.Height);
    auto* out = static_cast<std::uint8_t*>(locked.pBits);
    for (std::uint32_t y = 0; y < rows; ++y) {
        std::memcpy(out + static_cast<std::size_t>(y) * locked.Pitch, m_dib->pixels + static_cast<std::size_t>(y) * m_stride,
                    row);
    }
    texture->UnlockRect(0);
}
