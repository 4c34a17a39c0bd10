// A pause-menu sub-screen opened as a player opens it: the menu in, the cursor moved down to the
// item, "A", the menu's windows out; the sub-screen is current from then on.
#pragma once

#include "Menu/pause_fixture.h"

namespace menutest {

class SubScreenTest : public PauseMenuTest {
protected:
    // The sub-screen of that item, current and not yet stepped; null when another scene came up.
    template <typename Screen>
    Screen* OpenItem(std::int32_t item)
    {
        menu_ = MenuReady();
        if (menu_ == nullptr) {
            return nullptr;
        }
        for (std::int32_t i = 0; i < item; ++i) {
            driver_.Press(Button::Down);
            driver_.Step();
        }
        driver_.Press(Button::A);
        driver_.Steps(kMenuCloseSteps);
        auto* screen = dynamic_cast<Screen*>(driver_.Current());
        EXPECT_NE(screen, nullptr);
        return screen;
    }
    // A press, then a step with nothing down, so the next press is new.
    void Tap(Button b)
    {
        driver_.Press(b);
        driver_.Step();
    }

    TMenuTopLoop* menu_ = nullptr;
};

}  // namespace menutest
