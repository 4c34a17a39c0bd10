// The rock and meteor shots: when the flight ends, a mesh effect is raised where the head is, facing
// along the head's Z axis, owned by the hit's owner and carrying the end records given to the shot.
#pragma once

#include <array>
#include <vector>

#include "MainCode/Shot/TShots.h"

class TShotJ : public TShotK {
    friend struct TShotProbe;
public:
    TShotJ(const std::string& name, std::int32_t endEffectId, std::int32_t flightFrames, std::int32_t partCount,
           bool startParked, const float scale[3]);
    // Keeps the end effect id; no records, no area.
    TShotJ(const TShotJ& other);

    void Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
              TAreaBase* area, const float* colour) override;
    TEffect* Clone() const override { return new TShotJ(*this); }
    void OnHeadEnd() override;

    // One effect the end mesh effect raises in its turn: id, offset, scale, colour.
    void AddEndEffect(std::uint32_t id, const D3DXVECTOR3& offset, const D3DXVECTOR3& scale, const float colour[4]);

private:
    TAreaBase* m_area = nullptr;
    std::int32_t m_endEffectId;
    std::vector<std::uint32_t> m_endEffectIds;
    std::vector<D3DXVECTOR3> m_endOffsets;
    std::vector<D3DXVECTOR3> m_endScales;
    std::vector<std::array<float, 4>> m_endColours;
};
