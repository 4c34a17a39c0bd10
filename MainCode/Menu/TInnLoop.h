// Resting at an inn: the party is healed at once; then the picture fades to black while the area's
// music fades out, the inn tune plays, and picture and music come back as they were.
#pragma once

#include <cstdint>
#include <memory>

#include "MainCode/Menu/TMenuSceneLoop.h"
#include "MainCode/TUiQuad.h"
#include "TCommon/TRefPtr.h"

class TFieldLoop;
class TSoundFader;
class TSoundList;

class TInnLoop : public TMenuSceneLoop {
public:
    // Sound 16 of "subset/inn_bgm.tbl" in the music bank.
    static constexpr std::uint32_t kInnTune = 16;
    static constexpr std::int32_t kQuadFrames = 60;
    static constexpr std::int32_t kMusicFadeSteps = 50;

    TInnLoop(TGameWnd* app, TFieldLoop* field);
    ~TInnLoop() override;

private:
    friend struct TMenuProbe;

    std::uint32_t FadingOut();
    std::uint32_t PlayingTune();
    std::uint32_t FadingIn();
    void DrawInn();
    // The music bank and the area's music id when that music is there to fade, else -1.
    std::int32_t AreaMusic() const;

    TFieldLoop* m_field;
    TUiQuad m_quad;
    std::unique_ptr<TSoundList> m_innMusic;
    TRefPtr<TSoundFader> m_fader;
    std::int32_t m_waitSteps = 0;
};
