#include <gtest/gtest.h>

#include <vector>

#include "MainCode/Menu/TListPager.h"
#include "MainCode/TInputDevice.h"

namespace {

struct PagerCase {
    std::int32_t length;
    std::int32_t top, row;  // where the cursor stands before the move
    std::uint16_t moves;
    std::int32_t wantTop, wantRow;
};

constexpr std::uint16_t U = kButtonUp;
constexpr std::uint16_t D = kButtonDown;
constexpr std::uint16_t L = kButtonLeft;
constexpr std::uint16_t R = kButtonRight;

// Puts the cursor on (top, row) the way a player would: down to the window's last row over that
// top, then back up.
TListPager At(std::int32_t length, std::int32_t top, std::int32_t row)
{
    TListPager pager;
    pager.Reset(length);
    const std::int32_t downs = top > 0 ? top + 6 : row;
    for (std::int32_t i = 0; i < downs; ++i) {
        pager.Down();
    }
    while (pager.GetRow() > row) {
        pager.Up();
    }
    EXPECT_EQ(pager.GetTop(), top);
    EXPECT_EQ(pager.GetRow(), row);
    return pager;
}

}  // namespace

// Every move at both ends of lists around the window's seven rows; a move word is the same
// whether it comes from a new press or from the repeat mask.
TEST(TListPager, MovesStopAtBothEndsOfListsOfEveryLength)
{
    const PagerCase cases[] = {
        // empty: the cursor stays on row 0, never -1
        {0, 0, 0, U, 0, 0}, {0, 0, 0, D, 0, 0}, {0, 0, 0, L, 0, 0}, {0, 0, 0, R, 0, 0},
        // one entry
        {1, 0, 0, U, 0, 0}, {1, 0, 0, D, 0, 0}, {1, 0, 0, L, 0, 0}, {1, 0, 0, R, 0, 0},
        // six: the last row is 5
        {6, 0, 5, D, 0, 5}, {6, 0, 4, D, 0, 5}, {6, 0, 0, U, 0, 0}, {6, 0, 3, R, 0, 5}, {6, 0, 3, L, 0, 0},
        // seven: a full window that never scrolls
        {7, 0, 6, D, 0, 6}, {7, 0, 5, D, 0, 6}, {7, 0, 2, R, 0, 6}, {7, 0, 6, L, 0, 0}, {7, 0, 0, U, 0, 0},
        // eight: one row to scroll
        {8, 0, 6, D, 1, 6}, {8, 1, 6, D, 1, 6}, {8, 1, 0, U, 0, 0}, {8, 0, 0, U, 0, 0}, {8, 0, 2, R, 1, 6},
        {8, 1, 6, L, 0, 0}, {8, 1, 3, R, 1, 6},
        // thirteen and fourteen: the page on lands exactly on or one short of the end
        {13, 0, 2, R, 6, 6}, {13, 6, 6, D, 6, 6}, {13, 6, 4, L, 0, 0},
        {14, 0, 2, R, 7, 2}, {14, 7, 2, R, 7, 6}, {14, 7, 6, D, 7, 6}, {14, 7, 4, L, 0, 4}, {14, 6, 0, U, 5, 0},
        // twenty: whole pages inside the list
        {20, 0, 3, R, 7, 3}, {20, 7, 3, R, 13, 6}, {20, 13, 6, D, 13, 6}, {20, 8, 1, L, 1, 1}, {20, 5, 0, U, 4, 0},
        // only the first of up, down, left, right runs
        {20, 5, 3, U | D, 5, 2}, {20, 5, 3, D | R, 5, 4}, {20, 8, 3, L | R, 1, 3},
    };
    for (const PagerCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "length " << c.length << " top " << c.top << " row " << c.row << " moves "
                                        << c.moves);
        TListPager pager = At(c.length, c.top, c.row);
        EXPECT_TRUE(pager.Move(c.moves));
        EXPECT_EQ(pager.GetTop(), c.wantTop);
        EXPECT_EQ(pager.GetRow(), c.wantRow);
    }
    TListPager idle = At(20, 5, 3);
    EXPECT_FALSE(idle.Move(0x0010 | 0x0020));  // decide and cancel are not moves
    EXPECT_EQ(idle.GetIndex(), 8);
}

