// The frame every menu, shop, dialog and save screen stands on: the 60-step timer and state of
// TSceneLoop, the list key repeat, and for a stand-alone scene the captured picture of the screen
// behind it, the dim overlay over that picture and its own menu sounds. A screen adds its states,
// its windows and its layout.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "MainCode/TInputDevice.h"
#include "MainCode/TLoop.h"
#include "MainCode/TMenuSound.h"
#include "TCommon/TLinearRamp.h"
#include "dx/dx8/3d/TSprite.h"
#include "platform/win32/types.h"

class TText8;

class TMenuSceneLoop : public TSceneLoop {
public:
    // Polls a button must be down in before it repeats, and how often the repeat word is taken.
    static constexpr std::uint32_t kRepeatPolls = 10;
    static constexpr std::int32_t kRepeatEvery = 5;

    ~TMenuSceneLoop() override;

    // Black with the alpha of v (the dim overlay), and white with it (window pictures keep their
    // own colours): alpha (i32)(v × 255), truncated.
    static DWORD DimColor(float v);
    static DWORD WindowColor(float v);
    // Opaque grey of level v: each channel (i32)(v × 255).
    static DWORD GreyColor(float v);
    // A white text of the menus, 16 pixels high, and a line written into it (cleared first, in the
    // menus' 16-pixel font, uploaded).
    static std::unique_ptr<TText8> MakeMenuText(const std::string& name, UINT width);
    static void WriteMenuText(TText8& text, const std::string& line);
    // The same, the text starting at x.
    static void WriteMenuText(TText8& text, std::int32_t x, const std::string& line);

    // The captured picture at (0, 0, 640, 480) in mode 0, then the dim overlay over it in mode 1.
    // Sub-screens draw their owner's.
    void DrawBackground();
    // Through the scene's own sound list, a sub-screen's through its owner's; nothing without one.
    void PlaySe(std::uint32_t id) override;

protected:
    // The timer, no step or draw yet; the scene sets its first state.
    explicit TMenuSceneLoop(TGameWnd* app);

    // A stand-alone scene's own parts: the screen behind it captured as "sT" + its class name,
    // the overlay clear and the dim ramp from 0 to its level; its sound list is the scene's own
    // (LoadSounds).
    void CaptureBackground(const std::string& className);
    void SetDim(float level, std::int32_t steps);
    // The screen behind taken again (a sub-screen asks its owner to).
    void Recapture(const std::string& className, TLoop* scene);
    // A pause-menu sub-screen draws its owner's background instead of its own.
    void SetOwner(TMenuSceneLoop* owner) { m_owner = owner; }

    // Last in every constructor: the frame's step (key repeat, then the state) and the frame's
    // draw for the kind of scene.
    void StartStandAlone() { Start(&TMenuSceneLoop::DrawStandAlone); }
    void StartSubScreen() { Start(&TMenuSceneLoop::DrawSubScreen); }

    // The scene's windows and texts, drawn over the background in mode 1.
    virtual void DrawWindows() {}

    // Buttons newly pressed or repeating: one cursor move each.
    std::uint16_t Moves(std::uint16_t mask) const;

    // One step of the dim: advances (or retreats) the ramp and colours the overlay; false at the end.
    bool FadeDimIn();
    bool FadeDimOut();

    TSprite m_background;
    TSprite m_dimOverlay;
    TLinearRamp m_dim;
    TMenuSceneLoop* m_owner = nullptr;
    std::uint16_t m_repeatMask = 0;
    std::int32_t m_repeatCounter = 0;

private:
    friend struct TMenuProbe;

    void Start(void (TMenuSceneLoop::*draw)());
    std::uint32_t StepFrame();
    void RunKeyRepeat();
    void DrawStandAlone();
    void DrawSubScreen();
    // The device usable and the scene begun; false skips this draw.
    bool BeginDraw();
    void EndDraw();
};
