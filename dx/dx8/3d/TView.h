// The camera of a scene for the renderer: view, left-handed perspective projection and their product
// for the vertex shaders. Only what drawing needs is here so far; the camera frame, culling and the
// far width come with the frames.
#pragma once

#include "platform/d3dx8/d3dx8math.h"

class TView {
public:
    TView();
    virtual ~TView();

    // Field of view in degrees; width and height of the picture give the aspect.
    void SetProjection(float nearZ, float farZ, float degrees, int width, int height);
    // The camera's world matrix, as the camera frame gives it; false when it cannot be inverted
    // (the view stays as it was).
    bool SetCameraMatrix(const D3DXMATRIX& cameraWorld);

    const D3DXMATRIX* GetView() const { return &m_view; }
    const D3DXMATRIX* GetProjection() const { return &m_projection; }
    const D3DXMATRIX* GetViewProjection() const { return &m_viewProjection; }
    float GetFar() const { return m_far; }

private:
    void UpdateFrustum();

    D3DXMATRIX m_view;
    D3DXMATRIX m_cameraWorld;
    D3DXMATRIX m_projection;
    D3DXMATRIX m_viewProjection;
    float m_near = 0.0F;
    float m_far;
    float m_fov = 0.0F;
    float m_verticalFov = 0.0F;
};
