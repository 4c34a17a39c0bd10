#include "MainCode/Scene/TEvent04_07Loop.h"

#include "MainCode/Map/TCamera.h"

namespace {

// Out over the land, the camera drawing back and the target rising toward the sky.
const D3DXVECTOR3 kCameraStart(0.0F, 3.6F, -9.0F);
const D3DXVECTOR3 kCameraEnd(0.0F, 3.0F, -28.0F);
const D3DXVECTOR3 kTargetStart(0.0F, 1.6F, 1.0F);
const D3DXVECTOR3 kTargetEnd(0.0F, 10.0F, 1.0F);

constexpr std::int32_t kDialogueAfter = 400;

}  // namespace

TEvent04_07Loop::TEvent04_07Loop(TGameWnd* app) : TEventLoop(app, Fade::Quad, kMusic, 0xFFFFFFFF)
{
    SetPhase(&TEvent04_07Loop::PhaseOpening);
    SetEndToEvent(kNextEvent);
    m_root = MakeFrame("Scene");
    m_target = MakeFrame("Target");
    m_flight.Set(0.0F, 1.0F, kFlightSteps, 0);
    m_camera = std::make_unique<TCamera>(0, m_root.Get(), m_target.Get(), &m_view);

    SetFogAndProjection(true, 30.0F, 35.0F, 0xFFFFFFFF, 40.0F);
    m_camera->CreateSky(30.0F, 0.0F, 30.0F, 0.0F, 0xFFFFFFFF, 0.02F, 0.02F, 0.0002F, 0.0002F, "");
    AddScenery(m_root.Get(), "map04/t05_00.msh");

    StartScript("04.pbsc/Event04_07");
    m_target->SetPosition(kTargetStart);
    m_root->AddChild(m_target);
    m_camera->GetFrame()->SetPosition(kCameraStart);
    m_camera->Update();

    StartMusic();
    // The first picture is up before the hub's pause ends.
    DrawEvent();
    Start();
}

TEvent04_07Loop::~TEvent04_07Loop() = default;

void TEvent04_07Loop::PlaceCamera()
{
    m_camera->UpdateView();
}

void TEvent04_07Loop::Fly()
{
    const float t = m_flight.value;
    m_camera->GetFrame()->SetPosition(Along(kCameraStart, kCameraEnd, t));
    m_target->SetPosition(Along(kTargetStart, kTargetEnd, t));
    m_camera->Update();
    m_flight.Step();
}

// The opening only fades in: the script waits for the flight to have gone a while.
std::uint32_t TEvent04_07Loop::PhaseOpening()
{
    Fly();
    m_quad.StepForward();
    if (m_flight.step > kDialogueAfter) {
        SetPhase(&TEvent04_07Loop::PhaseText1);
    }
    return LOOP_CONTINUE;
}

void TEvent04_07Loop::Text(std::int32_t afterStep, bool release, std::uint32_t (TEvent04_07Loop::*next)())
{
    Fly();
    RunScript();
    if (IsCued() && m_flight.step > afterStep) {
        if (release) {
            ReleaseCue();
        }
        SetPhase(next);
    }
}

std::uint32_t TEvent04_07Loop::PhaseText1()
{
    Text(600, true, &TEvent04_07Loop::PhaseText2);
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_07Loop::PhaseText2()
{
    Text(800, true, &TEvent04_07Loop::PhaseText3);
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_07Loop::PhaseText3()
{
    Text(1000, true, &TEvent04_07Loop::PhaseText4);
    return LOOP_CONTINUE;
}

// The fourth cue stays set: the script is held through the closing fade.
std::uint32_t TEvent04_07Loop::PhaseText4()
{
    Text(1200, false, &TEvent04_07Loop::PhaseClosing);
    return LOOP_CONTINUE;
}

// Back to black; the scene ends only once the flight is over and the picture is gone.
std::uint32_t TEvent04_07Loop::PhaseClosing()
{
    const bool flightOver = m_flight.AtEnd();
    Fly();
    const bool fading = m_quad.StepBack();
    RunScript();
    if (IsCued() && flightOver && !fading) {
        ReleaseCue();
        SetPhase(&TEvent04_07Loop::PhaseFinal);
    }
    return LOOP_CONTINUE;
}
