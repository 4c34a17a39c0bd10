#include "MainCode/Hud/TLevelUpPopup.h"

#include <cstdint>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TFieldLoop.h"

namespace {

// Rows start white and clear and hold 90 steps once the last has arrived.
constexpr std::uint32_t kStartColour = 0x00FFFFFF;
constexpr std::int32_t kHold = 90;
constexpr float kDigits = 68.0F;

}  // namespace

TLevelUpPopup::TLevelUpPopup(TFieldLoop* field, TLetterFont* font)
    : TRowPopup(font, kStartColour, kHold), m_field(field)
{
    m_rows.AddRow(font, "LEVELUP!", {0, 14, 28, 42, 56, 78, 92, 106}, false, 0.0F);
    m_rows.AddRow(font, "LV+", {0, 16, 54}, true, kDigits);
    m_rows.AddRow(font, "HP+", {0, 14, 54}, true, kDigits);
    m_rows.AddRow(font, "MP+", {0, 14, 54}, true, kDigits);
    for (const char* stat : {"STR+", "VIT+", "INT+", "MEN+"}) {
        m_rows.AddRow(font, stat, {0, 14, 28, 54}, true, kDigits);
    }
}

void TLevelUpPopup::Start(float x, float y)
{
    TPopupText::Start(x, y);
    m_rows.Place(x, y);
    m_rows.SetDigits(1, m_font, 1);
    // The player keeps its gains as max HP, max MP, STR, VIT, INT, MEN: the rows' own order.
    // Without a player the rows show nothing gained.
    const TPlayerCharacter* player = m_field != nullptr ? m_field->GetPlayer() : nullptr;
    for (std::size_t i = 0; i < 6; ++i) {
        m_rows.SetDigits(i + 2, m_font, player != nullptr ? player->GetLevelUpGains()[i] : 0);
    }
}
