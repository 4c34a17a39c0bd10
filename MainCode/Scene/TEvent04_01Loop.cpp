#include "MainCode/Scene/TEvent04_01Loop.h"

#include <numbers>

#include "dx/dx8/3d/TMesh8.h"

namespace {

const D3DXVECTOR3 kCameraStart(-5.6F, 2.6F, 5.3F);
const D3DXVECTOR3 kCameraTargetStart(-1.5F, 0.5F, 1.7F);
const D3DXVECTOR3 kCameraSecond(-1.13F, 1.27F, 2.19F);
const D3DXVECTOR3 kCameraTargetSecond(0.7F, 0.5F, -0.4F);
const D3DXVECTOR3 kUp(0.0F, 1.0F, 0.0F);

// A cue over black is held this long, and the opening takes seven of them in its second phase.
constexpr std::uint32_t kOpeningHold = 30;
constexpr std::uint32_t kOpeningCues = 7;
constexpr std::uint32_t kFirstStageHold = 50;
constexpr std::uint32_t kBlackHold = 100;
constexpr std::uint32_t kClosingHold = 200;

}  // namespace

TEvent04_01Loop::TEvent04_01Loop(TGameWnd* app) : TEventLoop(app, Fade::Black, kMusic, 0)
{
    SetPhase(&TEvent04_01Loop::PhaseOpening);
    SetEndToField("04.pbms/t04_00", D3DXVECTOR3(-8.0F, 0.0F, 17.0F), D3DXVECTOR3(-1.0F, 0.0F, 0.0F));
    m_before = MakeFrame("BeforeScene");
    m_after = MakeFrame("AfterScene");
    m_root = MakeFrame("Scene");
    m_camera = MakeFrame("Camera");
    m_cameraTarget = MakeFrame("CameraTarget");
    m_root->AddChild(m_camera);
    m_root->AddChild(m_cameraTarget);
    m_shake.Start(0.1F, -0.1F, 2, 8, true);

    SetFogAndProjection(false, 100.0F, 200.0F, 0xFFFFFFFF, 20.0F);

    AddCharacter(m_before.Get(), "event04/event01_hero.msh");
    AddCharacter(m_before.Get(), "event04/event01_heroine.msh");
    AddCharacter(m_before.Get(), "event04/event01_wep.msh");
    AddScenery(m_before.Get(), "event04/r02_07_b2.msh");

    TRefPtr<TFrame> grin = MakeFrame("GrinFrame");
    TRefPtr<TFrame> parp = MakeFrame("ParpFrame");
    m_after->AddChild(grin);
    m_after->AddChild(parp);
    AddScenery(m_after.Get(), "event04/r02_07_b2.msh");
    m_heroFace = AddObject(grin.Get(), "event04/event02_hero.tob", "Grin");
    m_heroineFace = AddObject(parp.Get(), "event04/event02_heroine.tob", "Parp");
    grin->SetPosition(D3DXVECTOR3(0.0F, 0.0F, 0.8F));
    parp->SetPosition(D3DXVECTOR3(0.0F, 0.0F, -0.8F));
    // Face to face; the models face away from their frame's z.
    grin->LookAtFrame(m_after.Get(), parp.Get(), TFrame::kLookUpright);
    parp->LookAtFrame(m_after.Get(), grin.Get(), TFrame::kLookUpright);
    grin->RotateAxis(kUp, std::numbers::pi_v<float>, true);
    parp->RotateAxis(kUp, std::numbers::pi_v<float>, true);

    m_camera->SetPosition(kCameraStart);
    m_cameraTarget->SetPosition(kCameraTargetStart);

    StartScript("04.pbsc/Event04_01");
    StartMusic();
    Start();
}

TEvent04_01Loop::~TEvent04_01Loop() = default;

void TEvent04_01Loop::Look()
{
    LookAt(m_camera.Get(), m_cameraTarget.Get());
}

bool TEvent04_01Loop::StepFaces()
{
    m_heroFace->StepMorph(false);
    return !m_heroineFace->StepMorph(false);
}

void TEvent04_01Loop::SetFaces(std::uint32_t morph)
{
    m_heroineFace->SetMorph(morph);
    m_heroFace->SetMorph(morph);
}

