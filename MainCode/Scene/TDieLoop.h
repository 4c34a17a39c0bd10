// Game over: the last picture of the field darkens while the field music fades out, the game-over
// picture comes in with its own music, and a decide or cancel press fades everything to black and
// goes back to the title with the scene stack emptied.
#pragma once

#include <cstdint>
#include <memory>

#include "MainCode/TLoop.h"
#include "TCommon/TLinearRamp.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TSprite.h"

class TSoundFader;
class TSoundList;

class TDieLoop : public TSceneLoop {
public:
    static constexpr std::uint32_t kGameOverMusic = 10;

    // musicId: the field's music, of which the builder kept one use for this scene (-1 none).
    TDieLoop(TGameWnd* app, std::int32_t musicId);
    ~TDieLoop() override;

private:
    friend struct TSceneProbe;

    std::uint32_t StateDarken();
    std::uint32_t StateShow();
    std::uint32_t StateWait();
    std::uint32_t StateLeave();
    void DrawFrame();
    void ColourOverlay();
    void ColourPicture();
    // Stops the field music and gives back the builder's use of it, once.
    void ReleaseFieldMusic();

    TSprite m_picture;
    TLinearRamp m_pictureRamp;
    TSprite m_overlay;
    TLinearRamp m_overlayRamp;
    TSprite m_captured;
    TRefPtr<TSoundFader> m_fieldFader;
    TRefPtr<TSoundFader> m_gameOverFader;
    std::uint32_t m_musicId;
    std::unique_ptr<TSoundList> m_music;
    bool m_fieldMusicHeld;
    bool m_gameOverPlaying = false;
};
