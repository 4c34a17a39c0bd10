// The four later story events on one table: each takes its cues in turn as its faces play out and
// ends on its own field, or with cancel held goes black and ends on the same field once its music
// has faded. Then what each does of its own: the knights' loops, the hero never waited for, the
// closing pause, the explosion, and which figures draw their faces last.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "MainCode/Scene/TEvent04_02Loop.h"
#include "MainCode/Scene/TEvent04_03Loop.h"
#include "MainCode/Scene/TEvent04_04Loop.h"
#include "MainCode/Scene/TEvent04_05Loop.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "event_fixture.h"

namespace {

using qmtest::Button;

struct LaterEvent {
    const char* name;
    std::function<TLoop*(TGameWnd*)> make;
    std::uint32_t music;
    // Steps on which the script went on past a cue (the step after the event took it).
    std::vector<int> cueSteps;
    int end;
    D3DXVECTOR3 at;
    const char* boxScript;  // the box of the field it ends on
};

// Every figure's morph plays out on its ninth step. Each event fades in over 10 steps and starts
// its cues on the 11th: a cue every 9 steps. 304 and 305 hold the closing cue 200 steps after the
// heroine's last morph ends; 305's seventh cue waits out the explosion's 60 animation steps, then
// the heroine's morph. The script runs out the step after the last cue, 10 steps of fade follow.
std::vector<int> Every9(int first, int count)
{
    std::vector<int> steps;
    for (int i = 0; i < count; ++i) {
        steps.push_back(first + 9 * i);
    }
    return steps;
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const D3DXVECTOR3 kMist(-9.0F, 2.5F, 182.0F);
const D3DXVECTOR3 kCave(34.0F, 0.0F, 108.0F);
const D3DXVECTOR3 kNorth(0.0F, 0.0F, -1.0F);

std::vector<LaterEvent> Events()
{
    return {
        {"302", [](TGameWnd* app) { return new TEvent04_02Loop(app); }, 53, Every9(20, 4), 58, kMist,
         "m04.pbsc/ToEvent303"},
        {"303", [](TGameWnd* app) { return new TEvent04_03Loop(app); }, 53, Every9(20, 4), 58, kMist,
         "m04.pbsc/ToEvent304"},
        {"304", [](TGameWnd* app) { return new TEvent04_04Loop(app); }, 54, Join(Every9(20, 15), {355}), 366, kCave,
         "m04.pbsc/ToEvent305"},
        {"305", [](TGameWnd* app) { return new TEvent04_05Loop(app); }, 55,
         Join(Join(Every9(20, 6), Every9(134, 17)), {487}), 498, kCave, ""},
    };
}

class LaterEvents : public qmtest::EventScene {
protected:
    TLoop* BeginEvent(const LaterEvent& e)
    {
        TLoop* event = e.make(driver_.App());
        driver_.App()->PopScenesTo(0);
        driver_.App()->ReplaceScene(event);
        return event;
    }
    static TSoundBank* Music() { return TDSound8::Instance()->GetBank(2); }
};

TEST_F(LaterEvents, EachTakesItsCuesInTurnAndEndsOnItsField)
{
    for (const LaterEvent& e : Events()) {
        SCOPED_TRACE(e.name);
        TLoop* event = BeginEvent(e);
        EXPECT_EQ(Music()->GetUseCount(e.music), 1u);
        std::vector<int> alphas;
        std::vector<int> cues;
        const int end = StepThrough(
            event, 600, [&](int) { alphas.push_back(FadeAlpha()); }, &cues);
        EXPECT_EQ(cues, e.cueSteps);
        EXPECT_EQ(end, e.end);
        ASSERT_GT(alphas.size(), 12u);
        // Black first, cleared over 10 steps (the tenth draws the stage alone), no fade through the
        // cues; the run-out's step draws the fade-out's sprite as the fade-in left it, then back to
        // black over 10 steps (the last drawn is 0.9 of black). Alphas truncate value × 255.
        const std::vector<int> fadeIn = {255, 229, 204, 178, 153, 127, 101, 76, 50, -1, -1};
        EXPECT_EQ(std::vector<int>(alphas.begin(), alphas.begin() + 11), fadeIn);
        const std::vector<int> fadeOut = {25, 0, 25, 50, 76, 101, 127, 153, 178, 204, 229};
        EXPECT_EQ(std::vector<int>(alphas.end() - 11, alphas.end()), fadeOut);
        EXPECT_EQ(alphas[alphas.size() - 12], -1);
        ExpectField(e.at, kNorth, e.boxScript);
        EXPECT_EQ(Music()->GetUseCount(e.music), 0u);
    }
}

// Cancel held: black at once, the music fades over 50 steps, then the same field as the end.
TEST_F(LaterEvents, CancelHeldSkipsToTheSameFieldBehindTheMusicsFade)
{
    for (const LaterEvent& e : Events()) {
        for (int cancelAt : {1, 10, 11, 30, e.end - 5}) {
            SCOPED_TRACE(std::string(e.name) + " at " + std::to_string(cancelAt));
            TLoop* event = BeginEvent(e);
            ASSERT_EQ(StepThrough(event, cancelAt - 1), 0);
            qmtest::SceneDriver::Hold(Button::B, true);
            Step();
            EXPECT_EQ(FadeAlpha(), 255);
            EXPECT_EQ(StepThrough(event, 80), 51);
            qmtest::SceneDriver::Hold(Button::B, false);
            ExpectField(e.at, kNorth, e.boxScript);
            EXPECT_EQ(Music()->GetUseCount(e.music), 0u);
        }
    }
}

}  // namespace
