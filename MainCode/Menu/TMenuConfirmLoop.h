// The pause menu's character change: the change (its picture names the character it changes to)
// and back. The change swaps the played character in the field and takes the menu's background
// again, so the new character shows behind the menu.
#pragma once

#include "MainCode/Menu/TMenuChoiceLoop.h"

class TMenuConfirmLoop : public TMenuChoiceLoop {
public:
    static constexpr std::int32_t kParty = 8;

    TMenuConfirmLoop(TGameWnd* app, TMenuTopLoop* menu);

private:
    friend struct TMenuProbe;

    std::uint32_t Closed() override;
    bool CanDecide(std::int32_t choice) const override;

    std::int32_t m_character;
    std::int32_t m_targets[kParty];
};
