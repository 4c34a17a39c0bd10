// The end of the story on the generated folder: event 306 with its flash, the hub, event 307's
// flight, the hub, the ending's pages and logo, then the save screen the hub opens after it: the
// cleared game saved into an empty slot, the screen closed to the title, and the slot read back.
// Once with the player reading every line, once with cancel held throughout.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TSaveLoadLoop.h"
#include "MainCode/Menu/TSaveSlotPage.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TEndingLoop.h"
#include "MainCode/Scene/TEvent04_06Loop.h"
#include "MainCode/Scene/TEvent04_07Loop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/Script/TMessageWindow.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "formats/save_writer.h"
#include "make-sample-data/SampleData.h"
#include "SampleData/sample_folder_copy.h"
#include "support/dx_probe.h"
#include "support/golden.h"
#include "support/menu_probe.h"
#include "support/scene_driver.h"
#include "support/scene_probe.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using qmtest::Button;

constexpr int kStepLimit = 6000;

TSoundBank* Music()
{
    return TDSound8::Instance()->GetBank(2);
}

class EndingRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        qmtest::CopySampleFolder(dir_.Path());
        ASSERT_TRUE(driver_.Start());
        driver_.Steps(8);
        TGameData::GetInstance()->SetSavePoint(4);
        // The story reaches event 306 through the hub, which leaves it alone on the stack.
        driver_.App()->PopScenesTo(0);
        driver_.App()->ReplaceScene(new TEvent04_06Loop(driver_.App()));
    }
    void TearDown() override { qmtest::SceneDriver::ReleaseAll(); }

    // Steps while the scene is current; the steps taken. Reads every line when asked: decide for one
    // step whenever the window waits.
    int Play(TLoop* scene, bool read, const std::function<void(int)>& look)
    {
        int steps = 0;
        bool pressed = false;
        while (driver_.Current() == scene && steps < kStepLimit) {
            TMessageWindow* window = qmtest::MessageWindow();
            pressed = read && !pressed && window != nullptr && window->IsWaitingForButton();
            qmtest::SceneDriver::Hold(Button::A, pressed);
            driver_.draws.clear();
            driver_.Step();
            ++steps;
            if (driver_.Current() == scene) {
                look(steps);
            }
        }
        qmtest::SceneDriver::Hold(Button::A, false);
        return steps;
    }
    // The hub toward the next scene: it holds one use of the music, gives it back after its fade
    // and builds the next scene through the event factory.
    template <typename Next>
    Next* PassHub(std::uint32_t eventId, std::uint32_t music)
    {
        auto* hub = dynamic_cast<TChangeLoop*>(driver_.Current());
        EXPECT_NE(hub, nullptr);
        if (hub == nullptr) {
            return nullptr;
        }
        EXPECT_EQ(static_cast<std::int64_t>(TSceneProbe::EventId(*hub)), eventId);
        EXPECT_EQ(static_cast<std::int64_t>(TSceneProbe::MusicId(*hub)), music);
        EXPECT_EQ(TDxProbe::UseCount(*Music(), music), 1u);
        for (int i = 0; i < 120 && dynamic_cast<Next*>(driver_.Current()) == nullptr; ++i) {
            driver_.Step();
        }
        return dynamic_cast<Next*>(driver_.Current());
    }
    // The hub after the ending opens the save screen.
    TSaveLoadLoop* PassHubToSave()
    {
        auto* hub = dynamic_cast<TChangeLoop*>(driver_.Current());
        EXPECT_NE(hub, nullptr);
        if (hub == nullptr) {
            return nullptr;
        }
        EXPECT_EQ(TSceneProbe::Mode(*hub), 3u);
        EXPECT_EQ(static_cast<std::int64_t>(TSceneProbe::MusicId(*hub)), 11);
        EXPECT_EQ(TDxProbe::UseCount(*Music(), 11), 1u);
        for (int i = 0; i < 120 && dynamic_cast<TSaveLoadLoop*>(driver_.Current()) == nullptr; ++i) {
            driver_.Step();
        }
        EXPECT_EQ(TDxProbe::UseCount(*Music(), 11), 0u);
        return dynamic_cast<TSaveLoadLoop*>(driver_.Current());
    }
    // Saved into empty slot 0, closed to the title; the slot holds the cleared game at save point 11.
    void SaveAndReadBack(TSaveLoadLoop* screen)
    {
        ASSERT_NE(screen, nullptr);
        for (int i = 0; i < 120 && !TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen)); ++i) {
            driver_.Step();
        }
        ASSERT_TRUE(TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen)));
        ASSERT_EQ(TMenuProbe::Cursor(TMenuProbe::SlotPage(*screen)), 0);
        ASSERT_FALSE(fs::exists(dir_.Path() / "save" / qmtest::SaveSlotName(0)));
        driver_.Press(Button::A);
        driver_.Step();
        for (int i = 0; i < 120 && !TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen)); ++i) {
            driver_.Step();
        }
        EXPECT_EQ(TMenuProbe::LastSaveResult(TMenuProbe::SlotPage(*screen)), 0);
        driver_.Press(Button::B);
        for (int i = 0; i < 200 && dynamic_cast<TTitleLoop*>(driver_.Current()) == nullptr; ++i) {
            driver_.Step();
        }
        EXPECT_NE(dynamic_cast<TTitleLoop*>(driver_.Current()), nullptr) << "closing the save screen leads to the title";
        ASSERT_TRUE(fs::exists(dir_.Path() / "save" / qmtest::SaveSlotName(0)));
        TGameData* data = TGameData::GetInstance();
        data->SetSavePoint(4);
        data->SetFlag(1021, 0);
        ASSERT_EQ(data->Load(0, -1), 0);
        EXPECT_EQ(data->GetSavePoint(), 11);
        EXPECT_EQ(data->GetFlag(1021), 1);
        // Loaded as the title's load does it: the party at save point 11.
        driver_.App()->PopScenesTo(0);
        driver_.App()->ReplaceScene(TChangeLoop::ToLoadSlot(driver_.App(), 0, 0xFFFFFFFF));
        for (int i = 0; i < 200 && dynamic_cast<TFieldLoop*>(driver_.Current()) == nullptr; ++i) {
            driver_.Step();
        }
        EXPECT_NE(dynamic_cast<TFieldLoop*>(driver_.Current()), nullptr);
        EXPECT_EQ(data->GetSavePoint(), 11);
        EXPECT_EQ(data->GetFlag(1021), 1);
        EXPECT_TRUE(driver_.boxes.empty());
        EXPECT_FALSE(fs::exists(dir_.Path() / "ErrorLog.txt"));
    }

    qmtest::TempDir dir_;
    qmtest::SceneDriver driver_{dir_.Path()};
};

