// A ribbon trail whose head runs along a cubic curve from a start point to a target character;
// the end point follows the target every frame. The ribbon is rebuilt from the head's recent
// positions each frame, and the effect ends once the head has arrived and the tail caught up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MainCode/Effect/TEffect.h"
#include "MainCode/Effect/TRibbonMesh.h"

class TRayEffect : public TEffect {
    friend struct TEffectProbe;
public:
    // meshName: the strip mesh in the effect folder.
    explicit TRayEffect(const std::string& meshName);
    TRayEffect(const TRayEffect& other);
    ~TRayEffect() override;

    bool Update() override;
    // The area (the extra argument) is where the target is looked up.
    void Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
              TAreaBase* area, const float* colour) override;
    TEffect* Clone() const override { return new TRayEffect(*this); }

    // Set by the creator after Create and before the first update. Points are in the space of
    // the frame's parent with the frame left at its origin. stepCount 0 (or below): the head starts
    // arrived and writes no point.
    void SetCurve(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2, std::int32_t targetId,
                  float tStart, float tEnd, std::int32_t stepCount);


private:
    void RebuildRibbon();

    std::string m_meshName;
    TMesh8* m_mesh = nullptr;
    D3DXVECTOR3 m_p0{0.0F, 0.0F, 0.0F};
    D3DXVECTOR3 m_p1{0.0F, 0.0F, 0.0F};
    D3DXVECTOR3 m_p2{0.0F, 0.0F, 0.0F};
    D3DXVECTOR3 m_p3{0.0F, 0.0F, 0.0F};
    std::int32_t m_targetId = -2;
    float m_t = 0.0F;
    float m_tStart = 0.0F;
    float m_tEnd = 0.0F;
    std::int32_t m_step = 0;
    std::int32_t m_stepCount = 0;
    std::int32_t m_length = 0;
    std::int32_t m_capacity = 0;
    std::vector<D3DXVECTOR3> m_points;
    std::vector<TRibbonRow> m_rowTable;
    std::int32_t m_tail = 0;
    bool m_arrived = false;
    TAreaBase* m_area = nullptr;
};
