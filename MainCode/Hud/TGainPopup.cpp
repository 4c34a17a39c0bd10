#include "MainCode/Hud/TGainPopup.h"

#include <cstdint>

namespace {

// Rows start opaque black and hold 30 steps once the last has arrived.
constexpr std::uint32_t kStartColour = 0xFF000000;
constexpr std::int32_t kHold = 30;
constexpr float kDigits = 138.0F;

}  // namespace

TGainPopup::TGainPopup(const TCountValue& gain, TLetterFont* font)
    : TRowPopup(font, kStartColour, kHold), m_gain(gain)
{
    m_rows.AddRow(font, "EXP+", {0, 14, 28, 124}, true, kDigits);
    m_rows.AddRow(font, "ABP+", {0, 14, 28, 124}, true, kDigits);
    m_rows.AddRow(font, "ABPBONUS+", {0, 14, 28, 48, 62, 76, 90, 104, 124}, true, kDigits);
}

void TGainPopup::Start(float x, float y)
{
    TPopupText::Start(x, y);
    m_rows.Place(x, y);
    // The words are counted as signed: a negative gain shows 0.
    for (std::size_t row = 0; row < 3; ++row) {
        m_rows.SetDigits(row, m_font, static_cast<std::int32_t>(m_gain.Words[row + 1]));
    }
}
