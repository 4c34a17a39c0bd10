// Story event 307: the flight paces the script (no script before 401 steps, cues past 600, 800,
// 1000 and 1200 flight steps), the fourth wait is held through the closing fade, the scene never
// ends before the flight and the fade are over; the skip; steady frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "MainCode/Map/TCamera.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TEvent04_07Loop.h"
#include "TCommon/my_error.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "event_fixture.h"
#include "formats/byte_writer.h"
#include "formats/script_assembler.h"
#include "support/alloc_probe.h"
#include "support/dx_probe.h"
#include "support/frame_probe.h"
#include "support/scene_probe.h"

namespace {

using qmtest::Button;

class Event7 : public qmtest::EventScene {
protected:
    // Four cues; a line that waits for decide may stand before the given one.
    void WriteCues(int count, int lineBefore)
    {
        std::vector<std::string> script = qmtest::Cues(count);
        if (lineBefore != 0) {
            script.insert(script.begin() + 2 * lineBefore - 1, "CALL @@SendMsg \"Text\" 0 \"空／\"");
        }
        qmtest::ScriptFileWriter().Script("Event04_07", script).Save("data/scr04/04.pbsc");
    }
    static TSoundBank* Music() { return TDSound8::Instance()->GetBank(2); }
    void ExpectHubTo308()
    {
        auto* hub = dynamic_cast<TChangeLoop*>(driver_.Current());
        ASSERT_NE(hub, nullptr);
        EXPECT_EQ(static_cast<std::int64_t>(TSceneProbe::EventId(*hub)), 308);
        EXPECT_EQ(static_cast<std::int64_t>(TSceneProbe::MusicId(*hub)), 57);
        EXPECT_EQ(TDxProbe::UseCount(*Music(), 57), 1u);
        EXPECT_TRUE(qmtest::EventScriptsGone());
        driver_.App()->PopScenesTo(0);
        Music()->Unload(57);
    }
};

TEST_F(Event7, TheFlightPacesTheScriptAndTheFadeEndsIt)
{
    const struct {
        const char* what;
        int cues;
        int lineBefore;
        int press;
        std::vector<int> reached;  // the steps "cue" becomes 1, 2, 3
        int end;                   // 0: still running at step 2000
    } cases[] = {
        // Waiting at once: held to 601, 801, 1001; the fourth from 1201 through the fade back (from
        // 1202), let go once the flight has ended (1400) and the picture is black.
        {"at once", 4, 0, 0, {602, 802, 1002}, 1402},
        // A late cue passes at once; the others keep their thresholds.
        {"second late", 4, 2, 900, {602, 902, 1002}, 1402},
        // The fourth wait only after the flight: the fade back takes its 100 steps from there.
        {"fourth after the flight", 4, 4, 1390, {602, 802, 1002}, 1492},
        // A script that never waits holds the scene in its first text.
        {"never waits", 0, 0, 0, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteCues(c.cues, c.lineBefore);
        auto* event = Begin<TEvent04_07Loop>();
        TFrame* camera = TSceneProbe::Camera(*event)->GetFrame();
        TFrame* target = TSceneProbe::Target(*event);
        std::vector<int> reached;
        int firstWait = 0;
        int end = 0;
        for (int step = 1; step <= 2000; ++step) {
            SCOPED_TRACE(step);
            qmtest::SceneDriver::Hold(Button::A, step == c.press);
            const std::int32_t before = qmtest::CueReached();
            Step();
            if (driver_.Current() != event) {
                end = step;
                break;
            }
            if (qmtest::CueReached() != before) {
                reached.push_back(step);
            }
            if (firstWait == 0 && Wait() != 0) {
                firstWait = step;
            }
            if (step <= 401) {
                // The opening never runs the script.
                EXPECT_TRUE(qmtest::EventScriptsGone());
            }
            if (c.cues == 4 && c.lineBefore != 4 && step >= 1201 && step < c.end - 1) {
                EXPECT_NE(Wait(), 0);  // the fourth wait, let go only on the closing's last step
            }
            EXPECT_GE(FadeAlpha(), 0);  // the quad in every phase
            // The flight: t = (step - 1) / 1400 as the step begins.
            const struct {
                int at;
                D3DXVECTOR3 camera;
                D3DXVECTOR3 target;
            } flight[] = {{1, {0.0F, 3.6F, -9.0F}, {0.0F, 1.6F, 1.0F}},
                          {701, {0.0F, 3.3F, -18.5F}, {0.0F, 5.8F, 1.0F}},
                          {1401, {0.0F, 3.0F, -28.0F}, {0.0F, 10.0F, 1.0F}},
                          {1450, {0.0F, 3.0F, -28.0F}, {0.0F, 10.0F, 1.0F}}};
            for (const auto& f : flight) {
                if (step == f.at) {
                    qmtest::ExpectNear(qmtest::PositionOf(camera), f.camera);
                    qmtest::ExpectNear(qmtest::PositionOf(target), f.target);
                }
            }
            if (end == 0 && step == c.end - 1) {
                EXPECT_EQ(FadeAlpha(), 255);  // black before the hand-over
            }
        }
        qmtest::SceneDriver::Hold(Button::A, false);
        EXPECT_EQ(reached, c.reached);
        EXPECT_EQ(end, c.end);
        if (c.cues != 0) {
            EXPECT_EQ(firstWait, 402);
        }
        if (end != 0) {
            ExpectHubTo308();
        } else {
            driver_.App()->PopScenesTo(0);
        }
    }
}

// Cancel held: neither the flight nor the script go on; the quad goes back from where it stands
// while the music fades over 50 steps; then the same hand-over as the normal end.
TEST_F(Event7, CancelFadesBackFromWhereTheQuadStands)
{
    WriteCues(4, 0);
    const struct {
        int cancelAt;
        int end;
    } cases[] = {
        {1, 52},      // black from the start: the music decides
        {50, 101},    // 49 steps in: back in 50, the music decides
        {300, 400},   // fully in: back in 100 steps
        {1000, 1100}, // likewise, mid-text
        {1300, 1351}, // in the fade back, 2 steps from black: the music decides
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cancelAt);
        TLoop* scene = Begin<TEvent04_07Loop>();
        auto* event = static_cast<TEvent04_07Loop*>(scene);
        for (int step = 1; step < c.cancelAt; ++step) {
            Step();
        }
        const std::int32_t flight = TSceneProbe::Flight(*event).step;
        const std::int32_t cue = qmtest::CueReached();
        qmtest::SceneDriver::Hold(Button::B, true);
        int end = 0;
        for (int step = c.cancelAt; step <= c.cancelAt + 120; ++step) {
            Step();
            if (driver_.Current() != scene) {
                end = step;
                break;
            }
            EXPECT_EQ(TSceneProbe::Flight(*event).step, flight);
            EXPECT_EQ(qmtest::CueReached(), cue);
        }
        qmtest::SceneDriver::Hold(Button::B, false);
        EXPECT_EQ(end, c.end);
        ExpectHubTo308();
    }
}

TEST_F(Event7, TheLandThatCannotBeReadIsNamed)
{
    std::filesystem::remove("data/msh04/map04/t05_00.msh");
    try {
        delete new TEvent04_07Loop(driver_.App());
        ADD_FAILURE() << "no error";
    } catch (const my_error& e) {
        EXPECT_NE(std::string(e.what()).find("map04/t05_00.msh"), std::string::npos) << e.what();
    }
}

// Mid-flight with the script held at its cue, a step allocates nothing of its own.
TEST_F(Event7, SteadyFlightFramesAllocateNothing)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    WriteCues(4, 0);
    TLoop* event = Begin<TEvent04_07Loop>();
    driver_.RecordDraws(false);
    driver_.RecordSounds(false);
    driver_.Steps(500);
    EXPECT_EQ(qmtest::SteadyStepAllocations(driver_, event), 0);
}

}  // namespace
