// The scene between two parts of the game: it freezes the last picture of the scene that asked for
// the change, fades it and that scene's music over 100 frames, gives back the sounds the caller
// kept alive for it and only then builds the next scene: the title, a loaded save's field, a story
// event or the ending, or the save screen. The caller is gone by then and whatever nothing uses any
// more has been released, before the next scene loads its own.
#pragma once

#include <cstdint>

#include "MainCode/TLoop.h"
#include "MainCode/TUiQuad.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TSprite.h"

class TSoundFader;

class TChangeLoop : public TSceneLoop {
public:
    enum Mode : std::uint32_t { kToTitle = 0, kToLoadSlot = 1, kToEvent = 2, kToSave = 3 };
    static constexpr std::uint32_t kNoMusic = 0xFFFFFFFF;
    static constexpr std::int32_t kFadeFrames = 100;

    // Each returns a new hub (null when it cannot be made); the caller hands it to ReplaceScene.
    static TChangeLoop* ToTitle(TGameWnd* app, std::uint32_t musicId);
    static TChangeLoop* ToLoadSlot(TGameWnd* app, std::uint32_t slot, std::uint32_t musicId);
    // colourMode 15 black, anything else white; direction 0xF000 covers the picture, anything else
    // uncovers it.
    static TChangeLoop* ToEvent(TGameWnd* app, std::int32_t colourMode, std::uint32_t direction, std::uint32_t eventId,
                                std::int32_t musicId);
    static TChangeLoop* ToSave(TGameWnd* app, std::uint32_t musicId);

    ~TChangeLoop() override;

private:
    friend struct TSceneProbe;

    TChangeLoop(TGameWnd* app, std::uint32_t mode, std::int32_t colourMode, std::int32_t direction,
                std::uint32_t musicId, std::uint32_t slot, std::int32_t eventId);

    std::uint32_t WaitAndDispatch();
    void DrawFrame();
    // Stops the faded music and gives back every use the change still holds.
    void GiveBack();
    void Dispatch();

    TUiQuad m_quad;
    std::uint32_t m_mode;
    std::uint32_t m_musicId;
    std::uint32_t m_slot;
    std::int32_t m_eventId;
    TRefPtr<TSoundFader> m_fader;
    TSprite m_picture;
    bool m_givenBack = false;
};
