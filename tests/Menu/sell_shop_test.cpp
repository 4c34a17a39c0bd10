// The sell shop over a field: what it offers and in what order, the count up to what is held, the
// sale with the rows and the cursor it leaves, the money's limit, and a shop with nothing to sell.
#include <gtest/gtest.h>

#include "MainCode/GameData/TItemEntry.h"
#include "MainCode/Menu/TSellShopLoop.h"
#include "Menu/shop_fixture.h"
#include "support/gamedata_probe.h"
#include "support/golden.h"
#include "support/menu_probe.h"

namespace {

using shoptest::Button;
using shoptest::DefineItem;
using shoptest::ShopTest;

class SellShop : public ShopTest {
protected:
    std::vector<std::uint32_t> Offered(const TSellShopLoop* shop) const
    {
        std::vector<std::uint32_t> ids;
        for (const auto& entry : TMenuProbe::Entries(*shop)) {
            ids.push_back(entry->Id);
        }
        return ids;
    }
    // Sells count pieces of the row under the cursor: "A", the count by "LEFT" from 1, "A", "A".
    void Sell(TSellShopLoop* shop, int count)
    {
        Key(shop, Button::A);
        for (int i = 1; i < count; ++i) {
            Key(shop, Button::Left);
        }
        Keys(shop, {Button::A, Button::A});
    }
};

TEST_F(SellShop, OnlySellableInventoryIsOfferedInIdOrder)
{
    DefineItem(9, 10, 4);
    DefineItem(3, 10, 6);
    DefineItem(7, 10, 2);
    DefineItem(5, 10, 3, 0, 1);  // not for sale
    DefineItem(4, 10, 0);        // fetches nothing
    DefineItem(6, 10, 5);        // in the ring only
    for (std::uint32_t id : {9u, 5u, 3u, 4u, 7u, 6u}) {
        data_->AddItem(id, 2);
    }
    data_->AddRingItem(1, 6);
    auto* shop = Open(new TSellShopLoop(app_.get()));
    EXPECT_EQ(Offered(shop), (std::vector<std::uint32_t>{3, 7, 9}));
    EXPECT_TRUE(TMenuProbe::IsSelecting(*shop));
    Key(shop, Button::B);
    EXPECT_TRUE(Closes(shop));
}

// Nothing to sell: the list says so, only "B" works and it closes without a sound.
TEST_F(SellShop, NothingToSellShowsNoItemAndOnlyCancelCloses)
{
    DefineItem(5, 10, 3, 0, 1);
    DefineItem(4, 10, 0);
    data_->AddItem(5, 1);
    data_->AddItem(4, 1);
    auto* shop = Open(new TSellShopLoop(app_.get()));
    ASSERT_TRUE(TMenuProbe::IsEmptyShown(*shop));
    const auto draws = DrawsOfAStep();
    // The word in the list window (at 96 + 180, 24 + 152); no cursor, rows or arrows.
    int words = 0;
    for (const TSpriteDrawRecord& d : draws) {
        if (d.x == 276.0F && d.y == 176.0F && d.w == 128.0F && d.h == 16.0F) {
            ++words;
        }
        EXPECT_NE(d.texture, "sprite.ptx/cursor02");
    }
    EXPECT_EQ(words, 1);
    EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), "SellShopNoItem"));
    for (Button b : {Button::A, Button::Down, Button::Up, Button::Left, Button::Right}) {
        Key(shop, b);
        EXPECT_TRUE(TMenuProbe::IsEmptyShown(*shop));
    }
    Key(shop, Button::B);
    EXPECT_TRUE(Closes(shop));
    EXPECT_EQ(Played(), std::vector<std::uint32_t>{});
}

TEST_F(SellShop, TheCountGoesUpToWhatIsHeld)
{
    DefineItem(2, 10, 7);
    data_->AddItem(2, 5);
    data_->SetMoney(40);
    auto* shop = Open(new TSellShopLoop(app_.get()));
    Key(shop, Button::A);
    EXPECT_EQ(TMenuProbe::Count(*shop), 1);
    EXPECT_EQ(Played(), std::vector<std::uint32_t>{603});
    const std::pair<Button, std::int32_t> keys[] = {{Button::Up, 5},   {Button::Left, 5}, {Button::Right, 4},
                                                    {Button::Left, 5}, {Button::Down, 0}, {Button::Right, 0},
                                                    {Button::Left, 1}, {Button::Right, 0}};
    std::int32_t count = 1;
    for (const auto& [key, want] : keys) {
        Key(shop, key);
        EXPECT_EQ(TMenuProbe::Count(*shop), want);
        EXPECT_EQ(Played(), want != count ? std::vector<std::uint32_t>{601} : std::vector<std::uint32_t>{});
        count = want;
    }
    // "A" at 0 closes the count.
    Key(shop, Button::A);
    EXPECT_TRUE(TMenuProbe::IsSelecting(*shop));
    EXPECT_EQ(Played(), std::vector<std::uint32_t>{606});
    EXPECT_EQ(data_->GetMoney(), 40u);
}

