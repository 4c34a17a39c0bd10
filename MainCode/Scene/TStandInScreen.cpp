#include "MainCode/Scene/TStandInScreen.h"

#include "dx/dx8/3d/TD3D8.h"

void DrawStandInScreen(TD3D8* d3d)
{
    if (d3d == nullptr || !d3d->CheckLostDevice()) {
        return;
    }
    d3d->Clear(0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
    if (SUCCEEDED(d3d->BeginScene())) {
        d3d->EndScene();
        d3d->Present();
    }
}
