// The base of everything in the field that owns a frame: the frame, a unique object id by which the
// area and the collision world find the object, the creator's related id, and the few placement and
// turning operations characters use every step.
#pragma once

#include <cstdint>

#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"
#include "platform/d3dx8/d3dx8math.h"

class TMeshHandle {
    friend struct TMapProbe;
public:
    explicit TMeshHandle(std::uint32_t relatedId);
    TMeshHandle(const TMeshHandle&) = delete;
    TMeshHandle& operator=(const TMeshHandle&) = delete;

    // One step of the object's behaviour; false when it is done.
    virtual bool Update() = 0;
    virtual ~TMeshHandle();

    TRefPtr<TFrame> GetFrameRef() const { return m_frame; }
    TFrame* GetFrame() const { return m_frame.Get(); }
    std::uint32_t GetRelatedId() const { return m_relatedId; }
    std::uint32_t GetObjectId() const { return m_objectId; }
    TFrame* GetReferenceFrame() const { return m_referenceFrame; }

    // The translation of the local matrix.
    D3DXVECTOR3* GetPosition(D3DXVECTOR3* out) const;
    void SetPosition(const D3DXVECTOR3& p);
    void Move(float dx, float dy, float dz);
    // Minus the normalised X and Z axes: a model looks along its negative Z.
    D3DXVECTOR3* GetRight(D3DXVECTOR3* out) const;
    D3DXVECTOR3* GetFront(D3DXVECTOR3* out) const;

    // Faces the other handle's frame. reference null: the handle's reference frame (and, before the
    // handle has one, its own frame).
    void LookAt(const TMeshHandle& other, const TFrame* reference, int mode);
    // One step of a gradual turn, ten degrees for each unit the target lies to the side; a step that
    // would carry the target across ends looking straight at it. Returns 1 while the target is ahead
    // or to the left (x <= 0), 0 when to the right.
    std::uint32_t TurnToward(const TMeshHandle& other);
    std::uint32_t TurnTowardFrame(const TFrame* target);

    // The process-wide pool of object ids (TIdPool): counting up from 0, never handing out an id in use.
    static std::uint32_t AllocateObjectId();
    // An id that is not in use changes nothing.
    static void ReleaseObjectId(std::uint32_t id);

protected:
    TRefPtr<TFrame> m_frame;
    std::uint32_t m_relatedId;
    std::uint32_t m_objectId;
    TFrame* m_referenceFrame = nullptr;

private:
    template <typename Snap>
    std::uint32_t TurnStep(const TFrame* target, const Snap& snap);
    const TFrame* ReferenceOr(const TFrame* given) const;
};
