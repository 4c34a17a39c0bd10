#include "TCommon/GridCells.h"

#include <cfloat>
#include <cmath>

std::uint32_t ComputeGridCells(float range[2], float& size)
{
    if (!(size >= 1.0F)) {
        size = FLT_MAX;
        return 1;
    }
    const float cells = std::ceil((range[1] - range[0]) / size);
    // A count that is not a plain number (a mesh without vertices leaves the range reversed).
    if (!(cells >= 0.0F) || !(cells < 4294967296.0F)) {
        return 0;
    }
    const auto count = static_cast<std::uint32_t>(cells);
    range[1] = range[0] + static_cast<float>(count) * size;
    return count;
}
