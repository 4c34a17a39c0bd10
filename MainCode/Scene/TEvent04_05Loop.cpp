#include "MainCode/Scene/TEvent04_05Loop.h"

#include <span>

#include "TCommon/my_error.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TMeshMaterial.h"

namespace {

const char kSourceFile[] = "MainCode/Scene/TEvent04_05Loop";
constexpr const char* kExplosionFile = "effect/bomb01.frm";
constexpr std::uint32_t kExplosionCue = 6;
constexpr std::uint32_t kClosingHold = 200;
constexpr std::uint16_t kExplosionMaterial = 4000;

// The loader gives a bare unnamed root for a file it could not read.
bool IsEmpty(const TFrame& frame)
{
    return frame.GetName().empty() && frame.GetChildCount() == 0 && frame.GetMeshCount() == 0 &&
           frame.GetKeyTrackSetCount() == 0;
}

}  // namespace

TEvent04_05Loop::TEvent04_05Loop(TGameWnd* app) : TEventLoop(app, Fade::Black, kMusic, 0)
{
    SetPhase(&TEvent04_05Loop::PhaseFadeIn, true);
    SetEndToField("04.pbms/d05_00boss2", D3DXVECTOR3(34.0F, 0.0F, 108.0F), D3DXVECTOR3(0.0F, 0.0F, -1.0F));
    m_root = MakeFrame("Scene");
    m_camera = AddStageFrame("Camera", D3DXVECTOR3(-3.0F, 0.8F, -3.0F));
    m_cameraTarget = AddStageFrame("CameraTarget", D3DXVECTOR3(0.0F, 0.6F, 0.1F));
    m_explosion = TFrame::Load(kExplosionFile);
    if (IsEmpty(*m_explosion)) {
        // The event plays on without it.
        const std::string why = std::string("cannot read ") + TFrame::GetDirectory() + kExplosionFile + "; no explosion";
        my_error::LogError(my_error(why, kSourceFile, __LINE__));
        m_explosion = TRefPtr<TFrame>();
    }
    m_glow.Set(0.0F, 1.0F, 15, 0);
    m_animation.Set(0.0F, 5.0F, 60, 0);

    SetFogAndProjection(false, 100.0F, 200.0F, 0xFFFFFFFF, 30.0F);
    TMesh8* grin = AddFigure("GrinFrame", "event04/event06_hero.tob", "Grin", true);
    TMesh8* parp = AddFigure("ParpFrame", "event04/event06_heroine.tob", "Parp", true);
    TMesh8* black = AddFigure("BlackFrame", "event04/event06_black00.tob", "Black", true);
    // Not made ready as a body.
    TMesh8* red = AddFigure("RedFrame", "event04/event06_red.tob", "Red", false);
    m_stepOrder = {red, black, grin, parp};
    m_setOrder = {parp, grin, black, red};
    AddMap("event04/d05_00forEvent.msh", D3DXVECTOR3(-34.0F, 0.0F, -108.0F));

    if (m_explosion.Get() != nullptr) {
        m_explosion->SetAnimationIndex(0);
        m_explosion->SetAnimationTime(0.0F);
        m_explosion->SetMaterialType(kExplosionMaterial, true, false);
        m_explosion->SetPosition(D3DXVECTOR3(0.6F, 0.7F, 1.6F));
    }

    StartScript("04.pbsc/Event04_05");
    StartMusic();
    Start();
}

TEvent04_05Loop::~TEvent04_05Loop() = default;

void TEvent04_05Loop::Look()
{
    LookAt(m_camera.Get(), m_cameraTarget.Get());
}

std::uint32_t TEvent04_05Loop::PhaseFadeIn()
{
    Look();
    if (StepFadeIn()) {
        SetMorphs(m_setOrder, 0);
        SetPhase(&TEvent04_05Loop::PhaseCue);
    }
    return LOOP_CONTINUE;
}

void TEvent04_05Loop::TakeCue()
{
    SetMorphs(m_setOrder, m_cue++);
    ReleaseCue();
}

std::uint32_t TEvent04_05Loop::PhaseCue()
{
    Look();
    RunScript();
    if (!StepMorphs(m_stepOrder) || !IsCued()) {
        return LOOP_CONTINUE;
    }
    if (m_cue == kExplosionCue) {
        if (m_explosion.Get() != nullptr) {
            m_root->AddChild(m_explosion);
        }
        PlaySe(kExplosionSound);
        TakeCue();
        SetPhase(&TEvent04_05Loop::PhaseExplosion);
    } else if (m_cue <= kMorphCues) {
        TakeCue();
    } else if (++m_pause > kClosingHold) {
        ReleaseCue();
        SetPhase(&TEvent04_05Loop::PhaseRunOut);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_05Loop::PhaseExplosion()
{
    Look();
    RunScript();
    // Up over 15 steps, then from full down over 45, then gone.
    if (!m_glow.Step()) {
        if (m_stage == 0) {
            m_glow.Set(1.0F, 0.0F, 45, 0);
            m_stage = 1;
        } else if (m_stage == 1) {
            m_stage = 2;
            if (m_explosion.Get() != nullptr) {
                m_explosion->Detach();
            }
        }
    }
    if (m_stage != 2 && m_explosion.Get() != nullptr) {
        const float v = m_glow.value;
        m_explosion->SetEmissiveRGB(0.4F * v, 0.2F * v, 0.5F * v, true, false);
        m_explosion->SetAnimationTime(m_animation.value);
    }
    StepMorphs(std::span<TMesh8* const>(m_stepOrder).first(3));
    if (!m_animation.AtEnd()) {
        m_animation.Step();
        return LOOP_CONTINUE;
    }
    if (StepMorphs(std::span<TMesh8* const>(m_stepOrder).last(1)) && IsCued()) {
        TakeCue();
        SetPhase(&TEvent04_05Loop::PhaseCue);
    }
    return LOOP_CONTINUE;
}
