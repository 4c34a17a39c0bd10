// Story event 307, the last before the ending: a long camera flight over the land under the sky
// carries the script's text, paced by the flight's steps; then through the hub to the ending.
#pragma once

#include <memory>

#include "MainCode/Scene/TEventLoop.h"

class TCamera;

class TEvent04_07Loop : public TEventLoop {
public:
    static constexpr std::uint32_t kMusic = 57;
    static constexpr std::uint32_t kNextEvent = 308;
    static constexpr std::int32_t kFlightSteps = 1400;

    explicit TEvent04_07Loop(TGameWnd* app);
    ~TEvent04_07Loop() override;

private:
    friend struct TSceneProbe;

    void PlaceCamera() override;
    // The camera and its target along the flight, the camera's step, then the flight a step on.
    void Fly();
    // A text phase: the flight, the script, then the cue once the flight has passed the step.
    void Text(std::int32_t afterStep, bool release, std::uint32_t (TEvent04_07Loop::*next)());

    std::uint32_t PhaseOpening();
    std::uint32_t PhaseText1();
    std::uint32_t PhaseText2();
    std::uint32_t PhaseText3();
    std::uint32_t PhaseText4();
    std::uint32_t PhaseClosing();

    TRefPtr<TFrame> m_target;
    TFloatRamp m_flight;
    std::unique_ptr<TCamera> m_camera;  // after the frames: it leaves them as it goes
};