// Each sale: the rows left, where the window and cursor stand, the money and what is held.
TEST_F(SellShop, ASaleDropsAnEmptiedRowAndRepairsTheCursor)
{
    const struct Case {
        const char* what;
        int entries;              // ids 11.., 3 held of each, sell price 10 + id
        std::vector<Button> to;   // keys that put the cursor on the row to sell
        int count;
        std::int32_t wantTop, wantRow;
        std::int32_t left;        // entries left
        std::uint32_t heldAfter;  // of the sold id
    } cases[] = {
        {"the last of ten, from row 6 of first row 3", 10, {Button::Right}, 3, 2, 6, 9, 0},
        {"row 2 of first row 3", 10, {Button::Right, Button::Up, Button::Up, Button::Up, Button::Up}, 3, 2, 2, 9, 0},
        {"part of a stack", 10, {Button::Right, Button::Up, Button::Up, Button::Up, Button::Up}, 2, 3, 2, 10, 1},
        {"the middle of three", 3, {Button::Down}, 3, 0, 1, 2, 0},
        {"the last of three", 3, {Button::Right}, 3, 0, 1, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int i = 0; i < c.entries; ++i) {
            const auto id = static_cast<std::uint32_t>(11 + i);
            DefineItem(id, 100, 10 + id);
            data_->AddItem(id, 3);
        }
        data_->SetMoney(50);
        auto* shop = Open(new TSellShopLoop(app_.get()));
        Keys(shop, c.to);
        const std::int32_t index = TMenuProbe::Pager(*shop).GetIndex();
        const auto sold = static_cast<std::uint32_t>(11 + index);
        Played();
        Sell(shop, c.count);
        std::vector<std::uint32_t> sounds{603};
        sounds.insert(sounds.end(), static_cast<std::size_t>(c.count - 1), 601);
        sounds.insert(sounds.end(), {603, 217});
        EXPECT_EQ(Played(), sounds);
        EXPECT_TRUE(TMenuProbe::IsSelecting(*shop));
        EXPECT_EQ(TMenuProbe::Pager(*shop).GetTop(), c.wantTop);
        EXPECT_EQ(TMenuProbe::Pager(*shop).GetRow(), c.wantRow);
        EXPECT_EQ(static_cast<std::int32_t>(TMenuProbe::Entries(*shop).size()), c.left);
        EXPECT_EQ(data_->GetMoney(), 50u + static_cast<std::uint32_t>(c.count) * (10 + sold));
        const TItemEntry* entry = data_->FindItem(sold);
        EXPECT_EQ(entry != nullptr ? entry->Count : 0u, c.heldAfter);
        Key(shop, Button::B);
        EXPECT_TRUE(Closes(shop));
        while (!TGameDataProbe::ItemList(*data_).empty()) {
            data_->RemoveItemEntry(TGameDataProbe::ItemList(*data_).front()->Id);
        }
    }
}

TEST_F(SellShop, SellingTheLastPiecesOfTheOnlyItemEmptiesTheShop)
{
    DefineItem(8, 100, 45);
    data_->AddItem(8, 3);
    data_->SetMoney(10);
    auto* shop = Open(new TSellShopLoop(app_.get()));
    Sell(shop, 3);
    EXPECT_EQ(Played(), (std::vector<std::uint32_t>{603, 601, 601, 603, 217}));
    EXPECT_TRUE(TMenuProbe::IsEmptyShown(*shop));
    EXPECT_EQ(data_->GetMoney(), 145u);
    EXPECT_EQ(data_->FindItem(8), nullptr);
    EXPECT_TRUE(TMenuProbe::Entries(*shop).empty());
    Key(shop, Button::B);
    EXPECT_TRUE(Closes(shop));
}

// Four pieces at 2^30 make 2^32: summed wide, the money stops at its limit instead of wrapping.
TEST_F(SellShop, TheMoneyStopsAtTheGamesLimit)
{
    const struct {
        std::uint32_t money, price;
        int count;
        std::uint32_t want;
    } cases[] = {
        {1000, 1u << 30, 4, 1700000},
        {1699990, 5, 2, 1700000},
        {1699990, 5, 3, 1700000},
        {1699990, 3, 3, 1699999},
    };
    EXPECT_EQ(TGameDataProbe::MaxMoney(), 1700000u);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " at " << c.price);
        DefineItem(4, 1, c.price);
        data_->AddItem(4, 5);
        data_->SetMoney(c.money);
        auto* shop = Open(new TSellShopLoop(app_.get()));
        Sell(shop, c.count);
        EXPECT_EQ(data_->GetMoney(), c.want);
        Key(shop, Button::B);
        EXPECT_TRUE(Closes(shop));
        data_->RemoveItemEntry(4);
    }
}

}  // namespace
