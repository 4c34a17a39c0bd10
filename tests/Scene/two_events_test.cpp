// One field script that starts two story events: both changes run, each building its event, so the
// second event's script process manager is made before the first event takes a step. The first
// plays with its own manager, cues and draws, the second after it as it plays alone, then the
// field the first led to.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TEvent04_01Loop.h"
#include "MainCode/Scene/TEvent04_02Loop.h"
#include "MainCode/Script/ScriptRandom.h"
#include "MainCode/Script/TMessageWindow.h"
#include "dx/dx8/3d/TD3D8.h"
#include "event_fixture.h"
#include "formats/byte_writer.h"
#include "formats/event_assets.h"
#include "formats/field_writer.h"
#include "formats/map_writer.h"
#include "formats/script_assembler.h"
#include "support/golden.h"
#include "support/main_probe.h"
#include "support/scene_probe.h"

namespace {

using qmtest::Button;

const D3DXVECTOR3 kTownStart(-8.0F, 0.0F, 17.0F);
const D3DXVECTOR3 kWest(-1.0F, 0.0F, 0.0F);
// In the town's box, where the player stands from the start.
const D3DXVECTOR3 kBox(-12.5F, 0.0F, 17.0F);

// The fog the engine holds: what every later draw of the scene gives the device.
std::string HeldFog()
{
    bool on = false;
    float start = 0.0F;
    float end = 0.0F;
    D3DCOLOR colour = 0;
    TD3D8::Instance()->GetFog(&on, &start, &end, &colour);
    char text[64];
    std::snprintf(text, sizeof text, "%s %g-%g %08X", on ? "on" : "off", static_cast<double>(start),
                  static_cast<double>(end), static_cast<unsigned>(colour));
    return text;
}

// The fog colour the last draw of a model left on the device.
DWORD DrawnFogColour()
{
    DWORD colour = 0;
    TD3D8::GetDevice()->GetRenderState(D3DRS_FOGCOLOR, &colour);
    return colour;
}

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
    // The town with its ground reaching far west, all of it in one visible cell: looking west from
    // where the first event leaves the player, the ground runs into the town's fog (30 to 90).
    static void WriteWideTown()
    {
        qmtest::FieldMap town = qmtest::DefaultFieldMaps()[1];
        town.file = "04.pbms";  // written again below with the story's fields
        town.entry = "t04_00";
        town.music = "other.ogg";
        town.villagers.clear();
        town.scriptBoxes = {qmtest::TownStoryBox()};
        town.areaMesh = "wide00.msh";
        town.groundWest = -80.0F;
        town.meshCell = 200.0F;
        qmtest::WriteFieldFolder(".", {town}, false);
        std::vector<qmtest::MapEntry> maps = {{town.entry, qmtest::FieldMapStream(town).Data()}};
        for (qmtest::MapEntry& entry : qmtest::StoryFieldEntries()) {
            maps.push_back(std::move(entry));
        }
        qmtest::SaveBytes("data/scr04/04.pbms", qmtest::MapContainer(maps));
    }
};

TEST_F(TwoStarts, EachEventStepsItsOwnScriptsAndTheyPlayInTurn)
{
    TGameWnd* app = driver_.App();
    // The town's ground ends short of the box.
    app->PopScenesTo(0);
    app->ReplaceScene(TFieldLoop::CreateAtPosition(app, "04.pbms/t04_00", kBox, kWest, kBox));
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

// Every scene is built while others wait, each setting the one device's fog: the first event is
// built before the second, the town before the second plays, the last field before the town is
// back. Each must draw under its own fog when it comes up again.
TEST_F(TwoStarts, EachSceneComesBackUnderItsOwnFogAndTheTownAsFirstSeen)
{
    TGameWnd* app = driver_.App();
    constexpr int kFadeIn = 61;  // the field's fade-in, then its first picture of play
    constexpr std::uint32_t kSeed = 4321;  // the start jitter alike in both towns
    const char* const kTownFog = "on 30-90 FF8090A0";
    WriteWideTown();
    // The town as the first event leaves the player in it, made fresh.
    app->PopScenesTo(0);
    SeedScriptRandom(kSeed);
    app->ReplaceScene(TFieldLoop::CreateAtPosition(app, "04.pbms/t04_00", kTownStart, kWest, kTownStart));
    driver_.Steps(kFadeIn);
    const platform::RgbaImage firstView = qmtest::SceneDriver::Screen();
    EXPECT_EQ(HeldFog(), kTownFog);
    EXPECT_EQ(DrawnFogColour(), 0xFF8090A0u);

    app->PopScenesTo(0);
    app->ReplaceScene(TFieldLoop::CreateAtPosition(app, "04.pbms/t04_00", kBox, kWest, kBox));
    ASSERT_GT(StepsUntil([&] { return Now<TEvent04_01Loop>() != nullptr; }, 600), 0);
    SeedScriptRandom(kSeed);  // nothing draws from it before the first event builds the town
    Step();
    EXPECT_EQ(HeldFog(), "off 100-200 FFFFFFFF");  // its opening shows no model yet

    // Skipped, the first builds the town; the second plays under its own mist.
    qmtest::SceneDriver::Hold(Button::B, true);
    ASSERT_GT(StepsUntil([&] { return Now<TEvent04_02Loop>() != nullptr; }, 120), 0);
    qmtest::SceneDriver::Hold(Button::B, false);
    Step();
    EXPECT_EQ(HeldFog(), "on 5-35 FFDBD1FF");
    EXPECT_EQ(DrawnFogColour(), 0xFFDBD1FFu);

    // Skipped, the second builds its field (no fog) behind the town, which comes back as it was.
    qmtest::SceneDriver::Hold(Button::B, true);
    ASSERT_GT(StepsUntil([&] { return Now<TFieldLoop>() != nullptr; }, 120), 0);
    qmtest::SceneDriver::Hold(Button::B, false);
    ExpectField(kTownStart, kWest, "m04.pbsc/ToEvent302");
    ASSERT_EQ(app->GetSceneCount(), 2);
    driver_.Steps(kFadeIn);
    EXPECT_EQ(HeldFog(), kTownFog);
    EXPECT_EQ(DrawnFogColour(), 0xFF8090A0u);
    EXPECT_TRUE(qmtest::SamePicture(qmtest::SceneDriver::Screen(), firstView, 8, 16));
}

}  // namespace
