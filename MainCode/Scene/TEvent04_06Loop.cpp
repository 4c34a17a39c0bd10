#include "MainCode/Scene/TEvent04_06Loop.h"

#include "dx/dx8/3d/TMesh8.h"

namespace {

// Where the camera stands and what it looks at: the approach goes from 1 to 2, the second one
// from 2 to 3 (the target stays put), the closing shot at 4.
const D3DXVECTOR3 kCameraKeys[4] = {
    {-2.0F, 1.0F, -7.0F}, {1.0F, 0.3F, -5.0F}, {0.5F, 0.65F, -2.8F}, {0.6F, 0.3F, -0.9F}};
const D3DXVECTOR3 kTargetKeys[4] = {
    {-0.2F, 0.8F, 0.0F}, {0.0F, 1.0F, -0.6F}, {0.0F, 1.0F, -0.6F}, {0.0F, 0.2F, -2.3F}};

constexpr std::int32_t kApproachSteps = 500;
constexpr std::int32_t kSecondApproachSteps = 30;
constexpr std::int32_t kFlashSteps = 20;
constexpr std::uint32_t kFlashDelay = 100;
// The white is held, then the counter jumps past the hold and the flash fades.
constexpr std::uint32_t kWhiteHeld = 20;
constexpr std::uint32_t kFlashFadeFrom = 30;
constexpr std::uint32_t kClosingHold = 200;
constexpr float kScreenWidth = 640.0F;
constexpr float kScreenHeight = 480.0F;

}  // namespace

TEvent04_06Loop::TEvent04_06Loop(TGameWnd* app)
    : TEventLoop(app, Fade::Black, kMusic, 0x00000000), m_flash(TSprite::FromFile("", D3DPOOL_MANAGED, 0))
{
    SetPhase(&TEvent04_06Loop::PhaseFadeIn, true);
    SetEndToEvent(kNextEvent);
    m_root = MakeFrame("Scene");
    m_camera = MakeFrame("Camera");
    m_cameraTarget = MakeFrame("CameraTarget");
    m_root->AddChild(m_camera);
    m_root->AddChild(m_cameraTarget);
    m_travel.Set(0.0F, 1.0F, kApproachSteps, 0);
    m_flashRamp.Set(0.0F, 1.0F, kFlashSteps, 0);
    m_flash.SetColor(0x00FFFFFF, -1);

    SetFogAndProjection(false, 100.0F, 200.0F, 0xFFFFFFFF, 35.0F);
    m_camera->SetPosition(kCameraKeys[0]);
    m_cameraTarget->SetPosition(kTargetKeys[0]);

    const struct {
        const char* file;
        const char* name;
        const char* frame;
        bool reorder;
    } figures[] = {
        {"event04/event07_hero.tob", "Grin", "GrinFrame", true},
        {"event04/event07_heroine.tob", "Parp", "ParpFrame", true},
        {"event04/event07_red.tob", "Red", "RedFrame", false},
        {"event04/event07_silver.tob", "Silver", "SilverFrame", true},
    };
    for (const auto& f : figures) {
        TRefPtr<TFrame> frame = MakeFrame(f.frame);
        AddObject(frame.Get(), f.file, f.name, f.reorder);
        m_root->AddChild(frame);
    }
    TRefPtr<TFrame> map = MakeFrame("MapFrame");
    AddScenery(map.Get(), "event04/d05_00forEvent.msh");
    map->Translate(-34.0F, 0.0F, -108.0F, false);
    m_root->AddChild(map);

    m_grin = m_root->FindMesh("Grin", true);
    m_parp = m_root->FindMesh("Parp", true);
    m_red = m_root->FindMesh("Red", true);
    m_silver = m_root->FindMesh("Silver", true);

    StartScript("04.pbsc/Event04_06");
    StartMusic();
    Start();
}

TEvent04_06Loop::~TEvent04_06Loop() = default;

void TEvent04_06Loop::Look()
{
    LookAt(m_camera.Get(), m_cameraTarget.Get());
}

bool TEvent04_06Loop::StepMorphs()
{
    m_silver->StepMorph(false);
    m_red->StepMorph(false);
    m_grin->StepMorph(false);
    return !m_parp->StepMorph(false);
}

void TEvent04_06Loop::SetMorphs(std::uint32_t morph)
{
    m_parp->SetMorph(morph);
    m_grin->SetMorph(morph);
    m_silver->SetMorph(morph);
    m_red->SetMorph(morph);
}

void TEvent04_06Loop::Travel(int a, int b)
{
    m_travel.Step();
    const float t = m_travel.value;
    m_camera->SetPosition(Along(kCameraKeys[a], kCameraKeys[b], t));
    m_cameraTarget->SetPosition(Along(kTargetKeys[a], kTargetKeys[b], t));
}

