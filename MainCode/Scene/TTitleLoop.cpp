#include "MainCode/Scene/TTitleLoop.h"

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"

TTitleLoop::TTitleLoop(TGameWnd* app) : TSceneLoop(app)
{
    SetState(&TTitleLoop::StateIdle);
    SetDraw(&TTitleLoop::DrawFrame);
}

std::uint32_t TTitleLoop::StateIdle()
{
    ++m_steps;
    if (m_input != nullptr && m_input->IsPressed(kDecideButton)) {
        // A fresh start, as the carry-over choice's first row will make it.
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
        m_app->ReplaceScene(TChangeLoop::ToEvent(m_app, TUiQuad::kBlack, TUiQuad::kCover, kFirstEvent, kTitleMusic));
        return LOOP_END;
    }
    return LOOP_CONTINUE;
}

void TTitleLoop::DrawFrame()
{
    if (!m_d3d->CheckLostDevice()) {
        return;
    }
    m_d3d->Clear(kClearColor, D3DCLEAR_TARGET, 1.0F, 0, 0, nullptr);
    m_d3d->BeginScene();
    m_d3d->EndScene();
    m_d3d->Present();
    ++m_framesDrawn;
}
