#include "MainCode/Map/TMapTrigger.h"

#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"

TMapChangeObject::TMapChangeObject(TAreaBase* area, const D3DXVECTOR3& startPosition,
                                   const D3DXVECTOR3& startDirection, const D3DXVECTOR3& startCameraPosition,
                                   std::uint32_t fadeMode, const std::string& destination)
    : TMapObject(area), m_fadeMode(fadeMode)
{
    m_destination.mapName = destination;
    m_destination.position = startPosition;
    m_destination.direction = D3DXVECTOR3(startDirection.x, 0.0F, startDirection.z);
    m_destination.cameraPosition = startCameraPosition;
}

std::uint32_t TMapChangeObject::ChangeMap()
{
    TFieldLoop* field = m_area->GetFieldLoop();
    if (field == nullptr) {
        return kNothing;
    }
    field->SetPhase(CreateFieldPhase(field, m_destination, m_fadeMode));
    return TAreaBase::kEventPhaseSet;
}

TMapTriggerBox::TMapTriggerBox(TAreaBase* area, const D3DXVECTOR3& boxMinimum, const D3DXVECTOR3& boxMaximum,
                               const D3DXVECTOR3& facing, const D3DXVECTOR3& startPosition,
                               const D3DXVECTOR3& startDirection, const D3DXVECTOR3& startCameraPosition,
                               std::uint32_t fadeMode, const std::string& destination)
    : TMapChangeObject(area, startPosition, startDirection, startCameraPosition, fadeMode, destination),
      m_minimum(boxMinimum),
      m_maximum(boxMaximum),
      m_centre((boxMinimum + boxMaximum) / 2.0F),
      m_facing(facing)
{
}

std::uint32_t TMapTriggerBox::Update()
{
    if (!IsPlayerFacingInBox(m_minimum, m_maximum, m_facing)) {
        m_counter = 0;
        return kNothing;
    }
    ++m_counter;
    return m_counter >= kSteps ? ChangeMap() : kNothing;
}

TMapTriggerAction::TMapTriggerAction(TAreaBase* area, const D3DXVECTOR3& point, float radius,
                                     const D3DXVECTOR3& startPosition, const D3DXVECTOR3& startDirection,
                                     const D3DXVECTOR3& startCameraPosition, std::uint32_t fadeMode,
                                     const std::string& destination)
    : TMapChangeObject(area, startPosition, startDirection, startCameraPosition, fadeMode, destination),
      m_point(point),
      m_radius(radius),
      m_halfRadius(radius * 0.5F)
{
}

std::uint32_t TMapTriggerAction::Update()
{
    return IsPlayerActingAt(m_point, m_radius) ? ChangeMap() : kNothing;
}
