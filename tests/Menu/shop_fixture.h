// The real application on the field folder with a field pushed over the title, the shops' sound
// list written, and an inventory and money of each test's own: what the shops and the inn are
// opened over.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Field/field_game_fixture.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/Menu/TShopLoop.h"
#include "formats/byte_writer.h"
#include "formats/ini_writer.h"
#include "formats/shop_assets.h"
#include "formats/table_writer.h"
#include "support/gamedata_probe.h"
#include "support/main_probe.h"
#include "support/menu_probe.h"
#include "support/window_settings.h"

namespace shoptest {

using qmtest::Button;


// An item record of the test's own.
inline void DefineItem(std::uint32_t id, std::uint32_t buy, std::uint32_t sell, std::uint8_t kind = 0,
                       std::uint8_t noSell = 0)
{
    TItemRecord& r = TItemTable::Get(id);
    r = TItemRecord();
    r.Id = id;
    r.Name = "item" + std::to_string(id);
    r.Kind = kind;
    r.NoSell = noSell;
    r.BuyPrice = buy;
    r.SellPrice = sell;
    r.InfoName = "info";
}

class ShopTest : public fieldtest::FieldGame {
protected:
    void SetUp() override
    {
        FieldGame::SetUp();
        qmtest::WriteWindowedSettingsWithDepth();
        ASSERT_NO_FATAL_FAILURE(Start());
        std::filesystem::create_directories("data/tbl04/subset");
        qmtest::SaveBytes("data/tbl04/subset/shop_se.tbl", qmtest::BuildSoundList({601, 603, 606, 608, 217}));
        // The rows' icons and one information picture for every item.
        qmtest::WriteShopPictures("data/ptx04");
        field_ = Ready("battle");
        ASSERT_NE(field_, nullptr);
        data_ = TGameData::GetInstance();
        // An empty inventory and ring.
        while (!TGameDataProbe::ItemList(*data_).empty()) {
            data_->RemoveItemEntry(TGameDataProbe::ItemList(*data_).front()->Id);
        }
        for (std::uint32_t slot = 0; slot < 8; ++slot) {
            *data_->GetRingSlot(slot) = TItemEntry();
        }
        driver_.RecordSounds(true);
    }
    void TearDown() override
    {
        driver_.RecordSounds(false);
        FieldGame::TearDown();
    }

    // Pushes the shop and steps until its list takes keys (or its empty word shows).
    template <typename Shop>
    Shop* Open(Shop* shop)
    {
        app_->PushScene(shop);
        for (int i = 0; i < 40 && !TMenuProbe::IsSelecting(*shop) && !TMenuProbe::IsEmptyShown(*shop); ++i) {
            Step();
        }
        EXPECT_TRUE(TMenuProbe::IsSelecting(*shop) || TMenuProbe::IsEmptyShown(*shop));
        driver_.sounds.clear();
        return shop;
    }
    // One press and a step with it released (so the next press is new), then steps until the shop
    // takes keys in one of its interactive states again.
    void Key(TShopLoop* shop, Button b)
    {
        driver_.Press(b);
        Step();
        for (int i = 0; i < 40 && TMainProbe::CurrentScene(*app_) == shop && !TMenuProbe::IsSelecting(*shop) &&
                        !TMenuProbe::IsCounting(*shop) && !TMenuProbe::IsConfirming(*shop) &&
                        !TMenuProbe::IsEmptyShown(*shop);
             ++i) {
            Step();
        }
    }
    void Keys(TShopLoop* shop, const std::vector<Button>& buttons)
    {
        for (Button b : buttons) {
            Key(shop, b);
        }
    }
    // The sound-effect ids played since the last call.
    std::vector<std::uint32_t> Played()
    {
        std::vector<std::uint32_t> ids;
        for (const auto& r : driver_.sounds) {
            if (r.op == TSoundBankRecord::kPlay && r.bank == 0) {
                ids.push_back(r.id);
            }
        }
        driver_.sounds.clear();
        return ids;
    }
    // The draws of one step, in order.
    std::vector<TSpriteDrawRecord> DrawsOfAStep() { return driver_.DrawsOfAStep(); }
    static int CountDraws(const std::vector<TSpriteDrawRecord>& draws, const std::string& texture)
    {
        return qmtest::CountDraws(draws, texture);
    }
    // Steps until the shop has ended (at most 60); true when it did.
    bool Closes(TLoop* shop)
    {
        for (int i = 0; i < 60 && TMainProbe::CurrentScene(*app_) == shop; ++i) {
            Step();
        }
        return TMainProbe::CurrentScene(*app_) == field_;
    }

    TFieldLoop* field_ = nullptr;
    TGameData* data_ = nullptr;
};

}  // namespace shoptest
