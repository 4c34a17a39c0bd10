// The pause menu's skill, status and options windows on the generated folder, as a player uses
// them: a fight with the battle map's first enemy teaches the sword's first skill; the skill window
// sets it into slot 1, the status window shows the hero, the options turn the music down by eight
// levels and the minimap off; back on the field the gauge shows the skill and no minimap is drawn.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Hud/TSkillGauge.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Menu/TOptionLoop.h"
#include "MainCode/Menu/TSkillLoop.h"
#include "MainCode/Menu/TStatusLoop.h"
#include "SampleData/sample_folder_copy.h"
#include "SampleData/battle_start.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "make-sample-data/SampleData.h"
#include "support/dx_probe.h"
#include "support/field_walk.h"
#include "support/golden.h"
#include "support/hud_probe.h"
#include "support/menu_probe.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"
#include "support/map_probe.h"

namespace {

namespace fs = std::filesystem;
using qmtest::Button;
using qmtest::SceneDriver;

constexpr float kReach = 1.6F;

void Tap(SceneDriver& driver, Button b)
{
    driver.Press(b);
    driver.Step();
}

TEnemy* FirstEnemy(TFieldLoop* field)
{
    TEnemyFactory* enemies = field->GetArea()->GetEnemies();
    if (enemies == nullptr) {
        return nullptr;
    }
    for (const auto& entry : enemies->GetLive()) {
        if (entry.second->GetRelatedId() == qmtest::kFieldEnemyType && entry.second->IsAlive()) {
            return entry.second.Get();
        }
    }
    return nullptr;
}

// Whether the skill notice for that skill waits in the field's notice queue.
bool SkillNoticed(TFieldLoop* field, std::uint32_t skill)
{
    for (const TGetRender::Notice& notice : THudProbe::Queue(*field->GetGetRender())) {
        if (notice.kind == TGetRender::kSkill && notice.value == skill) {
            return true;
        }
    }
    return false;
}

// Whether a field step draws the minimap's window.
bool DrawsMinimap(SceneDriver& driver)
{
    driver.RecordDraws(true);
    driver.Step();
    bool drawn = false;
    for (const TSpriteDrawRecord& draw : driver.draws) {
        drawn = drawn || draw.texture == "sprite.ptx/window21";
    }
    driver.RecordDraws(false);
    return drawn;
}

TEST(SubScreensRoad, AFightTeachesASkillWhichTheSkillWindowSetsThenStatusAndOptions)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    {
        SceneDriver driver(dir.Path());
        ASSERT_TRUE(driver.Start());
        driver.Steps(8);
        TFieldLoop* field = qmtest::StartOnBattleMap(driver);
        ASSERT_NE(field, nullptr);
        for (int i = 0; i < 200 && TMapProbe::IsInPhase(*field); ++i) {
            driver.Step();
        }
        ASSERT_FALSE(TMapProbe::IsInPhase(*field));
        EXPECT_TRUE(DrawsMinimap(driver));

        // The fight: walk up to the enemy and swing until it falls.
        TGameData* data = TGameData::GetInstance();
        const std::uint32_t firstSkill = TWeponTable::Get(field->GetPlayer()->GetWeaponId()).Skill[0];
        ASSERT_NE(firstSkill, 0u);
        int frames = 0;
        bool noticed = false;
        for (; frames < 1500 && FirstEnemy(field) != nullptr; ++frames) {
            TEnemy* enemy = FirstEnemy(field);
            const D3DXVECTOR3 at = qmtest::PositionOf(enemy);
            if (qmtest::FlatDistance(qmtest::PositionOf(field->GetPlayer()), at) > kReach) {
                qmtest::WalkTowards(field, at);
                SceneDriver::Hold(Button::A, false);
            } else {
                qmtest::ReleaseArrows();
                SceneDriver::Hold(Button::A, frames % 8 < 4);
            }
            driver.Step();
            noticed = noticed || SkillNoticed(field, firstSkill);
        }
        SceneDriver::ReleaseAll();
        ASSERT_EQ(FirstEnemy(field), nullptr) << "the enemy still stands after " << frames << " frames";
        // Learned, and said so by the skill notice.
        std::vector<std::uint32_t> list;
        data->MakeSkillList(list, 0, field->GetPlayer()->GetWeaponId());
        EXPECT_EQ(list, std::vector<std::uint32_t>{firstSkill});
        for (int i = 0; i < 60; ++i) {  // the hero back at rest
            driver.Step();
            noticed = noticed || SkillNoticed(field, firstSkill);
        }
        EXPECT_TRUE(noticed);

        // The pause menu, the skill window: slot 1, the list, the skill set.
        // "E" again each other step until the hero is free to open the menu (notices and banners
        // may still hold it).
        for (int i = 0; i < 300 && dynamic_cast<TMenuTopLoop*>(driver.Current()) == nullptr; ++i) {
            driver.Press(Button::E);
            if (dynamic_cast<TMenuTopLoop*>(driver.Current()) == nullptr) {
                driver.Step();
            }
        }
        auto* menu = dynamic_cast<TMenuTopLoop*>(driver.Current());
        ASSERT_NE(menu, nullptr);
        driver.Steps(57);
        Tap(driver, Button::Down);
        Tap(driver, Button::Down);
        driver.Press(Button::A);
        driver.Steps(46);
        auto* skills = dynamic_cast<TSkillLoop*>(driver.Current());
        ASSERT_NE(skills, nullptr);
        driver.Steps(10);
        Tap(driver, Button::Right);
        driver.Press(Button::A);
        driver.Steps(10);
        EXPECT_EQ(TMenuProbe::List(*skills), std::vector<std::uint32_t>{firstSkill});
        EXPECT_TRUE(qmtest::MatchesGolden(SceneDriver::Screen(), "WholeGameSkillListOpen"));
        driver.Press(Button::A);
        EXPECT_EQ(data->GetSkillSlot(0, 1), firstSkill);
        driver.Steps(10);
        Tap(driver, Button::B);
        driver.Steps(10);
        ASSERT_EQ(driver.Current(), menu);

        // The status window.
        driver.Steps(46);
        Tap(driver, Button::Down);
        driver.Press(Button::A);
        driver.Steps(46);
        ASSERT_NE(dynamic_cast<TStatusLoop*>(driver.Current()), nullptr);
        driver.Steps(40);
        EXPECT_TRUE(qmtest::MatchesGolden(SceneDriver::Screen(), "WholeGameStatus"));
        Tap(driver, Button::B);
        driver.Steps(10);
        ASSERT_EQ(driver.Current(), menu);

        // The options: the music eight levels down, the minimap off.
        driver.Steps(46);
        Tap(driver, Button::Down);
        Tap(driver, Button::Down);
        driver.Press(Button::A);
        driver.Steps(46);
        auto* options = dynamic_cast<TOptionLoop*>(driver.Current());
        ASSERT_NE(options, nullptr);
        driver.Steps(25);
        Tap(driver, Button::Down);
        SceneDriver::Hold(Button::Left, true);
        driver.Steps(8);
        SceneDriver::ReleaseAll();
        driver.Step();
        EXPECT_EQ(data->GetBgmVolume(), 56);
        EXPECT_EQ(TDSound8::Instance()->GetBank(2)->GetMaxVolume(), -169);
        Tap(driver, Button::Up);
        Tap(driver, Button::Right);
        EXPECT_EQ(data->GetMiniMapState(), 0);
        driver.Steps(10);
        EXPECT_TRUE(qmtest::MatchesGolden(SceneDriver::Screen(), "WholeGameOptions"));
        // Up from the minimap round to the voices, four down; up to the effects, eight down.
        const auto slide = [&](Button row, int steps) {
            Tap(driver, row);
            SceneDriver::Hold(Button::Left, true);
            driver.Steps(steps);
            SceneDriver::ReleaseAll();
            driver.Step();
        };
        slide(Button::Up, 4);
        slide(Button::Up, 8);
        EXPECT_EQ(data->GetVoiceVolume(), 60);
        EXPECT_EQ(data->GetSeVolume(), 56);
        EXPECT_EQ(data->GetBgmVolume(), 56);
        EXPECT_EQ(TDSound8::Instance()->GetBank(0)->GetMaxVolume(), -169);
        EXPECT_EQ(TDSound8::Instance()->GetBank(1)->GetMaxVolume(), -72);  // four levels down: t = 1/16
        Tap(driver, Button::B);
        driver.Steps(25);
        ASSERT_EQ(driver.Current(), menu);

        // Back on the field: the gauge shows the skill in slot 1, and there is no minimap.
        driver.Steps(46);
        driver.Press(Button::B);
        for (int i = 0; i < 200 && driver.Current() != field; ++i) {
            driver.Step();
        }
        ASSERT_EQ(driver.Current(), field);
        EXPECT_EQ(TDxProbe::Image(field->GetSkillGauge()->GetSlotIcons()[1]).GetName(),
                  "skl_icon.ptx/" + TSkillTable::GetIconName(TSkillTable::Get(firstSkill).SubKind));
        EXPECT_TRUE(TDxProbe::Image(field->GetSkillGauge()->GetSlotIcons()[0]).GetName().empty());
        EXPECT_FALSE(DrawsMinimap(driver));
        driver.Stop();
        EXPECT_TRUE(driver.boxes.empty());
    }
    EXPECT_FALSE(fs::exists(dir.Path() / "ErrorLog.txt"));
}

}  // namespace
