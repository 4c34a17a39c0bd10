// The pause menu's leave window: back to the title, quit the game, back. The first two ask again
// in the yes/no dialog, which carries them out; answered no, this window slides in again.
#pragma once

#include "MainCode/Menu/TMenuChoiceLoop.h"

class TMenuConfirm2Loop : public TMenuChoiceLoop {
public:
    TMenuConfirm2Loop(TGameWnd* app, TMenuTopLoop* menu);

private:
    std::uint32_t Closed() override;
};
