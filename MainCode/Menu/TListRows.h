// The seven rows of a menu list window at 36 pixels a row: each a text and an icon, with the
// window's cursor and its scroll arrows. The item ring screen, the equipment screen and the skill
// window write their rows into it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "dx/dx8/3d/TSprite.h"
#include "platform/win32/types.h"

class TListPager;
class TText8;

class TListRows {
public:
    static constexpr std::int32_t kRows = 7;
    static constexpr float kPitch = 36.0F;

    // The texts textName + "0" to "6", 256 wide; icons without texture; the cursor "cursor02"
    // and the arrows "cursor03" and "cursor04" of "sprite.ptx".
    explicit TListRows(const std::string& textName);
    ~TListRows();

    // Row i's text written (its icon is the caller's, through Icon).
    void SetText(std::int32_t i, const std::string& word);
    // Row i holding only a word, without icon.
    void SetWord(std::int32_t i, const std::string& word);
    // Past the list's end: no text, an untextured icon.
    void Clear(std::int32_t i);
    void SetColors(std::int32_t i, DWORD text, DWORD icon);

    // The list window at (x, y) over a list of that length: the row icons, the scroll arrows of a
    // list longer than the window and the cursor on the pager's row, the arrows and the cursor
    // moved by the bob.
    void DrawList(float x, float y, const TListPager& pager, std::int32_t length, std::int32_t bob);
    // The texts from (x, y), a row every 36 pixels down.
    void DrawTexts(float x, float y);

    TSprite& Icon(std::int32_t i) { return m_icons[i]; }

private:
    friend struct TMenuProbe;

    std::array<std::unique_ptr<TText8>, kRows> m_texts;
    std::array<TSprite, kRows> m_icons;
    TSprite m_cursor;
    TSprite m_upArrow;
    TSprite m_downArrow;
};
