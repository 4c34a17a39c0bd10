#include "MainCode/Scene/TStandInSaveLoadLoop.h"

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
constexpr std::uint32_t kLoadSlot = 0;

}  // namespace

TStandInSaveLoadLoop::TStandInSaveLoadLoop(TGameWnd* app, std::uint32_t mode) : TSceneLoop(app), m_mode(mode)
{
    if (mode == kSave) {
        SetState(&TStandInSaveLoadLoop::StateSave);
    } else {
        SetState(&TStandInSaveLoadLoop::StateLoad);
    }
    SetDraw(&TStandInSaveLoadLoop::DrawBlack);
}

std::uint32_t TStandInSaveLoadLoop::StateSave()
{
    m_app->ReplaceScene(TChangeLoop::ToTitle(m_app, TChangeLoop::kNoMusic));
    return LOOP_END;
}

std::uint32_t TStandInSaveLoadLoop::StateLoad()
{
    if (m_input == nullptr) {
        return LOOP_CONTINUE;
    }
    if (m_input->IsPressed(kDecide)) {
        if (TSoundBank* effects = m_sound != nullptr ? m_sound->GetBank(0) : nullptr) {
            effects->Load(TChangeLoop::kDecideSound);
        }
        if (TSoundBank* music = m_sound != nullptr ? m_sound->GetBank(2) : nullptr) {
            music->Load(kTitleMusic);
        }
        TChangeLoop* change = TChangeLoop::ToLoadSlot(m_app, kLoadSlot, kTitleMusic);
        m_app->PopScenesTo(1);
        m_app->ReplaceScene(change);
        return LOOP_END;
    }
    return m_input->IsPressed(kCancel) ? LOOP_END : LOOP_CONTINUE;
}

void TStandInSaveLoadLoop::DrawBlack()
{
    DrawStandInScreen(m_d3d);
}