bool TEvent04_06Loop::Cue(std::uint32_t morph, std::uint32_t (TEvent04_06Loop::*next)())
{
    Look();
    RunScript();
    if (StepMorphs() && IsCued()) {
        SetMorphs(morph);
        ReleaseCue();
        SetPhase(next);
        return true;
    }
    return false;
}

void TEvent04_06Loop::ShowFlash()
{
    const auto alpha = static_cast<DWORD>(static_cast<std::int32_t>(m_flashRamp.value * 255.0F));
    m_flash.SetColor((alpha << 24) | 0x00FFFFFF, -1);
}

bool TEvent04_06Loop::StepFlash()
{
    return !m_flashRamp.Step();
}

void TEvent04_06Loop::DrawUnderMessages()
{
    if (m_flashShown && !IsSkipping()) {
        TSprite::SetRenderMode(1);
        m_flash.DrawRect(0.0F, 0.0F, kScreenWidth, kScreenHeight, false);
    }
}

std::uint32_t TEvent04_06Loop::PhaseFadeIn()
{
    Look();
    ShowBlackRamp();
    m_blackRamp.Step();
    if (m_blackRamp.AtEnd()) {
        SetMorphs(0);
        SetPhase(&TEvent04_06Loop::PhaseCue1);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_06Loop::PhaseCue1()
{
    Cue(1, &TEvent04_06Loop::PhaseCue2);
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_06Loop::PhaseCue2()
{
    Cue(2, &TEvent04_06Loop::PhaseCue3);
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_06Loop::PhaseCue3()
{
    Cue(3, &TEvent04_06Loop::PhaseCue4);
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_06Loop::PhaseCue4()
{
    Cue(4, &TEvent04_06Loop::PhaseTravel1);
    return LOOP_CONTINUE;
}

// Both cues of the approach share one ramp: the second goes on where the first left it.
std::uint32_t TEvent04_06Loop::PhaseTravel1()
{
    Travel(0, 1);
    Cue(5, &TEvent04_06Loop::PhaseTravel2);
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_06Loop::PhaseTravel2()
{
    Travel(0, 1);
    m_flashShown = Cue(6, &TEvent04_06Loop::PhaseFlashIn);
    return LOOP_CONTINUE;
}

// The white comes up only after a while, and the cue waits for it.
std::uint32_t TEvent04_06Loop::PhaseFlashIn()
{
    const bool flashStepped = ++m_counter > kFlashDelay;
    const bool flashDone = flashStepped && StepFlash();
    Look();
    RunScript();
    ShowFlash();
    if (StepMorphs() && flashDone && IsCued()) {
        m_counter = 0;
        SetMorphs(7);
        ReleaseCue();
        SetPhase(&TEvent04_06Loop::PhaseFlashOut);
    }
    return LOOP_CONTINUE;
}

// The sound, the white held, then faded back out.
std::uint32_t TEvent04_06Loop::PhaseFlashOut()
{
    bool flashDone = false;
    if (++m_counter == 1) {
        PlaySe(kFlashSound);
    } else if (m_counter == kWhiteHeld) {
        m_counter = kFlashFadeFrom;
        m_flashRamp.Set(1.0F, 0.0F, kFlashSteps, 0);
    } else if (m_counter > kFlashFadeFrom) {
        flashDone = StepFlash();
    }
    Look();
    RunScript();
    ShowFlash();
    if (StepMorphs() && flashDone && IsCued()) {
        m_counter = 0;
        SetMorphs(8);
        ReleaseCue();
        m_travel.Set(0.0F, 1.0F, kSecondApproachSteps, 0);
        m_flashShown = false;
        SetPhase(&TEvent04_06Loop::PhaseTravel3);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_06Loop::PhaseTravel3()
{
    Travel(1, 2);
    Cue(9, &TEvent04_06Loop::PhaseClosing);
    return LOOP_CONTINUE;
}

// The closing shot holds its cue while the counter runs.
std::uint32_t TEvent04_06Loop::PhaseClosing()
{
    m_camera->SetPosition(kCameraKeys[3]);
    m_cameraTarget->SetPosition(kTargetKeys[3]);
    Look();
    RunScript();
    if (StepMorphs() && IsCued()) {
        ++m_counter;
    }
    if (m_counter > kClosingHold) {
        ReleaseCue();
        SetPhase(&TEvent04_06Loop::PhaseRunOut);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_06Loop::PhaseRunOut()
{
    if ((RunScript() & 2) == 0) {
        SetPhase(&TEvent04_06Loop::PhaseFadeOut, true);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEvent04_06Loop::PhaseFadeOut()
{
    ShowBlackRamp();
    m_blackRamp.Retreat();
    if (m_blackRamp.AtStart()) {
        SetPhase(&TEvent04_06Loop::PhaseFinal, true);
    }
    return LOOP_CONTINUE;
}
