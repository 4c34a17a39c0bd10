// The title scene. Stands in for the real title screen: it idles until the decide button starts a new
// game (through the scene-change hub to the first story event) or the quit dialog ends the program, and
// each drawn frame only clears the screen to its colour.
#pragma once

#include "MainCode/TLoop.h"
#include "platform/d3d8/d3d8types.h"

class TTitleLoop : public TSceneLoop {
public:
    static constexpr D3DCOLOR kClearColor = D3DCOLOR_XRGB(0x20, 0x30, 0x60);

    static constexpr std::uint16_t kDecideButton = 0x10;
    static constexpr std::uint32_t kFirstEvent = 300;
    static constexpr std::int32_t kTitleMusic = 1;

    explicit TTitleLoop(TGameWnd* app);

    std::uint32_t GetSteps() const { return m_steps; }
    // Frames that reached the screen (a frame skipped for a lost device does not count).
    std::uint32_t GetFramesDrawn() const { return m_framesDrawn; }

private:
    std::uint32_t StateIdle();
    void DrawFrame();

    std::uint32_t m_steps = 0;
    std::uint32_t m_framesDrawn = 0;
};
