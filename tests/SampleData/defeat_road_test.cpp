// A new game lost on the sample folder: new game on the title, through the opening scenes to the town, the gate to the
// battle map, a walk up to the strong enemy in its far corner, the defeat, game over over the
// darkened field, and a decide press back to the title, which shows no logo this time.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TBattleArea.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Scene/TDieLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "make-sample-data/SampleData.h"
#include "SampleData/sample_folder_copy.h"
#include "support/field_walk.h"
#include "support/golden.h"
#include "support/scene_driver.h"
#include "support/title_road.h"
#include "support/temp_dir.h"
#include "support/scene_probe.h"
#include "support/map_probe.h"

namespace {

namespace fs = std::filesystem;
using qmtest::Button;

constexpr int kFrameLimit = 6000;

TEST(DefeatRoad, TheStrongEnemyEndsTheGameAndGameOverLeadsBackToTheTitle)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    qmtest::SceneDriver driver(dir.Path());
    ASSERT_TRUE(driver.Start());
    ASSERT_TRUE(qmtest::ReachTitleMenu(driver));
    qmtest::ChooseTitleItem(driver, 0);  // new game
    driver.Steps(40);                     // the choice's rows in
    driver.Press(Button::A);              // this chapter afresh
    int frame = 0;
    const auto field = [&] { return dynamic_cast<TFieldLoop*>(driver.Current()); };
    // Through the opening scenes; holding cancel cuts each stand-in event short.
    driver.Hold(Button::B, true);
    while (field() == nullptr && ++frame < kFrameLimit) {
        driver.Step();
    }
    driver.Hold(Button::B, false);
    ASSERT_NE(field(), nullptr);
    ASSERT_NE(dynamic_cast<TTownArea*>(field()->GetArea()), nullptr);
    // North on the path from the start, clear of the way on ahead, west to the gate and into it.
    const D3DXVECTOR3 legs[] = {sample::SampleLayout::TownPathCorner(), sample::SampleLayout::TownGateFront(),
                                sample::SampleLayout::TownGateEntry()};
    int leg = 0;
    while (field() != nullptr && dynamic_cast<TBattleArea*>(field()->GetArea()) == nullptr && ++frame < kFrameLimit) {
        if (!TMapProbe::IsInPhase(*field())) {
            if (leg < 2 && qmtest::FlatDistance(qmtest::PositionOf(field()->GetPlayer()), legs[leg]) < 0.5F) {
                ++leg;
            }
            qmtest::WalkTowards(field(), legs[leg]);
        } else {
            qmtest::ReleaseArrows();
        }
        driver.Step();
    }
    ASSERT_NE(field(), nullptr);
    // Up to the strong enemy, then stand until the end.
    const D3DXVECTOR3 corner = sample::SampleLayout::StrongEnemy();
    TFieldLoop* battle = field();
    std::uint32_t strongType = 0;
    while (field() == battle && ++frame < kFrameLimit) {
        if (!TMapProbe::IsInPhase(*battle) && qmtest::FlatDistance(qmtest::PositionOf(battle->GetPlayer()), corner) > 1.6F) {
            qmtest::WalkTowards(battle, corner);
        } else {
            qmtest::ReleaseArrows();
        }
        for (const auto& entry : battle->GetArea()->GetEnemies()->GetLive()) {
            if (qmtest::FlatDistance(qmtest::PositionOf(entry.second.Get()), corner) < 4.0F) {
                strongType = entry.second->GetRelatedId();
            }
        }
        driver.Step();
    }
    qmtest::ReleaseArrows();
    EXPECT_EQ(strongType, sample::SampleLayout::kStrongEnemyType);
    auto* die = dynamic_cast<TDieLoop*>(driver.Current());
    ASSERT_NE(die, nullptr) << "no game over by frame " << frame;
    // The battle map's music was kept for game over to fade out.
    EXPECT_EQ(TSceneProbe::MusicId(*die), 30);

    // Darken and show, 200 steps; then the picture stands over the darkened field.
    driver.RecordSounds(true);
    driver.Steps(200);
    EXPECT_TRUE(qmtest::MatchesGolden(driver.Screen(), "GameOverShown"));
    const TSoundBankRecord gameOverMusic{TSoundBankRecord::kPlay, 2, 10};
    EXPECT_EQ(std::count(driver.sounds.begin(), driver.sounds.end(), gameOverMusic), 1);
    driver.RecordSounds(false);

    driver.Press(Button::A);
    platform::RgbaImage last;
    int leave = 1;
    while (dynamic_cast<TDieLoop*>(driver.Current()) != nullptr && leave < 200) {
        last = driver.Screen();
        driver.Step();
        ++leave;
    }
    // The last frame before the title is black.
    EXPECT_LE(qmtest::Brightest(last), 8);
    EXPECT_TRUE(qmtest::MatchesGolden(last, "GameOverLastFrame"));
    auto* title = dynamic_cast<TTitleLoop*>(driver.Current());
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(driver.App()->GetSceneCount(), 1);
    // The logo was the run's first title's: this one goes from its wait straight to the fade-in.
    driver.Steps(120);
    EXPECT_EQ(TSceneProbe::State(*title), TSceneProbe::TitleState::FadeIn);
    driver.Stop();
    EXPECT_TRUE(driver.boxes.empty());
    EXPECT_FALSE(fs::exists(dir.Path() / "ErrorLog.txt"));
}

}  // namespace
