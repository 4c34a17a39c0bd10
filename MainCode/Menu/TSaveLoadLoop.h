// The save and load screen of the title and of the end of the game: the hundred save slots on
// twenty pages of five. Loading hands the slot to the scene change into the field; saving writes
// the game into the slot (asking before it covers a save); the carry-over lists another chapter's
// save folder and starts the opening event with the save taken over.
#pragma once

#include <cstdint>

#include "MainCode/Menu/TMenuSceneLoop.h"
#include "MainCode/Menu/TSaveSlotPage.h"

class TSaveLoadLoop : public TMenuSceneLoop {
public:
    enum Mode : std::int32_t { kLoad = 0, kSave = 1, kCarryOver = 2 };

    // Null when the scene cannot be allocated.
    static TSaveLoadLoop* CreateLoad(TGameWnd* app);
    static TSaveLoadLoop* CreateSave(TGameWnd* app);
    static TSaveLoadLoop* CreateCarryOver(TGameWnd* app, std::int32_t chapter);

    // chapter: the folder listed, -1 for the own one.
    TSaveLoadLoop(TGameWnd* app, std::int32_t mode, std::int32_t chapter);
    ~TSaveLoadLoop() override;



private:
    friend struct TMenuProbe;

    std::uint32_t StateDimIn();
    std::uint32_t StatePage();
    std::uint32_t StateDimOut();
    // "A" on a usable row: into the field, or the carried-over game into the opening event.
    std::uint32_t LoadChosen();
    void DrawWindows() override { m_page.Draw(); }

    std::int32_t m_mode;
    std::int32_t m_chapter;
    TSaveSlotPage m_page;
};
