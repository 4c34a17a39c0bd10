// The fourth story event: the hero and the heroine talk on the misty scenery; both play one
// expression per cue, the camera stands still; then the player stands on the field.
#pragma once

#include <array>

#include "MainCode/Scene/TEventLoop.h"

class TEvent04_03Loop : public TEventLoop {
public:
    static constexpr std::uint32_t kMusic = 53;

    explicit TEvent04_03Loop(TGameWnd* app);
    ~TEvent04_03Loop() override;

private:
    void Look();
    std::uint32_t PhaseFadeIn();
    std::uint32_t PhaseCue();

    TRefPtr<TFrame> m_camera;
    TRefPtr<TFrame> m_cameraTarget;
    // Stepped and set in this order; the heroine's end gates the cue.
    std::array<TMesh8*, 2> m_cast{};
    std::uint32_t m_cue = 1;
};
