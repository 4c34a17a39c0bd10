// The one process-wide MT19937 generator shared by characters, enemies, effects and shots.
#pragma once

#include <cstdint>

void init_genrand(std::uint32_t seed);
std::uint32_t genrand_int32();
// The next output shifted right by one: 0 to 0x7FFFFFFF.
std::uint32_t genrand_int31();
