// Stand-in for the pause menu until the menus are built: it shows nothing and closes on the menu or
// cancel button, refreshing the field's HUD as the real menu does when it closes.
#pragma once

#include "MainCode/TLoop.h"

class TFieldLoop;

class TMenuTopLoop : public TSceneLoop {
public:
    static constexpr std::uint16_t kCloseButtons = 0x100 | 0x20;

    TMenuTopLoop(TGameWnd* app, TFieldLoop* field);
    TFieldLoop* GetField() const { return m_field; }

private:
    std::uint32_t StateOpen();

    TFieldLoop* m_field;
};