TEST_F(EndingRoad, EveryLineThenTheEndingThenTheClearedSave)
{
    auto* six = dynamic_cast<TEvent04_06Loop*>(driver_.Current());
    ASSERT_NE(six, nullptr);
    bool white = false;
    Play(six, true, [&](int) {
        if (!white && TSceneProbe::Flash(*six).value == 1.0F) {
            // Full white over the shrine, the seventh line over it.
            white = true;
            EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), "StoryEvent306White"));
        }
    });
    EXPECT_TRUE(white);

    auto* seven = PassHub<TEvent04_07Loop>(307, 56);
    ASSERT_NE(seven, nullptr);
    bool flight = false;
    Play(seven, true, [&](int) {
        if (TSceneProbe::Flight(*seven).step == 700) {
            // Halfway: the land in the fog under the sky, a line in the window.
            flight = true;
            EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), "StoryEvent307MidFlight"));
        }
    });
    EXPECT_TRUE(flight);

    TEndingLoop* ending = PassHub<TEndingLoop>(308, 57);
    ASSERT_NE(ending, nullptr);
    const int steps = Play(ending, false, [&](int step) {
        // A page coming in, a page held, the logo held.
        const struct {
            int at;
            const char* name;
        } shots[] = {{70, "EndingPageSlidingIn"}, {1100, "EndingPageHeld"}, {3150, "EndingLogo"}};
        for (const auto& s : shots) {
            if (step == s.at) {
                EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), s.name));
            }
        }
    });
    EXPECT_EQ(steps, 3379);
    SaveAndReadBack(PassHubToSave());
}

// Cancel held from the start: 306 and 307 hand over after their 50-step music fade, the ending
// cannot be skipped and runs whole; the same save follows.
TEST_F(EndingRoad, CancelHeldSkipsBothEventsNotTheEnding)
{
    qmtest::SceneDriver::Hold(Button::B, true);
    EXPECT_EQ(Play(driver_.Current(), false, [](int) {}), 52);
    TLoop* seven = PassHub<TEvent04_07Loop>(307, 56);
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(Play(seven, false, [](int) {}), 52);
    TLoop* ending = PassHub<TEndingLoop>(308, 57);
    ASSERT_NE(ending, nullptr);
    EXPECT_EQ(Play(ending, false, [](int) {}), 3379);
    qmtest::SceneDriver::Hold(Button::B, false);
    EXPECT_EQ(TGameData::GetInstance()->GetSavePoint(), 11);
    SaveAndReadBack(PassHubToSave());
}

}  // namespace
