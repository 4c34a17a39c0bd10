#include "MainCode/Scene/TChangeLoop.h"

#include <cstdio>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Scene/CreateEventLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/SceneRequests.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TMenuSound.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "dx/dx8/sound/TSoundFader.h"

namespace {

constexpr float kScreenWidth = 640.0F;
constexpr float kScreenHeight = 480.0F;

TSoundBank* Bank(TDSound8* sound, std::uint32_t id)
{
    return sound != nullptr ? sound->GetBank(id) : nullptr;
}

}  // namespace

TChangeLoop* TChangeLoop::ToTitle(TGameWnd* app, std::uint32_t musicId)
{
    return new TChangeLoop(app, kToTitle, TUiQuad::kBlack, TUiQuad::kCover, musicId, 0, 0);
}

TChangeLoop* TChangeLoop::ToLoadSlot(TGameWnd* app, std::uint32_t slot, std::uint32_t musicId)
{
    return new TChangeLoop(app, kToLoadSlot, TUiQuad::kBlack, TUiQuad::kCover, musicId, slot, 0);
}

TChangeLoop* TChangeLoop::ToEvent(TGameWnd* app, std::int32_t colourMode, std::uint32_t direction,
                                  std::uint32_t eventId, std::int32_t musicId)
{
    return new TChangeLoop(app, kToEvent, colourMode, static_cast<std::int32_t>(direction),
                           static_cast<std::uint32_t>(musicId), 0, static_cast<std::int32_t>(eventId));
}

TChangeLoop* TChangeLoop::ToSave(TGameWnd* app, std::uint32_t musicId)
{
    return new TChangeLoop(app, kToSave, TUiQuad::kBlack, TUiQuad::kCover, musicId, 0, 0);
}

TChangeLoop::TChangeLoop(TGameWnd* app, std::uint32_t mode, std::int32_t colourMode, std::int32_t direction,
                         std::uint32_t musicId, std::uint32_t slot, std::int32_t eventId)
    : TSceneLoop(app),
      m_quad(kFadeFrames, colourMode, direction),
      m_mode(mode),
      m_musicId(musicId),
      m_slot(slot),
      m_eventId(eventId)
{
    m_picture = m_app->CaptureScreen("sTChangeLoop", nullptr);
    if (m_musicId != kNoMusic) {
        // A music id without a sound is no music: nothing to fade, but its use still comes back.
        if (TSoundBank* music = Bank(m_sound, 2)) {
            TRefPtr<TStreamSound> sound = music->Get(m_musicId);
            if (sound.Get() != nullptr) {
                m_fader = m_sound->CreateFader(sound, false, 1.0F, kFadeFrames);
            }
        }
    }
    SetUpdate(&TChangeLoop::WaitAndDispatch);
    SetDraw(&TChangeLoop::DrawFrame);
}

TChangeLoop::~TChangeLoop()
{
    // Deleted mid-fade (the scene stack emptied over it): the music must not play on.
    GiveBack();
}

std::uint32_t TChangeLoop::WaitAndDispatch()
{
    const bool fading = StepFader(m_fader);
    const bool covering = m_quad.StepForward();
    if (fading || covering) {
        return LOOP_CONTINUE;
    }
    GiveBack();
    Dispatch();
    return LOOP_END;
}

void TChangeLoop::GiveBack()
{
    if (m_givenBack) {
        return;
    }
    m_givenBack = true;
    if (m_fader.Get() != nullptr) {
        m_fader->Stop(true);
        m_fader = TRefPtr<TSoundFader>();
    }
    if (m_musicId != kNoMusic) {
        if (TSoundBank* music = Bank(m_sound, 2)) {
            music->Unload(m_musicId);
        }
    }
    if (TSoundBank* effects = Bank(m_sound, 0)) {
        effects->Unload(kSoundDecide);
        effects->Unload(kSoundStart);
    }
}

void TChangeLoop::Dispatch()
{
    switch (m_mode) {
    case kToTitle:
        break;
    case kToLoadSlot: {
        // A slot that cannot be loaded goes back to the title without a word.
        TGameData* data = TGameData::GetInstance();
        if (data != nullptr && data->Load(static_cast<std::int32_t>(m_slot), -1) == TGameData::kSaveOk) {
            data->StartPlayTime();
            m_app->ReplaceScene(
                TFieldLoop::CreateAtSavePoint(m_app, static_cast<std::uint32_t>(data->GetSavePoint())));
            return;
        }
        break;
    }
    case kToEvent:
        if (CreateEventLoop(m_app, m_eventId)) {
            return;
        }
        // Nothing handed over would empty the stack and end the program.
        std::fprintf(stderr, "scene change: no event %d; back to the title\n", m_eventId);
        break;
    case kToSave:
        m_app->ReplaceScene(CreateSaveScreen(m_app));
        return;
    default:
        std::fprintf(stderr, "scene change: no mode %u; back to the title\n", m_mode);
        break;
    }
    m_app->ReplaceScene(new TTitleLoop(m_app));
}

void TChangeLoop::DrawFrame()
{
    if (m_d3d == nullptr || !m_d3d->CheckLostDevice() || FAILED(m_d3d->BeginScene())) {
        return;
    }
    // No clear: the frozen picture covers the whole screen.
    TSprite::SetRenderMode(0);
    m_picture.Draw(0.0F, 0.0F, kScreenWidth, kScreenHeight, false);
    TSprite::SetRenderMode(1);
    m_quad.Draw(0.0F, 0.0F, kScreenWidth, kScreenHeight);
    m_d3d->EndScene();
    m_d3d->Present();
}
