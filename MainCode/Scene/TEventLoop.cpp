#include "MainCode/Scene/TEventLoop.h"

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Script/TMessageWindow.h"
#include "MainCode/Script/TPBFlag.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TDrawList.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TMeshMaterial.h"
#include "dx/dx8/3d/TVertexShader.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundFader.h"
#include "dx/dx8/sound/TSoundList.h"

namespace {

constexpr float kScreenWidth = 640.0F;
constexpr float kScreenHeight = 480.0F;
// Blends colours and texture coordinates of the two key frames.
constexpr std::uint32_t kMorphShaderMode = 3;

}  // namespace

TEventLoop::TEventLoop(TGameWnd* app, Fade fade, std::uint32_t musicId, D3DCOLOR clearColour)
    : TSceneLoop(app),
      m_quad(kFadeSteps, TUiQuad::kBlack, TUiQuad::kUncover),
      m_black(TSprite::FromFile("", D3DPOOL_MANAGED, 0)),
      m_fade(fade),
      m_musicId(musicId),
      m_clearColour(clearColour)
{
    m_blackRamp.Set(1.0F, 0.0F, 10, 0);
    ShowBlackRamp();
    LoadSounds("subset/event_se.tbl");
    m_musicList = MakeSoundList(kMusicBank, "subset/event_bgm.tbl");
}

TEventLoop::~TEventLoop()
{
    // Ended from outside its final phase (back to the title from the system dialog): the manager
    // it made must not outlive it.
    ReleaseScripts();
}

void TEventLoop::ReleaseScripts()
{
    if (m_scripts.Get() != nullptr && TScriptProcessManager::Get() == m_scripts.Get()) {
        TScriptProcessManager::Destroy();
    }
    m_scripts = TRefPtr<TScriptProcessManager>();
}

TRefPtr<TFrame> TEventLoop::MakeFrame(const std::string& name)
{
    return TRefPtr<TFrame>(new TFrame(name, IdentityMatrix(), nullptr));
}

D3DXVECTOR3 TEventLoop::Along(const D3DXVECTOR3& from, const D3DXVECTOR3& to, float t)
{
    return D3DXVECTOR3(from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t, from.z + (to.z - from.z) * t);
}

void TEventLoop::SetFogAndProjection(bool fog, float fogStart, float fogEnd, D3DCOLOR fogColour, float farZ)
{
    TSceneViewState state{.nearZ = 0.1F};
    state.fog = fog;
    state.fogStart = fogStart;
    state.fogEnd = fogEnd;
    state.fogColour = fogColour;
    state.farZ = farZ;
    m_viewState.Set(state, m_d3d, m_view);
}

void TEventLoop::Resume()
{
    TSceneLoop::Resume();
    m_viewState.Apply(m_d3d, m_view);
}

void TEventLoop::AddScenery(TFrame* frame, const std::string& file)
{
    TMesh8 mesh = TMesh8::Load(file);
    mesh.SetMaterialType(TMeshMaterial::kAlpha, TMesh8::kAllMaterials);
    mesh.SetVertexShader(TRefPtr<TVertexShader>(new TVertexColorShader()));
    frame->AddMesh(mesh);
}

void TEventLoop::AddCharacter(TFrame* frame, const std::string& file)
{
    TMesh8 mesh = TMesh8::Load(file);
    mesh.SetMaterialType(TMeshMaterial::kAlphaNotCull, TMesh8::kAllMaterials);
    mesh.SetVertexShader(TRefPtr<TVertexShader>(new TConstantColorShader()));
    frame->AddMesh(mesh);
}

TMesh8* TEventLoop::AddObject(TFrame* frame, const std::string& file, const std::string& name, bool reorder)
{
    TMesh8 mesh = TMesh8::Load(file);
    if (reorder) {
        TPlayerCharacter::MoveUvRegionTrianglesLast(mesh);
    }
    mesh.SetName(name);
    mesh.SetMaterialType(TMeshMaterial::kAlphaNotCull, TMesh8::kAllMaterials);
    mesh.SetVertexShader(TRefPtr<TVertexShader>(new TMorphConstantColorShader(kMorphShaderMode)));
    mesh.SetMorph(0);
    frame->AddMesh(mesh);
    return frame->FindMesh(name, false);
}

