// A box given by its corners, as the particle bursts take it: min x, y, z, max x, y, z, then the
// centre, which is always the midpoint of the two.
#pragma once

struct TVecRange {
    TVecRange(float minX, float minY, float minZ, float maxX, float maxY, float maxZ)
        : m_v{minX, minY, minZ, maxX, maxY, maxZ, (minX + maxX) * 0.5F, (minY + maxY) * 0.5F, (minZ + maxZ) * 0.5F}
    {
    }
    // The nine floats in order.
    const float* Get() const { return m_v; }

private:
    float m_v[9];
};
