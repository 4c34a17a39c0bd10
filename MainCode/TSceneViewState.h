// What a 3D scene sets up for drawing, when it is built and again whenever it is resumed: the
// device's fog and the scene's projection.
#pragma once

#include <cstdint>

class TD3D8;
class TView;

struct TSceneViewState {
    bool fog = false;
    float fogStart = 100.0F;
    float fogEnd = 200.0F;
    std::uint32_t fogColour = 0xFFFFFFFF;
    float nearZ = 1.0F;
    float farZ = 200.0F;
    float degrees = 45.0F;

    // Sets the fog on the device and the projection on view, sized to the back buffer.
    void Apply(TD3D8* d3d, TView& view) const;
};
