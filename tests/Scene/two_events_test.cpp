// One field script that starts two story events: both changes run, each building its event, so the
// second event's script process manager is made before the first event takes a step. The first
// plays with its own manager, cues and draws, the second after it as it plays alone, then the
// field the first led to.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TEvent04_01Loop.h"
#include "MainCode/Scene/TEvent04_02Loop.h"
#include "MainCode/Script/TMessageWindow.h"
#include "event_fixture.h"
#include "formats/script_assembler.h"
#include "support/main_probe.h"
#include "support/scene_probe.h"

namespace {

using qmtest::Button;

const D3DXVECTOR3 kTownStart(-8.0F, 0.0F, 17.0F);
const D3DXVECTOR3 kWest(-1.0F, 0.0F, 0.0F);

class TwoStarts : public qmtest::EventScene {
protected:
    // The town's box starts both events in one run; each event's script marks its own globals.
    void SetUp() override
    {
        qmtest::EventScene::SetUp();
        qmtest::ScriptFileWriter()
            .Script("ToEvent302", {"CALL @@SendMsg \"MapEvent\" 2 301 0", "CALL @@SendMsg \"MapEvent\" 2 302 0"})
            .Save("data/scr04/m04.pbsc");
        std::vector<std::string> first = qmtest::Cues(34);
        first[0] = "g.mark = 1";
        WriteScript(1, first);
        std::vector<std::string> second = qmtest::Cues(4);
        second[0] = "g.mark = 2";
        WriteScript(2, second);
    }
    // Steps until done holds, at most limit; the step it came on, or 0.
    int StepsUntil(const std::function<bool()>& done, int limit)
    {
        for (int step = 1; step <= limit; ++step) {
            Step();
            if (done()) {
                return step;
            }
        }
        return 0;
    }
    template <typename Scene>
    Scene* Now() const
    {
        return dynamic_cast<Scene*>(driver_.Current());
    }
    bool ChangeTo(std::int32_t event) const
    {
        const auto* change = Now<TChangeLoop>();
        return change != nullptr && TSceneProbe::EventId(*change) == event;
    }
    static std::int32_t Global(TScriptProcessManager* scripts, const char* name)
    {
        return scripts != nullptr ? scripts->GetGlobalA().GetInt(name, 0) : -1;
    }
};

TEST_F(TwoStarts, EachEventStepsItsOwnScriptsAndTheyPlayInTurn)
{
    TGameWnd* app = driver_.App();
    // In the town's box (its ground ends short of it: the player stands there from the start).
    const D3DXVECTOR3 box(-12.5F, 0.0F, 17.0F);
    app->PopScenesTo(0);
    app->ReplaceScene(TFieldLoop::CreateAtPosition(app, "04.pbms/t04_00", box, kWest, box));
    ASSERT_GT(StepsUntil([&] { return ChangeTo(301); }, 300), 0);
    // Both changes are queued in the order the script asked for them; each builds its event.
    EXPECT_EQ(StepsUntil([&] { return ChangeTo(302); }, 200), 101);
    EXPECT_EQ(StepsUntil([&] { return Now<TEvent04_01Loop>() != nullptr; }, 200), 101);
    auto* first = Now<TEvent04_01Loop>();
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(app->GetSceneCount(), 2);
    TScriptProcessManager* own = TSceneProbe::Scripts(*first);
    TScriptProcessManager* later = TScriptProcessManager::Get();
    ASSERT_NE(own, nullptr);
    ASSERT_NE(later, own);
    // The first event takes its cues on the steps it takes them alone (31 and 62 later over
    // black), with its own modules; the later manager's script has not run a statement.
    std::vector<int> cueSteps;
    std::int32_t cue = 0;  // no statement has run yet
    for (int step = 1; step <= 95; ++step) {
        Step();
        ASSERT_EQ(Now<TEvent04_01Loop>(), first) << step;
        if (Global(own, "cue") != cue) {
            cue = Global(own, "cue");
            cueSteps.push_back(step);
        }
    }
    EXPECT_EQ(cueSteps, (std::vector<int>{32, 94}));
    EXPECT_EQ(Global(own, "mark"), 1);
    EXPECT_EQ(Global(later, "mark"), 0);
    EXPECT_EQ(Global(later, "cue"), 0);
    EXPECT_NE(dynamic_cast<TMessageWindow*>(own->FindModule("Text")), nullptr);
    EXPECT_EQ(TScriptProcessManager::Get(), later);

    // Skipped, the first hands its field over behind the second, which plays as it does alone.
    qmtest::SceneDriver::Hold(Button::B, true);
    EXPECT_GT(StepsUntil([&] { return Now<TEvent04_02Loop>() != nullptr; }, 120), 0);
    qmtest::SceneDriver::Hold(Button::B, false);
    auto* second = Now<TEvent04_02Loop>();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(TSceneProbe::Scripts(*second), later);
    std::vector<int> laterCues;
    int end = 0;
    for (int step = 1; step <= 200 && end == 0; ++step) {
        const std::int32_t before = Global(later, "cue");
        Step();
        if (Now<TEvent04_02Loop>() == nullptr) {
            end = step;
        } else if (Global(later, "cue") != before) {
            laterCues.push_back(step);
        }
    }
    EXPECT_EQ(end, 58);
    EXPECT_EQ(laterCues, (std::vector<int>{20, 29, 38, 47}));
    // Then the town the first event led to, the second's field queued behind it.
    ExpectField(kTownStart, kWest, "m04.pbsc/ToEvent302");
    EXPECT_EQ(app->GetSceneCount(), 2);
}

}  // namespace
