// The fifth story event: the hero, the heroine and a third figure act out a long talk of fifteen
// cues, each a new expression on all three; a closing pause, then the player stands on the field.
#pragma once

#include <array>

#include "MainCode/Scene/TEventLoop.h"

class TEvent04_04Loop : public TEventLoop {
public:
    static constexpr std::uint32_t kMusic = 54;
    static constexpr std::uint32_t kMorphCues = 15;

    explicit TEvent04_04Loop(TGameWnd* app);
    ~TEvent04_04Loop() override;

private:
    void Look();
    std::uint32_t PhaseFadeIn();
    // The fifteen cues, then the closing cue held through its pause.
    std::uint32_t PhaseCue();

    TRefPtr<TFrame> m_camera;
    TRefPtr<TFrame> m_cameraTarget;
    // "Black", "Grin", "Parp" as they are stepped (the heroine's end gates the cue), and reversed
    // as they are set.
    std::array<TMesh8*, 3> m_stepOrder{};
    std::array<TMesh8*, 3> m_setOrder{};
    std::uint32_t m_cue = 1;
    std::uint32_t m_pause = 0;  // never reset
};
