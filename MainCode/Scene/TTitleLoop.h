// The title: the maker's logo on the first title of a run, then the title picture fading in with its
// menu of new game, load and quit. New game and load push their screens over the title, which
// resumes when they end; quit fades picture and music out and ends the program. Left alone in the
// menu for 6700 steps it goes back to black and starts over.
#pragma once

#include <cstdint>
#include <memory>

#include "MainCode/TLoop.h"
#include "MainCode/TUiQuad.h"
#include "TCommon/TLinearRamp.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TSprite.h"

class TSoundFader;
class TSoundList;
class TStreamSound;

class TTitleLoop : public TSceneLoop {
public:
    static constexpr std::int32_t kItems = 3;
    static constexpr std::uint32_t kStartWaitSteps = 120;
    static constexpr std::uint32_t kLogoHoldSteps = 200;
    static constexpr std::uint32_t kIdleSteps = 6700;
    static constexpr std::uint32_t kBlackSteps = 100;

    explicit TTitleLoop(TGameWnd* app);
    ~TTitleLoop() override;

private:
    friend struct TSceneProbe;

    std::uint32_t StateStartWait();
    std::uint32_t StateLogoIn();
    std::uint32_t StateLogoHold();
    std::uint32_t StateLogoOut();
    std::uint32_t StateFadeIn();
    std::uint32_t StateMenu();
    std::uint32_t StateIdle();
    std::uint32_t StateQuit();
    void DrawFrame();

    bool IsLogoState() const;
    // The title music; null when its list has none.
    TStreamSound* Music() const;
    void PlayMusic();
    void StopMusic();
    void ColourLogo();
    void StepHighlights();

    TUiQuad m_quad;
    TSprite m_title;
    TSprite m_items[kItems];
    TSprite m_logo;
    TLinearRamp m_logoRamp;
    TRefPtr<TSoundFader> m_fader;
    std::int32_t m_selection = 0;
    std::uint32_t m_counter = 0;
    TLinearRamp m_highlight[kItems];
    std::unique_ptr<TSoundList> m_music;
};
