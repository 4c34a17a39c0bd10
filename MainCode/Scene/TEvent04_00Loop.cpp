#include "MainCode/Scene/TEvent04_00Loop.h"

#include "MainCode/Map/TCamera.h"

namespace {

// The glide: the camera from P toward Q, its target from R toward S, 70 % of the way.
const D3DXVECTOR3 kCameraStart(0.0F, 4.0F, 42.0F);
const D3DXVECTOR3 kCameraEnd(0.1F, 0.0F, 17.8F);
const D3DXVECTOR3 kTargetStart(-8.6F, 1.0F, 19.5F);
const D3DXVECTOR3 kTargetEnd(-8.6F, 1.0F, 19.5F);
constexpr float kGlideReach = 0.7F;

constexpr std::int32_t kDialogueAfter = 200;

}  // namespace

TEvent04_00Loop::TEvent04_00Loop(TGameWnd* app) : TEventLoop(app, Fade::Quad, kMusic, 0xFFFFFFFF)
{
    SetPhase(&TEvent04_00Loop::PhaseFadeIn);
    SetEndToEvent(kNextEvent);
    m_root = MakeFrame("Scene");
    m_target = MakeFrame("Target");
    m_camera = std::make_unique<TCamera>(0, m_root.Get(), m_target.Get(), &m_view);
    m_glide.Set(0.0F, kGlideReach, kGlideSteps, 0);

    SetFogAndProjection(true, 30.0F, 35.0F, 0xFFFFFFFF, 40.0F);
    m_camera->CreateSky(30.0F, 0.0F, 30.0F, 0.0F, 0xFFFFFFFF, 0.02F, 0.02F, 0.0002F, 0.0002F, "");
    AddScenery(m_root.Get(), "event04/t04_00forEvent2.msh");

    m_target->SetPosition(kTargetStart);
    m_root->AddChild(m_target);
    m_camera->GetFrame()->SetPosition(kCameraStart);
    m_camera->LookAtTarget();

    StartScript("04.pbsc/Event04_00");
    StartMusic();
    // The first picture is up before the hub's pause ends.
    DrawEvent();
    Start();
}

TEvent04_00Loop::~TEvent04_00Loop() = default;

void TEvent04_00Loop::PlaceCamera()
{
    m_camera->UpdateView();
}

void TEvent04_00Loop::StepCamera()
{
    const float t = m_glide.value;
    m_camera->GetFrame()->SetPosition(Along(kCameraStart, kCameraEnd, t));
    m_target->SetPosition(Along(kTargetStart, kTargetEnd, t));
    m_camera->LookAtTarget();
    m_glide.Step();
}

std::uint32_t TEvent04_00Loop::PhaseFadeIn()
{
    StepCamera();
    m_quad.StepForward();
    if (m_glide.step > kDialogueAfter) {
        SetPhase(&TEvent04_00Loop::PhaseCue1);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_00Loop::Cue(std::int32_t afterStep, bool release, std::uint32_t (TEvent04_00Loop::*next)())
{
    const bool glideOver = m_glide.AtEnd();
    StepCamera();
    RunScript();
    // A negative step waits for the glide to have ended before this step.
    const bool passed = afterStep < 0 ? glideOver : m_glide.step > afterStep;
    if (IsCued() && passed) {
        if (release) {
            ReleaseCue();
        }
        SetPhase(next);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_00Loop::PhaseCue1() { return Cue(500, true, &TEvent04_00Loop::PhaseCue2); }
std::uint32_t TEvent04_00Loop::PhaseCue2() { return Cue(700, true, &TEvent04_00Loop::PhaseCue3); }
// The fourth cue stays set: the script goes on only once the glide is over.
std::uint32_t TEvent04_00Loop::PhaseCue3() { return Cue(900, false, &TEvent04_00Loop::PhaseCue4); }
std::uint32_t TEvent04_00Loop::PhaseCue4() { return Cue(-1, true, &TEvent04_00Loop::PhaseRunOut); }

std::uint32_t TEvent04_00Loop::PhaseRunOut()
{
    if ((RunScript() & 2) == 0) {
        SetPhase(&TEvent04_00Loop::PhaseFadeOut);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_00Loop::PhaseFadeOut()
{
    if (!m_quad.StepBack()) {
        SetPhase(&TEvent04_00Loop::PhaseFinal);
    }
    return LOOP_CONTINUE;
}
