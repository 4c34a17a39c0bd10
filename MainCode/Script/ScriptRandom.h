// The scripts' own random numbers, apart from the shared MT generator: one linear congruential
// state a run keeps (TRunState) that survives every new script manager. The start jitter of a map
// load draws from it too.
#pragma once

#include <cstdint>

// The next value, 0 to 32767.
std::int32_t ScriptRandom();
void SeedScriptRandom(std::uint32_t seed);
