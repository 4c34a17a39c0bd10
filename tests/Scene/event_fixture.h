// The story events on the real application: a test folder with the field, the event models, lists
// and music, the scripts a test assembles, "04.pbms/t04_00" (a town) for the hand-over to the field
// and the fields the later events end on. Each step of the driver is one event step; what it drew
// and played is recorded per step.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
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

    // "04.pbsc" with the first two events' scripts, the others' kept.
    void WriteScripts(const std::vector<std::string>& event0, const std::vector<std::string>& event1);
    // One event's script (0 to 5), the others' kept.
    void WriteScript(int event, const std::vector<std::string>& lines);
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
    // Steps until the scene is no longer current, looking after each step it still is: the step
    // it ended on, or 0 past the limit. The steps it took on cues: those where "cue" changed.
    int StepThrough(TLoop* scene, int limit, const std::function<void(int)>& look = {},
                    std::vector<int>* cueSteps = nullptr);
    // The field now current: the player at (within 0.1 on the ground) and facing along its -z as
    // given, the map told by the script of its box ("" without one), no script manager left.
    void ExpectField(const D3DXVECTOR3& at, const D3DXVECTOR3& facing, const std::string& boxScript) const;
    // The script's wait flag now (0 without a manager).
    static std::uint8_t Wait();
    // The step's last 2D draw when it is the fade (a plain rectangle over the screen), or null.
    const TSpriteDrawRecord* Fade() const;
    // Alpha byte of the step's fade draw; -1 when none was drawn.
    int FadeAlpha() const;
    bool Played(std::uint32_t bank, std::uint32_t id) const;

    TempDir dir_;
    SceneDriver driver_{dir_.Path()};

private:
    void SaveScripts() const;
    // Each event's script; the later ones wait as often as their events take cues.
    std::array<std::vector<std::string>, 6> scripts_ = {Cues(3), Cues(34), Cues(4), Cues(4), Cues(16), Cues(24)};
};

}  // namespace qmtest
