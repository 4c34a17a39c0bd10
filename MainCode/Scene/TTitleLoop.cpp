#include "MainCode/Scene/TTitleLoop.h"

#include <algorithm>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/SceneRequests.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "MainCode/TMenuSound.h"
#include "MainCode/TRunState.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundFader.h"
#include "dx/dx8/sound/TSoundList.h"

namespace {

constexpr std::uint32_t kTitleMusic = 1;
constexpr std::int32_t kFadeSteps = 100;
constexpr std::int32_t kHighlightSteps = 10;
constexpr float kItemX = 192.0F;
constexpr float kItemY[TTitleLoop::kItems] = {280.0F, 331.0F, 379.0F};
constexpr float kItemWidth = 256.0F;
constexpr float kItemHeight = 64.0F;

DWORD White(float alpha)
{
    return static_cast<DWORD>(static_cast<std::int32_t>(alpha * 255.0F)) << 24 | 0xFFFFFF;
}

}  // namespace

TTitleLoop::TTitleLoop(TGameWnd* app)
    : TSceneLoop(app),
      m_quad(kFadeSteps, TUiQuad::kBlack, TUiQuad::kUncover),
      m_title(TSprite::FromFile("title.ptx/title", D3DPOOL_MANAGED, 0)),
      m_logo(TSprite::FromFile("title.ptx/vrrw_logo", D3DPOOL_MANAGED, 0))
{
    SetState(&TTitleLoop::StateStartWait);
    m_logoRamp.Set(0.0F, 1.0F, kFadeSteps, 0);
    // The three items share one picture, a quarter of its height each.
    for (std::int32_t i = 0; i < kItems; ++i) {
        m_items[i] = TSprite::FromFile("title.ptx/menu", D3DPOOL_MANAGED, 0);
        const float top = 0.25F * static_cast<float>(i);
        m_items[i].SetTexCoord(0, 0.0F, top);
        m_items[i].SetTexCoord(1, 1.0F, top);
        m_items[i].SetTexCoord(2, 0.0F, top + 0.25F);
        m_items[i].SetTexCoord(3, 1.0F, top + 0.25F);
    }
    LoadSounds("subset/title_se.tbl");
    m_music = MakeSoundList(kMusicBank, "subset/title_bgm.tbl");
    // The title ignores the volume options: every bank at full volume.
    for (std::uint32_t id = 0; id < 3; ++id) {
        if (TSoundBank* bank = m_sound != nullptr ? m_sound->GetBank(id) : nullptr) {
            bank->SetMaxVolume(0);
            bank->SetVolumeAll(0);
        }
    }
    m_logo.SetColor(0x00FFFFFF, -1);
    for (std::int32_t i = 0; i < kItems; ++i) {
        m_highlight[i].Set(1.0F, 0.5F, kHighlightSteps, i == m_selection ? 0 : kHighlightSteps);
        m_items[i].SetColor(White(m_highlight[i].value), -1);
    }
    SetUpdate(&TTitleLoop::RunState);
    SetDraw(&TTitleLoop::DrawFrame);
}

TTitleLoop::~TTitleLoop() = default;

bool TTitleLoop::IsLogoState() const
{
    return m_state == static_cast<StateFunc>(&TTitleLoop::StateLogoIn) ||
           m_state == static_cast<StateFunc>(&TTitleLoop::StateLogoHold) ||
           m_state == static_cast<StateFunc>(&TTitleLoop::StateLogoOut);
}

TStreamSound* TTitleLoop::Music() const
{
    // Music missing from its list is no music: nothing touches an empty sound.
    const std::vector<std::uint32_t>& ids = m_music->GetIds();
    if (m_music->GetBank() == nullptr || std::find(ids.begin(), ids.end(), kTitleMusic) == ids.end()) {
        return nullptr;
    }
    return m_music->GetBank()->Get(kTitleMusic).Get();
}

void TTitleLoop::PlayMusic()
{
    if (TStreamSound* music = Music()) {
        music->SetVolume(music->GetMaxVolume());
        m_music->GetBank()->PlayLoop(kTitleMusic);
    }
}

void TTitleLoop::StopMusic()
{
    if (Music() != nullptr) {
        m_music->GetBank()->Stop(kTitleMusic);
    }
}

void TTitleLoop::ColourLogo()
{
    m_logo.SetColor(White(m_logoRamp.value), -1);
}

