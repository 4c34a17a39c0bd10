#include "MainCode/Map/TCollisionFace.h"

#include <cmath>

TCollisionFace::~TCollisionFace() = default;

std::uint32_t TCollisionFace::SlopeClassOf(float normalY)
{
    float y = normalY;
    if (y >= 1.0F) {
        y = 1.0F;
    } else if (y <= -1.0F) {
        y = -1.0F;
    }
    // Degrees from straight up, in single precision as the bounds below were tuned with it.
    const float angle = std::acos(y) * 57.295776F;
    if (angle <= 30.0F) {
        return kFloor;
    }
    if (angle < 89.0F) {
        return kSlope;
    }
    if (angle < 91.0F) {
        return kWall;
    }
    return kCeiling;
}

std::uint32_t TCollisionFace::SurfaceCodeOf(float red)
{
    static constexpr float kUpper[] = {0.05F, 0.10F, 0.15F, 0.20F, 0.25F, 0.30F, 0.35F};
    if (!(red >= 0.0F)) {
        return 0;
    }
    for (std::uint32_t i = 0; i < 7; ++i) {
        if (red < kUpper[i]) {
            return i + 1;
        }
    }
    return 0;
}

void TCollisionFace::Classify(const float* colour)
{
    m_slopeClass = SlopeClassOf(m_normal.y);
    m_surfaceCode = colour != nullptr ? SurfaceCodeOf(colour[0]) : 0;
}
