// The cursor of a menu list shown seven rows at a time: the item ring screen, the equipment
// screen, the skill window and both shops move through their lists with it. Up and down move a
// row and scroll at the window's edge, left and right page by seven; nothing wraps around.
#pragma once

#include <cstdint>

class TListPager {
public:
    static constexpr std::int32_t kRows = 7;

    // A list of that length, its cursor on the first entry.
    void Reset(std::int32_t length);
    // After a sale: the list is now length long, entryDeleted when the entry under the cursor
    // went out of it. A cursor on or below the new last row stays on that row, the window pulled
    // back only as far as the list's end needs (to the top when the list no longer fills it);
    // above it, a deleted entry takes the window up one row, so the rows below slide under the
    // cursor without jumping. An emptied list keeps row 0.
    void Repair(std::int32_t length, bool entryDeleted);

    // moves: the buttons newly pressed or repeating this step. Only the first of up, down, left
    // and right runs; false when none of them is in the word.
    bool Move(std::uint16_t moves);
    void Up();
    void Down();
    void PageUp();
    void PageDown();

    std::int32_t GetRow() const { return m_row; }
    std::int32_t GetTop() const { return m_top; }
    std::int32_t GetLength() const { return m_length; }
    // The entry under the cursor (top + row).
    std::int32_t GetIndex() const { return m_top + m_row; }
    bool IsEmpty() const { return m_length <= 0; }

private:
    // The last row the cursor may stand on: 6 for a full window, else the last entry (row 0 for
    // an empty list, never -1).
    std::int32_t LastRow() const;

    std::int32_t m_row = 0;
    std::int32_t m_top = 0;
    std::int32_t m_length = 0;
};
