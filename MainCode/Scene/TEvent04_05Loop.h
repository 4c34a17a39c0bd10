// The sixth story event: four figures play twenty-three cues; at the sixth an explosion flares up
// among them with a sound, glows and fades, and the next cue waits for its animation; a closing
// pause, then the player stands on the field.
#pragma once

#include <array>

#include "MainCode/Scene/TEventLoop.h"

class TEvent04_05Loop : public TEventLoop {
public:
    static constexpr std::uint32_t kMusic = 55;
    static constexpr std::uint32_t kExplosionSound = 500;
    static constexpr std::uint32_t kMorphCues = 23;

    explicit TEvent04_05Loop(TGameWnd* app);
    ~TEvent04_05Loop() override;

private:
    friend struct TSceneProbe;

    void Look();
    std::uint32_t PhaseFadeIn();
    // Every cue but the seventh, then the closing cue held through its pause; the sixth sets the
    // explosion off.
    std::uint32_t PhaseCue();
    // The seventh cue: the explosion's glow and animation; the heroine waits for the animation.
    std::uint32_t PhaseExplosion();
    void TakeCue();

    TRefPtr<TFrame> m_camera;
    TRefPtr<TFrame> m_cameraTarget;
    TRefPtr<TFrame> m_explosion;
    TFloatRamp m_glow;
    TFloatRamp m_animation;
    std::uint32_t m_stage = 0;  // 0 glow rising, 1 falling, 2 removed
    // "Red", "Black", "Grin", "Parp" as they are stepped (the heroine's end gates the cue), and
    // reversed as they are set.
    std::array<TMesh8*, 4> m_stepOrder{};
    std::array<TMesh8*, 4> m_setOrder{};
    std::uint32_t m_cue = 1;
    std::uint32_t m_pause = 0;  // never reset
};
