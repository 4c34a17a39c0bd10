// The status panel in the field's top-left corner: the played character's face, its HP, MP and
// item-load bars, its level and the progress toward the next in percent, and the icons and
// ability-point gauges of its weapon and accessories with a mark beside each full gauge. It keeps
// no game state: Refresh and Update read the character. The equipment screen draws and recolours
// the same panel.
#pragma once

#include <cstdint>

#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TSprite.h"

class TLetterFont;
class TPlayerCharacter;

class TStatusPanel {
public:
    // The bars in their order; the last three are the ability-point gauges.
    enum Bar { kHp, kMp, kLoad, kWeapon, kAccessoryA, kAccessoryB, kBarCount };
    // Icons and full marks: weapon, accessory A, accessory B.
    static constexpr int kSlots = 3;

    static TRefPtr<TStatusPanel> Create(TLetterFont* font);
    explicit TStatusPanel(TLetterFont* font);
    virtual ~TStatusPanel();
    TStatusPanel(const TStatusPanel&) = delete;
    TStatusPanel& operator=(const TStatusPanel&) = delete;

    // Everything that follows the character's equipment and definition.
    void Refresh(TPlayerCharacter* character);
    // Bars, level and progress, each frame.
    void Update(TPlayerCharacter* character);
    void Draw(std::int32_t x, std::int32_t y);
    // White parts and grey numbers again; the face keeps its colour.
    void SetColors();

    // The parts, for the equipment screen to recolour and to set the weapon icon.
    TSprite& GetFrame() { return m_frame; }
    TSprite& GetBar(int bar) { return m_bars[bar]; }
    TSprite& GetIcon(int slot) { return slot == 0 ? m_weaponIcon : m_accessoryIcons[slot - 1]; }
    TSprite& GetFullMark(int slot) { return m_fullMarks[slot]; }
    // Tens, units.
    TSprite& GetLevelDigit(int i) { return m_levelDigits[i]; }
    TSprite& GetPercentDigit(int i) { return m_percentDigits[i]; }
    TSprite& GetPercentSign() { return m_percentSign; }

private:
    friend struct THudProbe;
    void UpdateBars(TPlayerCharacter* character);
    void PlaceGlyph(TSprite& place, const TSprite& glyph);

    float m_ratios[kBarCount];
    TSprite m_frame;
    TSprite m_bars[kBarCount];
    TSprite m_weaponIcon;
    TSprite m_accessoryIcons[2];
    bool m_full[kSlots] = {};
    TSprite m_fullMarks[kSlots];
    TSprite m_face;
    TSprite m_levelDigits[2];
    TSprite m_percentDigits[2];
    TSprite m_percentSign;
    TLetterFont* m_font;
};
