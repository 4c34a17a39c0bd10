// The first story event of a new game: the camera glides over the scenery toward a fixed point
// while the script tells its text, the glide pacing the script's cues; then through the hub to the
// next event.
#pragma once

#include <memory>

#include "MainCode/Scene/TEventLoop.h"

class TCamera;

class TEvent04_00Loop : public TEventLoop {
public:
    static constexpr std::uint32_t kMusic = 51;
    static constexpr std::uint32_t kNextEvent = 301;
    static constexpr std::int32_t kGlideSteps = 1000;

    explicit TEvent04_00Loop(TGameWnd* app);
    ~TEvent04_00Loop() override;

private:
    friend struct TSceneProbe;

    void PlaceCamera() override;
    // The camera and its target along the glide, then the glide one step on.
    void StepCamera();
    // A cue phase: the glide, the script, then the cue once the glide has passed the step.
    std::uint32_t Cue(std::int32_t afterStep, bool release, std::uint32_t (TEvent04_00Loop::*next)());

    std::uint32_t PhaseFadeIn();
    std::uint32_t PhaseCue1();
    std::uint32_t PhaseCue2();
    std::uint32_t PhaseCue3();
    std::uint32_t PhaseCue4();
    std::uint32_t PhaseRunOut();
    std::uint32_t PhaseFadeOut();

    TRefPtr<TFrame> m_target;
    std::unique_ptr<TCamera> m_camera;  // after the frames: it leaves them as it goes
    TFloatRamp m_glide;
};
