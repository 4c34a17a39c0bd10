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
      m_box(boxMinimum, boxMaximum, facing)
{
}

std::uint32_t TMapTriggerBox::Update()
{
    return StepFacingBox(m_box) ? ChangeMap() : kNothing;
}

TMapTriggerAction::TMapTriggerAction(TAreaBase* area, const D3DXVECTOR3& point, float radius,
                                     const D3DXVECTOR3& startPosition, const D3DXVECTOR3& startDirection,
                                     const D3DXVECTOR3& startCameraPosition, std::uint32_t fadeMode,
                                     const std::string& destination)
    : TMapChangeObject(area, startPosition, startDirection, startCameraPosition, fadeMode, destination),
      m_spot(point, radius)
{
}

std::uint32_t TMapTriggerAction::Update()
{
    return IsPlayerActingAt(m_spot) ? ChangeMap() : kNothing;
}
