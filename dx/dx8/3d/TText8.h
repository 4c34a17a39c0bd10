// Text textures: a sprite whose texture shows text drawn with GDI glyphs into a 16-bit DIB section
// kept beside it, in one colour with 17 levels of coverage, then copied into the texture.
#pragma once

#include <cstdint>
#include <string>

#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TSprite.h"
#include "platform/gdi/gdi.h"

class TFontHolder;

class TText8 : public TSprite {
    friend struct TDxProbe;

public:
    // In the text texture format the device chose (class 3).
    TText8(const std::string& name, UINT width, UINT height, int red, int green, int blue, D3DPOOL pool, DWORD usage);
    // format: R5G6B5, X1R5G5B5 or A1R5G5B5; any other throws my_error "Unknown TextTextureFormat".
    TText8(const std::string& name, UINT width, UINT height, int red, int green, int blue, D3DFORMAT format,
           D3DPOOL pool, DWORD usage);
    ~TText8() override;

    // Entry i of the ramp (0..16) is i/16 of the colour; the low 8 bits of each argument count.
    void SetTextColor(int red, int green, int blue);
    // Draws the text on one line from (x, y) (top of the line) in bitmap pixels, Shift-JIS
    // double-byte characters as one glyph. Returns the pen x after the last character.
    int DrawText(int x, int y, const std::string& text, TFontHolder* font, bool upload);
    void Clear(bool upload);
    // Copies the bitmap into level 0 of the texture.
    void Upload();


private:
    // The DIB section, deleted by the last text object that holds it.
    struct DibSection {
        HBITMAP bitmap = nullptr;
        std::uint8_t* pixels = nullptr;
        ~DibSection();
    };
    // An 8-bit header and its 256 colours, for blitting glyph bitmaps.
    struct GlyphHeader {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    };

    TRefPtr<DibSection> m_dib;
    TRefPtr<GlyphHeader> m_glyphHeader;
    D3DFORMAT m_format;
    std::uint32_t m_textWidth;
    std::uint32_t m_textHeight;
    std::uint32_t m_stride;
    std::uint8_t m_red = 0;
    std::uint8_t m_green = 0;
    std::uint8_t m_blue = 0;
};
