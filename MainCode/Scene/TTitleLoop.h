// The title scene. Stands in for the real title screen: it idles until another scene or the
// quit dialog ends the program.
#pragma once

#include "MainCode/TLoop.h"

class TTitleLoop : public TSceneLoop {
public:
    explicit TTitleLoop(TGameWnd* app);

    std::uint32_t GetSteps() const { return m_steps; }

private:
    std::uint32_t StateIdle();

    std::uint32_t m_steps = 0;
};
