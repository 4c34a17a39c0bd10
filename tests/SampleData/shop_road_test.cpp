// The shops and the inn on the generated folder, as a player comes to them: from the title to the
// battle map, a fight with the enemy ahead until it has hit back, through the gate to the town,
// then two of an item bought from the shopkeeper, one sold to the buyer, and a night at the inn.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TVillager.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemEntry.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Menu/TBuyShopLoop.h"
#include "MainCode/Menu/TInnLoop.h"
#include "MainCode/Menu/TSellShopLoop.h"
#include "MainCode/Script/TMessageWindow.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "SampleData/sample_folder_copy.h"
#include "SampleData/battle_start.h"
#include "make-sample-data/SampleData.h"
#include "support/field_walk.h"
#include "support/golden.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"
#include "support/menu_probe.h"
#include "support/map_probe.h"

namespace {

namespace fs = std::filesystem;

using qmtest::Button;
using qmtest::FlatDistance;
using qmtest::PositionOf;

constexpr float kReach = 1.6F;

class Road {
public:
    explicit Road(qmtest::SceneDriver& driver) : driver_(driver) {}

    TFieldLoop* Field() const { return dynamic_cast<TFieldLoop*>(driver_.Current()); }

    bool StepUntil(const std::function<bool()>& done, int limit) { return driver_.StepUntil(done, limit); }
    // Walks until within reach of where() says; false when the field went or it took too long.
    bool WalkTo(const std::function<D3DXVECTOR3()>& where)
    {
        const bool there = StepUntil(
            [&] {
                TFieldLoop* field = Field();
                if (field == nullptr || TMapProbe::IsInPhase(*field)) {
                    return true;  // a map change (or another scene) ends the walk
                }
                if (FlatDistance(PositionOf(field->GetPlayer()), where()) <= kReach) {
                    return true;
                }
                qmtest::WalkTowards(field, where());
                return false;
            },
            900);
        qmtest::ReleaseArrows();
        return there && Field() != nullptr;
    }
    // A press, and a step with it released.
    void Key(Button b)
    {
        driver_.Press(b);
        driver_.Step();
    }
    // Speaks to the villager faced: the line typed out, then dismissed; steps until the scene its
    // script opens is current.
    TLoop* Talk()
    {
        Key(Button::A);
        const bool waiting = StepUntil(
            [] {
                TMessageWindow* window = qmtest::MessageWindow();
                return window != nullptr && window->IsWaitingForButton();
            },
            300);
        EXPECT_TRUE(waiting) << "no line of dialogue";
        Key(Button::A);
        StepUntil([&] { return Field() == nullptr; }, 120);
        return driver_.Current();
    }
    // Steps until the field is back and its script has run out.
    bool BackToTown()
    {
        return StepUntil(
            [&] {
                auto* town = Field() != nullptr ? dynamic_cast<TTownArea*>(Field()->GetArea()) : nullptr;
                return town != nullptr && !TMapProbe::IsInScriptState(*town);
            },
            600);
    }

private:
    qmtest::SceneDriver& driver_;
};

std::uint32_t Held(std::uint32_t id)
{
    const TItemEntry* entry = TGameData::GetInstance()->FindItem(id);
    return entry != nullptr ? entry->Count : 0;
}

std::vector<std::uint32_t> EffectsPlayed(const qmtest::SceneDriver& driver)
{
    std::vector<std::uint32_t> ids;
    for (const auto& r : driver.sounds) {
        if (r.op == TSoundBankRecord::kPlay && r.bank == 0) {
            ids.push_back(r.id);
        }
    }
    return ids;
}

TEST(ShopRoad, AFightThenBuyingSellingAndANightAtTheInnOnTheSampleFolder)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    const TItemRecord potion = sample::GetCatalogue().items.at(2);  // the first good on sale
    ASSERT_EQ(potion.Id, 3u);
    {
        qmtest::SceneDriver driver(dir.Path());
        ASSERT_TRUE(driver.Start());
        Road road(driver);
        driver.Steps(8);
        ASSERT_NE(qmtest::StartOnBattleMap(driver), nullptr);
        ASSERT_TRUE(road.StepUntil([&] { return road.Field() != nullptr && !TMapProbe::IsInPhase(*road.Field()); }, 120));

        // The fight: up to the enemy ahead and at it until it has hit back.
        TPlayerCharacter* player = road.Field()->GetPlayer();
        const std::int32_t maxHp = player->GetMaxHp();
        auto enemy = [&]() -> TEnemy* {
            for (const auto& entry : road.Field()->GetArea()->GetEnemies()->GetLive()) {
                if (entry.second->GetRelatedId() == qmtest::kFieldEnemyType) {
                    return entry.second.Get();
                }
            }
            return nullptr;
        };
        ASSERT_NE(enemy(), nullptr);
        // Up to it again and another swing while the first went wide (it moves as it pleases).
        const auto hurt = [&] { return enemy() == nullptr || enemy()->GetHp() < enemy()->GetMaxHp(); };
        for (int swing = 0; swing < 4 && !hurt(); ++swing) {
            ASSERT_TRUE(road.WalkTo([&] { return PositionOf(enemy()); }));
            road.Key(Button::A);
            road.StepUntil(hurt, 60);
        }
        ASSERT_TRUE(hurt());
        // A draught from the item ring loads the gauge, as the ring would use it once the swing is over.
        ASSERT_TRUE(road.StepUntil(
            [&] {
                if (player->GetGaugeUsed() == 0) {
                    player->UseRingItem(1);
                }
                return player->GetGaugeUsed() > 0;
            },
            240));
        // Standing by it until it strikes back.
        ASSERT_TRUE(road.StepUntil([&] { return player->GetHp() < maxHp; }, 300));
        ASSERT_NE(road.Field(), nullptr);
        const std::int32_t hpAfterFight = road.Field()->GetPlayer()->GetHp();
        EXPECT_LT(hpAfterFight, maxHp);

        // Through the gate to the town.
        road.WalkTo([&] {
            return sample::SampleLayout::BattleGateEntry();
        });
        ASSERT_TRUE(road.StepUntil(
            [&] {
                return road.Field() != nullptr && !TMapProbe::IsInPhase(*road.Field()) &&
                       dynamic_cast<TTownArea*>(road.Field()->GetArea()) != nullptr;
            },
            300));
        auto* town = dynamic_cast<TTownArea*>(road.Field()->GetArea());
        // What the fight and the walk back left; the town takes nothing more.
        const std::int32_t hpInTown = road.Field()->GetPlayer()->GetHp();
        EXPECT_LE(hpInTown, hpAfterFight);
        ASSERT_EQ(TMapProbe::Villagers(*town).size(), 4u);  // the elder, the shopkeeper, the buyer, the innkeeper
        auto villager = [&](std::size_t i) {
            return [&, i] {
                return PositionOf(TMapProbe::Villagers(*dynamic_cast<TTownArea*>(road.Field()->GetArea())).at(i).Get());
            };
        };
        TGameData* data = TGameData::GetInstance();

        // Two of the first good from the shopkeeper.
        const std::uint32_t heldBefore = Held(potion.Id);
        ASSERT_TRUE(road.WalkTo(villager(1)));
        auto* buy = dynamic_cast<TBuyShopLoop*>(road.Talk());
        ASSERT_NE(buy, nullptr);
        const std::uint32_t money = data->GetMoney();
        EXPECT_EQ(TMenuProbe::Items(*buy), (std::vector<std::uint32_t>{3, 2, 1001}));
        ASSERT_TRUE(road.StepUntil([&] { return TMenuProbe::IsSelecting(*buy); }, 60));
        road.Key(Button::A);
        ASSERT_TRUE(road.StepUntil([&] { return TMenuProbe::IsCounting(*buy); }, 60));
        road.Key(Button::Left);
        road.Key(Button::A);
        ASSERT_TRUE(road.StepUntil([&] { return TMenuProbe::IsConfirming(*buy); }, 60));
        EXPECT_EQ(TMenuProbe::Count(*buy), 2);
        EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), "ShopRoadBuyConfirm"));
        driver.RecordSounds(true);
        road.Key(Button::A);
        EXPECT_EQ(EffectsPlayed(driver), std::vector<std::uint32_t>{217});
        driver.RecordSounds(false);
        EXPECT_EQ(data->GetMoney(), money - 2 * potion.BuyPrice);
        EXPECT_EQ(Held(potion.Id), heldBefore + 2);
        ASSERT_TRUE(road.StepUntil([&] { return TMenuProbe::IsSelecting(*buy); }, 60));
        // Down the list and up, a page on (the list is one page: its last row) and back to the first.
        driver.RecordSounds(true);
        for (Button b : {Button::Down, Button::Down, Button::Up, Button::Right, Button::Left}) {
            road.Key(b);
        }
        EXPECT_EQ(EffectsPlayed(driver), std::vector<std::uint32_t>(5, 601)) << "each a move";
        driver.RecordSounds(false);
        road.Key(Button::B);
        ASSERT_TRUE(road.BackToTown());

        // One of them to the buyer.
        ASSERT_TRUE(road.WalkTo(villager(2)));
        auto* sell = dynamic_cast<TSellShopLoop*>(road.Talk());
        ASSERT_NE(sell, nullptr);
        ASSERT_TRUE(road.StepUntil([&] { return TMenuProbe::IsSelecting(*sell); }, 60));
        ASSERT_EQ(TMenuProbe::Entries(*sell).size(), 1u) << "the ring's items are not for sale";
        road.Key(Button::A);
        ASSERT_TRUE(road.StepUntil([&] { return TMenuProbe::IsCounting(*sell); }, 60));
        road.Key(Button::A);
        ASSERT_TRUE(road.StepUntil([&] { return TMenuProbe::IsConfirming(*sell); }, 60));
        road.Key(Button::A);
        EXPECT_EQ(data->GetMoney(), money - 2 * potion.BuyPrice + potion.SellPrice);
        EXPECT_EQ(Held(potion.Id), heldBefore + 1);
        ASSERT_TRUE(road.StepUntil([&] { return TMenuProbe::IsSelecting(*sell); }, 60));

        // The rest of them. The count's cancel and the question's lead back a step each; ten up and
        // one up stop at what is held; the sale of the last one leaves the buyer nothing to list.
        const std::uint32_t rest = Held(potion.Id);
        const std::uint32_t moneyBeforeRest = data->GetMoney();
        road.Key(Button::A);
        ASSERT_TRUE(road.StepUntil([&] { return TMenuProbe::IsCounting(*sell); }, 60));
        road.Key(Button::B);
        ASSERT_TRUE(road.StepUntil([&] { return TMenuProbe::IsSelecting(*sell); }, 60));
        road.Key(Button::A);
        ASSERT_TRUE(road.StepUntil([&] { return TMenuProbe::IsCounting(*sell); }, 60));
        road.Key(Button::Up);
        road.Key(Button::Left);
        road.Key(Button::A);
        ASSERT_TRUE(road.StepUntil([&] { return TMenuProbe::IsConfirming(*sell); }, 60));
        EXPECT_EQ(TMenuProbe::Count(*sell), static_cast<std::int32_t>(rest));
        road.Key(Button::B);
        ASSERT_TRUE(road.StepUntil([&] { return TMenuProbe::IsCounting(*sell); }, 60));
        EXPECT_EQ(Held(potion.Id), rest) << "a cancelled question sells nothing";
        road.Key(Button::A);
        ASSERT_TRUE(road.StepUntil([&] { return TMenuProbe::IsConfirming(*sell); }, 60));
        road.Key(Button::A);
        EXPECT_EQ(Held(potion.Id), 0u);
        EXPECT_EQ(data->GetMoney(), moneyBeforeRest + rest * potion.SellPrice);
        ASSERT_TRUE(road.StepUntil([&] { return TMenuProbe::IsEmptyShown(*sell); }, 60));
        road.Key(Button::B);
        ASSERT_TRUE(road.BackToTown());

        // A night at the inn: the town music fades out and back in around the inn's tune.
        const std::uint32_t moneyBeforeInn = data->GetMoney();
        EXPECT_EQ(road.Field()->GetPlayer()->GetHp(), hpInTown);
        ASSERT_TRUE(road.WalkTo(villager(3)));
        TPlayerCharacter* resting = road.Field()->GetPlayer();
        TSoundBank* music = TDSound8::Instance()->GetBank(2);
        const auto townMusic = static_cast<std::uint32_t>(town->GetMusicId());
        ASSERT_TRUE(music->IsLoaded(townMusic));
        TRefPtr<TStreamSound> tune = music->Get(townMusic);
        EXPECT_EQ(tune->GetVolume(), tune->GetMaxVolume());
        auto* inn = dynamic_cast<TInnLoop*>(road.Talk());
        ASSERT_NE(inn, nullptr);
        const D3DXVECTOR3 atInn = PositionOf(resting);
        EXPECT_TRUE(TMenuProbe::HasFader(*inn));
        EXPECT_EQ(road.Field(), nullptr);
        EXPECT_EQ(resting->GetHp(), maxHp) << "healed as the inn opened";
        EXPECT_EQ(resting->GetGaugeUsed(), 0u);
        bool blackShown = false;
        std::int32_t quietest = 0;
        ASSERT_TRUE(road.StepUntil(
            [&] {
                if (driver.Current() != inn) {
                    return true;
                }
                quietest = std::min(quietest, tune->GetVolume());
                if (!blackShown && TMenuProbe::IsPlayingTune(*inn)) {
                    blackShown = true;
                    EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), "ShopRoadInnBlack"));
                }
                return false;
            },
            600));
        EXPECT_EQ(PositionOf(resting), atInn) << "the field as it was left";
        EXPECT_TRUE(blackShown);
        EXPECT_EQ(quietest, tune->GetMinVolume());
        EXPECT_EQ(tune->GetVolume(), tune->GetMaxVolume());
        ASSERT_TRUE(road.BackToTown());
        EXPECT_EQ(road.Field()->GetPlayer()->GetHp(), maxHp);
        EXPECT_EQ(road.Field()->GetPlayer()->GetGaugeUsed(), 0u);
        EXPECT_EQ(data->GetMoney(), moneyBeforeInn);
        driver.Stop();
        EXPECT_TRUE(driver.boxes.empty());
    }
    EXPECT_FALSE(fs::exists(dir.Path() / "ErrorLog.txt"));
}

}  // namespace
