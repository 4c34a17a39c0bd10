// The story road of a new game on the generated folder, from the first event on: event 300 glides
// and talks, hands over through the hub to event 301, which ends with the player on the field at
// the start of the game. Once through every cue with the player reading every line, once with
// cancel held through both events.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TEvent04_00Loop.h"
#include "MainCode/Scene/TEvent04_01Loop.h"
#include "MainCode/Script/TMessageWindow.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "formats/byte_writer.h"
#include "formats/map_writer.h"
#include "make-sample-data/SampleData.h"
#include "SampleData/sample_folder_copy.h"
#include "support/dx_probe.h"
#include "support/frame_probe.h"
#include "support/golden.h"
#include "support/scene_driver.h"
#include "support/scene_probe.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using qmtest::Button;

constexpr int kStepLimit = 6000;

class StoryRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        qmtest::CopySampleFolder(dir_.Path());
        // The field the second event leads to, as long as the folder has no map container of that
        // name: the town under the key.
        const fs::path maps = dir_.Path() / "data/scr04/04.pbms";
        if (!fs::exists(maps)) {
            qmtest::FieldMap town = sample::SampleMaps()[1];
            town.entry = "t04_00";
            qmtest::SaveBytes(maps.string(), qmtest::MapContainer({{town.entry, qmtest::FieldMapStream(town).Data()}}));
        }
        ASSERT_TRUE(driver_.Start());
        driver_.Steps(8);
        // A new game reaches the first event through the hub, which leaves it alone on the stack.
        driver_.App()->PopScenesTo(0);
        driver_.App()->ReplaceScene(new TEvent04_00Loop(driver_.App()));
        driver_.RecordSounds(true);
    }
    void TearDown() override { qmtest::SceneDriver::ReleaseAll(); }

    // The hub between the events: its fade ends, it gives the music back and starts event 301.
    void PassHub()
    {
        auto* hub = dynamic_cast<TChangeLoop*>(driver_.Current());
        ASSERT_NE(hub, nullptr);
        ASSERT_EQ(TSceneProbe::EventId(*hub), 301);
        EXPECT_EQ(TDxProbe::UseCount(*TDSound8::Instance()->GetBank(2), 51), 1u);
        for (int i = 0; i < 120 && dynamic_cast<TEvent04_01Loop*>(driver_.Current()) == nullptr; ++i) {
            driver_.Step();
        }
        ASSERT_NE(dynamic_cast<TEvent04_01Loop*>(driver_.Current()), nullptr);
    }
    // The player on the field at the start of the game, the events' parts gone.
    void ExpectField()
    {
        auto* field = dynamic_cast<TFieldLoop*>(driver_.Current());
        ASSERT_NE(field, nullptr);
        EXPECT_NE(dynamic_cast<TTownArea*>(field->GetArea()), nullptr);
        D3DXVECTOR3 at;
        field->GetPlayer()->GetPosition(&at);
        EXPECT_LT(std::hypot(at.x + 8.0F, at.z - 17.0F), 0.1F);
        EXPECT_EQ(driver_.App()->GetSceneCount(), 1);
        EXPECT_EQ(TDxProbe::UseCount(*TDSound8::Instance()->GetBank(2), 52), 0u);
        EXPECT_TRUE(driver_.boxes.empty());
        EXPECT_FALSE(fs::exists(dir_.Path() / "ErrorLog.txt"));
    }

    qmtest::TempDir dir_;
    qmtest::SceneDriver driver_{dir_.Path()};
};

TEST_F(StoryRoad, EveryCueOfBothEventsThenTheField)
{
    int steps = 0;
    bool pressed = false;
    // Reads every line: decide for one step whenever the window waits.
    const auto play = [&](TLoop* scene, const std::function<void()>& look) {
        while (driver_.Current() == scene && steps < kStepLimit) {
            TMessageWindow* window = qmtest::MessageWindow();
            pressed = !pressed && window != nullptr && window->IsWaitingForButton();
            qmtest::SceneDriver::Hold(Button::A, pressed);
            driver_.Step();
            ++steps;
            if (driver_.Current() == scene) {
                look();
            }
        }
        qmtest::SceneDriver::Hold(Button::A, false);
    };

    auto* first = dynamic_cast<TEvent04_00Loop*>(driver_.Current());
    ASSERT_NE(first, nullptr);
    bool glideShown = false;
    play(first, [&] {
        if (TSceneProbe::Glide(*first).step == 400) {
            // Mid-glide: the scenery in the fog under the sky, the first line in the window.
            glideShown = true;
            EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), "StoryEvent300MidGlide"));
        }
    });
    EXPECT_TRUE(glideShown);
    PassHub();

    auto* second = dynamic_cast<TEvent04_01Loop*>(driver_.Current());
    ASSERT_NE(second, nullptr);
    TFrame* root = TSceneProbe::Root(*second);
    int stageSteps = 0;
    int beatSteps = 0;
    play(second, [&] {
        if (qmtest::ChildFrame(root, "BeforeScene") != nullptr && ++stageSteps == 40) {
            // The first stage up, the shake over.
            EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), "StoryEvent301FirstStage"));
        }
        TMesh8* heroine = root->FindMesh("Parp", true);
        if (qmtest::ChildFrame(root, "AfterScene") != nullptr && heroine != nullptr && heroine->GetMorphIndex() == 6 &&
            ++beatSteps == 4) {
            // A beat: both faces in their sixth expression, half played.
            EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), "StoryEvent301Beat"));
        }
    });
    EXPECT_GT(stageSteps, 40);
    EXPECT_GT(beatSteps, 4);
    EXPECT_LT(steps, kStepLimit);
    ExpectField();
}

TEST_F(StoryRoad, CancelHeldSkipsBothEventsToTheSameField)
{
    qmtest::SceneDriver::Hold(Button::B, true);
    TLoop* first = driver_.Current();
    int steps = 0;
    while (driver_.Current() == first && steps < 200) {
        driver_.Step();
        ++steps;
    }
    // Black from the start: the music's 50-step fade, then the hand-over.
    EXPECT_EQ(steps, 52);
    PassHub();
    TLoop* second = driver_.Current();
    steps = 0;
    while (driver_.Current() == second && steps < 200) {
        driver_.Step();
        ++steps;
    }
    EXPECT_EQ(steps, 52);
    qmtest::SceneDriver::Hold(Button::B, false);
    ExpectField();
}

}  // namespace
