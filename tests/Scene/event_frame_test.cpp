// What every story event shares, on both kinds of fade: the skip on a held cancel from any phase,
// the uses of the music across the hand-over, the script process manager's end, a lost device,
// the order of the draw, a missing model, and the faults mended (music missing from its list, an
// event ended from outside, a field that cannot be built).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TEvent04_00Loop.h"
#include "MainCode/Scene/TEvent04_01Loop.h"
#include "TCommon/my_error.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "event_fixture.h"
#include "formats/byte_writer.h"
#include "formats/table_writer.h"
#include "platform/testing/d3d8.h"
#include "support/dx_probe.h"
#include "support/scene_probe.h"

namespace {

using qmtest::Button;

class EventFrame : public qmtest::EventScene {
protected:
    TLoop* BeginEvent(bool second)
    {
        if (second) {
            return Begin<TEvent04_01Loop>();
        }
        return Begin<TEvent04_00Loop>();
    }
    // Steps until the event is no longer current; that step, or 0 past the limit.
    int RunToEnd(TLoop* event, int from, int limit)
    {
        for (int step = from; step <= limit; ++step) {
            Step();
            if (driver_.Current() != event) {
                return step;
            }
        }
        return 0;
    }
    static TSoundBank* Music() { return TDSound8::Instance()->GetBank(2); }
};

// Cancel held from a step on: the music fades over 50 steps (the fader ends on its 51st), the quad
// runs back from where it stands, the black sprite is black at once; the final phase runs on the
// step after both have ended. Holding cancel on through the skip changes nothing.
TEST_F(EventFrame, CancelHeldInAnyPhaseSkipsThroughTheFinalPhase)
{
    const struct {
        const char* what;
        bool second;  // the black-sprite event, else the quad's
        int cancelAt;
        bool keepHolding;
        int alpha;  // the fade drawn on the cancel step
        int end;
    } cases[] = {
        // The quad: still black on the first step, the music decides.
        {"quad, first step", false, 1, false, 255, 52},
        // 39 steps into the fade-in: back from 38/100, the music still decides.
        {"quad, fade-in", false, 40, false, 158, 91},
        {"quad, fade-in held on", false, 40, true, 158, 91},
        // Fully faded in: the quad's 100 steps back decide.
        {"quad, cue phase", false, 300, false, 2, 400},
        {"quad, cue phase held on", false, 300, true, 2, 400},
        // In the fade-out, 23 steps from black: the music decides again.
        {"quad, fade-out", false, 1080, false, 198, 1131},
        // The black sprite: black at once in every phase, the music decides.
        {"black, over black", true, 1, false, 255, 52},
        {"black, opening", true, 300, true, 255, 351},
        {"black, first stage", true, 460, false, 255, 511},
        {"black, beats", true, 800, false, 255, 851},
        {"black, beats held on", true, 800, true, 255, 851},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TLoop* event = BeginEvent(c.second);
        ASSERT_EQ(RunToEnd(event, 1, c.cancelAt - 1), 0);
        qmtest::SceneDriver::Hold(Button::B, true);
        Step();
        EXPECT_EQ(FadeAlpha(), c.alpha);
        if (!c.keepHolding) {
            qmtest::SceneDriver::Hold(Button::B, false);
        }
        EXPECT_EQ(RunToEnd(event, c.cancelAt + 1, c.end + 10), c.end);
        qmtest::SceneDriver::Hold(Button::B, false);
        EXPECT_TRUE(qmtest::EventScriptsGone());
        if (c.second) {
            EXPECT_NE(dynamic_cast<TFieldLoop*>(driver_.Current()), nullptr);
        } else {
            auto* hub = dynamic_cast<TChangeLoop*>(driver_.Current());
            ASSERT_NE(hub, nullptr);
            EXPECT_EQ(TSceneProbe::EventId(*hub), 301u);
        }
    }
}

// The hub keeps the event music with one use past the event's end; the field needs none.
TEST_F(EventFrame, OnlyTheHubHandOverKeepsAUseOfTheMusic)
{
    for (bool second : {false, true}) {
        SCOPED_TRACE(second);
        const std::uint32_t music = second ? 52 : 51;
        TLoop* event = BeginEvent(second);
        EXPECT_EQ(TDxProbe::UseCount(*Music(), music), 1u);  // the event's list
        qmtest::SceneDriver::Hold(Button::B, true);
        Step();
        qmtest::SceneDriver::Hold(Button::B, false);
        const int end = RunToEnd(event, 2, 200);
        ASSERT_NE(end, 0);
        EXPECT_EQ(TDxProbe::UseCount(*Music(), music), second ? 0u : 1u);
        const auto loads = std::count(driver_.sounds.begin(), driver_.sounds.end(),
                                      TSoundBankRecord{TSoundBankRecord::kLoad, 2, music});
        EXPECT_EQ(loads, second ? 0 : 1);
    }
}

// A music id the list does not hold: nothing plays and nothing fades; the quad alone sets the
// skip's length (100 steps back, then the final phase), the black sprite's skip ends at once.
TEST_F(EventFrame, MusicMissingFromItsListGivesASkipWithoutAFader)
{
    qmtest::SaveBytes("data/tbl04/subset/event_bgm.tbl", qmtest::BuildSoundList({53, 54}));
    const struct {
        bool second;
        int cancelAt;
        int end;
    } cases[] = {{false, 300, 400}, {false, 40, 79}, {true, 300, 301}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cancelAt);
        // The use the last case's hub kept goes back, as the hub gives it.
        while (TDxProbe::UseCount(*Music(), 51) != 0) {
            Music()->Unload(51);
        }
        Music()->PurgeUnused();
        TLoop* event = BeginEvent(c.second);
        EXPECT_FALSE(Music()->IsLoaded(c.second ? 52 : 51));
        ASSERT_EQ(RunToEnd(event, 1, c.cancelAt - 1), 0);
        qmtest::SceneDriver::Hold(Button::B, true);
        Step();
        qmtest::SceneDriver::Hold(Button::B, false);
        EXPECT_EQ(RunToEnd(event, c.cancelAt + 1, c.end + 10), c.end);
    }
}

