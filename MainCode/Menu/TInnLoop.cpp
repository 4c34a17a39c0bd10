#include "MainCode/Menu/TInnLoop.h"

#include <algorithm>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundFader.h"
#include "dx/dx8/sound/TSoundList.h"

namespace {

TSoundBank* MusicBank(TDSound8* sound)
{
    return sound != nullptr ? sound->GetBank(2) : nullptr;
}

}  // namespace

TInnLoop::TInnLoop(TGameWnd* app, TFieldLoop* field)
    : TMenuSceneLoop(app), m_field(field), m_quad(kQuadFrames, TUiQuad::kBlack, TUiQuad::kCover)
{
    SetState(&TInnLoop::FadingOut);
    CaptureBackground("TInnLoop");
    m_innMusic = MakeSoundList(kMusicBank, "subset/inn_bgm.tbl");
    const std::int32_t music = AreaMusic();
    if (music != -1) {
        m_fader = m_sound->CreateFader(MusicBank(m_sound)->Get(static_cast<std::uint32_t>(music)), false, 1.0F,
                                       kMusicFadeSteps);
    }
    // A night's rest; the inn asks nothing for it.
    if (TPlayerCharacter* player = m_field != nullptr ? m_field->GetPlayer() : nullptr) {
        player->RecoverHp(player->GetMaxHp());
        player->RecoverMp(player->GetMaxMp());
        player->SetGaugeUsed(0);
    }
    if (TGameData* data = TGameData::GetInstance()) {
        data->RecoverCharacter(-1);
    }
    StartStandAlone();
    SetDraw(&TInnLoop::DrawInn);
}

TInnLoop::~TInnLoop() = default;

std::int32_t TInnLoop::AreaMusic() const
{
    TSoundBank* bank = MusicBank(m_sound);
    if (m_field == nullptr || m_field->GetArea() == nullptr || bank == nullptr) {
        return -1;
    }
    const std::int32_t id = m_field->GetArea()->GetMusicId();
    // Music the bank does not hold has nothing to fade.
    return id >= 0 && bank->IsLoaded(static_cast<std::uint32_t>(id)) ? id : -1;
}

std::uint32_t TInnLoop::FadingOut()
{
    StepFader(m_fader);
    if (!m_quad.StepForward()) {
        TSoundBank* bank = MusicBank(m_sound);
        // A tune the bank lacks lasts no time at all.
        const std::int32_t length = bank != nullptr ? std::max(bank->GetLength(kInnTune), 0) : 0;
        // One step counted as 16 ms.
        m_waitSteps = static_cast<std::int32_t>(static_cast<double>(length) * 0.0625);
        if (bank != nullptr) {
            bank->Play(kInnTune);
        }
        SetState(&TInnLoop::PlayingTune);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TInnLoop::PlayingTune()
{
    // The inn waits for the fade to be over, not for it to move.
    const bool faded = !StepFader(m_fader);
    --m_waitSteps;
    if (m_waitSteps < 0 && faded) {
        TSoundBank* bank = MusicBank(m_sound);
        if (bank != nullptr) {
            bank->Stop(kInnTune);
        }
        const std::int32_t music = AreaMusic();
        m_fader = music != -1 ? m_sound->CreateFader(bank->Get(static_cast<std::uint32_t>(music)), true, 1.0F,
                                                     kMusicFadeSteps)
                              : TRefPtr<TSoundFader>();
        SetState(&TInnLoop::FadingIn);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TInnLoop::FadingIn()
{
    const bool faded = !StepFader(m_fader);
    if (!m_quad.StepBack() && faded) {
        m_fader = TRefPtr<TSoundFader>();
        return LOOP_END;
    }
    return LOOP_CONTINUE;
}

void TInnLoop::DrawInn()
{
    if (m_d3d == nullptr || !m_d3d->CheckLostDevice() || FAILED(m_d3d->BeginScene())) {
        return;
    }
    TSprite::SetRenderMode(0);
    m_background.Draw(0.0F, 0.0F, 640.0F, 480.0F, false);
    TSprite::SetRenderMode(1);
    m_quad.Draw(0.0F, 0.0F, 640.0F, 480.0F);
    m_d3d->EndScene();
    m_d3d->Present();
}
