// A triangle of a map mesh as collision sees it: a slope class that says how the queries treat it,
// and the surface code that tells characters what they stand on (step sounds).
#pragma once

#include <cstdint>

#include "dx/dx8/3d/TTriangle.h"

class TCollisionFace : public TTriangle {
public:
    static constexpr std::uint32_t kFloor = 1;
    static constexpr std::uint32_t kSlope = 2;
    static constexpr std::uint32_t kWall = 4;
    static constexpr std::uint32_t kCeiling = 8;

    ~TCollisionFace() override;
    // colour: the diffuse r, g, b, a of the face's material; null (no material) gives surface 0.
    void Classify(const float* colour) override;

    std::uint32_t GetSlopeClass() const { return m_slopeClass; }
    std::uint32_t GetSurfaceCode() const { return m_surfaceCode; }

    // Up to 30 degrees from straight up a floor, below 89 a slope, below 91 a wall, else a ceiling.
    static std::uint32_t SlopeClassOf(float normalY);
    // Red in steps of 0.05 from 0 gives codes 1 to 7; anything else 0.
    static std::uint32_t SurfaceCodeOf(float red);

private:
    std::uint32_t m_slopeClass = 0;
    std::uint32_t m_surfaceCode = 0;
};
