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
    m_camera = MakeFrame("Camera");
    m_cameraTarget = MakeFrame("CameraTarget");
    m_root->AddChild(m_camera);
    m_root->AddChild(m_cameraTarget);

    SetFogAndProjection(false, 100.0F, 200.0F, 0xFFFFFFFF, 28.0F);
    m_camera->SetPosition(D3DXVECTOR3(0.0F, 1.63F, -3.31F));
    m_cameraTarget->SetPosition(D3DXVECTOR3(0.0F, 0.5F, 0.8F));

    const char* const cast[][3] = {{"event04/event05_hero.tob", "Grin", "GrinFrame"},
                                   {"event04/event05_heroine.tob", "Parp", "ParpFrame"},
                                   {"event04/event05_black00.tob", "Black", "BlackFrame"}};
    TMesh8* meshes[3];
    for (std::size_t i = 0; i < 3; ++i) {
        TRefPtr<TFrame> frame = MakeFrame(cast[i][2]);
        meshes[i] = AddObject(frame.Get(), cast[i][0], cast[i][1], true);
        if (i == 2) {
            frame->Translate(0.0F, 0.0F, 1.0F, false);
        }
        m_root->AddChild(frame);
    }
    m_stepOrder = {meshes[2], meshes[0], meshes[1]};
    m_setOrder = {meshes[1], meshes[0], meshes[2]};

    TRefPtr<TFrame> map = MakeFrame("MapFrame");
    AddScenery(map.Get(), "event04/d05_00forEvent.msh");
    map->Translate(-34.0F, 0.0F, -108.0F, false);
    m_root->AddChild(map);

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
