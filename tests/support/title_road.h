// The title's menu as a player works it on the scene driver.
#pragma once

#include "support/scene_driver.h"

namespace qmtest {

// Steps until the title stands in its menu; false when it does not within limit steps.
bool ReachTitleMenu(SceneDriver& driver, int limit = 1000);
// From the menu (item 0 selected): down to the item, then decide.
void ChooseTitleItem(SceneDriver& driver, int item);

}  // namespace qmtest