// Over black: the first cue held, then released.
std::uint32_t TEvent04_01Loop::PhaseOpening()
{
    RunScript();
    if (IsCued() && ++m_counter > kOpeningHold) {
        m_counter = 0;
        ReleaseCue();
        SetPhase(&TEvent04_01Loop::PhaseOpeningHold);
    }
    return LOOP_CONTINUE;
}

// Each further cue is held here, then handed back still set to be held as long again; the seventh
// is released here and the first stage comes up.
std::uint32_t TEvent04_01Loop::PhaseOpeningHold()
{
    RunScript();
    if (!IsCued() || ++m_counter <= kOpeningHold) {
        return LOOP_CONTINUE;
    }
    m_counter = 0;
    if (++m_secondCounter != kOpeningCues) {
        SetPhase(&TEvent04_01Loop::PhaseOpening);
        return LOOP_CONTINUE;
    }
    m_secondCounter = 0;
    ReleaseCue();
    Look();
    m_root->AddChild(m_before);
    SetPhase(&TEvent04_01Loop::PhaseFirstStage, true);
    return LOOP_CONTINUE;
}

// The first stage fades in under a short shake; its cue comes with the sound and is held.
std::uint32_t TEvent04_01Loop::PhaseFirstStage()
{
    m_shake.Step();
    m_cameraTarget->SetPosition(D3DXVECTOR3(kCameraTargetStart.x, m_shake.Value(), kCameraTargetStart.z));
    Look();
    RunScript();
    ShowBlackRamp();
    m_blackRamp.Step();
    if (IsCued() && m_blackRamp.AtEnd() && m_shake.done >= m_shake.count) {
        if (m_counter == 0) {
            PlaySe(kSound);
            m_counter = 1;
        }
        if (++m_counter > kFirstStageHold) {
            ReleaseCue();
            SetPhase(&TEvent04_01Loop::PhaseToBlack, true);
        }
    }
    return LOOP_CONTINUE;
}

// Back to black at the next cue; behind it the second stage replaces the first, the cue still set.
std::uint32_t TEvent04_01Loop::PhaseToBlack()
{
    Look();
    RunScript();
    ShowBlackRamp();
    m_blackRamp.Retreat();
    if (IsCued() && m_blackRamp.AtStart()) {
        m_blackRamp.Set(1.0F, 0.0F, kFadeSteps, 0);
        // The swap stays hidden: fully black until the fade-in starts.
        ShowBlackRamp();
        m_counter = 0;
        m_before->Detach();
        m_root->AddChild(m_after);
        m_camera->SetPosition(kCameraSecond);
        m_cameraTarget->SetPosition(kCameraTargetSecond);
        SetPhase(&TEvent04_01Loop::PhaseBlack, true);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_01Loop::PhaseBlack()
{
    if (++m_counter > kBlackHold) {
        SetPhase(&TEvent04_01Loop::PhaseSecondStage, true);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_01Loop::PhaseSecondStage()
{
    Look();
    if (StepFadeIn()) {
        SetFaces(0);
        SetPhase(&TEvent04_01Loop::PhaseFacesReady);
    }
    return LOOP_CONTINUE;
}

// The cue left set before the swap goes on.
std::uint32_t TEvent04_01Loop::PhaseFacesReady()
{
    Look();
    RunScript();
    if (IsCued()) {
        ReleaseCue();
        m_beat = 1;
        SetPhase(&TEvent04_01Loop::PhaseBeat);
    }
    return LOOP_CONTINUE;
}

// Each cue waits for the heroine's face to play out, then both faces take the next expression.
std::uint32_t TEvent04_01Loop::PhaseBeat()
{
    Look();
    RunScript();
    if (StepFaces() && IsCued()) {
        SetFaces(m_beat);
        ReleaseCue();
        if (++m_beat > kBeats) {
            SetPhase(&TEvent04_01Loop::PhaseLastBeat);
        }
    }
    return LOOP_CONTINUE;
}

// The closing cue is held; its count goes on from the black hold's.
std::uint32_t TEvent04_01Loop::PhaseLastBeat()
{
    Look();
    RunScript();
    if (StepFaces() && IsCued() && ++m_counter > kClosingHold) {
        ReleaseCue();
        SetPhase(&TEvent04_01Loop::PhaseRunOut);
    }
    return LOOP_CONTINUE;
}
