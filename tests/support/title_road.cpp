#include "support/title_road.h"

#include "MainCode/Scene/TTitleLoop.h"
#include "support/scene_probe.h"

namespace qmtest {

bool ReachTitleMenu(SceneDriver& driver, int limit)
{
    for (int i = 0; i < limit; ++i) {
        auto* title = dynamic_cast<TTitleLoop*>(driver.Current());
        if (title != nullptr && TSceneProbe::State(*title) == TSceneProbe::TitleState::Menu) {
            return true;
        }
        driver.Step();
    }
    return false;
}

void ChooseTitleItem(SceneDriver& driver, int item)
{
    for (int i = 0; i < item; ++i) {
        driver.Press(Button::Down);
        driver.Step();
    }
    driver.Press(Button::A);
}

}  // namespace qmtest
