// The third story event: the hero and the heroine among four ghost knights in a pale mist. The
// knights' loops run on out of step while the script talks; three cues change both faces, a
// fourth closes; then the player stands on the field.
#pragma once

#include <array>

#include "MainCode/Scene/TEventLoop.h"

class TEvent04_02Loop : public TEventLoop {
public:
    static constexpr std::uint32_t kMusic = 53;
    static constexpr std::uint32_t kKnights = 4;

    explicit TEvent04_02Loop(TGameWnd* app);
    ~TEvent04_02Loop() override;

private:
    // "Camera" toward "CameraTarget".
    void Look();
    std::uint32_t PhaseFadeIn();
    // Every cue: the script, the knights looping, the faces once through; the faces gate the cue.
    std::uint32_t PhaseCue();

    TRefPtr<TFrame> m_camera;
    TRefPtr<TFrame> m_cameraTarget;
    std::array<TMesh8*, kKnights> m_knights{};
    // Faces in the order they are set: the hero's, then the heroine's, whose end gates the cue.
    std::array<TMesh8*, 2> m_faces{};
    std::uint32_t m_cue = 1;  // the morph the next cue sets; the last sets none
};
