// The camera of a scene as the renderer sees it: view and projection matrices, their product for the
// vertex shaders, and the sphere test TFrame::Render culls meshes with.
#pragma once

#include "platform/d3dx8/d3dx8math.h"

class TFrame;

class TView {
    friend struct TDxProbe;

public:
    TView();
    virtual ~TView();

    // Field of view in degrees; width and height of the back buffer.
    void SetProjection(float nearZ, float farZ, float degrees, int width, int height);
    // False when the camera's world matrix cannot be inverted (the view keeps its old data).
    bool SetCamera(TFrame* camera);
    // The same from the camera's world matrix itself.
    bool SetCameraMatrix(const D3DXMATRIX& cameraWorld);

    const D3DXMATRIX* GetView() const { return &m_view; }
    const D3DXMATRIX* GetProjection() const { return &m_projection; }
    const D3DXMATRIX* GetViewProjection() const { return &m_viewProjection; }
    float GetFar() const { return m_far; }
    // sphere: centre x, y, z and radius in world space.
    bool IsSphereVisible(const float* sphere) const;
    // Width of the culling volume at the far distance; the sky dome is sized from it.
    float GetFarWidth() const;

private:
    void UpdateFrustum();

    D3DXMATRIX m_view;
    D3DXMATRIX m_camera;
    D3DXMATRIX m_projection;
    D3DXMATRIX m_viewProjection;
    float m_near = 0.0F;
    float m_far;
    float m_fov = 0.0F;          // radians
    float m_verticalFov = 0.0F;  // radians, fov × height / width
    D3DXVECTOR3 m_forward;
    D3DXVECTOR3 m_left;
    D3DXVECTOR3 m_right;
    D3DXVECTOR3 m_top;
    D3DXVECTOR3 m_bottom;
};
