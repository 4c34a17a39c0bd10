// The base of the things a map's data places on it (pick-ups, save points, triggers, script
// objects): the area walks them once a step while they are active, and finishes and drops them
// once they are not. The update answers a field event code: 10000 and above stop the walk.
#pragma once

#include <cstdint>

class TAreaBase;

class TMapObject {
public:
    explicit TMapObject(TAreaBase* area) : m_area(area) {}
    TMapObject(const TMapObject&) = delete;
    TMapObject& operator=(const TMapObject&) = delete;
    virtual ~TMapObject() = default;

    virtual std::uint32_t Update() = 0;
    // Once, when the area drops the object after it became inactive.
    virtual void Finish() {}
    virtual void Deactivate() { m_active = 0; }

    bool IsActive() const { return m_active != 0; }
    TAreaBase* GetArea() const { return m_area; }

protected:
    std::uint8_t m_active = 1;
    TAreaBase* m_area;
};
