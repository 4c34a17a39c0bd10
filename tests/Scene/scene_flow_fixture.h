// The real application on a field folder with the story's maps and save point 11, for the scenes
// around play: the scene-change hub, the stand-in events and game over, stepped by the scene driver.
#pragma once

#include "formats/event_assets.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Field/field_game_fixture.h"
#include "MainCode/GameData/TGameData.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "support/alloc_probe.h"
#include "formats/byte_writer.h"
#include "formats/game_table_writer.h"
#include "formats/save_writer.h"
#include "formats/table_writer.h"

namespace scenetest {

class SceneFlow : public fieldtest::FieldGame {
protected:
    // The default maps, "silent" (the battle map without music), the story's maps of the stand-in
    // events in "04.pbms" (each a copy of the town), save points 1 and 11 (on the battle map), the
    // game-over music list (10), the title's lists; then the title.
    void StartStory(bool titleMusic = true)
    {
        std::vector<qmtest::FieldMap> maps = qmtest::DefaultFieldMaps();
        for (const char* entry : {"t04_00", "m07_00boss", "m07_00", "d05_00boss1", "d05_00boss2"}) {
            qmtest::FieldMap story = maps[1];
            story.file = "04.pbms";
            story.entry = entry;
            story.savePoints.clear();
            maps.push_back(story);
        }
        qmtest::FieldMap silent = maps[0];
        silent.entry = "silent";
        silent.music = "";
        maps.push_back(silent);
        qmtest::WriteFieldFolder(".", maps);
        qmtest::WriteEventFolder(".");  // the opening events the hub builds
        std::filesystem::create_directories("data/tbl04/subset");
        qmtest::SaveBytes("data/tbl04/subset/die_bgm.tbl", qmtest::BuildSoundList({10}));
        // The title's music is the third tune under id 1 (none when titleMusic is off).
        if (titleMusic) {
            std::vector<std::pair<std::uint32_t, std::string>> music = qmtest::FieldMusicTable();
            music.push_back({1, "other.ogg"});
            qmtest::SaveBytes("data/tbl04/bgm.tbl", qmtest::BuildSoundTable(music));
            qmtest::SaveBytes("data/tbl04/subset/title_bgm.tbl", qmtest::BuildSoundList({1}));
        }
        qmtest::SaveBytes("data/tbl04/subset/title_se.tbl", qmtest::BuildSoundList({600, 603, 605, 606}));
        TSvpRecord eleven = qmtest::FieldSavePoint();
        eleven.Id = 11;
        qmtest::SaveBytes("data/tbl04/svp.tbl",
                          qmtest::BuildGameTable(std::vector<TSvpRecord>{qmtest::FieldSavePoint(), eleven}));
        ASSERT_TRUE(driver_.Start());
        Steps(8);  // past the input's start-up polls
    }
    static TSoundBank* Bank(std::uint32_t id) { return TDSound8::Instance()->GetBank(id); }
    // Heap blocks this thread asks for while f runs, outside the GL driver.
    static long OwnAllocations(const std::function<void()>& f)
    {
        qmtest::AllocationProbe probe(true);
        f();
        return probe.OwnThreadGameAllocations();
    }
    // The scene placed alone on the stack, as a caller of the hub leaves it.
    void RunAlone(TLoop* scene)
    {
        app_->PushScene(scene);
        app_->PopScenesTo(1);
    }
    // A save of the live party at save point 11 in the slot.
    static void WriteSlot(int slot)
    {
        qmtest::SaveFileData save;
        save.savePoint = 11;
        for (std::uint32_t i = 0; i < 8; ++i) {
            save.characters[i] = *TGameData::GetInstance()->GetCharacterData(i);
        }
        std::filesystem::create_directories("save");
        qmtest::SaveBytes("save/" + qmtest::SaveSlotName(slot), qmtest::BuildSaveFile(save, false));
    }
};

}  // namespace scenetest