TRefPtr<TFrame> TEventLoop::AddStageFrame(const std::string& name, const D3DXVECTOR3& position)
{
    TRefPtr<TFrame> frame = MakeFrame(name);
    frame->SetPosition(position);
    m_root->AddChild(frame);
    return frame;
}

TMesh8* TEventLoop::AddFigure(const std::string& frame, const std::string& file, const std::string& name,
                              bool reorder, const D3DXVECTOR3& offset)
{
    TRefPtr<TFrame> own = MakeFrame(frame);
    TMesh8* mesh = AddObject(own.Get(), file, name, reorder);
    own->Translate(offset.x, offset.y, offset.z, false);
    m_root->AddChild(own);
    return mesh;
}

void TEventLoop::AddMap(const std::string& file, const D3DXVECTOR3& offset)
{
    TRefPtr<TFrame> map = MakeFrame("MapFrame");
    AddScenery(map.Get(), file);
    map->Translate(offset.x, offset.y, offset.z, false);
    m_root->AddChild(map);
}

bool TEventLoop::StepMorphs(std::span<TMesh8* const> order)
{
    bool ended = false;
    for (TMesh8* mesh : order) {
        ended = !mesh->StepMorph(false);
    }
    return ended;
}

void TEventLoop::SetMorphs(std::span<TMesh8* const> order, std::uint32_t morph)
{
    for (TMesh8* mesh : order) {
        mesh->SetMorph(morph);
    }
}

void TEventLoop::StartScript(const std::string& key)
{
    TScriptProcessManager::Create();
    m_scripts = TScriptProcessManager::Share();
    // The loads and the modules' set-up reach this manager whatever is current later.
    const TScriptProcessManager::Running running(m_scripts.Get());
    m_scripts->AddModule(new TMessageWindow(m_app->GetInput()));
    m_scripts->AddModule(new TPBFlag(m_app));
    // A script that could not be loaded has been named by the loader; it reaches no cue, so the
    // event waits in its first cue phase until the player skips it.
    m_scripts->Push(key);
}

void TEventLoop::StartMusic()
{
    if (TSoundBank* bank = MusicBank()) {
        bank->Play(m_musicId);
    }
}

void TEventLoop::Start()
{
    SetUpdate(&TEventLoop::StepEvent);
    SetDraw(&TEventLoop::DrawEvent);
}

void TEventLoop::SetEndToEvent(std::uint32_t eventId)
{
    m_toEvent = true;
    m_nextEvent = eventId;
}

void TEventLoop::SetEndToField(const std::string& mapKey, const D3DXVECTOR3& position, const D3DXVECTOR3& direction)
{
    m_toEvent = false;
    m_mapKey = mapKey;
    m_position = position;
    m_direction = direction;
}

TSoundBank* TEventLoop::MusicBank() const
{
    return m_sound != nullptr ? m_sound->GetBank(kMusicBank) : nullptr;
}

void TEventLoop::LookAt(TFrame* camera, const TFrame* target)
{
    camera->LookAtFrame(m_root.Get(), target, TFrame::kLookAim);
    m_view.SetCamera(camera);
}

void TEventLoop::ShowBlackRamp()
{
    m_black.SetColor(static_cast<DWORD>(static_cast<std::int32_t>(m_blackRamp.value * 255.0F)) << 24, -1);
}

bool TEventLoop::StepFadeIn()
{
    ShowBlackRamp();
    m_blackRamp.Step();
    return m_blackRamp.AtEnd();
}

