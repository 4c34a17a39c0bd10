// The base of the things a map's data places on it (pick-ups, save points, triggers, script
// objects): the area walks them once a step while they are active, and finishes and drops them
// once they are not. The update answers a field event code: 10000 and above stop the walk.
#pragma once

#include <cstdint>
#include <string>

#include "platform/d3dx8/d3dx8math.h"

class TAreaBase;
class TPlayerCharacter;

// A box the player walks into facing one way, and the count of consecutive steps doing so.
struct TFacingBox {
    static constexpr std::int32_t kSteps = 15;  // the step that fires

    TFacingBox(const D3DXVECTOR3& boxMinimum, const D3DXVECTOR3& boxMaximum, const D3DXVECTOR3& direction)
        : minimum(boxMinimum), maximum(boxMaximum), centre((boxMinimum + boxMaximum) / 2.0F), facing(direction)
    {
    }

    D3DXVECTOR3 minimum;
    D3DXVECTOR3 maximum;
    D3DXVECTOR3 centre;
    D3DXVECTOR3 facing;
    std::int32_t counter = 0;
};

// A point the player faces and acts at from closer than the radius.
struct TActionSpot {
    TActionSpot(const D3DXVECTOR3& at, float reach) : point(at), radius(reach), halfRadius(reach * 0.5F) {}

    D3DXVECTOR3 point;
    float radius;
    float halfRadius;
};

class TMapObject {
    friend struct TMapProbe;
public:
    // Nothing happened.
    static constexpr std::uint32_t kNothing = 1;
    // Below 50 degrees between a front and a direction, strictly.
    static constexpr float kFacingAngle = 0.87266463F;

    explicit TMapObject(TAreaBase* area) : m_area(area) {}
    TMapObject(const TMapObject&) = delete;
    TMapObject& operator=(const TMapObject&) = delete;
    virtual ~TMapObject() = default;

    virtual std::uint32_t Update() = 0;
    // Once, when the area drops the object after it became inactive.
    virtual void Finish() {}
    virtual void Deactivate() { m_active = 0; }
    // Runs the script once in this frame as a probe with "MapEvent" and "Flag"; when the probe asks
    // for a conversation the script is queued again with every module and 10003 is answered, else
    // the "MapEvent" result of the probe.
    virtual std::uint32_t RunScript(const std::string& key);

    bool IsActive() const { return m_active != 0; }

    // Bounds included on every axis.
    static bool IsInsideBox(const D3DXVECTOR3& p, const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum);
    // The arc cosine of the clamped dot product is below kFacingAngle.
    static bool IsFacing(const D3DXVECTOR3& front, const D3DXVECTOR3& direction);
    // The unit vector along v; a zero vector stays zero.
    static D3DXVECTOR3 Normalized(const D3DXVECTOR3& v);

protected:
    TPlayerCharacter* GetPlayer() const;
    D3DXVECTOR3 GetPlayerPosition() const;
    // Counts a step with the player walking (state 2 or 3) inside the box and facing its way, or
    // starts the count again; true from the box's kSteps-th step on.
    bool StepFacingBox(TFacingBox& box) const;
    // The player stands closer than the radius to the point, newly pressed the action button and
    // faces the point.
    bool IsPlayerActingAt(const TActionSpot& spot) const;

    std::uint8_t m_active = 1;
    TAreaBase* m_area;
};
