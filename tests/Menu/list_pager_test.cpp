#include <gtest/gtest.h>

#include <vector>

#include "MainCode/Menu/TListPager.h"

namespace {

struct PagerCase {
    std::int32_t length;
    std::int32_t top, row;  // where the cursor stands before the move
    std::uint16_t moves;
    std::int32_t wantTop, wantRow;
};

constexpr std::uint16_t U = TListPager::kUp;
constexpr std::uint16_t D = TListPager::kDown;
constexpr std::uint16_t L = TListPager::kLeft;
constexpr std::uint16_t R = TListPager::kRight;

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

    // An entry taken out of a scrolled list: the window stays full, then an emptied list is row 0.
    TListPager shrinking = At(11, 4, 6);
    const std::int32_t lengths[][3] = {{10, 3, 6}, {5, 0, 4}, {0, 0, 0}};
    for (const auto& [length, top, row] : lengths) {
        shrinking.SetLength(length);
        EXPECT_EQ(shrinking.GetTop(), top) << length;
        EXPECT_EQ(shrinking.GetRow(), row) << length;
    }
}
