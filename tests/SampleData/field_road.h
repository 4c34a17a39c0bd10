// The roads that play single spots of the sample's fields: the sample folder under the real
// application, a field entered as a scene would hand over to it, and the enemies standing in it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TEquipLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Menu/TSkillLoop.h"
#include "make-sample-data/SampleData.h"
#include "SampleData/sample_folder_copy.h"
#include "support/field_walk.h"
#include "support/gamedata_probe.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"
#include "support/map_probe.h"
#include "support/menu_probe.h"

namespace qmtest {

// From the pause menu standing on its first item: down to equipment, opened, its windows in; null
// when it did not open.
inline TEquipLoop* OpenEquipment(SceneDriver& driver)
{
    driver.Press(Button::Down);
    driver.Steps(1);
    driver.Press(Button::A);
    driver.Steps(47);
    auto* equip = dynamic_cast<TEquipLoop*>(driver.Current());
    if (equip != nullptr) {
        driver.Steps(10);
    }
    return equip;
}

// From the pause menu, downs items below the one its cursor is on: the skill window opened, its list
// in and its first slot chosen; null when it did not open.
inline TSkillLoop* OpenSkillWindow(SceneDriver& driver, int downs)
{
    for (int i = 0; i < downs; ++i) {
        driver.Press(Button::Down);
        driver.Steps(1);
    }
    driver.Press(Button::A);
    driver.Steps(47);
    auto* skills = dynamic_cast<TSkillLoop*>(driver.Current());
    if (skills != nullptr) {
        driver.Steps(10);
        driver.Press(Button::A);
        driver.Steps(11);
    }
    return skills;
}

// How far a hero was carried on along the way he faced (flat, of length one) while a key was held.
struct CarriedOn {
    D3DXVECTOR3 front;
    float furthest = 0.0F;
};

// Holds key for that many steps and lets it go: the furthest the hero got along the way he faced
// when it went down, from where he stood then.
inline CarriedOn HoldAndMeasureCarry(SceneDriver& driver, TPlayerCharacter* hero, Button key, int steps)
{
    CarriedOn carried;
    hero->GetFront(&carried.front);
    carried.front.y = 0.0F;
    D3DXVec3Normalize(&carried.front, &carried.front);
    const D3DXVECTOR3 from = PositionOf(hero);
    SceneDriver::Hold(key, true);
    for (int i = 0; i < steps; ++i) {
        driver.Step();
        D3DXVECTOR3 moved = PositionOf(hero) - from;
        moved.y = 0.0F;
        carried.furthest = std::max(carried.furthest, D3DXVec3Dot(&moved, &carried.front));
    }
    SceneDriver::Hold(key, false);
    return carried;
}

// The pause menu and its equipment screen, both left open.
struct EquipmentOpen {
    TMenuTopLoop* menu = nullptr;
    TEquipLoop* equip = nullptr;
};

// From the field: the pause menu, its equipment screen, the weapon row, and the weapon of that id
// taken up from the list, its windows settled. A null screen when one did not open or the list did
// not hold the weapon.
inline EquipmentOpen TakeUpWeapon(SceneDriver& driver, std::uint32_t id)
{
    EquipmentOpen open;
    driver.Press(Button::E);
    open.menu = dynamic_cast<TMenuTopLoop*>(driver.Current());
    if (open.menu == nullptr) {
        return open;
    }
    driver.Steps(57);
    TEquipLoop* equip = OpenEquipment(driver);
    if (equip == nullptr) {
        return open;
    }
    driver.Press(Button::A);
    driver.Steps(11);
    if (!TMenuProbe::IsInList(*equip)) {
        return open;
    }
    const auto& list = TMenuProbe::List(*equip);
    const auto at = std::find_if(list.begin(), list.end(), [&](const auto& item) { return item->Id == id; });
    if (at == list.end()) {
        return open;
    }
    for (auto i = list.begin(); i != at; ++i) {
        driver.Press(Button::Down);
        driver.Steps(1);
    }
    driver.Press(Button::A);
    driver.Steps(11);
    open.equip = equip;
    return open;
}

class SampleFieldRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        qmtest::CopySampleFolder(dir_.Path());
        ASSERT_TRUE(driver_.Start());
        driver_.Steps(8);
    }
    void TearDown() override { SceneDriver::ReleaseAll(); }

    TFieldLoop* Field() const { return dynamic_cast<TFieldLoop*>(driver_.Current()); }
    // A field built as a scene would hand over to it, stepped until its fade-in is over (at most 200
    // steps); null when it could not be built.
    TFieldLoop* Enter(const char* map, const D3DXVECTOR3& at, const D3DXVECTOR3& facing, const D3DXVECTOR3& camera)
    {
        TFieldLoop* field = TFieldLoop::CreateAtPosition(driver_.App(), map, at, facing, camera);
        if (field == nullptr) {
            return nullptr;
        }
        driver_.App()->PushScene(field);
        driver_.App()->PopScenesTo(1);
        driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field); }, 200);
        return field;
    }
    // A new game's hero entering the map at at, facing along way (of length one) with the camera at
    // the follow distance behind him; null when it could not be built.
    TFieldLoop* EnterNewHeroFacing(const char* map, const D3DXVECTOR3& at, const D3DXVECTOR3& way)
    {
        TGameData::GetInstance()->Reset();
        const D3DXVECTOR3 camera = at - way * FieldLayout::kFollowDistance + D3DXVECTOR3(0.0F, FieldLayout::kFollowHeight, 0.0F);
        return Enter(map, at, way, camera);
    }
    // An enemy of that type standing within reach of the point; null when none.
    static TEnemy* EnemyNear(TFieldLoop* field, std::uint32_t type, const D3DXVECTOR3& at, float reach)
    {
        for (const auto& entry : field->GetArea()->GetEnemies()->GetLive()) {
            TEnemy* enemy = entry.second.Get();
            if (enemy->GetRelatedId() == type && FlatDistance(PositionOf(enemy), at) < reach) {
                return enemy;
            }
        }
        return nullptr;
    }

    // How many of that item the bag holds.
    static std::uint32_t Held(std::uint32_t id)
    {
        for (const auto& entry : TGameDataProbe::ItemList(*TGameData::GetInstance())) {
            if (entry->Id == id) {
                return entry->Count;
            }
        }
        return 0;
    }

    TempDir dir_;
    SceneDriver driver_{dir_.Path()};
};

}  // namespace qmtest