TEST(TListPager, TenEntriesScrollToTheEndAndPageBack)
{
    TListPager pager = At(10, 0, 6);
    std::vector<std::int32_t> tops;
    for (int i = 0; i < 4; ++i) {
        pager.Move(D);
        tops.push_back(pager.GetTop());
    }
    EXPECT_EQ(tops, (std::vector<std::int32_t>{1, 2, 3, 3}));
    EXPECT_EQ(pager.GetIndex(), 9);

    pager.Reset(10);
    pager.Move(R);
    EXPECT_EQ(pager.GetTop(), 3);
    EXPECT_EQ(pager.GetRow(), 6);
    pager.Move(L);
    EXPECT_EQ(pager.GetTop(), 0);
    EXPECT_EQ(pager.GetRow(), 0);

}

// The cursor after a sale at the bounds of a full window: lists of 6, 7 and 8 entries left, the
// window at its top and at its end, the cursor on the last row and above it, the sold entry gone
// or still there with fewer pieces.
TEST(TListPager, ASaleRepairsTheCursorInBothBranches)
{
    const struct {
        std::int32_t length, top, row;  // before the sale
        std::int32_t left;              // entries after it
        bool deleted;
        std::int32_t wantTop, wantRow;
    } cases[] = {
        // on the last row: held there, the window pulled back to the end only when past it
        {9, 2, 6, 8, true, 1, 6},   {9, 1, 6, 8, true, 1, 6},  {9, 0, 6, 8, true, 0, 6},
        {8, 1, 6, 7, true, 0, 6},   {8, 0, 6, 7, true, 0, 6},  {7, 0, 6, 6, true, 0, 5},
        {8, 1, 6, 8, false, 1, 6},  {8, 0, 6, 8, false, 0, 6}, {7, 0, 6, 7, false, 0, 6},
        {6, 0, 5, 6, false, 0, 5},  {6, 0, 5, 5, true, 0, 4},
        // a list that no longer fills the window goes back to its top
        {8, 1, 6, 6, true, 0, 5},   {8, 1, 3, 6, true, 0, 3},
        // above the last row: a deleted entry takes the window up a row, not past the top
        {9, 2, 5, 8, true, 1, 5},   {9, 1, 0, 8, true, 0, 0},  {9, 0, 5, 8, true, 0, 5},
        {8, 1, 5, 7, true, 0, 5},   {8, 0, 2, 7, true, 0, 2},  {7, 0, 5, 6, true, 0, 5},
        {7, 0, 4, 6, true, 0, 4},
        // above the last row with the entry still there: nothing moves
        {8, 1, 5, 8, false, 1, 5},  {8, 0, 5, 8, false, 0, 5}, {7, 0, 5, 7, false, 0, 5},
        {6, 0, 4, 6, false, 0, 4},
        // deeper in a long list, and an emptied one
        {20, 5, 2, 19, true, 4, 2}, {10, 3, 6, 9, true, 2, 6}, {10, 3, 2, 9, true, 2, 2},
        {1, 0, 0, 0, true, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "length " << c.length << " top " << c.top << " row " << c.row << " left "
                                        << c.left << (c.deleted ? " deleted" : " kept"));
        TListPager pager = At(c.length, c.top, c.row);
        pager.Repair(c.left, c.deleted);
        EXPECT_EQ(pager.GetLength(), c.left);
        EXPECT_EQ(pager.GetTop(), c.wantTop);
        EXPECT_EQ(pager.GetRow(), c.wantRow);
    }
}
