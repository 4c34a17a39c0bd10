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

// The view state a scene has, set on the device when it is given and again whenever the scene is
// resumed; a scene given none yet (no map loaded) sets nothing of its own.
class TSceneViewHolder {
public:
    void Set(const TSceneViewState& state, TD3D8* d3d, TView& view)
    {
        m_state = state;
        m_held = true;
        Apply(d3d, view);
    }
    void Apply(TD3D8* d3d, TView& view) const
    {
        if (m_held) {
            m_state.Apply(d3d, view);
        }
    }

private:
    TSceneViewState m_state;
    bool m_held = false;
};
