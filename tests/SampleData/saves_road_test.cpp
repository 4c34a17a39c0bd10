// The roads through the save screens on the generated folder, as far as the scenes around them
// go: a new game through the carry-over choice, a load of slot 0, and a carry-over from chapter 2's
// save folder beside the game. The screens are opened as the title opens them; each road runs on
// through the scene change for as long as the scene change leads somewhere.
#include <gtest/gtest.h>

#include <filesystem>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TSaveLoadLoop.h"
#include "MainCode/Menu/TSelectContinueDataLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "formats/byte_writer.h"
#include "formats/save_writer.h"
#include "make-sample-data/SampleData.h"
#include "SampleData/sample_folder_copy.h"
#include "support/dx_probe.h"
#include "support/menu_probe.h"
#include "support/scene_driver.h"
#include "support/scene_probe.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using qmtest::Button;

constexpr int kFrameLimit = 600;

// The generated game in "Quillmark04" of a temporary folder, beside the other chapters' folders.
class SaveRoads : public ::testing::Test {
protected:
    void SetUp() override
    {
        game_ = dir_.Path() / "Quillmark04";
        qmtest::CopySampleFolder(game_);
        driver_ = std::make_unique<qmtest::SceneDriver>(game_);
        ASSERT_TRUE(driver_->Start());
        driver_->Steps(8);
    }

    // Down for a step and up for one.
    void Press(Button b)
    {
        driver_->Press(b);
        driver_->Step();
    }
    template <typename Scene>
    Scene* StepUntil(int limit = kFrameLimit)
    {
        for (int i = 0; i < limit; ++i) {
            if (auto* scene = dynamic_cast<Scene*>(driver_->Current())) {
                return scene;
            }
            driver_->Step();
        }
        return dynamic_cast<Scene*>(driver_->Current());
    }
    // The scene change run to its end; false while it is a stand-in that never ends.
    bool ThroughTheChange()
    {
        auto* change = dynamic_cast<TChangeLoop*>(driver_->Current());
        for (int i = 0; i < kFrameLimit && change != nullptr && driver_->Current() == change; ++i) {
            driver_->Step();
        }
        return driver_->Current() != change;
    }
    void WriteSave(const fs::path& path, std::int32_t savePoint, std::uint32_t money)
    {
        qmtest::SaveFileData d;
        d.savePoint = savePoint;
        d.money = money;
        for (std::uint32_t i = 0; i < 8; ++i) {
            d.characters[i] = *TGameData::GetInstance()->GetCharacterData(i);
        }
        fs::create_directories(path.parent_path());
        qmtest::SaveBytes(path.string(), qmtest::BuildSaveFile(d, false));
    }

    qmtest::TempDir dir_;
    fs::path game_;
    std::unique_ptr<qmtest::SceneDriver> driver_;
};

TEST_F(SaveRoads, ANewGameChoosesTheFreshStartAndGoesToTheOpeningEvent)
{
    TSoundBank* effects = TDSound8::Instance()->GetBank(0);
    TSoundBank* music = TDSound8::Instance()->GetBank(2);
    auto* choice = TSelectContinueDataLoop::Create(driver_->App(), TGameData::GetChapter());
    driver_->App()->PushScene(choice);
    for (int i = 0; i < 60 && !TMenuProbe::InInput(*choice); ++i) {
        driver_->Step();
    }
    ASSERT_EQ(TMenuProbe::RowCount(*choice), 4);
    driver_->Press(Button::A);
    auto* change = dynamic_cast<TChangeLoop*>(driver_->Current());
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(TSceneProbe::EventId(*change), 300);
    // The screens have gone with the title: what is left of 605 and music 1 are the uses kept for
    // the change, which it gives back once it is over.
    EXPECT_EQ(TDxProbe::UseCount(*effects, 605), 1u);
    EXPECT_EQ(TDxProbe::UseCount(*music, 1), 1u);
    ASSERT_TRUE(ThroughTheChange());
    EXPECT_EQ(TDxProbe::UseCount(*effects, 605), 0u);
    EXPECT_EQ(TDxProbe::UseCount(*music, 1), 0u);
    qmtest::SceneDriver::Hold(Button::B, true);  // both events skipped
    EXPECT_NE(StepUntil<TFieldLoop>(6000), nullptr) << "events 300 and 301 hand over to the field";
    qmtest::SceneDriver::Hold(Button::B, false);
}

TEST_F(SaveRoads, LoadingSlot0EntersTheFieldAtItsSavePoint)
{
    std::int32_t savePoint = -1;
    for (const TSvpRecord& r : sample::GetCatalogue().savePoints) {
        if (TGameData::IsSavePointOfChapter(r.Id, TGameData::GetChapter())) {
            savePoint = static_cast<std::int32_t>(r.Id);
            break;
        }
    }
    ASSERT_EQ(savePoint, 11) << "the town's save point";
    WriteSave(game_ / "save" / qmtest::SaveSlotName(0), savePoint, 1357);
    auto* load = TSaveLoadLoop::CreateLoad(driver_->App());
    driver_->App()->PushScene(load);
    for (int i = 0; i < 60 && !TMenuProbe::InSelection(TMenuProbe::SlotPage(*load)); ++i) {
        driver_->Step();
    }
    ASSERT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*load), 0), 0);
    driver_->Press(Button::A);
    ASSERT_TRUE(ThroughTheChange());
    ASSERT_NE(StepUntil<TFieldLoop>(), nullptr);
    EXPECT_EQ(TGameData::GetInstance()->GetSavePoint(), savePoint);
    EXPECT_EQ(TGameData::GetInstance()->GetMoney(), 1357u);
}

TEST_F(SaveRoads, ACarryOverFromChapter2StartsTheOpeningEventWithTheCarriedParty)
{
    WriteSave(dir_.Path() / "Quillmark02" / "save" / qmtest::SaveSlotName(0), 3, 2222);
    auto* choice = TSelectContinueDataLoop::Create(driver_->App(), TGameData::GetChapter());
    driver_->App()->PushScene(choice);
    for (int i = 0; i < 60 && !TMenuProbe::InInput(*choice); ++i) {
        driver_->Step();
    }
    Press(Button::Down);
    Press(Button::Down);
    Press(Button::A);
    auto* screen = StepUntil<TSaveLoadLoop>(60);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(TMenuProbe::Chapter(*screen), 2);
    for (int i = 0; i < 60 && !TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen)); ++i) {
        driver_->Step();
    }
    ASSERT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), 0), 0);
    driver_->Press(Button::A);
    auto* change = dynamic_cast<TChangeLoop*>(driver_->Current());
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(TSceneProbe::EventId(*change), 300);
    EXPECT_EQ(TGameData::GetInstance()->GetMoney(), 2222u);
    ASSERT_TRUE(ThroughTheChange());
    EXPECT_EQ(TGameData::GetInstance()->GetMoney(), 2222u) << "the event starts with the carried party";
}

}  // namespace
