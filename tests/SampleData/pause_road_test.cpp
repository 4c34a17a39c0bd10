// The pause menu on the generated folder, as a player leaves the game through it: the field, "E",
// the leave window, "yes" to the question, back on the title through the hub; then Escape and
// "yes" there end the program.
#include <gtest/gtest.h>

#include <filesystem>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TMenuConfirm2Loop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Menu/TYesNoLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "SampleData/sample_folder_copy.h"
#include "SampleData/battle_start.h"
#include "make-sample-data/SampleData.h"
#include "support/golden.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"
#include "support/map_probe.h"

namespace {

namespace fs = std::filesystem;
using qmtest::Button;

// A press, then a step with nothing down, so the next press is new.
void Tap(qmtest::SceneDriver& driver, Button b)
{
    driver.Press(b);
    driver.Step();
}

TEST(PauseRoad, FieldMenuLeaveWindowYesTitleThenEscapeYesEndsTheProgram)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    {
        qmtest::SceneDriver driver(dir.Path());
        ASSERT_TRUE(driver.Start());
        driver.Steps(8);
        ASSERT_NE(qmtest::StartOnBattleMap(driver), nullptr);
        auto* field = dynamic_cast<TFieldLoop*>(driver.Current());
        ASSERT_NE(field, nullptr);
        for (int i = 0; i < 200 && TMapProbe::IsInPhase(*field); ++i) {
            driver.Step();
        }
        ASSERT_FALSE(TMapProbe::IsInPhase(*field));

        driver.Press(Button::E);
        auto* menu = dynamic_cast<TMenuTopLoop*>(driver.Current());
        ASSERT_NE(menu, nullptr);
        driver.Steps(57);
        EXPECT_TRUE(qmtest::MatchesGolden(driver.Screen(), "PauseMenuWindowsIn"));

        Tap(driver, Button::Up);  // the last item: leave the game
        driver.Press(Button::A);
        driver.Steps(46);
        ASSERT_NE(dynamic_cast<TMenuConfirm2Loop*>(driver.Current()), nullptr);
        driver.Steps(21);
        Tap(driver, Button::Up);
        Tap(driver, Button::Up);  // back to the title
        driver.Press(Button::A);
        driver.Steps(21);
        auto* dialog = dynamic_cast<TYesNoLoop*>(driver.Current());
        ASSERT_NE(dialog, nullptr);
        driver.Steps(11);
        EXPECT_TRUE(qmtest::MatchesGolden(driver.Screen(), "PauseYesNoOverLeaveWindow"));

        Tap(driver, Button::Up);
        driver.Press(Button::A);
        EXPECT_EQ(driver.App()->GetSceneCount(), 1);
        ASSERT_NE(dynamic_cast<TChangeLoop*>(driver.Current()), nullptr);
        driver.Steps(101);  // the change's fade
        ASSERT_NE(dynamic_cast<TTitleLoop*>(driver.Current()), nullptr);
        driver.Steps(5);

        qmtest::SceneDriver::Stroke(Button::Escape);
        ASSERT_NE(dynamic_cast<TYesNoLoop*>(driver.Current()), nullptr);
        driver.Steps(22);
        Tap(driver, Button::Up);
        driver.Press(Button::A);
        int steps = 0;
        while (steps < 100 && driver.Step()) {
            ++steps;
        }
        EXPECT_EQ(steps, 50) << "the program ends once the screen has faded out";
        driver.Stop();
        EXPECT_TRUE(driver.boxes.empty());
    }
    EXPECT_FALSE(fs::exists(dir.Path() / "ErrorLog.txt"));
    EXPECT_EQ(TGameData::GetInstance(), nullptr);
}

}  // namespace
