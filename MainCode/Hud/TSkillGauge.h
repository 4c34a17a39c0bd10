// The strip at the bottom left of the field: the five skill slots of the character played, in a
// frame of five pieces, with a cursor on the selected slot that "F" and "G" move. The skill window
// of the pause menu draws the same gauge, moves its selection, writes its icons and dims it.
#pragma once

#include <cstdint>

#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/sound/TSoundList.h"

class TPlayerCharacter;

class TSkillGauge {
public:
    static constexpr std::int32_t kSlots = 5;

    static TRefPtr<TSkillGauge> Create();
    TSkillGauge();
    virtual ~TSkillGauge();
    TSkillGauge(const TSkillGauge&) = delete;
    TSkillGauge& operator=(const TSkillGauge&) = delete;

    // The icons of the character's five skill slots.
    void Refresh(TPlayerCharacter* character);
    // A new "F" selects the slot before, then a new "G" the one after (both when both are new).
    void HandleInput(TPlayerCharacter* character);
    void SelectPrev();
    void SelectNext();
    // Without sound. The selection carried over from the last character may be anything: it is
    // kept inside 0..4.
    void SetSelection(std::int32_t index);
    std::int32_t GetSelection() const { return m_selection; }
    void Draw(std::int32_t x, std::int32_t y);
    // Every corner of the frame, the icons and the cursor white again.
    void ResetColors();

    // The skill window writes the icons and colours the frame pieces (left end, three middle
    // pieces, right end).
    TSprite* GetSlotBackgrounds() { return m_frame; }
    TSprite* GetSlotIcons() { return m_icons; }

private:
    std::int32_t m_selection = 0;
    TSprite m_frame[kSlots];
    TSprite m_icons[kSlots];
    TSprite m_cursor;
    TSoundList m_sounds;
};
