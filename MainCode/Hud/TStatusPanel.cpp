#include "MainCode/Hud/TStatusPanel.h"

#include <algorithm>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/THrdefTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Hud/TLetterFont.h"

namespace {

constexpr char kSheet[] = "sprite.ptx/bar00";
constexpr std::uint32_t kGrey = 0xFFE5E5E5;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint16_t kFullAbp = 1000;
// Shown levels have two places.
constexpr std::uint32_t kMaxShownLevel = 99;

// The strips of the bar sheet: full u, top and bottom v, full length and height on screen.
struct Strip {
    float u, top, bottom, length, height;
};
constexpr Strip kStrips[TStatusPanel::kBarCount] = {
    {0.6796875F, 0.0625F, 0.3125F, 174.0F, 8.0F}, {0.67578125F, 0.375F, 0.5F, 173.0F, 4.0F},
    {0.6875F, 0.5625F, 0.6875F, 176.0F, 4.0F},    {0.25F, 0.75F, 0.875F, 64.0F, 4.0F},
    {0.25F, 0.75F, 0.875F, 64.0F, 4.0F},          {0.25F, 0.75F, 0.875F, 64.0F, 4.0F},
};
// Where each bar stands from the panel's corner.
constexpr float kBarAt[TStatusPanel::kBarCount][2] = {{70, 20}, {71, 36}, {68, 44}, {81, 82}, {65, 111}, {49, 140}};
// Icons and full marks of the weapon and the accessories: 16 left and 29 down from one to the next.
constexpr float kIconAt[TStatusPanel::kSlots][2] = {{52, 54}, {36, 83}, {20, 112}};
constexpr float kMarkAt[TStatusPanel::kSlots][2] = {{105, 76}, {89, 105}, {73, 134}};

void SetStrip(TSprite& s, float left, float right, float top, float bottom)
{
    s.SetTexCoord(0, left, top);
    s.SetTexCoord(1, right, top);
    s.SetTexCoord(2, left, bottom);
    s.SetTexCoord(3, right, bottom);
}

// A value over its maximum, the empty end for a negative value or a maximum of 0 or less.
float Ratio(std::int32_t value, std::int32_t max)
{
    if (max <= 0) {
        return 0.0F;
    }
    if (value > max) {
        return 1.0F;
    }
    if (value < 0) {
        return 0.0F;
    }
    return static_cast<float>(value) / static_cast<float>(max);
}

}  // namespace

TRefPtr<TStatusPanel> TStatusPanel::Create(TLetterFont* font)
{
    return TRefPtr<TStatusPanel>(new TStatusPanel(font));
}

TStatusPanel::TStatusPanel(TLetterFont* font)
    : m_frame(TSprite::FromFile("sprite.ptx/guage09", D3DPOOL_MANAGED, 0)), m_font(font)
{
    std::fill(std::begin(m_ratios), std::end(m_ratios), 1.0F);
    for (int bar = kHp; bar <= kWeapon; ++bar) {
        m_bars[bar] = TSprite::FromFile(kSheet, D3DPOOL_MANAGED, 0);
    }
    if (font != nullptr) {
        m_percentSign = font->Glyph('%');
    }
    m_percentSign.SetColor(kGrey, -1);
}

TStatusPanel::~TStatusPanel() = default;

void TStatusPanel::Refresh(TPlayerCharacter* character)
{
    if (character == nullptr) {
        return;
    }
    for (int bar = kHp; bar <= kWeapon; ++bar) {
        SetStrip(m_bars[bar], 0.0F, kStrips[bar].u, kStrips[bar].top, kStrips[bar].bottom);
    }
    m_fullMarks[0] = TSprite::FromFile(kSheet, D3DPOOL_MANAGED, 0);
    SetStrip(m_fullMarks[0], 0.9375F, 1.0F, 0.0F, 0.5F);
    m_fullMarks[1] = m_fullMarks[0];
    m_fullMarks[2] = m_fullMarks[0];
    m_bars[kAccessoryA] = m_bars[kWeapon];
    m_bars[kAccessoryB] = m_bars[kWeapon];
    m_weaponIcon = TWeponTable::CreateIconSprite(character->GetWeaponId());
    // Both accessory slots show the accessory icon, whatever they hold.
    for (int slot = 0; slot < 2; ++slot) {
        static_cast<void>(character->GetEquipItemId(slot == 0 ? 'A' : 'B'));
        m_accessoryIcons[slot] = TSprite::FromFile("itm_icon.ptx/itm01_icon", D3DPOOL_MANAGED, 0);
    }
    UpdateBars(character);
    m_face = TSprite::FromFile("face.ptx/" + THrdefTable::Get(character->GetCharacterIndex()).FaceName,
                               D3DPOOL_MANAGED, 0);
}

