// Splitting a range into cells of a given size, for the collision grid of a map mesh.
#pragma once

#include <cstdint>

// More cells than any map needs means the extent is not a sensible one.
constexpr std::uint64_t kMaxGridCells = 1u << 16;

// range = {min, max}. A size below 1.0 becomes FLT_MAX and gives one cell with the range unchanged;
// otherwise the cell count is ceil((max - min) / size) and max becomes min + count × size. A range
// that is empty, reversed or not finite gives no cells.
std::uint32_t ComputeGridCells(float range[2], float& size);
