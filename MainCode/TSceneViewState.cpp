#include "MainCode/TSceneViewState.h"

#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TView.h"

void TSceneViewState::Apply(TD3D8* d3d, TView& view) const
{
    view.SetProjection(nearZ, farZ, degrees, static_cast<int>(d3d->GetBackBufferWidth()),
                       static_cast<int>(d3d->GetBackBufferHeight()));
    d3d->SetFog(fog, fogStart, fogEnd, fogColour);
}
