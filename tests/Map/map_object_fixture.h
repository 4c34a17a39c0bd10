// Map objects on a real field: the application started in a generated field folder, a field pushed
// at one of its maps, and the player placed, turned and set walking by hand. Objects are made on the
// field's area and stepped directly, so each test decides what a step holds.
#pragma once

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "Field/field_game_fixture.h"
#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TPlayerSeams.h"
#include "MainCode/GameData/TSvpTable.h"
#include "MainCode/Map/TMapObject.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "MainCode/TInputDevice.h"
#include "formats/script_assembler.h"
#include "support/character_probe.h"

namespace maptest {

constexpr float kDegree = 0.017453292F;

// The unit vector in the ground plane that many degrees from +z toward +x.
inline D3DXVECTOR3 Heading(float degrees)
{
    return D3DXVECTOR3(std::sin(degrees * kDegree), 0.0F, std::cos(degrees * kDegree));
}

class MapObjectTest : public fieldtest::FieldGame {
protected:
    void SetUp() override
    {
        FieldGame::SetUp();
    }
    void TearDown() override
    {
        TScriptProcessManager::Destroy();
        FieldGame::TearDown();
    }
    // The default folder and "silent" (the battle map without music), then a field at the entry.
    void Open(const std::string& entry) { Open(entry, false); }
    // As Open, with play started at the save point: the field is the only scene.
    void OpenFromTitle(const std::string& entry) { Open(entry, true); }
    void Open(const std::string& entry, bool fromTitle)
    {
        std::vector<qmtest::FieldMap> maps = qmtest::DefaultFieldMaps();
        qmtest::FieldMap silent = maps[0];
        silent.entry = "silent";
        silent.music = "";
        maps.push_back(silent);
        Start(maps);
        Steps(8);  // the title settles first
        if (fromTitle) {
            // Built over the title, which then goes as the scene-change hub drops it.
            TSvpTable::Get(qmtest::FieldLayout::kSavePoint).MapName = "map00/" + entry;
            app_->PushScene(TFieldLoop::CreateAtSavePoint(app_.get(), qmtest::FieldLayout::kSavePoint));
            app_->PopScenesTo(1);
            field_ = CurrentField();
            ASSERT_EQ(app_->GetSceneCount(), 1);
        } else {
            field_ = PushField(entry);
        }
        ASSERT_NE(field_, nullptr);
        FinishFade(field_);
        area_ = field_->GetArea();
        player_ = field_->GetPlayer();
        ASSERT_NE(player_, nullptr);
    }
    // "obj.pbsc" in the map-data folder with the named scripts.
    static void Scripts(const std::vector<std::pair<std::string, std::vector<std::string>>>& scripts)
    {
        qmtest::ScriptFileWriter writer;
        for (const auto& script : scripts) {
            writer.Script(script.first, script.second);
        }
        writer.Save("data/scr04/obj.pbsc");
    }
    // The player at a point, facing a heading, in a state (2 walks).
    void Stand(const D3DXVECTOR3& at, const D3DXVECTOR3& facing, std::uint32_t state = 2)
    {
        player_->PlaceAt(at, facing);
        player_->SetState(state);
    }
    // One poll of the input with the action button down or up.
    // Life below the dying line: the player counts as dead.
    void KillPlayer()
    {
        TCharacterProbe::ConsumeHp(*player_, player_->GetHp() + 26);
        ASSERT_TRUE(player_->IsDead());
    }
    void Action(bool down)
    {
        Hold('Z', down);
        app_->GetInput()->Poll();
    }

    TFieldLoop* field_ = nullptr;
    TAreaBase* area_ = nullptr;
    TPlayerCharacter* player_ = nullptr;
};

}  // namespace maptest