// Ended from outside its final phase (the title taken over from the system dialog), an event takes
// its script process manager with it, and leaves another one alone.
TEST_F(EventFrame, AnEventEndedFromOutsideDestroysOnlyTheManagerItMade)
{
    for (bool second : {false, true}) {
        for (bool replaced : {false, true}) {
            SCOPED_TRACE(testing::Message() << second << replaced);
            BeginEvent(second);
            driver_.Steps(5);
            TScriptProcessManager* other = nullptr;
            if (replaced) {
                other = TScriptProcessManager::Create();
            }
            driver_.App()->PopScenesTo(0);
            EXPECT_EQ(TScriptProcessManager::Get(), other);
            TScriptProcessManager::Destroy();
        }
    }
}

// A model that cannot be read ends the construction with my_error naming it, before the event
// makes a script process manager (the one there stays).
TEST_F(EventFrame, AMissingModelThrowsNamingItBeforeTheManagerIsMade)
{
    const struct {
        bool second;
        const char* model;
    } cases[] = {
        {false, "event04/t04_00forEvent2.msh"}, {true, "event04/event01_hero.msh"},
        {true, "event04/event01_heroine.msh"},  {true, "event04/event01_wep.msh"},
        {true, "event04/r02_07_b2.msh"},        {true, "event04/event02_hero.tob"},
        {true, "event04/event02_heroine.tob"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        const std::string path = std::string("data/msh04/") + c.model;
        const std::vector<std::uint8_t> kept = qmtest::LoadBytes(path);
        std::filesystem::remove(path);
        TScriptProcessManager* before = TScriptProcessManager::Create();
        try {
            if (c.second) {
                delete new TEvent04_01Loop(driver_.App());
            } else {
                delete new TEvent04_00Loop(driver_.App());
            }
            ADD_FAILURE() << "no error";
        } catch (const my_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.model), std::string::npos) << e.what();
        }
        EXPECT_EQ(TScriptProcessManager::Get(), before);
        TScriptProcessManager::Destroy();
        qmtest::SaveBytes(path, kept);
    }
}

