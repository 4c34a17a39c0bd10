#include "MainCode/Scene/TStandInCarryOverLoop.h"

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TStandInScreen.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"

namespace {

constexpr std::uint16_t kDecide = 0x0010;
constexpr std::uint16_t kCancel = 0x0020;
constexpr std::uint32_t kTitleMusic = 1;
constexpr std::uint32_t kFirstEvent = 300;

}  // namespace

TStandInCarryOverLoop::TStandInCarryOverLoop(TGameWnd* app, std::int32_t chapter) : TSceneLoop(app), m_chapter(chapter)
{
    SetState(&TStandInCarryOverLoop::StateChoose);
    SetDraw(&TStandInCarryOverLoop::DrawBlack);
}

std::uint32_t TStandInCarryOverLoop::StateChoose()
{
    if (m_input == nullptr) {
        return LOOP_CONTINUE;
    }
    if (m_input->IsPressed(kDecide)) {
        // The fresh start of this chapter.
        if (TGameData* data = TGameData::GetInstance()) {
            data->Reset();
        }
        if (TSoundBank* effects = m_sound != nullptr ? m_sound->GetBank(0) : nullptr) {
            effects->Play(TChangeLoop::kStartSound);
            effects->Load(TChangeLoop::kStartSound);
        }
        if (TSoundBank* music = m_sound != nullptr ? m_sound->GetBank(2) : nullptr) {
            music->Load(kTitleMusic);
        }
        TChangeLoop* change = TChangeLoop::ToEvent(m_app, TUiQuad::kBlack, TUiQuad::kCover, kFirstEvent,
                                                   static_cast<std::int32_t>(kTitleMusic));
        m_app->PopScenesTo(1);
        m_app->ReplaceScene(change);
        return LOOP_END;
    }
    return m_input->IsPressed(kCancel) ? LOOP_END : LOOP_CONTINUE;
}

void TStandInCarryOverLoop::DrawBlack()
{
    DrawStandInScreen(m_d3d);
}
