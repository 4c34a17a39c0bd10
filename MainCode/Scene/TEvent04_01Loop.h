// The second story event: cues over black, a first stage that fades in with a shake and a sound,
// then after a fade to black a second stage where the hero's and the heroine's faces change
// expression cue by cue; at the end the player stands on the field.
#pragma once

#include "MainCode/Scene/TEventLoop.h"

class TEvent04_01Loop : public TEventLoop {
public:
    static constexpr std::uint32_t kMusic = 52;
    static constexpr std::uint32_t kSound = 110;
    static constexpr std::uint32_t kBeats = 23;

    explicit TEvent04_01Loop(TGameWnd* app);
    ~TEvent04_01Loop() override;

private:
    // "Camera" toward "CameraTarget".
    void Look();
    // Both faces a step on; true once the heroine's has played out.
    bool StepFaces();
    void SetFaces(std::uint32_t morph);

    std::uint32_t PhaseOpening();
    std::uint32_t PhaseOpeningHold();
    std::uint32_t PhaseFirstStage();
    std::uint32_t PhaseToBlack();
    std::uint32_t PhaseBlack();
    std::uint32_t PhaseSecondStage();
    std::uint32_t PhaseFacesReady();
    std::uint32_t PhaseBeat();
    std::uint32_t PhaseLastBeat();

    TRefPtr<TFrame> m_before;
    TRefPtr<TFrame> m_after;
    TRefPtr<TFrame> m_camera;
    TRefPtr<TFrame> m_cameraTarget;
    TMesh8* m_heroFace = nullptr;
    TMesh8* m_heroineFace = nullptr;
    std::uint32_t m_counter = 0;
    std::uint32_t m_secondCounter = 0;
    std::uint32_t m_beat = 1;
    TRepeatRamp m_shake;
};
