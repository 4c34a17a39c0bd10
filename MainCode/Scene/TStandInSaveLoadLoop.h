// Stand-in for the save and load screen until it exists. Save (after the ending): goes on to the
// title at once, saving nothing. Load (from the title): decide loads slot 0 through the
// scene-change hub, cancel ends it. It shows a black screen.
#pragma once

#include <cstdint>

#include "MainCode/TLoop.h"

class TStandInSaveLoadLoop : public TSceneLoop {
public:
    enum Mode : std::uint32_t { kLoad = 0, kSave = 1 };

    static TStandInSaveLoadLoop* CreateLoad(TGameWnd* app) { return new TStandInSaveLoadLoop(app, kLoad); }
    static TStandInSaveLoadLoop* CreateSave(TGameWnd* app) { return new TStandInSaveLoadLoop(app, kSave); }

    std::uint32_t GetMode() const { return m_mode; }

private:
    TStandInSaveLoadLoop(TGameWnd* app, std::uint32_t mode);

    std::uint32_t StateSave();
    std::uint32_t StateLoad();
    void DrawBlack();

    std::uint32_t m_mode;
};
