// The one process-wide MT19937 generator shared by characters, enemies, effects and shots.
#pragma once

#include <cstdint>

void init_genrand(std::uint32_t seed);
std::uint32_t genrand_int32();
