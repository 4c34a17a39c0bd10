// Stand-in for the chapter carry-over choice until it exists: decide starts this chapter afresh
// through the scene-change hub to the first story event, cancel ends it. It shows a black screen.
#pragma once

#include <cstdint>

#include "MainCode/TLoop.h"

class TStandInCarryOverLoop : public TSceneLoop {
public:
    static TStandInCarryOverLoop* Create(TGameWnd* app, std::int32_t chapter)
    {
        return new TStandInCarryOverLoop(app, chapter);
    }

    std::int32_t GetChapter() const { return m_chapter; }

private:
    TStandInCarryOverLoop(TGameWnd* app, std::int32_t chapter);

    std::uint32_t StateChoose();
    void DrawBlack();

    std::int32_t m_chapter;
};
