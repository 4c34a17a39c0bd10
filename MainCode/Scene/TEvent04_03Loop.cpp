#include "MainCode/Scene/TEvent04_03Loop.h"

#include "dx/dx8/3d/TMesh8.h"

namespace {

// Three cues change both models; the fourth closes the talk.
constexpr std::uint32_t kMorphCues = 3;

}  // namespace

TEvent04_03Loop::TEvent04_03Loop(TGameWnd* app) : TEventLoop(app, Fade::Black, kMusic, 0xFFDBD1FF)
{
    SetPhase(&TEvent04_03Loop::PhaseFadeIn, true);
    SetEndToField("04.pbms/m07_00", D3DXVECTOR3(-9.0F, 2.5F, 182.0F), D3DXVECTOR3(0.0F, 0.0F, -1.0F));
    m_root = MakeFrame("Scene");
    m_camera = AddStageFrame("Camera", D3DXVECTOR3(-0.13F, 1.2F, -3.07F));
    m_cameraTarget = AddStageFrame("CameraTarget", D3DXVECTOR3(0.2F, 0.3F, 1.2F));

    SetFogAndProjection(true, 5.0F, 35.0F, 0xFFDBD1FF, 40.0F);
    m_cast[0] = AddFigure("HeroFrame", "event04/event04_hero.tob", "Hero", true);
    m_cast[1] = AddFigure("HeroineFrame", "event04/event04_heroine.tob", "Heroine", true);
    AddMap("event04/m07_00forEvent.msh", D3DXVECTOR3(7.6F, -2.5F, -184.0F));

    StartScript("04.pbsc/Event04_03");
    StartMusic();
    Start();
}

TEvent04_03Loop::~TEvent04_03Loop() = default;

void TEvent04_03Loop::Look()
{
    LookAt(m_camera.Get(), m_cameraTarget.Get());
}

std::uint32_t TEvent04_03Loop::PhaseFadeIn()
{
    Look();
    if (StepFadeIn()) {
        SetPhase(&TEvent04_03Loop::PhaseCue);
    }
    return LOOP_CONTINUE;
}

// The hero's morph is stepped but never waited for.
std::uint32_t TEvent04_03Loop::PhaseCue()
{
    Look();
    RunScript();
    if (StepMorphs(m_cast) && IsCued()) {
        if (m_cue <= kMorphCues) {
            SetMorphs(m_cast, m_cue);
        }
        ReleaseCue();
        if (++m_cue > kMorphCues + 1) {
            SetPhase(&TEvent04_03Loop::PhaseRunOut);
        }
    }
    return LOOP_CONTINUE;
}
