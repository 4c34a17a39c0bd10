#include "MainCode/Hud/TLetterFont.h"

#include "TCommon/my_error.h"

namespace {

const char kSourceFile[] = "MainCode/Hud/TLetterFont";

// The sheet's cells, row by row from the top-left; every cell after ':' is '#'.
constexpr char kCells[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ!/+()%0123456789.:";
constexpr int kSide = 8;
constexpr float kCell = 0.125F;

}  // namespace

TLetterFont::TLetterFont(const std::string& sheet)
    : m_sheet(sheet), m_image(TTexture8::Load(sheet, D3DPOOL_MANAGED, 0))
{
    // Without its picture the field still plays: the letters are laid out on no texture and
    // stay blank. Said once, as the package and the entry it looked for.
    if (!m_image.HasTexture()) {
        std::string package;
        std::string entry;
        TTexture8::ExtractPackageName(sheet, &package);
        TTexture8::ExtractEntryName(sheet, &entry);
        my_error::LogError(my_error("The letter sheet \"" + entry + "\" cannot be shown from " +
                                        TTexture8::GetDirectory() + package + "; the letters stay blank",
                                    kSourceFile, __LINE__));
    }
    Layout();
}

TLetterFont::~TLetterFont() = default;

void TLetterFont::Layout()
{
    float top = 0.0F;
    int i = 0;
    for (int row = 0; row < kSide; ++row) {
        float left = 0.0F;
        const float bottom = top + kCell;
        for (int col = 0; col < kSide; ++col, ++i) {
            const auto c = static_cast<std::uint8_t>(i < static_cast<int>(sizeof kCells) - 1 ? kCells[i] : '#');
            // A later '#' cell takes the place of the earlier one: the glyph is the last cell.
            TSprite& glyph = m_glyphs[c];
            glyph = TSprite(m_image);
            const float right = left + kCell;
            glyph.SetTexCoord(0, left, top);
            glyph.SetTexCoord(1, right, top);
            glyph.SetTexCoord(2, left, bottom);
            glyph.SetTexCoord(3, right, bottom);
            left = right;
        }
        top = bottom;
    }
}

TSprite& TLetterFont::Glyph(std::uint8_t c)
{
    return m_glyphs[c];
}

TSprite& TLetterFont::Digit(std::int32_t d)
{
    return Glyph(static_cast<std::uint8_t>('0' + d));
}
