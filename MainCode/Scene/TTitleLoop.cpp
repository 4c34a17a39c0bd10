#include "MainCode/Scene/TTitleLoop.h"

TTitleLoop::TTitleLoop(TGameWnd* app) : TSceneLoop(app)
{
    SetState(&TTitleLoop::StateIdle);
}

std::uint32_t TTitleLoop::StateIdle()
{
    ++m_steps;
    return LOOP_CONTINUE;
}
