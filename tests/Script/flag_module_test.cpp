// The "Flag" module over a started game database: every keyword both ways, the flag bounds,
// the inventory and the two throws.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "GameData/game_data_fixture.h"
#include "MainCode/Script/TPBFlag.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "TCommon/my_error.h"
#include "platform/testing/win32.h"
#include "platform/win32/timer.h"

namespace {

class FlagTest : public gamedatatest::GameDataTest {
protected:
    void SetUp() override
    {
        platform::ManualClock::Enable(1000);
        GameDataTest::SetUp();
        manager_ = TScriptProcessManager::Create();
        manager_->AddModule(new TPBFlag(nullptr));
    }
    void TearDown() override
    {
        TScriptProcessManager::Destroy();
        GameDataTest::TearDown();
        platform::ManualClock::Disable();
    }
    std::uint32_t Send(std::uint32_t command, const std::deque<std::string>& args)
    {
        return manager_->CallModule("Flag", command, args, std::deque<std::uint32_t>(args.size(), 2));
    }
    // GetValue's answer; "$_" starts at -99 so that a value left unset shows.
    std::int32_t Get(const std::deque<std::string>& args)
    {
        manager_->GetGlobalA().SetInt("$_", -99);
        EXPECT_EQ(Send(0, args), TScriptModule::kDone);
        return Result();
    }
    void Put(const std::deque<std::string>& args) { EXPECT_EQ(Send(1, args), TScriptModule::kDone); }
    std::int32_t Result() { return manager_->GetGlobalA().GetInt("$_", -99); }

    TScriptProcessManager* manager_ = nullptr;
};

TEST_F(FlagTest, SettingsMoneyAndSavePointBothWays)
{
    const char* values[] = {"", "40", "12", "33", "0", "3", "17", "2500"};
    for (int keyword = 1; keyword <= 7; ++keyword) {
        Put({std::to_string(keyword), values[keyword]});
        EXPECT_EQ(Get({std::to_string(keyword)}), std::stoi(values[keyword])) << keyword;
    }
    EXPECT_EQ(std::make_tuple(data_->GetBgmVolume(), data_->GetSeVolume(), data_->GetVoiceVolume(),
                              data_->GetMiniMapState(), data_->GetActiveCharacter(), data_->GetSavePoint()),
              std::make_tuple(40, 12, 33, 0, 3, 17));
    EXPECT_EQ(data_->GetMoney(), 2500u);
    Put({"7", "99999999"});  // the database caps it
    EXPECT_EQ(Get({"7"}), 1700000);
    Put({"4", "257"});  // a byte
    EXPECT_EQ(Get({"4"}), 1);

    // Keyword 0 reads the stored play time (0 for a new game, not the running count) and is not written.
    data_->StartPlayTime();
    platform::ManualClock::Advance(5000);
    ASSERT_EQ(data_->GetPlayTime(), 5000u);
    EXPECT_EQ(Get({"0"}), 0);
    Put({"0", "777"});
    EXPECT_EQ(Get({"0"}), 0);
    EXPECT_EQ(data_->GetStoredPlayTime(), 0u);
}

TEST_F(FlagTest, EventAndPickupFlagsAtTheirBounds)
{
    // Inside both bounds (the value is a byte); outside nothing is written and 0 is read. Event
    // flag 1024 would be pick-up flag territory in a careless bound.
    const struct {
        const char* keyword;
        const char* index;
        const char* value;
        std::int32_t read;
    } cases[] = {{"8", "0", "1", 1},       {"8", "2047", "258", 2}, {"9", "0", "3", 3},     {"9", "1023", "4", 4},
                 {"8", "2048", "5", 0},    {"8", "-1", "5", 0},     {"9", "1024", "6", 0},  {"9", "-1", "6", 0},
                 {"8", "1024", nullptr, 0}};
    for (const auto& c : cases) {
        if (c.value != nullptr) {
            Put({c.keyword, c.index, c.value});
        }
    }
    for (const auto& c : cases) {
        EXPECT_EQ(Get({c.keyword, c.index}), c.read) << c.keyword << " " << c.index;
    }
    EXPECT_EQ(data_->GetFlag(2047), 2);
    EXPECT_EQ(data_->GetPickupFlag(1023), 4);
    EXPECT_EQ(data_->GetFlag(0), 1);
    EXPECT_EQ(data_->GetPickupFlag(0), 3);
}

TEST_F(FlagTest, InventoryCountsFindsAddsAndUses)
{
    EXPECT_EQ(Get({"10"}), 0);
    EXPECT_EQ(Get({"11", "5"}), 0);  // not held
    EXPECT_EQ(Get({"12", "5"}), 0);
    Put({"13", "5", "3"});
    Put({"13", "9", "1"});
    EXPECT_EQ(Get({"10"}), 2);
    EXPECT_EQ(Get({"11", "5"}), 1);
    EXPECT_EQ(Get({"12", "5"}), 3);

    manager_->GetGlobalA().SetInt("$_", -99);
    Put({"14", "5", "4"});  // more than held: nothing taken
    EXPECT_EQ(Result(), 0);
    EXPECT_EQ(data_->FindItem(5)->Count, 3);
    Put({"14", "5", "259"});  // not 3 after a byte wraps
    EXPECT_EQ(Result(), 0);
    Put({"14", "5", "-1"});
    EXPECT_EQ(Result(), 0);
    EXPECT_EQ(data_->FindItem(5)->Count, 3);
    Put({"14", "5", "2"});
    EXPECT_EQ(Result(), 1);
    EXPECT_EQ(data_->FindItem(5)->Count, 1);
    Put({"14", "5", "1"});  // the last one: the entry goes
    EXPECT_EQ(Result(), 1);
    EXPECT_EQ(Get({"11", "5"}), 0);
    EXPECT_EQ(Get({"10"}), 1);
}

TEST_F(FlagTest, UnknownKeywordsThrowWithTheirMessageAndOtherCommandsDoNothing)
{
    const auto expectThrow = [&](std::uint32_t command, const std::string& keyword, const std::string& message,
                                 const std::string& line) {
        try {
            Send(command, {keyword, "1", "1"});
            ADD_FAILURE() << "no throw for " << command << " " << keyword;
        } catch (const my_error& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find(message), std::string::npos) << what;
            EXPECT_NE(what.find("TPBFlag"), std::string::npos) << what;
            EXPECT_NE(what.find(line), std::string::npos) << what;
        }
    };
    for (const char* keyword : {"13", "14", "15", "-1"}) {
        expectThrow(0, keyword, "TPBFlag::GetValue Unknown Arg", "100");
    }
    for (const char* keyword : {"10", "11", "12", "15", "-1"}) {
        expectThrow(1, keyword, "TPBFlag::PutValue Unknown Arg", "159");
    }
    EXPECT_NO_THROW(Get({"12", "4321"}));
    EXPECT_NO_THROW(Put({"13", "4321", "1"}));
    EXPECT_NO_THROW(Put({"0"}));
    EXPECT_EQ(Send(2, {"99"}), TScriptModule::kDone);
    EXPECT_EQ(Get({"10"}), 1);
}

}  // namespace
