// Small constants, point and effect helpers shared by the skill and weapon-skill events.
#pragma once

#include <cstdint>

#include "MainCode/Effect/TFrameAnimEffect.h"
#include "platform/d3dx8/d3dx8math.h"

namespace skillevent {

inline const D3DXVECTOR3 kForward(0.0F, 0.0F, 1.0F);
inline const D3DXVECTOR3 kUp(0.0F, 1.0F, 0.0F);
inline const D3DXVECTOR3 kOrigin(0.0F, 0.0F, 0.0F);
inline const float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};
inline const float kUnit[3] = {1.0F, 1.0F, 1.0F};
inline const float kDark[4] = {0.25F, 0.0F, 0.5F, 1.0F};
inline constexpr float kDegree = 0.017453292F;

inline D3DXVECTOR3 Raised(const D3DXVECTOR3& p, float y) { return D3DXVECTOR3(p.x, p.y + y, p.z); }

// Left-handed turn about +y by the angle in radians.
inline D3DXVECTOR3 TurnAboutUp(const D3DXVECTOR3& v, float radians)
{
    D3DXMATRIX turn;
    D3DXMatrixRotationY(&turn, radians);
    D3DXVECTOR3 out;
    D3DXVec3TransformNormal(&out, &v, &turn);
    return out;
}

// +1 for an odd draw, -1 for an even one.
inline float Sign(std::uint32_t d) { return (d & 1) != 0 ? 1.0F : -1.0F; }

// The draw's low seven bits, centred on 0, over the divisor.
inline float Spread(std::uint32_t d, float divisor)
{
    return static_cast<float>(static_cast<std::int32_t>(d & 127) - 64) / divisor;
}

// Only the owned animations know their maker.
inline void SetOwner(TEffect* effect, std::int32_t owner)
{
    if (auto* owned = dynamic_cast<TOwnedAnimEffect*>(effect)) {
        owned->SetOwnerId(owner);
    }
}

}  // namespace skillevent
