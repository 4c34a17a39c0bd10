// An animated model that raises a chosen effect at timed points laid out in its own axes while it
// plays, and when it ends leaves a final effect in its place, handing it the end effects that the
// final one raises when it breaks in turn. The owner fills the lists right after creating it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "MainCode/Effect/TFrameAnimEffect.h"

class TSpawnPathEffect : public TOwnedAnimEffect {
    friend struct TEffectProbe;
public:
    TSpawnPathEffect(const std::string& modelName, std::int32_t finalId);
    // Lists and the spawn id are never carried over: each clone is filled by its own owner.
    TSpawnPathEffect(const TSpawnPathEffect& other);
    TEffect* Clone() const override { return new TSpawnPathEffect(*this); }
    void PostStep() override;

    // -1: no spawning.
    void SetSpawnEffectId(std::int32_t id) { m_spawnEffectId = id; }
    // Points fire in the order added, one a frame, once the clock passed their time.
    void AddSpawnPoint(float time, const D3DXVECTOR3* offset);
    // One end effect for the final effect: id, offset along its world axes, scale and colour.
    void AddPathPoint(std::uint32_t effectId, const D3DXVECTOR3* offset, const D3DXVECTOR3* scale,
                      const float colour[4]);

private:
    std::int32_t m_spawnEffectId = -1;
    std::uint32_t m_spawnIndex = 0;
    std::vector<std::uint32_t> m_pathIds;
    std::vector<D3DXVECTOR3> m_pathOffsets;
    std::vector<D3DXVECTOR3> m_pathScales;
    std::vector<std::array<float, 4>> m_pathColours;
    std::vector<D3DXVECTOR3> m_spawnOffsets;
    std::vector<float> m_spawnTimes;
};
