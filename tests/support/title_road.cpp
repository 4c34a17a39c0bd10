#include "support/title_road.h"

#include "MainCode/Scene/TTitleLoop.h"

namespace qmtest {

bool ReachTitleMenu(SceneDriver& driver, int limit)
{
    for (int i = 0; i < limit; ++i) {
        auto* title = dynamic_cast<TTitleLoop*>(driver.Current());
        if (title != nullptr && title->GetState() == TTitleLoop::State::Menu) {
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
