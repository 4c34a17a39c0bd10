#include "MainCode/Scene/TDieLoop.h"

#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundFader.h"
#include "dx/dx8/sound/TSoundList.h"

namespace {

constexpr std::int32_t kClearAll = static_cast<std::int32_t>(0x80000001u);
constexpr std::int32_t kRampSteps = 100;
constexpr std::int32_t kMusicFadeSteps = 50;
constexpr std::uint32_t kNoMusic = 0xFFFFFFFF;
constexpr float kScreenWidth = 640.0F;
constexpr float kScreenHeight = 480.0F;
constexpr float kPictureX = 64.0F;
constexpr float kPictureY = 176.0F;

DWORD Alpha(float v)
{
    return static_cast<DWORD>(static_cast<std::int32_t>(v * 255.0F)) << 24;
}

}  // namespace

TDieLoop::TDieLoop(TGameWnd* app, std::int32_t musicId)
    : TSceneLoop(app),
      m_picture(TSprite::FromFile("title.ptx/gameover", D3DPOOL_MANAGED, 0)),
      m_musicId(static_cast<std::uint32_t>(musicId)),
      m_fieldMusicHeld(static_cast<std::uint32_t>(musicId) != kNoMusic)
{
    SetState(&TDieLoop::StateDarken);
    m_pictureRamp.Set(0.0F, 1.0F, kRampSteps, 0);
    m_overlayRamp.Set(0.0F, 0.5F, kRampSteps, 0);
    m_captured = m_app->CaptureScreen("sTDieLoop", nullptr);
    m_music = MakeSoundList(kMusicBank, "subset/die_bgm.tbl");
    TSoundBank* bank = m_music->GetBank();
    m_overlay.SetColor(0x00000000, -1);
    m_picture.SetColor(0x00FFFFFF, -1);
    if (m_fieldMusicHeld && bank != nullptr) {
        // A music id without a sound is no music: nothing to fade, its use still comes back.
        TRefPtr<TStreamSound> sound = bank->Get(m_musicId);
        if (sound.Get() != nullptr) {
            m_fieldFader = m_sound->CreateFader(sound, false, 1.0F, kMusicFadeSteps);
        }
    }
    // A key held at the moment of death must not count as a press here.
    if (m_input != nullptr) {
        m_input->ClearState(kClearAll);
    }
    SetUpdate(&TDieLoop::RunState);
    SetDraw(&TDieLoop::DrawFrame);
}

TDieLoop::~TDieLoop()
{
    // Deleted before its end (the stack emptied over it): no music plays on, no use stays held.
    ReleaseFieldMusic();
    if (m_gameOverFader.Get() != nullptr) {
        m_gameOverFader->Stop(true);
    } else if (m_gameOverPlaying && m_music->GetBank() != nullptr) {
        m_music->GetBank()->Stop(kGameOverMusic);
    }
}

void TDieLoop::ColourOverlay()
{
    m_overlay.SetColor(Alpha(m_overlayRamp.value), -1);
}

void TDieLoop::ColourPicture()
{
    m_picture.SetColor(Alpha(m_pictureRamp.value) | 0xFFFFFF, -1);
}

void TDieLoop::ReleaseFieldMusic()
{
    if (!m_fieldMusicHeld) {
        return;
    }
    m_fieldMusicHeld = false;
    if (m_fieldFader.Get() != nullptr) {
        m_fieldFader->Stop(true);
        m_fieldFader = TRefPtr<TSoundFader>();
    }
    if (TSoundBank* bank = m_music->GetBank()) {
        bank->Unload(m_musicId);
    }
}

std::uint32_t TDieLoop::StateDarken()
{
    StepFader(m_fieldFader);
    ColourOverlay();
    m_overlayRamp.Advance();
    if (m_overlayRamp.AtEnd()) {
        SetState(&TDieLoop::StateShow);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TDieLoop::StateShow()
{
    const bool fading = StepFader(m_fieldFader);
    ColourPicture();
    m_pictureRamp.Advance();
    if (!m_pictureRamp.AtEnd() || fading) {
        return LOOP_CONTINUE;
    }
    ReleaseFieldMusic();
    if (TSoundBank* bank = m_music->GetBank()) {
        bank->Play(kGameOverMusic);
        m_gameOverPlaying = true;
    }
    SetState(&TDieLoop::StateWait);
    return LOOP_CONTINUE;
}

std::uint32_t TDieLoop::StateWait()
{
    if (Pressed(kButtonDecide | kButtonCancel) == 0) {
        return LOOP_CONTINUE;
    }
    if (TSoundBank* bank = m_music->GetBank()) {
        TRefPtr<TStreamSound> sound = bank->Get(kGameOverMusic);
        if (sound.Get() != nullptr) {
            m_gameOverFader = m_sound->CreateFader(sound, false, 1.0F, kMusicFadeSteps);
        }
    }
    m_pictureRamp.Set(1.0F, 0.0F, kRampSteps, 0);
    m_overlayRamp.Set(0.5F, 1.0F, kRampSteps, 0);
    SetState(&TDieLoop::StateLeave);
    return LOOP_CONTINUE;
}

std::uint32_t TDieLoop::StateLeave()
{
    const bool fading = StepFader(m_gameOverFader);
    ColourOverlay();
    ColourPicture();
    m_overlayRamp.Advance();
    m_pictureRamp.Advance();
    if (!m_overlayRamp.AtEnd() || fading) {
        return LOOP_CONTINUE;
    }
    if (m_gameOverFader.Get() != nullptr) {
        m_gameOverFader->Stop(true);
        m_gameOverFader = TRefPtr<TSoundFader>();
    }
    m_gameOverPlaying = false;
    TTitleLoop* title = new TTitleLoop(m_app);
    m_app->PopScenesTo(1);
    m_app->ReplaceScene(title);
    if (m_input != nullptr) {
        m_input->ClearState(kClearAll);
    }
    return LOOP_END;
}

void TDieLoop::DrawFrame()
{
    if (m_d3d == nullptr || !m_d3d->CheckLostDevice() || FAILED(m_d3d->BeginScene())) {
        return;
    }
    TSprite::SetRenderMode(0);
    m_captured.Draw(0.0F, 0.0F, kScreenWidth, kScreenHeight, false);
    TSprite::SetRenderMode(1);
    m_overlay.DrawRect(0.0F, 0.0F, kScreenWidth, kScreenHeight, false);
    m_picture.Draw(kPictureX, kPictureY, false);
    m_d3d->EndScene();
    m_d3d->Present();
}
