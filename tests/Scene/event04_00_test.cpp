// The glide of the first story event: the glide paces the script's cues (thresholds 500, 700, 900
// and the glide's end), the camera's end point, the fade and the hand-over to the hub.
#include <gtest/gtest.h>

#include <vector>

#include "MainCode/Map/TCamera.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TEvent04_00Loop.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "event_fixture.h"
#include "support/frame_probe.h"
#include "support/main_probe.h"
#include "support/scene_probe.h"

namespace {

using qmtest::Button;

class Event0 : public qmtest::EventScene {};

// Three cues; a line that waits for decide may stand before one of them, and decide is pressed
// on the given step. The script runs from step 202 (the glide has passed 200); "cue" k is set the
// step after the k-th cue is let go.
TEST_F(Event0, TheGlidePacesTheCuesAt500And700AndTheGlidesEnd)
{
    const struct {
        const char* what;
        int lineBefore;  // the cue a decide line stands before; 0 none
        int press;       // the step decide is pressed on
        int reached[3];  // the steps "cue" becomes 1, 2, 3
        int end;         // the step the hub takes over
    } cases[] = {
        // Waiting at once: held to 501, 701, and past the glide's end (1000) at 1001.
        {"at once", 0, 0, {502, 702, 1002}, 1103},
        // Late cues pass at once once their threshold is behind the glide.
        {"second late", 2, 800, {502, 802, 1002}, 1103},
        // The third cue stays held through the rest of the glide.
        {"third before 900", 3, 880, {502, 702, 1002}, 1103},
        {"third after 900", 3, 950, {502, 702, 1002}, 1103},
        {"third after the glide", 3, 1100, {502, 702, 1103}, 1204},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> script = qmtest::Cues(3);
        if (c.lineBefore != 0) {
            // "g.mark = 7", then wait/cue pairs: the k-th wait is line 2k - 1.
            script.insert(script.begin() + 2 * c.lineBefore - 1, "CALL @@SendMsg \"Text\" 0 \"あ／\"");
        }
        WriteScripts(script, qmtest::Cues(34));
        auto* event = Begin<TEvent04_00Loop>();
        std::vector<int> reached;
        int firstWait = 0;
        int end = 0;
        for (int step = 1; step <= 1300 && end == 0; ++step) {
            if (step == c.press) {
                qmtest::SceneDriver::Hold(Button::A, true);
            }
            const std::int32_t before = qmtest::CueReached();
            Step();
            qmtest::SceneDriver::Hold(Button::A, false);
            if (driver_.Current() != event) {
                end = step;
                break;
            }
            if (firstWait == 0 && Wait() != 0) {
                firstWait = step;
            }
            if (qmtest::CueReached() != before) {
                reached.push_back(step);
            }
            if (step == 1002) {
                // The glide stopped at 70 %: P + (Q - P) × 0.7; the target stays at R.
                qmtest::ExpectNear(qmtest::PositionOf(TSceneProbe::Camera(*event)->GetFrame()),
                                   D3DXVECTOR3(0.07F, 1.2F, 25.06F));
                qmtest::ExpectNear(qmtest::PositionOf(TSceneProbe::Target(*event)), D3DXVECTOR3(-8.6F, 1.0F, 19.5F));
                EXPECT_EQ(TSceneProbe::Glide(*event).step, 1000);
            }
        }
        EXPECT_EQ(firstWait, 202);
        EXPECT_EQ(reached, std::vector<int>(std::begin(c.reached), std::end(c.reached)));
        EXPECT_EQ(end, c.end);
        // Through the hub to the next event, black from the start, with the event's music.
        auto* hub = dynamic_cast<TChangeLoop*>(driver_.Current());
        ASSERT_NE(hub, nullptr);
        EXPECT_EQ(TSceneProbe::Mode(*hub), 2u);
        EXPECT_EQ(TMainProbe::Colour(TSceneProbe::Quad(*hub)), 0xFF000000u) << "black, clearing from there";
        EXPECT_EQ(TSceneProbe::EventId(*hub), 301);
        EXPECT_EQ(TSceneProbe::MusicId(*hub), 51u);
    }
}

// The first picture is drawn while the event is made: the scenery under the opaque fade.
TEST_F(Event0, TheConstructionDrawsOneFrameBlack)
{
    driver_.draws.clear();
    auto* event = new TEvent04_00Loop(driver_.App());
    ASSERT_FALSE(driver_.draws.empty());
    EXPECT_EQ(driver_.draws.back().kind, TSpriteDrawRecord::kRect);
    EXPECT_EQ(driver_.draws.back().colors[0], 0xFF000000u);
    delete event;
    EXPECT_EQ(TScriptProcessManager::Get(), nullptr);
}

}  // namespace