// The field the event leads to cannot be built: the error leaves the event's last step, its
// scripts already gone, for the entry function to report; nothing has shown it yet.
TEST_F(EventFrame, AFieldThatCannotBeBuiltThrowsOutOfTheLastStep)
{
    std::filesystem::remove("data/scr04/04.pbms");
    TLoop* event = Begin<TEvent04_01Loop>();
    qmtest::SceneDriver::Hold(Button::B, true);
    Step();
    qmtest::SceneDriver::Hold(Button::B, false);
    int step = 1;
    std::string error;
    try {
        while (driver_.Current() == event && ++step <= 100) {
            Step();
        }
    } catch (const my_error& e) {
        error = e.what();
    }
    EXPECT_EQ(step, 52);
    EXPECT_NE(error.find("04.pbms"), std::string::npos) << error;
    EXPECT_TRUE(driver_.boxes.empty());
    EXPECT_TRUE(qmtest::EventScriptsGone());
}

// With the device lost the phases run on and nothing is drawn; drawing comes back with it.
TEST_F(EventFrame, ALostDeviceStopsTheDrawNotThePhases)
{
    auto* event = Begin<TEvent04_00Loop>();
    driver_.Steps(30);
    ASSERT_EQ(TSceneProbe::Glide(*event).step, 30);
    platform::InjectDeviceLoss(TD3D8::GetDevice());
    Step();
    EXPECT_TRUE(driver_.draws.empty());
    EXPECT_EQ(TSceneProbe::Glide(*event).step, 31);
    Step();
    Step();
    EXPECT_EQ(TSceneProbe::Glide(*event).step, 33);
    EXPECT_FALSE(driver_.draws.empty());
}

// One frame: the scene's meshes, then the message window, then the fade over the whole screen.
TEST_F(EventFrame, TheDrawGoesSceneThenMessageWindowThenFade)
{
    WriteScripts({"CALL @@SendMsg \"Text\" 2 0 0", "CALL @@SendMsg \"Text\" 0 \"灯の塔／\"", "CALL @@Wait"},
                 qmtest::Cues(34));
    Begin<TEvent04_00Loop>();
    driver_.Steps(260);
    IDirect3DDevice8* device = TD3D8::GetDevice();
    platform::EnableDrawLog(device, true);
    platform::ClearDrawLog(device);
    Step();
    const std::vector<platform::D3D8DrawRecord> log = platform::DrawLog(device);
    platform::EnableDrawLog(device, false);
    // Meshes from their buffers first, then every 2D draw from memory.
    const auto first2d = std::find_if(log.begin(), log.end(), [](const auto& r) { return r.userPointer; });
    ASSERT_NE(first2d, log.begin());
    ASSERT_NE(first2d, log.end());
    EXPECT_TRUE(std::all_of(first2d, log.end(), [](const auto& r) { return r.userPointer; }));
    // The message window's pieces, then the fade quad last, over the whole screen.
    ASSERT_GE(driver_.draws.size(), 2u);
    const TSpriteDrawRecord& fade = driver_.draws.back();
    EXPECT_EQ(fade.kind, TSpriteDrawRecord::kRect);
    EXPECT_EQ(fade.mode, 1);
    EXPECT_EQ(fade.x, 0.0F);
    EXPECT_EQ(fade.y, 0.0F);
    EXPECT_EQ(fade.w, 640.0F);
    EXPECT_EQ(fade.h, 480.0F);
    EXPECT_EQ(log.back().primitiveCount, 2u);
}

}  // namespace