void TStatusPanel::UpdateBars(TPlayerCharacter* character)
{
    m_ratios[kHp] = Ratio(character->GetHp(), character->GetMaxHp());
    m_ratios[kMp] = Ratio(character->GetMp(), character->GetMaxMp());
    // The load is not held to its capacity; a capacity of 0 shows an empty bar.
    const auto used = static_cast<std::int32_t>(character->GetGaugeUsed());
    const auto capacity = static_cast<std::int32_t>(character->GetGaugeMax());
    m_ratios[kLoad] = capacity > 0 ? static_cast<float>(used) / static_cast<float>(capacity) : 0.0F;
    const std::uint16_t points[kSlots] = {character->GetWeaponAbp(), character->GetEquipAbp('A'),
                                          character->GetEquipAbp('B')};
    for (int slot = 0; slot < kSlots; ++slot) {
        m_ratios[kWeapon + slot] = static_cast<float>(points[slot]) * 0.001F;
        m_full[slot] = points[slot] == kFullAbp;
    }
    // The strip is cut, not squeezed, as the bar shrinks.
    for (int bar = 0; bar < kBarCount; ++bar) {
        const float right = m_ratios[bar] * kStrips[bar].u;
        m_bars[bar].SetTexCoord(1, right, m_bars[bar].GetVertex(1).v);
        m_bars[bar].SetTexCoord(3, right, m_bars[bar].GetVertex(3).v);
    }
}

void TStatusPanel::PlaceGlyph(TSprite& place, const TSprite& glyph)
{
    place = glyph;
    place.SetColor(kGrey, -1);
}

void TStatusPanel::Update(TPlayerCharacter* character)
{
    if (character == nullptr) {
        return;
    }
    UpdateBars(character);
    if (m_font == nullptr) {
        return;
    }

    const std::uint32_t level = std::min(character->GetLevel() + 1, kMaxShownLevel);
    if (level < 10) {
        PlaceGlyph(m_levelDigits[0], m_font->Glyph('#'));
        PlaceGlyph(m_levelDigits[1], m_font->Digit(static_cast<std::int32_t>(level)));
    } else {
        PlaceGlyph(m_levelDigits[0], m_font->Digit(static_cast<std::int32_t>(level / 10)));
        PlaceGlyph(m_levelDigits[1], m_font->Digit(static_cast<std::int32_t>(level % 10)));
    }

    // The points into this level, read unsigned: below the level's start they show 0 %.
    const std::uint32_t into = character->GetExperience() - character->GetNextLevelExp() + 1000;
    const auto p = static_cast<std::int64_t>(static_cast<double>(into) * 0.001 * 100.0);
    if (p > 0 && p < 10) {
        PlaceGlyph(m_percentDigits[0], m_font->Glyph('#'));
        PlaceGlyph(m_percentDigits[1], m_font->Digit(static_cast<std::int32_t>(p)));
    } else if (p >= 10 && p < 100) {
        PlaceGlyph(m_percentDigits[0], m_font->Digit(static_cast<std::int32_t>(p / 10)));
        PlaceGlyph(m_percentDigits[1], m_font->Digit(static_cast<std::int32_t>(p % 10)));
    } else {
        PlaceGlyph(m_percentDigits[0], m_font->Glyph('#'));
        PlaceGlyph(m_percentDigits[1], m_font->Glyph('0'));
    }
}

void TStatusPanel::Draw(std::int32_t x, std::int32_t y)
{
    TSprite::SetRenderMode(1);
    const auto fx = static_cast<float>(x);
    const auto fy = static_cast<float>(y);
    m_frame.Draw(fx, fy, false);
    for (int bar = 0; bar < kBarCount; ++bar) {
        m_bars[bar].Draw(fx + kBarAt[bar][0], fy + kBarAt[bar][1], kStrips[bar].length * m_ratios[bar],
                         kStrips[bar].height, false);
    }
    TSprite* icons[kSlots] = {&m_weaponIcon, &m_accessoryIcons[0], &m_accessoryIcons[1]};
    for (int slot = 0; slot < kSlots; ++slot) {
        icons[slot]->Draw(fx + kIconAt[slot][0], fy + kIconAt[slot][1], false);
    }
    for (int slot = 0; slot < kSlots; ++slot) {
        if (m_full[slot]) {
            m_fullMarks[slot].Draw(fx + kMarkAt[slot][0], fy + kMarkAt[slot][1], 16.0F, 16.0F, false);
        }
    }
    m_levelDigits[0].Draw(fx + 96.0F, fy + 3.0F, 16.0F, 16.0F, false);
    m_levelDigits[1].Draw(fx + 108.0F, fy + 3.0F, 16.0F, 16.0F, false);
    m_percentDigits[0].Draw(fx + 150.0F, fy + 3.0F, 16.0F, 16.0F, false);
    m_percentDigits[1].Draw(fx + 162.0F, fy + 3.0F, 16.0F, 16.0F, false);
    m_percentSign.Draw(fx + 174.0F, fy + 3.0F, 16.0F, 16.0F, false);
    m_face.Draw(fx + 8.0F, fy, false);
}

void TStatusPanel::SetColors()
{
    m_frame.SetColor(kWhite, -1);
    for (TSprite& bar : m_bars) {
        bar.SetColor(kWhite, -1);
    }
    for (int slot = 0; slot < kSlots; ++slot) {
        GetIcon(slot).SetColor(kWhite, -1);
        m_fullMarks[slot].SetColor(kWhite, -1);
    }
    for (TSprite* glyph : {&m_levelDigits[0], &m_levelDigits[1], &m_percentDigits[0], &m_percentDigits[1],
                           &m_percentSign}) {
        glyph->SetColorF(0.9F, 0.9F, 0.9F, 1.0F, -1);
    }
}
