#include "MainCode/Shot/TShotJ.h"

#include "MainCode/Effect/EffectPlacement.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Effect/TSmashEffect.h"
#include "MainCode/Map/TAreaBase.h"

TShotJ::TShotJ(const std::string& name, std::int32_t endEffectId, std::int32_t flightFrames, std::int32_t partCount,
               bool startParked, const float scale[3])
    : TShotK(name, flightFrames, partCount, startParked, scale), m_endEffectId(endEffectId)
{
}

TShotJ::TShotJ(const TShotJ& other) : TShotK(other), m_endEffectId(other.m_endEffectId) {}

void TShotJ::Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
                  TAreaBase* area, const float* colour)
{
    TShotK::Init(serial, position, direction, parent, area, colour);
    m_area = area;
}

void TShotJ::AddEndEffect(std::uint32_t id, const D3DXVECTOR3& offset, const D3DXVECTOR3& scale, const float colour[4])
{
    m_endEffectIds.push_back(id);
    m_endOffsets.push_back(offset);
    m_endScales.push_back(scale);
    m_endColours.push_back({colour[0], colour[1], colour[2], colour[3]});
}

void TShotJ::OnHeadEnd()
{
    if (m_area == nullptr || m_area->GetEffectManager() == nullptr) {
        return;
    }
    const TFrame* head = GetModelFrame();
    const D3DXVECTOR3 position = FrameWorldPosition(head);
    const D3DXVECTOR3 direction = FrameWorldAxis(head, 3);
    const float white[4] = {1.0F, 1.0F, 1.0F, 1.0F};
    const float unit[3] = {1.0F, 1.0F, 1.0F};
    TEffect* effect = m_area->GetEffectManager()->Create(static_cast<std::uint32_t>(m_endEffectId), &position,
                                                          &direction, m_area->GetSceneFrame(), m_area, white, unit);
    // An id without a prototype raises nothing, and only a mesh effect takes an owner and records.
    auto* mesh = dynamic_cast<TMeshEffect*>(effect);
    if (mesh == nullptr) {
        return;
    }
    mesh->SetOwnerId(m_ownerId);
    for (std::size_t i = 0; i < m_endEffectIds.size(); ++i) {
        mesh->AddEndEffect(m_endEffectIds[i], &m_endOffsets[i], &m_endScales[i], m_endColours[i].data());
    }
}
