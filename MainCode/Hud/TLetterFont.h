// The field's letter-sprite font: one 8 × 8 sheet of capitals, digits and a few signs cut into a
// glyph sprite per character. The HUD, the item ring screen and the pop-ups copy glyphs into
// sprites of their own and draw them at their own sizes; the font draws nothing itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TTexture8.h"

class TLetterFont {
    friend struct THudProbe;
public:
    // Loads the sheet and lays out every cell. A package that cannot be read throws my_error; an
    // entry it does not hold is logged and leaves every glyph without texture.
    explicit TLetterFont(const std::string& sheet);
    ~TLetterFont();
    TLetterFont(const TLetterFont&) = delete;
    TLetterFont& operator=(const TLetterFont&) = delete;

    // The glyph of a character, owned by the font. A character not on the sheet gets a plain
    // sprite without texture, which stays in the map for later lookups.
    TSprite& Glyph(std::uint8_t c);
    // The glyph of '0' + d, unchecked: 10 is ':'.
    TSprite& Digit(std::int32_t d);

private:
    void Layout();

    std::string m_sheet;
    TTexture8 m_image;
    std::map<std::uint8_t, TSprite> m_glyphs;
};
