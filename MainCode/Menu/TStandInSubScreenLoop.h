// Stands in for the pause menu's sub-screens that are not built yet (item ring, equipment, skills,
// status and options): it shows the menu's darkened background and ends on "B".
#pragma once

#include "MainCode/Menu/TMenuSceneLoop.h"

class TMenuTopLoop;

class TStandInSubScreenLoop : public TMenuSceneLoop {
public:
    TStandInSubScreenLoop(TGameWnd* app, TMenuTopLoop* menu);

private:
    std::uint32_t Wait();
};
