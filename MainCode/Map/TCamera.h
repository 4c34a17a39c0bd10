// The scene camera: a frame "TCamera" under the scene frame, turned toward a target frame every step
// and handed to the view; it carries the sky dome and can shake. The follow camera trails the target;
// the key camera blends the placements of the two map keys nearest the target.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MainCode/Map/TMapData.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TView.h"
#include "platform/d3dx8/d3dx8math.h"

class TSky;

class TCamera {
    friend struct TMapProbe;
public:
    static constexpr std::uint32_t kFollowMode = 16;
    static constexpr std::uint32_t kKeyMode = 32;

    TCamera(std::uint32_t mode, TFrame* parent, TFrame* target, TView* view);
    TCamera(const TCamera&) = delete;
    TCamera& operator=(const TCamera&) = delete;

    // Places eye and target, then settles the camera over the given number of steps.
    virtual void Reset(const D3DXVECTOR3& eye, const D3DXVECTOR3& target, int steps);
    virtual void LookAtTarget();
    virtual void StopShake();
    // Ignored while a shake runs. Mask bit 0 shakes x, bit 1 y, bit 2 z.
    virtual void StartShake(std::uint32_t count, std::uint32_t framesPerStep, float amplitude, std::uint32_t mask);
    virtual ~TCamera();
    virtual void Follow() {}
    virtual void StepShake();

    // Once a step: shake, follow, look, sky.
    void Update();
    // The dome "sky/sky00_00.msh" on its frame "SkyFrame"; lifts and fade offsets are scaled by the
    // "View" setting.
    void CreateSky(float eyeLift, float lift, float fadeStartOffset, float fadeEndOffset, D3DCOLOR fogColor,
                   float scaleU, float scaleV, float speedU, float speedV, const std::string& texture);
    // Hangs the sky in front of the camera at the fog or far distance; nothing without a sky.
    void UpdateView();

    std::uint32_t GetMode() const { return m_mode; }
    TFrame* GetFrame() const { return m_frame.Get(); }
    TView* GetView() const { return m_view; }

protected:
    // Positions in the parent frame's space.
    D3DXVECTOR3 GetCameraPosition() const;
    D3DXVECTOR3 GetTargetPosition() const;
    void AimAt(const D3DXVECTOR3& target);

    std::uint32_t m_mode;
    TRefPtr<TFrame> m_frame;
    TFrame* m_parent;
    TFrame* m_target;
    TView* m_view;

private:
    D3DXVECTOR3 m_shakeOffset{0.0F, 0.0F, 0.0F};
    std::uint32_t m_shakeCount = 0;
    std::uint32_t m_shakeStep = 0;
    std::uint32_t m_shakeFrames = 0;
    std::uint32_t m_shakeFrame = 0;
    std::uint32_t m_shakeIdle = 1;
    float m_skyEyeLift = 0.0F;
    float m_skyLift = 0.0F;
    float m_skyFadeStartOffset = 0.0F;
    float m_skyFadeEndOffset = 0.0F;
    TSky* m_sky = nullptr;  // held by the dome mesh on the sky frame
    TRefPtr<TFrame> m_skyFrame;
};

class TFollowCamera : public TCamera {
    friend struct TMapProbe;
public:
    // unused: a value the map data passes between distance and height.
    TFollowCamera(TFrame* parent, TFrame* target, TView* view, float distance, std::uint32_t unused, float height);
    void Follow() override;


private:
    float m_distance;
    float m_height;
    std::uint32_t m_farCount = 0;
};

class TKeyCamera : public TCamera {
public:
    TKeyCamera(TFrame* parent, TFrame* target, TView* view, const std::vector<TCameraKey>& keys);
    void Follow() override;
    // The key camera turns its frame while following.
    void LookAtTarget() override;

private:
    std::vector<TCameraKey> m_keys;
};