std::uint32_t TTitleLoop::StateStartWait()
{
    if (++m_counter < kStartWaitSteps) {
        return LOOP_CONTINUE;
    }
    PlayMusic();
    m_counter = 0;
    bool& logoShown = TRunState::Current().logoShown;
    if (logoShown) {
        SetState(&TTitleLoop::StateFadeIn);
    } else {
        logoShown = true;
        SetState(&TTitleLoop::StateLogoIn);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TTitleLoop::StateLogoIn()
{
    ColourLogo();
    m_logoRamp.Advance();
    if (m_logoRamp.AtEnd()) {
        m_counter = 0;
        SetState(&TTitleLoop::StateLogoHold);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TTitleLoop::StateLogoHold()
{
    if (++m_counter >= kLogoHoldSteps) {
        SetState(&TTitleLoop::StateLogoOut);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TTitleLoop::StateLogoOut()
{
    ColourLogo();
    m_logoRamp.Retreat();
    if (m_logoRamp.AtStart()) {
        SetState(&TTitleLoop::StateFadeIn);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TTitleLoop::StateFadeIn()
{
    const bool decided = Pressed(kButtonDecide) != 0;
    if (decided) {
        m_quad.Finish();
    }
    if (decided || !m_quad.StepForward()) {
        m_counter = 0;
        SetState(&TTitleLoop::StateMenu);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TTitleLoop::StateMenu()
{
    ++m_counter;
    const std::int32_t before = m_selection;
    if (Pressed(kButtonUp) != 0) {
        m_counter = 0;
        m_selection = m_selection == 0 ? kItems - 1 : m_selection - 1;
    } else if (Pressed(kButtonDown) != 0) {
        m_counter = 0;
        m_selection = m_selection == kItems - 1 ? 0 : m_selection + 1;
    } else if (Pressed(kButtonDecide) != 0) {
        m_counter = 0;
        switch (m_selection) {
        case 0:
            PlaySe(kSoundStart);
            m_app->PushScene(CreateCarryOverChoice(m_app, TGameData::GetChapter()));
            break;
        case 1:
            PlaySe(kSoundDecide);
            m_app->PushScene(CreateLoadScreen(m_app));
            break;
        default:
            PlaySe(kSoundCancel);
            if (Music() != nullptr) {
                m_fader = m_sound->CreateFader(m_music->GetBank()->Get(kTitleMusic), false, 1.0F, kFadeSteps);
            }
            SetState(&TTitleLoop::StateQuit);
            break;
        }
    }
    if (m_selection != before) {
        PlaySe(kSoundCursor);
    }
    StepHighlights();
    if (m_counter >= kIdleSteps) {
        SetState(&TTitleLoop::StateIdle);
        m_counter = 0;
        StopMusic();
    }
    return LOOP_CONTINUE;
}

void TTitleLoop::StepHighlights()
{
    for (std::int32_t i = 0; i < kItems; ++i) {
        if (i == m_selection) {
            m_highlight[i].Retreat();
        } else {
            m_highlight[i].Advance();
        }
        m_items[i].SetColor(White(m_highlight[i].value), -1);
    }
}

std::uint32_t TTitleLoop::StateIdle()
{
    if (m_quad.StepBack()) {
        return LOOP_CONTINUE;
    }
    if (++m_counter > kBlackSteps) {
        m_counter = 0;
        PlayMusic();
        SetState(&TTitleLoop::StateFadeIn);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TTitleLoop::StateQuit()
{
    const bool fading = StepFader(m_fader);
    const bool covering = m_quad.StepBack();
    if (fading || covering) {
        return LOOP_CONTINUE;
    }
    if (m_fader.Get() != nullptr) {
        m_fader->Stop(true);
        m_fader = TRefPtr<TSoundFader>();
    }
    return LOOP_QUIT;
}

void TTitleLoop::DrawFrame()
{
    if (m_d3d == nullptr || !m_d3d->CheckLostDevice()) {
        return;
    }
    m_d3d->Clear(0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
    if (FAILED(m_d3d->BeginScene())) {
        return;
    }
    TSprite::SetRenderMode(1);
    if (IsLogoState()) {
        m_logo.Draw(192.0F, 112.0F, false);
    } else {
        m_title.Draw(0.0F, 0.0F, 640.0F, 480.0F, false);
        for (std::int32_t i = 0; i < kItems; ++i) {
            m_items[i].Draw(kItemX, kItemY[i], kItemWidth, kItemHeight, false);
        }
        m_quad.Draw(0.0F, 0.0F, 640.0F, 480.0F);
    }
    m_d3d->EndScene();
    m_d3d->Present();
}
