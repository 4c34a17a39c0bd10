// The sample folder played as a player saves and comes back: from the title into the field, through
// the gate to the town, onto its save point, "E", the save item, slot 0; then the leave window,
// "yes", back on the title through the hub; the load of slot 0 from there into the field at that
// save point with the saved party; and Escape with "yes" ends the program. A save over a filled
// slot, and the pause menu's own load.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Menu/TMenuConfirm2Loop.h"
#include "MainCode/Menu/TMenuSaveLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Menu/TSaveLoadLoop.h"
#include "MainCode/Menu/TYesNoLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "SampleData/sample_folder_copy.h"
#include "SampleData/battle_start.h"
#include "formats/save_writer.h"
#include "make-sample-data/SampleData.h"
#include "support/character_probe.h"
#include "support/golden.h"
#include "support/menu_probe.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"
#include "support/map_probe.h"

namespace {

namespace fs = std::filesystem;
using qmtest::Button;

constexpr int kLimit = 600;

class MenuSaveRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        qmtest::CopySampleFolder(dir_.Path());
        driver_ = std::make_unique<qmtest::SceneDriver>(dir_.Path());
        ASSERT_TRUE(driver_->Start());
        driver_->Steps(8);
    }
    void TearDown() override { driver_.reset(); }

    // A press, then a step with nothing down, so the next press is new.
    void Tap(Button b)
    {
        driver_->Press(b);
        driver_->Step();
    }
    template <typename Scene>
    Scene* StepUntil(int limit = kLimit)
    {
        for (int i = 0; i < limit; ++i) {
            if (auto* scene = dynamic_cast<Scene*>(driver_->Current())) {
                return scene;
            }
            driver_->Step();
        }
        return dynamic_cast<Scene*>(driver_->Current());
    }
    void StepWhileInPhase(TFieldLoop* field)
    {
        for (int i = 0; i < kLimit && TMapProbe::IsInPhase(*field); ++i) {
            driver_->Step();
        }
    }

    // From the battle map through the gate to the town and onto its save point (the one of this
    // chapter where the folder has one), whose request is what offers the save; null on the way.
    TFieldLoop* ToTownSavePoint()
    {
        auto* field = qmtest::StartOnBattleMap(*driver_);
        if (field == nullptr) {
            return nullptr;
        }
        StepWhileInPhase(field);
        if (dynamic_cast<TTownArea*>(field->GetArea()) == nullptr) {
            const D3DXVECTOR3 gate = sample::SampleLayout::BattleGateMinimum();
            field->GetPlayer()->PlaceAt(D3DXVECTOR3(sample::SampleLayout::BattleGateEntry().x, 0.0F, gate.z - 1.0F),
                                        D3DXVECTOR3(0.0F, 0.0F, 1.0F));
            qmtest::SceneDriver::Hold(Button::Up, true);
            for (int i = 0; i < kLimit && !TMapProbe::IsInPhase(*field); ++i) {
                driver_->Step();
            }
            qmtest::SceneDriver::Hold(Button::Up, false);
            StepWhileInPhase(field);
        }
        if (dynamic_cast<TTownArea*>(field->GetArea()) == nullptr) {
            ADD_FAILURE() << "the gate leads to the town";
            return nullptr;
        }

        // Onto the town's save point (the one of this chapter where the folder has one): its request
        // is what offers the save.
        D3DXVECTOR3 mark = qmtest::FieldLayout::TownSavePoint();
        for (const TSvpRecord& r : sample::GetCatalogue().savePoints) {
            if (TGameData::IsSavePointOfChapter(r.Id, TGameData::GetChapter())) {
                mark = D3DXVECTOR3(r.StartX, r.StartY, r.StartZ);
            }
        }
        TPlayerCharacter* player = field->GetPlayer();
        player->PlaceAt(D3DXVECTOR3(mark.x, 0.0F, mark.z - 0.5F), D3DXVECTOR3(0.0F, 0.0F, 1.0F));
        driver_->Steps(3);
        EXPECT_TRUE(player->HasSaveRequest());
        return field;
    }
    // "E", the pause menu's item 6: the save screen with its three choices, the cursor on "back".
    TMenuSaveLoop* OpenSaveScreen()
    {
        driver_->Press(Button::E);
        menu_ = dynamic_cast<TMenuTopLoop*>(driver_->Current());
        if (menu_ == nullptr) {
            return nullptr;
        }
        driver_->Steps(57);
        Tap(Button::Up);
        Tap(Button::Up);
        driver_->Press(Button::A);
        driver_->Steps(46);
        auto* screen = dynamic_cast<TMenuSaveLoop*>(driver_->Current());
        if (screen == nullptr || TMenuProbe::ChoiceCount(*screen) != 3) {
            return nullptr;
        }
        driver_->Steps(21);
        return screen;
    }
    std::vector<std::uint8_t> SlotFile(int slot) const
    {
        std::ifstream in(dir_.Path() / "save" / qmtest::SaveSlotName(slot), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    qmtest::TempDir dir_;
    std::unique_ptr<qmtest::SceneDriver> driver_;
    TMenuTopLoop* menu_ = nullptr;
};

TEST_F(MenuSaveRoad, FieldSavePointSaveLeaveTitleLoadBackAtTheSavePointThenEscapeEnds)
{
    TFieldLoop* field = ToTownSavePoint();
    ASSERT_NE(field, nullptr);
    TPlayerCharacter* player = field->GetPlayer();
    const std::int32_t savePoint = player->GetSavePointId();
    TGameData& data = *TGameData::GetInstance();
    data.SetMoney(4321);
    TCharacterProbe::ConsumeHp(*player, 5);
    const std::int32_t hp = player->GetHp();
    const std::uint32_t character = player->GetCharacterIndex();

    // "E", item 6, the save, slot 0.
    TMenuSaveLoop* screen = OpenSaveScreen();
    ASSERT_NE(screen, nullptr);
    TMenuTopLoop* menu = menu_;
    Tap(Button::Down);  // from back round to the save
    driver_->Steps(10);
    EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), "MenuSaveChoice"));
    Tap(Button::A);
    for (int i = 0; i < 80 && !TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen)); ++i) {
        driver_->Step();
    }
    ASSERT_TRUE(TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen)));
    driver_->Steps(10);
    EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), "MenuSavePage"));
    Tap(Button::A);
    driver_->Step();
    for (int i = 0; i < 80 && !TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen)); ++i) {
        driver_->Step();
    }
    EXPECT_EQ(TMenuProbe::LastSaveResult(TMenuProbe::SlotPage(*screen)), 0);
    EXPECT_TRUE(fs::exists(dir_.Path() / "save" / qmtest::SaveSlotName(0)));

    // Out of the pages and the choice; the leave window's "back to the title", "yes".
    Tap(Button::B);
    driver_->Steps(30 + 21);
    Tap(Button::B);
    ASSERT_EQ(StepUntil<TMenuTopLoop>(30), menu);
    driver_->Steps(46);
    Tap(Button::Down);  // item 7: leave
    driver_->Press(Button::A);
    driver_->Steps(46);
    ASSERT_NE(dynamic_cast<TMenuConfirm2Loop*>(driver_->Current()), nullptr);
    driver_->Steps(21);
    Tap(Button::Up);
    Tap(Button::Up);
    driver_->Press(Button::A);
    driver_->Steps(21);
    ASSERT_NE(dynamic_cast<TYesNoLoop*>(driver_->Current()), nullptr);
    driver_->Steps(11);
    Tap(Button::Up);
    driver_->Press(Button::A);
    ASSERT_NE(dynamic_cast<TChangeLoop*>(driver_->Current()), nullptr);
    ASSERT_NE(StepUntil<TTitleLoop>(kLimit), nullptr);
    driver_->Steps(5);

    // The load of slot 0 from the title.
    ASSERT_TRUE(TGameData::IsSavePointOfChapter(static_cast<std::uint32_t>(savePoint), TGameData::GetChapter()))
        << "the town's save point " << savePoint << " is one of this chapter, so its save loads";
    data.SetMoney(1);
    data.GetCharacterData(character)->Life = hp + 1;
    // The load screen opened over the title as the title opens it.
    TSaveLoadLoop* load = TSaveLoadLoop::CreateLoad(driver_->App());
    driver_->App()->PushScene(load);
    for (int i = 0; i < 80 && !TMenuProbe::InSelection(TMenuProbe::SlotPage(*load)); ++i) {
        driver_->Step();
    }
    ASSERT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*load), 0), 0);
    driver_->Press(Button::A);
    field = StepUntil<TFieldLoop>();
    ASSERT_NE(field, nullptr);
    StepWhileInPhase(field);
    EXPECT_EQ(data.GetSavePoint(), savePoint);
    EXPECT_EQ(data.GetMoney(), 4321u);
    EXPECT_EQ(field->GetPlayer()->GetCharacterIndex(), character);
    EXPECT_EQ(field->GetPlayer()->GetHp(), hp);
    // On the save point, facing south whichever way he faced when he saved.
    D3DXVECTOR3 front;
    field->GetPlayer()->GetFront(&front);
    EXPECT_LT(front.z, -0.99F) << "faces south";

    // Escape and "yes": the program ends.
    qmtest::SceneDriver::Stroke(Button::Escape);
    ASSERT_NE(dynamic_cast<TYesNoLoop*>(driver_->Current()), nullptr);
    driver_->Steps(22);
    Tap(Button::Up);
    driver_->Press(Button::A);
    int steps = 0;
    while (steps < 100 && driver_->Step()) {
        ++steps;
    }
    EXPECT_EQ(steps, 50) << "the program ends once the screen has faded out";
    driver_->Stop();
    EXPECT_TRUE(driver_->boxes.empty());
}

