#include "MainCode/Menu/TStandInSubScreenLoop.h"

#include "MainCode/Menu/TMenuTopLoop.h"

TStandInSubScreenLoop::TStandInSubScreenLoop(TGameWnd* app, TMenuTopLoop* menu) : TMenuSceneLoop(app)
{
    SetState(&TStandInSubScreenLoop::Wait);
    SetOwner(menu);
    StartSubScreen();
}

std::uint32_t TStandInSubScreenLoop::Wait()
{
    return Pressed(kCancel) != 0 ? LOOP_END : LOOP_CONTINUE;
}
