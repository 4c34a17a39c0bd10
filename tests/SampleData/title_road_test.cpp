// The title's other roads on the sample folder: load, from a slot at the town's save point through
// the scene-change hub into the field; quit, fading out and ending the program cleanly; and a menu
// left alone, which goes back to black and starts over with its music.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/Menu/TSaveLoadLoop.h"
#include "make-sample-data/SampleData.h"
#include "formats/byte_writer.h"
#include "formats/save_writer.h"
#include "SampleData/sample_folder_copy.h"
#include "support/field_walk.h"
#include "support/scene_driver.h"
#include "support/scene_probe.h"
#include "support/temp_dir.h"
#include "support/title_road.h"

namespace {

namespace fs = std::filesystem;
using qmtest::Button;

TEST(TitleRoad, LoadTakesSlotZeroThroughTheChangeToTheTownSavePoint)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    qmtest::SceneDriver driver(dir.Path());
    ASSERT_TRUE(driver.Start());
    // A save of the starting party at the town's save point, written as the game writes them.
    qmtest::SaveFileData save;
    save.savePoint = static_cast<std::int32_t>(sample::SampleLayout::kTownSavePoint);
    save.money = 1234;
    for (std::uint32_t i = 0; i < 8; ++i) {
        save.characters[i] = *TGameData::GetInstance()->GetCharacterData(i);
    }
    fs::create_directories(dir.Path() / "save");
    qmtest::SaveBytes((dir.Path() / "save" / qmtest::SaveSlotName(0)).string(), qmtest::BuildSaveFile(save, false));

    ASSERT_TRUE(qmtest::ReachTitleMenu(driver));
    qmtest::ChooseTitleItem(driver, 1);  // load
    ASSERT_NE(dynamic_cast<TSaveLoadLoop*>(driver.Current()), nullptr);
    driver.Steps(40);  // the page's rows in
    driver.Press(Button::A);  // slot 0
    ASSERT_NE(dynamic_cast<TChangeLoop*>(driver.Current()), nullptr);
    EXPECT_EQ(driver.App()->GetSceneCount(), 1);
    driver.Steps(101);
    auto* field = dynamic_cast<TFieldLoop*>(driver.Current());
    ASSERT_NE(field, nullptr);
    EXPECT_NE(dynamic_cast<TTownArea*>(field->GetArea()), nullptr);
    EXPECT_LT(qmtest::FlatDistance(qmtest::PositionOf(field->GetPlayer()), sample::SampleLayout::TownSavePointMark()),
              0.1F);
    EXPECT_EQ(TGameData::GetInstance()->GetMoney(), 1234u);
    driver.Stop();
    EXPECT_TRUE(driver.boxes.empty());
    EXPECT_FALSE(fs::exists(dir.Path() / "ErrorLog.txt"));
}

// From the title menu standing on new game: up to quit, decided; the steps until the program ends
// (at most 300).
int QuitFromTheMenu(qmtest::SceneDriver& driver)
{
    driver.Press(Button::Up);
    driver.Step();
    driver.Press(Button::A);
    int steps = 1;
    while (driver.Step() && steps < 300) {
        ++steps;
    }
    return steps;
}

TEST(TitleRoad, QuitEndsTheProgramCleanly)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    qmtest::SceneDriver driver(dir.Path());
    ASSERT_TRUE(driver.Start());
    ASSERT_TRUE(qmtest::ReachTitleMenu(driver));
    EXPECT_EQ(QuitFromTheMenu(driver), 101);
    driver.Stop();
    EXPECT_TRUE(driver.boxes.empty());
    EXPECT_FALSE(fs::exists(dir.Path() / "ErrorLog.txt"));
}

TEST(TitleRoad, AMenuLeftAloneGoesBackToBlackAndStartsOver)
{
    using State = TSceneProbe::TitleState;
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    qmtest::SceneDriver driver(dir.Path());
    ASSERT_TRUE(driver.Start());
    driver.RecordSounds(true);
    ASSERT_TRUE(qmtest::ReachTitleMenu(driver));
    const auto* title = dynamic_cast<TTitleLoop*>(driver.Current());
    ASSERT_NE(title, nullptr);
    const auto musicCalls = [&](TSoundBankRecord::Op op) {
        return std::count_if(driver.sounds.begin(), driver.sounds.end(),
                             [&](const TSoundBankRecord& r) { return r.op == op && r.id == 1; });
    };
    ASSERT_EQ(musicCalls(TSoundBankRecord::kPlayLoop), 1);
    ASSERT_EQ(musicCalls(TSoundBankRecord::kStop), 0);

    // The menu counts its steps from its fade-in; untouched, it gives up at 6700 and stops the music.
    int menuSteps = -1;  // the first look comes before any step
    ASSERT_TRUE(driver.StepUntil(
        [&] {
            ++menuSteps;
            return TSceneProbe::State(*title) != State::Menu;
        },
        7000));
    EXPECT_EQ(TSceneProbe::State(*title), State::Idle);
    EXPECT_EQ(menuSteps, 6700);
    EXPECT_EQ(musicCalls(TSoundBankRecord::kStop), 1);
    EXPECT_EQ(musicCalls(TSoundBankRecord::kPlayLoop), 1);

    // Black, then the music again and the menu fading back in; it answers as before.
    ASSERT_TRUE(driver.StepUntil([&] { return TSceneProbe::State(*title) == State::FadeIn; }, 400));
    EXPECT_EQ(musicCalls(TSoundBankRecord::kPlayLoop), 2);
    ASSERT_TRUE(driver.StepUntil([&] { return TSceneProbe::State(*title) == State::Menu; }, 400));
    EXPECT_EQ(QuitFromTheMenu(driver), 101);
    driver.Stop();
    EXPECT_TRUE(driver.boxes.empty());
}

}  // namespace