// A save over a filled slot asks first: "no" leaves the file, "yes" writes it. The pages turn
// both ways, and the same screen's load takes that slot back into the field through the hub.
TEST_F(MenuSaveRoad, OverAFilledSlotTheSaveAsksFirstAndTheSameScreenLoadsIt)
{
    TFieldLoop* field = ToTownSavePoint();
    ASSERT_NE(field, nullptr);
    TGameData& data = *TGameData::GetInstance();
    data.SetMoney(1111);
    TMenuSaveLoop* screen = OpenSaveScreen();
    ASSERT_NE(screen, nullptr);
    Tap(Button::Down);  // the save
    driver_->Steps(10);
    Tap(Button::A);
    driver_->Steps(80);
    Tap(Button::A);  // slot 0, empty: no question
    driver_->Steps(80);
    const std::vector<std::uint8_t> first = SlotFile(0);
    ASSERT_FALSE(first.empty());

    // A page on and back: slot 0 is where it was.
    Tap(Button::Right);
    driver_->Steps(60);
    Tap(Button::Left);
    driver_->Steps(60);
    data.SetMoney(2222);
    driver_->RecordSounds(true);
    Tap(Button::A);  // the question opens on "yes"
    driver_->Steps(60);
    Tap(Button::Down);
    Tap(Button::A);  // "no"
    driver_->Steps(60);
    EXPECT_EQ(SlotFile(0), first) << "no writes nothing";
    Tap(Button::A);
    driver_->Steps(60);
    Tap(Button::A);  // "yes"
    driver_->Steps(40);
    const std::vector<std::uint8_t> second = SlotFile(0);
    EXPECT_NE(second, first) << "yes writes the party's money now";
    const auto played = [&](std::uint32_t id) {
        return std::count_if(driver_->sounds.begin(), driver_->sounds.end(), [&](const TSoundBankRecord& r) {
            return r.op == TSoundBankRecord::kPlay && r.id == id;
        });
    };
    // Decide on the slot twice, "yes"; the answer moved once; "no".
    EXPECT_EQ(played(603), 3);
    EXPECT_EQ(played(601), 1);
    EXPECT_EQ(played(606), 1);

    // Out of the page; the choice above the save is the load; slot 0 again.
    data.SetMoney(3333);
    Tap(Button::B);
    driver_->Steps(80);
    Tap(Button::Up);
    Tap(Button::Up);
    Tap(Button::A);
    driver_->Steps(80);
    driver_->Press(Button::A);
    field = StepUntil<TFieldLoop>();
    ASSERT_NE(field, nullptr);
    StepWhileInPhase(field);
    EXPECT_EQ(data.GetMoney(), 2222u) << "the second save's party";
    EXPECT_NE(dynamic_cast<TTownArea*>(field->GetArea()), nullptr);
    EXPECT_TRUE(driver_->boxes.empty());
}

}  // namespace
