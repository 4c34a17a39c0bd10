// The roads that play single spots of the sample's fields: the sample folder under the real
// application, a field entered as a scene would hand over to it, and the enemies standing in it.
#pragma once

#include <gtest/gtest.h>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TEquipLoop.h"
#include "make-sample-data/SampleData.h"
#include "SampleData/sample_folder_copy.h"
#include "support/field_walk.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"
#include "support/map_probe.h"

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

    TempDir dir_;
    SceneDriver driver_{dir_.Path()};
};

}  // namespace qmtest
