// Every story event with its script file gone: the cause is logged once and the event runs through
// its phases as if each cue came at once, ending on the step its "at once" timeline ends and
// handing over as it always does. Only a script that did load and never waits holds an event.
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

TEST_F(EventWithoutScript, EachEndsByItselfOnItsOwnLastStepAndLogsOnce)
{
    const struct {
        int id;
        std::function<TLoop*(TGameWnd*)> make;
        int end;   // the step the next scene takes over, as with cues taken at once
        int next;  // the event the hub goes on to; 0 for the field
    } cases[] = {
        {300, [](TGameWnd* app) { return new TEvent04_00Loop(app); }, 1103, 301},
        {301, [](TGameWnd* app) { return new TEvent04_01Loop(app); }, 1129, 0},
        {302, [](TGameWnd* app) { return new TEvent04_02Loop(app); }, 58, 0},
        {303, [](TGameWnd* app) { return new TEvent04_03Loop(app); }, 58, 0},
        {304, [](TGameWnd* app) { return new TEvent04_04Loop(app); }, 366, 0},
        {305, [](TGameWnd* app) { return new TEvent04_05Loop(app); }, 498, 0},
        {306, [](TGameWnd* app) { return new TEvent04_06Loop(app); }, 456, 307},
        {307, [](TGameWnd* app) { return new TEvent04_07Loop(app); }, 1402, 308},
    };
    ASSERT_EQ(std::remove("data/scr04/04.pbsc"), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const std::string key = "04.pbsc/Event04_0" + std::to_string(c.id - 300);
        testing::internal::CaptureStderr();
        TLoop* event = c.make(driver_.App());
        driver_.App()->PopScenesTo(0);
        driver_.App()->ReplaceScene(event);
        const int end = StepThrough(event, 1500);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(end, c.end);
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
