// The story events on the real application: a test folder with the field, the event models, lists
// and music, the scripts a test assembles, and "04.pbms/t04_00" (a town) for the hand-over to the
// field. Each step of the driver is one event step; what it drew and played is recorded per step.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "MainCode/Scene/TEventLoop.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "support/engine_recorders.h"
#include "support/scene_driver.h"

namespace qmtest {

// The music of the town that stands as "04.pbms/t04_00" in the test folder.
inline constexpr std::int32_t kEventFieldMusic = 12;

// Lines of a script: a mark, then n cues, each taken again at once; after cue k "cue" is k.
std::vector<std::string> Cues(int n);
// The script's "cue" (-1 without a manager).
std::int32_t CueReached();
// No manager, or not the one the events' scripts marked.
bool EventScriptsGone();

// Allocations on this thread over ten steps of the scene beyond those of ten of its draws alone
// (what drawing costs the layer below); 0 when a steady step allocates nothing of its own.
long SteadyStepAllocations(SceneDriver& driver, TLoop* scene);

class EventScene : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // "04.pbsc" with both events' scripts.
    void WriteScripts(const std::vector<std::string>& event0, const std::vector<std::string>& event1);
    // The event made current on an empty stack, as the hub leaves it.
    template <typename Event>
    Event* Begin()
    {
        auto* event = new Event(driver_.App());
        driver_.App()->PopScenesTo(0);
        driver_.App()->ReplaceScene(event);
        return event;
    }

    // One step; what it recorded replaces the last step's.
    bool Step();
    // The script's wait flag now (0 without a manager).
    static std::uint8_t Wait();
    // The step's last 2D draw when it is the fade (a plain rectangle over the screen), or null.
    const TSpriteDrawRecord* Fade() const;
    // Alpha byte of the step's fade draw; -1 when none was drawn.
    int FadeAlpha() const;
    bool Played(std::uint32_t bank, std::uint32_t id) const;

    TempDir dir_;
    SceneDriver driver_{dir_.Path()};
};

}  // namespace qmtest
