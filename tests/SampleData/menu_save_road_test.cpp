// The sample folder played as a player saves and comes back: from the title into the field, through
// the gate to the town, onto its save point, "E", the save item, slot 0; then the leave window,
// "yes", back on the title through the hub; the load of slot 0 from there into the field at that
// save point with the saved party; and Escape with "yes" ends the program.
#include <gtest/gtest.h>

#include <filesystem>

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
#include "SampleData/battle_start.h"
#include "formats/save_writer.h"
#include "make-sample-data/SampleData.h"
#include "support/golden.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using qmtest::Button;

constexpr int kLimit = 600;

class MenuSaveRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        sample::WriteSampleFolder(dir_.Path());
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
        for (int i = 0; i < kLimit && field->IsInPhase(); ++i) {
            driver_->Step();
        }
    }

    qmtest::TempDir dir_;
    std::unique_ptr<qmtest::SceneDriver> driver_;
};

TEST_F(MenuSaveRoad, FieldSavePointSaveLeaveTitleLoadBackAtTheSavePointThenEscapeEnds)
{
    // From the title into the field; up through the gate when play does not start in the town.
    auto* field = qmtest::StartOnBattleMap(*driver_);
    ASSERT_NE(field, nullptr);
    StepWhileInPhase(field);
    if (dynamic_cast<TTownArea*>(field->GetArea()) == nullptr) {
        const D3DXVECTOR3 gate = sample::SampleLayout::BattleGateMinimum();
        field->GetPlayer()->PlaceAt(D3DXVECTOR3(sample::SampleLayout::BattleGateEntry().x, 0.0F, gate.z - 1.0F),
                                    D3DXVECTOR3(0.0F, 0.0F, 1.0F));
        qmtest::SceneDriver::Hold(Button::Up, true);
        for (int i = 0; i < kLimit && !field->IsInPhase(); ++i) {
            driver_->Step();
        }
        qmtest::SceneDriver::Hold(Button::Up, false);
        StepWhileInPhase(field);
    }
    ASSERT_NE(dynamic_cast<TTownArea*>(field->GetArea()), nullptr) << "the gate leads to the town";

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
    ASSERT_TRUE(player->HasSaveRequest());
    const std::int32_t savePoint = player->GetSavePointId();
    TGameData& data = *TGameData::GetInstance();
    data.SetMoney(4321);
    player->ConsumeHp(5);
    const std::int32_t hp = player->GetHp();
    const std::uint32_t character = player->GetCharacterIndex();

    // "E", item 6, the save, slot 0.
    driver_->Press(Button::E);
    auto* menu = dynamic_cast<TMenuTopLoop*>(driver_->Current());
    ASSERT_NE(menu, nullptr);
    driver_->Steps(57);
    Tap(Button::Up);
    Tap(Button::Up);
    driver_->Press(Button::A);
    driver_->Steps(46);
    auto* screen = dynamic_cast<TMenuSaveLoop*>(driver_->Current());
    ASSERT_NE(screen, nullptr);
    ASSERT_EQ(screen->GetChoiceCount(), 3);
    driver_->Steps(21);
    Tap(Button::Down);  // from back round to the save
    driver_->Steps(10);
    EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), "MenuSaveChoice"));
    Tap(Button::A);
    for (int i = 0; i < 80 && !screen->GetPage().InSelection(); ++i) {
        driver_->Step();
    }
    ASSERT_TRUE(screen->GetPage().InSelection());
    driver_->Steps(10);
    EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), "MenuSavePage"));
    Tap(Button::A);
    driver_->Step();
    for (int i = 0; i < 80 && !screen->GetPage().InSelection(); ++i) {
        driver_->Step();
    }
    EXPECT_EQ(screen->GetPage().GetLastSaveResult(), 0);
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
    for (int i = 0; i < 80 && !load->GetPage().InSelection(); ++i) {
        driver_->Step();
    }
    ASSERT_EQ(load->GetPage().GetCode(0), 0);
    driver_->Press(Button::A);
    field = StepUntil<TFieldLoop>();
    ASSERT_NE(field, nullptr);
    StepWhileInPhase(field);
    EXPECT_EQ(data.GetSavePoint(), savePoint);
    EXPECT_EQ(data.GetMoney(), 4321u);
    EXPECT_EQ(field->GetPlayer()->GetCharacterIndex(), character);
    EXPECT_EQ(field->GetPlayer()->GetHp(), hp);

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

}  // namespace
