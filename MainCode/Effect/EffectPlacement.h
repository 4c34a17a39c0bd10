// Where effects put what they raise: points and axes of an effect's frame in the world. A missing
// frame answers zero.
#pragma once

#include <cstdint>

#include "dx/dx8/3d/TFrame.h"
#include "platform/d3dx8/d3dx8math.h"

inline D3DXVECTOR3 FrameWorldPosition(const TFrame* frame)
{
    D3DXVECTOR3 p(0.0F, 0.0F, 0.0F);
    if (frame != nullptr) {
        frame->GetWorldPosition(&p);
    }
    return p;
}

// index 1, 2, 3: the X, Y, Z axis.
inline D3DXVECTOR3 FrameWorldAxis(const TFrame* frame, std::uint32_t index)
{
    D3DXVECTOR3 a(0.0F, 0.0F, 0.0F);
    if (frame != nullptr) {
        frame->GetWorldAxis(&a, index);
    }
    return a;
}

// The frame's world position moved by offset.x along its world X axis, .y along Y and .z along Z.
inline D3DXVECTOR3 PointInFrameAxes(const TFrame* frame, const D3DXVECTOR3& offset)
{
    const D3DXVECTOR3 x = FrameWorldAxis(frame, 1);
    const D3DXVECTOR3 y = FrameWorldAxis(frame, 2);
    const D3DXVECTOR3 z = FrameWorldAxis(frame, 3);
    D3DXVECTOR3 p = FrameWorldPosition(frame);
    p += x * offset.x;
    p += y * offset.y;
    p += z * offset.z;
    return p;
}
