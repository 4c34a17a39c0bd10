#include "MainCode/Scene/TTitleLoop.h"

#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "dx/dx8/3d/TD3D8.h"

TTitleLoop::TTitleLoop(TGameWnd* app) : TSceneLoop(app)
{
    SetState(&TTitleLoop::StateIdle);
    SetDraw(&TTitleLoop::DrawFrame);
}

std::uint32_t TTitleLoop::StateIdle()
{
    ++m_steps;
    if (m_input != nullptr && m_input->IsPressed(kDecideButton)) {
        m_app->ReplaceScene(TChangeLoop::ToSavePoint(m_app, kStartSavePoint));
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
