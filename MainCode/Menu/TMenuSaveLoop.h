// The pause menu's save item: a small choice of save (only while the player stands at a save
// point), load and back, then the save slots' pages as the title's save and load screens show
// them. Closing the pages comes back to the choice; a load leaves the field through the scene
// change; a save first puts the save point and the played character into the game data.
#pragma once

#include <cstdint>

#include "MainCode/Menu/TMenuChoiceLoop.h"
#include "MainCode/Menu/TSaveSlotPage.h"

class TMenuSaveLoop : public TMenuChoiceLoop {
public:
    TMenuSaveLoop(TGameWnd* app, TMenuTopLoop* menu);
    ~TMenuSaveLoop() override;

    // The slot pages are up (open, turning, asking, writing or closing).
    bool OnPage() const;

private:
    friend struct TMenuProbe;

    std::uint32_t Closed() override;
    std::uint32_t StatePage();
    // "A" on a row that may be loaded: the field, the menu and this screen give way to the scene
    // change, which keeps the area's music playing.
    std::uint32_t LoadChosen();
    // The save point the player stands at and the played character, as the save will hold them.
    void StoreParty();
    void DrawWindows() override;

    TSaveSlotPage m_page;
};
