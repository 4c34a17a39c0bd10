// The base of every visual in the world and of every shot: one root frame hung under a parent when
// the effect starts, stepped once a game frame by the effect manager until its update answers false.
// Effects are built once as prototypes and started as clones; a clone never shares a frame.
#pragma once

#include <cstdint>
#include <string>

#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TMesh8.h"
#include "platform/d3dx8/d3dx8math.h"

class TAreaBase;

class TEffect {
    friend struct TEffectProbe;
public:
    explicit TEffect(const TRefPtr<TFrame>& frame);
    virtual ~TEffect();
    TEffect(const TEffect&) = delete;
    TEffect& operator=(const TEffect&) = delete;

    virtual void Kill() { m_alive = false; }
    virtual void Finish() { m_finish = true; }
    // One game frame; false asks the manager to drop the effect.
    virtual bool Update() = 0;
    // Hangs the frame under the parent at a world position and heading. The area is for the classes
    // that need the scene or the camera; the base ignores it.
    virtual void Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
                      TAreaBase* area, const float* colour);
    virtual void ApplyMaterial();
    virtual bool Detach();
    virtual TEffect* Clone() const = 0;
    virtual void SetScale(float x, float y, float z);

    // Loaders reading from the effect folder. An empty frame name gives a null handle; an empty
    // mesh name the particle quad.
    static TRefPtr<TFrame> LoadFrame(const std::string& name);
    static TMesh8 LoadMesh(const std::string& name);
    // ".frm" replaces the frame by the file's tree; ".msh"/".tob" by a root holding the mesh.
    void LoadModel(const std::string& name);

    std::int32_t GetSerial() const { return m_serial; }
    TFrame* GetFrame() const { return m_frame.Get(); }
    bool IsAlive() const { return m_alive; }

protected:
    // A root of that name with the identity matrix and no parent.
    static TRefPtr<TFrame> NewFrame(const std::string& name);

    std::int32_t m_serial = -1;
    TRefPtr<TFrame> m_frame;
    bool m_alive = true;
    bool m_finish = false;
    float m_colour[4] = {0.0F, 0.0F, 0.0F, 0.0F};
};
