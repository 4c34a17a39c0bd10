#include "event_fixture.h"

#include <cmath>
#include <filesystem>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TMapScriptObject.h"

#include "formats/event_assets.h"
#include "formats/field_writer.h"
#include "formats/map_writer.h"
#include "formats/script_assembler.h"
#include "formats/table_writer.h"
#include "support/alloc_probe.h"
#include "support/window_settings.h"
#include "support/map_probe.h"

namespace qmtest {

std::vector<std::string> Cues(int n)
{
    std::vector<std::string> lines = {"g.mark = 7"};
    for (int i = 1; i <= n; ++i) {
        lines.push_back("CALL @@Wait");
        lines.push_back("g.cue = " + std::to_string(i));
    }
    return lines;
}

std::int32_t CueReached()
{
    TScriptProcessManager* scripts = TScriptProcessManager::Get();
    return scripts != nullptr ? scripts->GetGlobalA().GetInt("cue", 0) : -1;
}

bool EventScriptsGone()
{
    TScriptProcessManager* scripts = TScriptProcessManager::Get();
    return scripts == nullptr || scripts->GetGlobalA().GetInt("mark", 0) != 7;
}

long SteadyStepAllocations(SceneDriver& driver, TLoop* scene)
{
    long steps = 0;
    long draws = 0;
    {
        AllocationProbe probe(true);
        driver.Steps(10);
        steps = probe.OwnThreadGameAllocations();
    }
    {
        AllocationProbe probe(true);
        for (int i = 0; i < 10; ++i) {
            scene->Draw();
        }
        draws = probe.OwnThreadGameAllocations();
    }
    // What the GL driver asks for is its own, and not counted.
    return steps > draws ? steps - draws : 0;
}

void EventScene::SetUp()
{
    WriteFieldFolder(".", DefaultFieldMaps());
    WriteEventFolder(".");
    // The field the second event leads to: the town, under the key it names, with other music.
    FieldMap town = DefaultFieldMaps()[1];
    town.entry = "t04_00";
    town.music = "other.ogg";
    town.villagers.clear();
    town.scriptBoxes = {TownStoryBox()};
    std::vector<MapEntry> maps = {{town.entry, FieldMapStream(town).Data()}};
    for (MapEntry& entry : StoryFieldEntries()) {
        maps.push_back(std::move(entry));
    }
    SaveBytes("data/scr04/04.pbms", MapContainer(maps));
    WriteStoryFields(".");
    WriteScripts(Cues(3), Cues(34));
    SaveBytes("data/tbl04/subset/speak_se.tbl", BuildSoundList({601, 603, 606}));
    // The events draw in depth.
    WriteWindowedSettingsWithDepth();
    ASSERT_TRUE(driver_.Start());
    driver_.Steps(8);  // past the input's start-up polls, on the title
    driver_.RecordDraws(true);
    driver_.RecordSounds(true);
}

void EventScene::TearDown()
{
    SceneDriver::ReleaseAll();
}

void EventScene::WriteScripts(const std::vector<std::string>& event0, const std::vector<std::string>& event1)
{
    scripts_[0] = event0;
    scripts_[1] = event1;
    SaveScripts();
}

void EventScene::WriteScript(int event, const std::vector<std::string>& lines)
{
    scripts_.at(static_cast<std::size_t>(event)) = lines;
    SaveScripts();
}

void EventScene::SaveScripts() const
{
    ScriptFileWriter writer;
    for (std::size_t i = 0; i < scripts_.size(); ++i) {
        writer.Script("Event04_0" + std::to_string(i), scripts_[i]);
    }
    writer.Save("data/scr04/04.pbsc");
}

bool EventScene::Step()
{
    driver_.draws.clear();
    driver_.sounds.clear();
    return driver_.Step();
}

int EventScene::StepThrough(TLoop* scene, int limit, const std::function<void(int)>& look, std::vector<int>* cueSteps)
{
    for (int step = 1; step <= limit; ++step) {
        const std::int32_t before = CueReached();
        Step();
        if (driver_.Current() != scene) {
            return step;
        }
        if (cueSteps != nullptr && CueReached() != before) {
            cueSteps->push_back(step);
        }
        if (look) {
            look(step);
        }
    }
    return 0;
}

void EventScene::ExpectField(const D3DXVECTOR3& at, const D3DXVECTOR3& facing, const std::string& boxScript) const
{
    auto* field = dynamic_cast<TFieldLoop*>(driver_.Current());
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(EventScriptsGone());
    D3DXVECTOR3 got;
    field->GetPlayer()->GetPosition(&got);
    EXPECT_LT(std::hypot(got.x - at.x, got.z - at.z), 0.1F);
    EXPECT_NEAR(got.y, at.y, 0.1F);
    D3DXVECTOR3 back;
    field->GetPlayer()->GetFrame()->GetAxis(&back, 3);
    EXPECT_NEAR(-back.x, facing.x, 1e-4F);
    EXPECT_NEAR(-back.z, facing.z, 1e-4F);
    std::string script;
    for (const auto& object : TMapProbe::Objects(*field->GetArea())) {
        if (auto* box = dynamic_cast<TMapScriptBox*>(object.Get())) {
            script = TMapProbe::ScriptKey(*box);
        }
    }
    EXPECT_EQ(script, boxScript);
}

std::uint8_t EventScene::Wait()
{
    TScriptProcessManager* scripts = TScriptProcessManager::Get();
    return scripts != nullptr ? scripts->GetHostWait() : 0;
}

const TSpriteDrawRecord* EventScene::Fade() const
{
    if (driver_.draws.empty()) {
        return nullptr;
    }
    const TSpriteDrawRecord& last = driver_.draws.back();
    const bool screen = last.kind == TSpriteDrawRecord::kRect && last.texture.empty() && last.x == 0.0F &&
                        last.y == 0.0F && last.w == 640.0F && last.h == 480.0F;
    return screen ? &last : nullptr;
}

int EventScene::FadeAlpha() const
{
    const TSpriteDrawRecord* fade = Fade();
    return fade != nullptr ? static_cast<int>(fade->colors[0] >> 24) : -1;
}

bool EventScene::Played(std::uint32_t bank, std::uint32_t id) const
{
    for (const TSoundBankRecord& r : driver_.sounds) {
        if (r.op == TSoundBankRecord::kPlay && r.bank == bank && r.id == id) {
            return true;
        }
    }
    return false;
}

}  // namespace qmtest
