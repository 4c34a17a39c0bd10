// What the effect managers are asked to create, for tests: an installed observer hears every Create
// call as the caller gave it, with the serial it used up and the effect it made (null when the id
// gave no prototype). An effect keeps no id of its own, so nothing else tells. Only tests install
// one; in play it is null.
#pragma once

#include <cstdint>

#include "platform/d3dx8/d3dx8math.h"

class TAreaBase;
class TEffect;
class TEffectManager;
class TFrame;

class TEffectCreateObserver {
public:
    virtual ~TEffectCreateObserver() = default;

    virtual void OnCreate(const TEffectManager& manager, std::uint32_t id, const D3DXVECTOR3* position,
                          const D3DXVECTOR3* direction, TFrame* parent, TAreaBase* area, const float* colour,
                          const float* scale, std::int32_t serial, TEffect* result) = 0;
};

// Null stops observing.
void SetEffectCreateObserver(TEffectCreateObserver* observer);
