// Every story event with its script file gone: the cause is logged once and the event waits for a
// cue that never comes, long past the step it would end on with its cues taken at once; cancel then
// skips it and it hands over as it always does.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TEvent04_00Loop.h"
#include "MainCode/Scene/TEvent04_01Loop.h"
#include "MainCode/Scene/TEvent04_02Loop.h"
#include "MainCode/Scene/TEvent04_03Loop.h"
#include "MainCode/Scene/TEvent04_04Loop.h"
#include "MainCode/Scene/TEvent04_05Loop.h"
#include "MainCode/Scene/TEvent04_06Loop.h"
#include "MainCode/Scene/TEvent04_07Loop.h"
#include "event_fixture.h"
#include "support/scene_probe.h"

namespace {

class EventWithoutScript : public qmtest::EventScene {};

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

TEST_F(EventWithoutScript, EachWaitsUntilCancelThenHandsOverAndLogsOnce)
{
    const struct {
        int id;
        std::function<TLoop*(TGameWnd*)> make;
        int next;  // the event the hub goes on to; 0 for the field
    } cases[] = {
        {300, [](TGameWnd* app) { return new TEvent04_00Loop(app); }, 301},
        {301, [](TGameWnd* app) { return new TEvent04_01Loop(app); }, 0},
        {302, [](TGameWnd* app) { return new TEvent04_02Loop(app); }, 0},
        {303, [](TGameWnd* app) { return new TEvent04_03Loop(app); }, 0},
        {304, [](TGameWnd* app) { return new TEvent04_04Loop(app); }, 0},
        {305, [](TGameWnd* app) { return new TEvent04_05Loop(app); }, 0},
        {306, [](TGameWnd* app) { return new TEvent04_06Loop(app); }, 307},
        {307, [](TGameWnd* app) { return new TEvent04_07Loop(app); }, 308},
    };
    ASSERT_EQ(std::remove("data/scr04/04.pbsc"), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const std::string key = "04.pbsc/Event04_0" + std::to_string(c.id - 300);
        testing::internal::CaptureStderr();
        TLoop* event = c.make(driver_.App());
        driver_.App()->PopScenesTo(0);
        driver_.App()->ReplaceScene(event);
        // Longer than the longest event takes with every cue at once (1402 steps).
        EXPECT_EQ(StepThrough(event, 1700), 0);
        const std::string log = testing::internal::GetCapturedStderr();
        qmtest::SceneDriver::Hold(qmtest::Button::B, true);
        const int end = StepThrough(event, 200);
        qmtest::SceneDriver::Hold(qmtest::Button::B, false);
        EXPECT_GT(end, 0);
        EXPECT_EQ(Count(log, "(" + key + ")"), 1u) << log;
        EXPECT_EQ(Count(log, "cannot open"), 1u) << log;
        if (c.next != 0) {
            auto* hub = dynamic_cast<TChangeLoop*>(driver_.Current());
            ASSERT_NE(hub, nullptr);
            EXPECT_EQ(static_cast<int>(TSceneProbe::EventId(*hub)), c.next);
        } else {
            EXPECT_NE(dynamic_cast<TFieldLoop*>(driver_.Current()), nullptr);
        }
        EXPECT_EQ(TScriptProcessManager::Get(), nullptr);
        driver_.App()->PopScenesTo(0);
    }
}

}  // namespace
