// The start the roads of single features play from: a new game put straight on the sample's battle
// map at its arrival, built over the title, which is then dropped as the scene-change hub drops it.
#pragma once

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "make-sample-data/SampleData.h"
#include "support/scene_driver.h"

namespace qmtest {

// The field, or null when it could not be built.
inline TFieldLoop* StartOnBattleMap(SceneDriver& driver)
{
    TGameData::GetInstance()->Reset();
    // As the town's gate puts the player there.
    TFieldLoop* field = TFieldLoop::CreateAtPosition(driver.App(), sample::SampleLayout::kBattle,
                                                     sample::SampleLayout::BattleArrival(),
                                                     qmtest::FieldLayout::StartDirection(), qmtest::FieldLayout::StartCamera());
    if (field != nullptr) {
        driver.App()->PushScene(field);
        driver.App()->PopScenesTo(1);
    }
    return field;
}

}  // namespace qmtest
