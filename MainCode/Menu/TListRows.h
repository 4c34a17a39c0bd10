// The seven rows of a menu list window: each a text and an icon, with the window's cursor and its
// scroll arrows. The item ring screen, the equipment screen and the skill window write their rows
// into it at 36 pixels a row; the shops into a wider window of their own.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "dx/dx8/3d/TSprite.h"
#include "platform/win32/types.h"

class TListPager;
class TText8;

// Where a list window's parts sit, from its corner; row i is i pitches further down.
struct TListRowsLayout {
    float pitch = 36.0F;
    float iconX = 52.0F;
    float iconY = 34.0F;
    float cursorX = 32.0F;
    float cursorY = 42.0F;
    float arrowX = 242.0F;
    float upArrowY = 28.0F;
    float downArrowY = 274.0F;
};

class TListRows {
public:
    static constexpr std::int32_t kRows = 7;
    using Layout = TListRowsLayout;

    // The texts textName + "0" to "6", textWidth wide; icons without texture; the cursor
    // "cursor02" and the arrows "cursor03" and "cursor04" of "sprite.ptx".
    explicit TListRows(const std::string& textName, UINT textWidth = 256, const Layout& layout = Layout());
    ~TListRows();

    // Row i's text written (its icon is the caller's, through Icon).
    void SetText(std::int32_t i, const std::string& word);
    // Row i holding only a word, without icon.
    void SetWord(std::int32_t i, const std::string& word);
    // Past the list's end: no text, an untextured icon.
    void Clear(std::int32_t i);
    void SetColors(std::int32_t i, DWORD text, DWORD icon);
    // The cursor's and the arrows' colour.
    void SetFrameColor(DWORD color);

    // The list window at (x, y) over a list of that length: the row icons, the scroll arrows of a
    // list longer than the window and the cursor on the pager's row, the arrows and the cursor
    // moved by the bob.
    void DrawList(float x, float y, const TListPager& pager, std::int32_t length, std::int32_t bob);
    // Its parts on their own, for a window that draws them in an order of its own.
    void DrawIcons(float x, float y);
    void DrawArrows(float x, float y, const TListPager& pager, std::int32_t length, std::int32_t bob);
    void DrawCursor(float x, float y, const TListPager& pager, std::int32_t bob);
    // The texts from (x, y), a row every pitch down.
    void DrawTexts(float x, float y);

    TText8& Text(std::int32_t i) { return *m_texts[i]; }
    const TSprite& GetIcon(std::int32_t i) const { return m_icons[i]; }
    TSprite& Icon(std::int32_t i) { return m_icons[i]; }

private:
    friend struct TMenuProbe;

    Layout m_layout;
    std::array<std::unique_ptr<TText8>, kRows> m_texts;
    std::array<TSprite, kRows> m_icons;
    TSprite m_cursor;
    TSprite m_upArrow;
    TSprite m_downArrow;
};
