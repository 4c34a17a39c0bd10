// One inventory or item-ring entry: an item id and how many are held (0..99).
#pragma once

#include <cstdint>

struct TItemEntry {
    std::uint32_t Id = 0;  // 0 = empty ring slot
    std::uint8_t Count = 0;
};
