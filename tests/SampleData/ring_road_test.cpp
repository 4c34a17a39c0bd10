// The item ring, the boost icon and the skill gauge played on the generated folder: a new game on
// the battle map, "D" held, one "DOWN" onto slot 1 (a new game's five of item 1), "D" let go:
// one is used, its strength bonus raises the boost icon over the player; then "F" and "G" move the
// gauge's selection.
#include <gtest/gtest.h>

#include <algorithm>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Hud/TItemRing.h"
#include "MainCode/Hud/TSkillGauge.h"
#include "MainCode/Map/TFieldLoop.h"
#include "make-sample-data/SampleData.h"
#include "SampleData/sample_folder_copy.h"
#include "support/character_probe.h"
#include "support/golden.h"
#include "support/hud_probe.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"
#include "support/map_probe.h"

namespace {

using qmtest::Button;
using qmtest::SceneDriver;

TEST(RingRoad, UseItemOneFromTheRingSeeTheBoostIconAndMoveTheGauge)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    SceneDriver driver(dir.Path());
    ASSERT_TRUE(driver.Start());
    driver.Steps(8);
    // A new game on the field at the first save point, over the title.
    TGameData* data = TGameData::GetInstance();
    data->Reset();
    TFieldLoop* field = TFieldLoop::CreateAtSavePoint(driver.App(), sample::GetCatalogue().savePoints.at(0).Id);
    ASSERT_NE(field, nullptr);
    driver.App()->PushScene(field);
    ASSERT_TRUE(driver.StepUntil([&] { return !TMapProbe::IsInPhase(*field); }, 100));
    TPlayerCharacter* player = field->GetPlayer();
    ASSERT_EQ(data->GetRingSlot(1)->Id, 1u);
    ASSERT_EQ(data->GetRingSlot(1)->Count, 5);

    // "D" held: the ring slides in; one "DOWN" brings slot 1 to the selection point.
    SceneDriver::Hold(Button::D, true);
    driver.Steps(3);
    EXPECT_TRUE(THudProbe::IsOpen(*field->GetItemRing()));
    driver.RecordSounds(true);
    driver.Press(Button::Down);
    driver.Steps(12);
    EXPECT_EQ(THudProbe::Selected(*field->GetItemRing()), 1);
    EXPECT_EQ(std::count(driver.sounds.begin(), driver.sounds.end(),
                         TSoundBankRecord{TSoundBankRecord::kPlay, 0, 607}),
              1);
    driver.RecordSounds(false);
    EXPECT_TRUE(qmtest::MatchesGolden(SceneDriver::Screen(), "WholeGameRingOpen"));

    // Let go: the item action uses one and starts the bonus.
    SceneDriver::Hold(Button::D, false);
    driver.Step();
    EXPECT_EQ(TCharacterProbe::RingItem(*player), 1u);
    ASSERT_TRUE(driver.StepUntil([&] { return data->GetRingSlot(1)->Count == 4; }, 120));
    EXPECT_TRUE(driver.StepUntil([&] { return player->HasStatBoost(); }, 120));
    EXPECT_TRUE(field->GetItemRing()->IsClosed() ||
                driver.StepUntil([&] { return field->GetItemRing()->IsClosed(); }, 20));
    // The boost icon joins the group over the player and settles at its centre.
    TStatusIcon& icons = TCharacterProbe::StatusIcons(*player);
    ASSERT_EQ(THudProbe::Shown(icons).size(), 1u);
    EXPECT_EQ(THudProbe::Shown(icons)[0].Get(), THudProbe::Icon(icons, 6));
    driver.Steps(150);
    EXPECT_TRUE(qmtest::MatchesGolden(SceneDriver::Screen(), "WholeGameBoostIcon"));

    // "F" goes back from slot 0 to slot 4, "G" on to 0 and 1.
    TSkillGauge* gauge = field->GetSkillGauge();
    EXPECT_EQ(gauge->GetSelection(), 0);
    const struct {
        Button button;
        std::int32_t selection;
    } presses[] = {{Button::F, 4}, {Button::G, 0}, {Button::G, 1}};
    for (const auto& p : presses) {
        driver.Press(p.button);
        driver.Step();
        EXPECT_EQ(gauge->GetSelection(), p.selection);
    }
    driver.Stop();
}

}  // namespace
