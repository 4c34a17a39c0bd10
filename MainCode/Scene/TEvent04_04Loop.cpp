#include "MainCode/Scene/TEvent04_04Loop.h"

#include "dx/dx8/3d/TMesh8.h"

namespace {

constexpr std::uint32_t kClosingHold = 200;

}  // namespace

TEvent04_04Loop::TEvent04_04Loop(TGameWnd* app) : TEventLoop(app, Fade::Black, kMusic, 0)
{
    SetPhase(&TEvent04_04Loop::PhaseFadeIn, true);
    SetEndToField("04.pbms/d05_00boss1", D3DXVECTOR3(34.0F, 0.0F, 108.0F), D3DXVECTOR3(0.0F, 0.0F, -1.0F));
    m_root = MakeFrame("Scene");
    m_camera = AddStageFrame("Camera", D3DXVECTOR3(0.0F, 1.63F, -3.31F));
    m_cameraTarget = AddStageFrame("CameraTarget", D3DXVECTOR3(0.0F, 0.5F, 0.8F));

    SetFogAndProjection(false, 100.0F, 200.0F, 0xFFFFFFFF, 28.0F);
    TMesh8* grin = AddFigure("GrinFrame", "event04/event05_hero.tob", "Grin", true);
    TMesh8* parp = AddFigure("ParpFrame", "event04/event05_heroine.tob", "Parp", true);
    TMesh8* black = AddFigure("BlackFrame", "event04/event05_black00.tob", "Black", true, D3DXVECTOR3(0.0F, 0.0F, 1.0F));
    m_stepOrder = {black, grin, parp};
    m_setOrder = {parp, grin, black};
    AddMap("event04/d05_00forEvent.msh", D3DXVECTOR3(-34.0F, 0.0F, -108.0F));

    StartScript("04.pbsc/Event04_04");
    StartMusic();
    Start();
}

TEvent04_04Loop::~TEvent04_04Loop() = default;

void TEvent04_04Loop::Look()
{
    LookAt(m_camera.Get(), m_cameraTarget.Get());
}

std::uint32_t TEvent04_04Loop::PhaseFadeIn()
{
    Look();
    if (StepFadeIn()) {
        SetMorphs(m_setOrder, 0);
        SetPhase(&TEvent04_04Loop::PhaseCue);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_04Loop::PhaseCue()
{
    Look();
    RunScript();
    if (!StepMorphs(m_stepOrder) || !IsCued()) {
        return LOOP_CONTINUE;
    }
    if (m_cue <= kMorphCues) {
        SetMorphs(m_setOrder, m_cue++);
        ReleaseCue();
    } else if (++m_pause > kClosingHold) {
        ReleaseCue();
        SetPhase(&TEvent04_04Loop::PhaseRunOut);
    }
    return LOOP_CONTINUE;
}
