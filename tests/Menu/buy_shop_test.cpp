// The buy shop over a field: moving through its goods, the count rules against the money and the
// 99 held, the confirmation, the purchase, and a shop without goods.
#include <gtest/gtest.h>

#include "MainCode/GameData/TItemEntry.h"
#include "MainCode/Menu/TBuyShopLoop.h"
#include "Menu/save_screen_fixture.h"
#include "Menu/shop_fixture.h"
#include "dx/dx8/3d/TText8.h"
#include "support/menu_probe.h"

namespace {

using shoptest::Button;
using shoptest::DefineItem;
using shoptest::ShopTest;

class BuyShop : public ShopTest {
protected:
    // n goods with ids 101.. at 10 each.
    TBuyShopLoop* OpenGoods(int n)
    {
        std::vector<std::uint32_t> goods;
        for (int i = 0; i < n; ++i) {
            DefineItem(101 + static_cast<std::uint32_t>(i), 10, 5);
            goods.push_back(101 + static_cast<std::uint32_t>(i));
        }
        data_->SetMoney(1000);
        return Open(new TBuyShopLoop(app_.get(), goods));
    }
    // Item 7 alone at that price, that much money and held that many times, its count window open.
    TBuyShopLoop* OpenCount(std::uint32_t price, std::uint32_t money, std::uint32_t held = 0)
    {
        DefineItem(7, price, 1);
        data_->SetMoney(money);
        if (held > 0) {
            data_->AddItem(7, held);
        }
        auto* shop = Open(new TBuyShopLoop(app_.get(), {7}));
        Key(shop, Button::A);
        return shop;
    }
    std::uint32_t Held(std::uint32_t id)
    {
        const TItemEntry* entry = data_->FindItem(id);
        return entry != nullptr ? entry->Count : 0;
    }
};

// Each key in turn on one shop: where the window and the cursor stand after it, which arrows the
// next draw shows, and whether the move sounded.
TEST_F(BuyShop, ThreeAndTenGoodsMoveScrollAndPageWithTheirArrows)
{
    const struct Move {
        Button key;
        std::int32_t top, row;
        int up, down;  // arrows drawn
        bool sound;
    } three[] = {
        {Button::Down, 0, 1, 0, 0, true},  {Button::Down, 0, 2, 0, 0, true}, {Button::Down, 0, 2, 0, 0, false},
        {Button::Left, 0, 0, 0, 0, true},  {Button::Right, 0, 2, 0, 0, true}, {Button::Up, 0, 1, 0, 0, true},
        {Button::Left, 0, 0, 0, 0, true},  {Button::Up, 0, 0, 0, 0, false},
    },
      ten[] = {
          {Button::Down, 0, 1, 0, 1, true}, {Button::Down, 0, 2, 0, 1, true}, {Button::Down, 0, 3, 0, 1, true},
          {Button::Down, 0, 4, 0, 1, true}, {Button::Down, 0, 5, 0, 1, true}, {Button::Down, 0, 6, 0, 1, true},
          {Button::Down, 1, 6, 1, 1, true}, {Button::Down, 2, 6, 1, 1, true}, {Button::Down, 3, 6, 1, 0, true},
          {Button::Down, 3, 6, 1, 0, false}, {Button::Left, 0, 0, 0, 1, true}, {Button::Right, 3, 6, 1, 0, true},
          {Button::Up, 3, 5, 1, 0, true},   {Button::Left, 0, 0, 0, 1, true}, {Button::Up, 0, 0, 0, 1, false},
      };
    for (const auto& [n, moves, count] : {std::tuple{3, three, std::size(three)}, std::tuple{10, ten, std::size(ten)}}) {
        TBuyShopLoop* shop = OpenGoods(n);
        for (std::size_t i = 0; i < count; ++i) {
            const Move& m = moves[i];
            SCOPED_TRACE(testing::Message() << n << " goods, move " << i);
            Key(shop, m.key);
            EXPECT_EQ(TMenuProbe::Pager(*shop).GetTop(), m.top);
            EXPECT_EQ(TMenuProbe::Pager(*shop).GetRow(), m.row);
            const auto draws = DrawsOfAStep();
            EXPECT_EQ(CountDraws(draws, "sprite.ptx/cursor03"), m.up);
            EXPECT_EQ(CountDraws(draws, "sprite.ptx/cursor04"), m.down);
            EXPECT_EQ(Played(), m.sound ? std::vector<std::uint32_t>{601} : std::vector<std::uint32_t>{});
        }
        Key(shop, Button::B);
        EXPECT_EQ(Played(), std::vector<std::uint32_t>{606});
        EXPECT_TRUE(Closes(shop));
    }
}

// The count window's rules: room below 99 held, the money, both floors at 0; each key's count
// and whether it sounded.
TEST_F(BuyShop, TheCountStaysWithinTheMoneyAndTheRoomLeft)
{
    const struct Case {
        const char* what;
        std::uint32_t money, price, held;
        std::int32_t first;  // the count the window opens with
        std::vector<std::pair<Button, std::int32_t>> keys;
    } cases[] = {
        {"250 buys two at 100", 250, 100, 0, 1,
         {{Button::Up, 2}, {Button::Left, 2}, {Button::Down, 0}, {Button::Left, 1}, {Button::Left, 2}, {Button::Right, 1}}},
        {"95 held leave room for 4", 100000, 1, 95, 1,
         {{Button::Up, 4}, {Button::Left, 4}, {Button::Right, 3}, {Button::Left, 4}}},
        {"money exactly the price", 100, 100, 0, 1, {{Button::Up, 1}, {Button::Left, 1}, {Button::Right, 0}, {Button::Right, 0}}},
        {"money one short of two", 199, 100, 0, 1, {{Button::Left, 1}, {Button::Up, 1}}},
        {"money for exactly two", 200, 100, 0, 1, {{Button::Left, 2}, {Button::Left, 2}}},
        {"98 held leave room for one", 100000, 1, 98, 1, {{Button::Left, 1}, {Button::Up, 1}, {Button::Down, 0}}},
        {"tens up to the room", 100000, 1, 0, 1,
         {{Button::Up, 11}, {Button::Up, 21}, {Button::Down, 11}, {Button::Down, 1}, {Button::Down, 0}}},
        {"tens up to the money", 1550, 100, 0, 1, {{Button::Up, 11}, {Button::Up, 15}, {Button::Left, 15}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* shop = OpenCount(c.price, c.money, c.held);
        ASSERT_TRUE(TMenuProbe::IsCounting(*shop));
        EXPECT_EQ(Played(), std::vector<std::uint32_t>{603});
        EXPECT_EQ(TMenuProbe::Count(*shop), c.first);
        std::int32_t count = c.first;
        for (const auto& [key, want] : c.keys) {
            Key(shop, key);
            EXPECT_EQ(TMenuProbe::Count(*shop), want);
            EXPECT_EQ(Played(), want != count ? std::vector<std::uint32_t>{601} : std::vector<std::uint32_t>{});
            count = want;
        }
        Keys(shop, {Button::B, Button::B});
        EXPECT_EQ(Played(), (std::vector<std::uint32_t>{606, 606}));
        EXPECT_TRUE(Closes(shop));
        EXPECT_EQ(data_->GetMoney(), c.money);
        EXPECT_EQ(Held(7), c.held);
        data_->RemoveItemEntry(7);
    }
}

// The total against the money at its bound, by tens and by ones: a count whose total equals the
// money is reached and bought; the money one short of it stops the count a piece lower.
TEST_F(BuyShop, ATotalEqualToTheMoneyIsBoughtAPieceMoreIsNot)
{
    const struct Case {
        const char* what;
        std::uint32_t money;
        std::vector<Button> keys;
        std::int32_t count;
    } cases[] = {
        {"tens past the money, exactly 15", 1500, {Button::Up, Button::Up}, 15},
        {"tens past the money, one short of 15", 1499, {Button::Up, Button::Up}, 14},
        {"ones, exactly 3", 300, {Button::Left, Button::Left, Button::Left}, 3},
        {"ones, one short of 3", 299, {Button::Left, Button::Left}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* shop = OpenCount(100, c.money);
        Keys(shop, c.keys);
        EXPECT_EQ(TMenuProbe::Count(*shop), c.count);
        Keys(shop, {Button::A, Button::A});
        EXPECT_TRUE(TMenuProbe::IsSelecting(*shop));
        EXPECT_EQ(data_->GetMoney(), c.money - 100u * static_cast<std::uint32_t>(c.count));
        EXPECT_EQ(Held(7), static_cast<std::uint32_t>(c.count));
        Key(shop, Button::B);
        EXPECT_TRUE(Closes(shop));
        data_->RemoveItemEntry(7);
    }
}

// The count window's total line: the name padded to 16, the count in two places and price ×
// count in eight, as the window opens and after each key: counts from 0 to 99, totals from 0 to
// what the most money the game allows buys.
TEST_F(BuyShop, TheTotalLineShowsTheNameTheCountAndPriceTimesCount)
{
    const struct Case {
        const char* what;
        std::uint32_t price, money, held;
        const char* opening;
        std::vector<std::pair<Button, const char*>> keys;  // each key and the line after it
    } cases[] = {
        {"one piece, then two, back to none", 100, 250, 0, "item7            ×  1 ＝      100 ベル",
         {{Button::Left, "item7            ×  2 ＝      200 ベル"},
          {Button::Down, "item7            ×  0 ＝        0 ベル"}}},
        {"99 held open at none", 5, 1000, 99, "item7            ×  0 ＝        0 ベル", {}},
        // The most money the game allows (1,700,000) buys 99 at the dearest price that lets it.
        {"ninety-nine pieces up to the money's cap", 17171, 1700000, 0, "item7            ×  1 ＝    17171 ベル",
         {{Button::Up, "item7            × 11 ＝   188881 ベル"},
          {Button::Up, "item7            × 21 ＝   360591 ベル"},
          {Button::Up, "item7            × 31 ＝   532301 ベル"},
          {Button::Up, "item7            × 41 ＝   704011 ベル"},
          {Button::Up, "item7            × 51 ＝   875721 ベル"},
          {Button::Up, "item7            × 61 ＝  1047431 ベル"},
          {Button::Up, "item7            × 71 ＝  1219141 ベル"},
          {Button::Up, "item7            × 81 ＝  1390851 ベル"},
          {Button::Up, "item7            × 91 ＝  1562561 ベル"},
          {Button::Up, "item7            × 99 ＝  1699929 ベル"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* shop = OpenCount(c.price, c.money, c.held);
        ASSERT_TRUE(TMenuProbe::IsCounting(*shop));
        EXPECT_TRUE(savetest::Shows(TMenuProbe::TotalText(*shop), {{0, c.opening}}));
        for (const auto& [key, line] : c.keys) {
            SCOPED_TRACE(line);
            Key(shop, key);
            EXPECT_TRUE(savetest::Shows(TMenuProbe::TotalText(*shop), {{0, line}}));
        }
        Keys(shop, {Button::B, Button::B});
        EXPECT_TRUE(Closes(shop));
        data_->RemoveItemEntry(7);
    }
}

TEST_F(BuyShop, RefusedAndFullGoodsAndTheConfirmationAnswers)
{
    DefineItem(1, 101, 1);  // above the money
    DefineItem(2, 100, 1);  // held 99 times
    DefineItem(3, 30, 1);
    data_->SetMoney(100);
    data_->AddItem(2, 99);
    auto* shop = Open(new TBuyShopLoop(app_.get(), {1, 2, 3}));
    // Too dear: refused, nothing else.
    Key(shop, Button::A);
    EXPECT_TRUE(TMenuProbe::IsSelecting(*shop));
    EXPECT_EQ(Played(), std::vector<std::uint32_t>{608});
    // 99 held: the count opens at 0 and "A" only closes it.
    Keys(shop, {Button::Down, Button::A});
    EXPECT_EQ(Played(), (std::vector<std::uint32_t>{601, 603}));
    EXPECT_EQ(TMenuProbe::Count(*shop), 0);
    Keys(shop, {Button::Left, Button::Up});
    EXPECT_EQ(TMenuProbe::Count(*shop), 0);
    Key(shop, Button::A);
    EXPECT_TRUE(TMenuProbe::IsSelecting(*shop));
    EXPECT_EQ(Played(), std::vector<std::uint32_t>{606});
    // The confirmation: up and down toggle it, "B" and "A" on "no" go back to the count.
    Keys(shop, {Button::Down, Button::A, Button::A});
    EXPECT_TRUE(TMenuProbe::IsConfirming(*shop));
    EXPECT_EQ(TMenuProbe::Choice(*shop), 0);
    EXPECT_EQ(Played(), (std::vector<std::uint32_t>{601, 603, 603}));
    const std::pair<Button, std::int32_t> toggles[] = {{Button::Up, 1}, {Button::Up, 0}, {Button::Down, 1}, {Button::Down, 0}};
    for (const auto& [key, choice] : toggles) {
        Key(shop, key);
        EXPECT_EQ(TMenuProbe::Choice(*shop), choice);
        EXPECT_EQ(Played(), std::vector<std::uint32_t>{601});
    }
    Key(shop, Button::B);
    EXPECT_TRUE(TMenuProbe::IsCounting(*shop));
    EXPECT_EQ(Played(), std::vector<std::uint32_t>{606});
    Keys(shop, {Button::A, Button::Down, Button::A});
    EXPECT_TRUE(TMenuProbe::IsCounting(*shop));
    EXPECT_EQ(Played(), (std::vector<std::uint32_t>{603, 601, 606}));
    EXPECT_EQ(data_->GetMoney(), 100u);
    EXPECT_EQ(Held(3), 0u);
}

TEST_F(BuyShop, APurchaseTakesTheMoneyAddsThePiecesAndGreysWhatIsNowTooDear)
{
    DefineItem(5, 600, 1);
    DefineItem(6, 100, 1);
    DefineItem(8, 700, 1);
    DefineItem(9, 1000, 1);
    data_->SetMoney(1000);
    data_->AddItem(6, 2);
    auto* shop = Open(new TBuyShopLoop(app_.get(), {5, 6, 8, 9}));
    const DWORD white = 0xFFFFFFFF, grey = 0xFF666666;  // 1.0 and 0.4 of 255
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(TMenuProbe::RowText(*shop, row).GetVertex(0).diffuse, white) << row;
    }
    Keys(shop, {Button::Down, Button::A, Button::Left, Button::Left, Button::A});
    ASSERT_TRUE(TMenuProbe::IsConfirming(*shop));
    EXPECT_EQ(TMenuProbe::Count(*shop), 3);
    Played();
    Key(shop, Button::A);
    EXPECT_EQ(Played(), std::vector<std::uint32_t>{217});
    EXPECT_TRUE(TMenuProbe::IsSelecting(*shop));
    EXPECT_EQ(data_->GetMoney(), 700u);
    EXPECT_EQ(Held(6), 5u);
    EXPECT_EQ(TMenuProbe::Pager(*shop).GetIndex(), 1);
    // 600 and 700 are still within 700, 1000 no longer is.
    const DWORD want[] = {white, white, white, grey};
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(TMenuProbe::RowText(*shop, row).GetVertex(0).diffuse, want[row]) << row;
    }
    // The money exactly the price buys one, and then nothing is left.
    Keys(shop, {Button::Down, Button::A, Button::Up, Button::A, Button::A});
    EXPECT_EQ(data_->GetMoney(), 0u);
    EXPECT_EQ(Held(8), 1u);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(TMenuProbe::RowText(*shop, row).GetVertex(0).diffuse, grey) << row;
    }
}

TEST_F(BuyShop, WithoutGoodsNoKeyButCancelDoesAnything)
{
    data_->SetMoney(500);
    auto* shop = Open(new TBuyShopLoop(app_.get(), {}));
    for (Button b : {Button::A, Button::Down, Button::Right, Button::Up, Button::Left, Button::A}) {
        Key(shop, b);
        EXPECT_TRUE(TMenuProbe::IsSelecting(*shop));
        EXPECT_EQ(TMenuProbe::Pager(*shop).GetIndex(), 0);
    }
    EXPECT_EQ(Played(), std::vector<std::uint32_t>{});
    Key(shop, Button::B);
    EXPECT_TRUE(Closes(shop));
    EXPECT_EQ(data_->GetMoney(), 500u);
}

// Decide and cancel in the same step: the shop takes the cancel and closes (the pause menu's
// lists take the decide).
TEST_F(BuyShop, DecideAndCancelInOneStepLeaveTheShop)
{
    TBuyShopLoop* shop = OpenGoods(3);
    driver_.Hold(Button::A, true);
    driver_.Hold(Button::B, true);
    Step();
    driver_.Hold(Button::A, false);
    driver_.Hold(Button::B, false);
    EXPECT_FALSE(TMenuProbe::IsCounting(*shop));
    EXPECT_EQ(Played(), std::vector<std::uint32_t>{606});
    EXPECT_TRUE(Closes(shop));
    EXPECT_EQ(data_->GetMoney(), 1000u);
}

}  // namespace
