#include "MainCode/Scene/TEvent04_02Loop.h"

#include <cstdio>
#include <numbers>

#include "dx/dx8/3d/TMesh8.h"

namespace {

const D3DXVECTOR3 kUp(0.0F, 1.0F, 0.0F);
const D3DXVECTOR3 kGhostAt(0.5F, 0.0F, 2.9F);
const D3DXVECTOR3 kGhostOffsets[] = {{0.0F, 0.0F, 1.3F}, {0.0F, 0.0F, -1.1F}, {1.2F, 0.0F, 0.2F}, {-0.9F, 0.0F, 0.0F}};
// Three cues change the faces; the fourth closes the talk.
constexpr std::uint32_t kFaceCues = 3;

}  // namespace

TEvent04_02Loop::TEvent04_02Loop(TGameWnd* app) : TEventLoop(app, Fade::Black, kMusic, 0xFFDBD1FF)
{
    SetPhase(&TEvent04_02Loop::PhaseFadeIn, true);
    SetEndToField("04.pbms/m07_00boss", D3DXVECTOR3(-9.0F, 2.5F, 182.0F), D3DXVECTOR3(0.0F, 0.0F, -1.0F));
    m_root = MakeFrame("Scene");
    m_camera = AddStageFrame("Camera", D3DXVECTOR3(-0.746F, 1.682F, -3.837F));
    m_cameraTarget = AddStageFrame("CameraTarget", D3DXVECTOR3(0.7F, 0.5F, 2.6F));

    SetFogAndProjection(true, 5.0F, 35.0F, 0xFFDBD1FF, 40.0F);

    m_faces[0] = AddFigure("HeroFrame", "event04/event03_hero.tob", "Hero", false);
    m_faces[1] = AddFigure("HeroineFrame", "event04/event03_heroine.tob", "Heroine", false);
    const TFrame* pair[2] = {m_root->GetChild(2), m_root->GetChild(3)};

    for (std::uint32_t n = 0; n < kKnights; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "Knight%u", static_cast<unsigned>(n));
        TRefPtr<TFrame> ghost = MakeFrame("GhostFrame");
        m_knights[n] = AddObject(ghost.Get(), "event04/ghost04.tob", name);
        ghost->SetPosition(kGhostAt);
        ghost->Translate(kGhostOffsets[n].x, kGhostOffsets[n].y, kGhostOffsets[n].z, false);
        // Each faces one of the pair; the model looks away from its frame's z.
        ghost->LookAtFrame(m_root.Get(), pair[n % 2], TFrame::kLookUpright);
        ghost->RotateAxis(kUp, std::numbers::pi_v<float>, true);
        m_root->AddChild(ghost);
        // Out of step: each loop starts a step further on.
        m_knights[n]->SetMorphTime(static_cast<float>(n));
    }

    AddMap("event04/m07_00forEvent.msh", D3DXVECTOR3(7.6F, -2.5F, -184.0F));

    StartScript("04.pbsc/Event04_02");
    StartMusic();
    Start();
}

TEvent04_02Loop::~TEvent04_02Loop() = default;

void TEvent04_02Loop::Look()
{
    LookAt(m_camera.Get(), m_cameraTarget.Get());
}

std::uint32_t TEvent04_02Loop::PhaseFadeIn()
{
    Look();
    if (StepFadeIn()) {
        SetPhase(&TEvent04_02Loop::PhaseCue);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_02Loop::PhaseCue()
{
    Look();
    RunScript();
    for (TMesh8* knight : m_knights) {
        knight->StepMorph(true);
    }
    if (StepMorphs(m_faces) && IsCued()) {
        if (m_cue <= kFaceCues) {
            SetMorphs(m_faces, m_cue);
        }
        ReleaseCue();
        if (++m_cue > kFaceCues + 1) {
            SetPhase(&TEvent04_02Loop::PhaseRunOut);
        }
    }
    return LOOP_CONTINUE;
}
