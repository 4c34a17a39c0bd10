// The map-change triggers: a box the player walks into while facing a given way, and a spot where
// the player faces a point and presses the action button. Both hand their destination to a
// map-change phase of the field.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/Map/TFieldPhase.h"
#include "MainCode/Map/TMapObject.h"

class TMapChangeObject : public TMapObject {
    friend struct TMapProbe;
public:
    // The facing on the destination map stays level: its y is stored as 0.
    TMapChangeObject(TAreaBase* area, const D3DXVECTOR3& startPosition, const D3DXVECTOR3& startDirection,
                     const D3DXVECTOR3& startCameraPosition, std::uint32_t fadeMode, const std::string& destination);


protected:
    // Sets the map-change phase on the area's field; 10001.
    std::uint32_t ChangeMap();

private:
    TFieldDestination m_destination;
    std::uint32_t m_fadeMode;
};

class TMapTriggerBox : public TMapChangeObject {
    friend struct TMapProbe;
public:
    TMapTriggerBox(TAreaBase* area, const D3DXVECTOR3& boxMinimum, const D3DXVECTOR3& boxMaximum,
                   const D3DXVECTOR3& facing, const D3DXVECTOR3& startPosition, const D3DXVECTOR3& startDirection,
                   const D3DXVECTOR3& startCameraPosition, std::uint32_t fadeMode, const std::string& destination);
    std::uint32_t Update() override;


private:
    TFacingBox m_box;
};

class TMapTriggerAction : public TMapChangeObject {
    friend struct TMapProbe;
public:
    TMapTriggerAction(TAreaBase* area, const D3DXVECTOR3& point, float radius, const D3DXVECTOR3& startPosition,
                      const D3DXVECTOR3& startDirection, const D3DXVECTOR3& startCameraPosition,
                      std::uint32_t fadeMode, const std::string& destination);
    std::uint32_t Update() override;


private:
    TActionSpot m_spot;
};