std::uint32_t TEventLoop::PhaseRunOut()
{
    if ((RunScript() & 2) == 0) {
        SetPhase(&TEventLoop::PhaseFadeOut, true);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEventLoop::PhaseFadeOut()
{
    ShowBlackRamp();
    m_blackRamp.Retreat();
    if (m_blackRamp.AtStart()) {
        SetPhase(&TEventLoop::PhaseFinal, true);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TEventLoop::RunScript()
{
    const TScriptProcessManager::Running running(m_scripts.Get());
    const std::uint32_t r = m_scripts->Step();
    if ((r & 2) != 0) {
        m_scripts->UpdateModules();
    }
    return r;
}

bool TEventLoop::IsCued() const
{
    return m_scripts->GetHostWait() != 0;
}

void TEventLoop::ReleaseCue()
{
    m_scripts->SetHostWait(0);
}

std::uint32_t TEventLoop::StepEvent()
{
    // Held, not only newly pressed: a player keeping cancel down skips whatever phase comes.
    if (!m_skipping && m_input != nullptr && (m_input->GetWord(0) & kButtonCancel) != 0) {
        StartSkip();
    }
    return RunState();
}

void TEventLoop::StartSkip()
{
    // Music that was never loaded (missing from the list) has nothing to fade: the skip waits for
    // the picture alone.
    TSoundBank* bank = MusicBank();
    TRefPtr<TStreamSound> music = bank != nullptr ? bank->Get(m_musicId) : TRefPtr<TStreamSound>();
    if (music.Get() != nullptr) {
        m_fader = m_sound->CreateFader(music, false, 1.0F, kSkipMusicSteps);
    }
    if (m_fade == Fade::Black) {
        // Black at once; the skip only waits for the music.
        m_blackRamp.value = m_blackRamp.from;
        m_blackRamp.steps = kFadeSteps;
        m_blackRamp.step = 0;
        ShowBlackRamp();
    }
    m_skipping = true;
    SetPhase(&TEventLoop::PhaseSkip, true);
}

std::uint32_t TEventLoop::PhaseSkip()
{
    const bool fading = StepFader(m_fader);
    const bool picture = m_fade == Fade::Quad && m_quad.StepBack();
    if (fading || picture) {
        return LOOP_CONTINUE;
    }
    if (m_fader.Get() != nullptr) {
        m_fader->Stop(true);
        m_fader = TRefPtr<TSoundFader>();
    }
    SetPhase(&TEventLoop::PhaseFinal, true);
    return LOOP_CONTINUE;
}

std::uint32_t TEventLoop::PhaseFinal()
{
    if (m_toEvent) {
        if (TSoundBank* bank = MusicBank()) {
            bank->Load(m_musicId);
        }
        m_app->ReplaceScene(TChangeLoop::ToEvent(m_app, TUiQuad::kBlack, TUiQuad::kUncover, m_nextEvent,
                                                 static_cast<std::int32_t>(m_musicId)));
        ReleaseScripts();
        return LOOP_END;
    }
    ReleaseScripts();
    m_app->ReplaceScene(TFieldLoop::CreateAtPosition(m_app, m_mapKey, m_position, m_direction, m_position));
    return LOOP_END;
}

void TEventLoop::DrawEvent()
{
    if (!m_d3d->CheckLostDevice()) {
        return;
    }
    PlaceCamera();
    m_d3d->Clear(m_clearColour, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
    if (FAILED(m_d3d->BeginScene())) {
        return;
    }
    const D3DXMATRIX identity = IdentityMatrix();
    m_root->Render(&m_view, &identity);
    TDrawList::FlushAll();
    DrawUnderMessages();
    if (m_scripts.Get() != nullptr) {
        const TScriptProcessManager::Running running(m_scripts.Get());
        m_scripts->DrawModules();
    }
    TSprite::SetRenderMode(1);
    if (m_fade == Fade::Quad) {
        m_quad.Draw(0.0F, 0.0F, kScreenWidth, kScreenHeight);
    } else if (m_blackShown) {
        m_black.DrawRect(0.0F, 0.0F, kScreenWidth, kScreenHeight, false);
    }
    m_d3d->EndScene();
    m_d3d->Present();
}
