// Story event 306: four figures play the script's cues on the shrine's floor while the camera
// travels toward them; a white flash with its sound, a second short approach and a fixed closing
// shot; then through the hub to event 307.
#pragma once

#include "MainCode/Scene/TEventLoop.h"

class TEvent04_06Loop : public TEventLoop {
public:
    static constexpr std::uint32_t kMusic = 56;
    static constexpr std::uint32_t kNextEvent = 307;
    static constexpr std::uint32_t kFlashSound = 504;

    explicit TEvent04_06Loop(TGameWnd* app);
    ~TEvent04_06Loop() override;

private:
    friend struct TSceneProbe;

    void DrawUnderMessages() override;
    void Look();
    // The four figures a step on ("Parp" last); true once "Parp" has played out.
    bool StepMorphs();
    void SetMorphs(std::uint32_t morph);
    // The travel ramp a step on and the camera along it from key a to key b.
    void Travel(int a, int b);
    // A cue: the camera, the script and the figures; on "Parp" played out and a cue, the morph
    // and the next phase (true).
    bool Cue(std::uint32_t morph, std::uint32_t (TEvent04_06Loop::*next)());
    void ShowFlash();
    // The flash ramp a step on; true once it was already at its end.
    bool StepFlash();

    std::uint32_t PhaseFadeIn();
    std::uint32_t PhaseCue1();
    std::uint32_t PhaseCue2();
    std::uint32_t PhaseCue3();
    std::uint32_t PhaseCue4();
    std::uint32_t PhaseTravel1();
    std::uint32_t PhaseTravel2();
    std::uint32_t PhaseFlashIn();
    std::uint32_t PhaseFlashOut();
    std::uint32_t PhaseTravel3();
    std::uint32_t PhaseClosing();
    std::uint32_t PhaseRunOut();
    std::uint32_t PhaseFadeOut();

    TRefPtr<TFrame> m_camera;
    TRefPtr<TFrame> m_cameraTarget;
    TMesh8* m_grin = nullptr;
    TMesh8* m_parp = nullptr;
    TMesh8* m_red = nullptr;
    TMesh8* m_silver = nullptr;
    std::uint32_t m_counter = 0;
    TFloatRamp m_travel;
    TSprite m_flash;
    TFloatRamp m_flashRamp;
    bool m_flashShown = false;
};
