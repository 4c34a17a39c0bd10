// The scripts' own random numbers, apart from the shared MT generator: one process-wide linear
// congruential state that survives every new script manager. The start jitter of a map load
// draws from it too.
#pragma once

#include <cstdint>

// The next value, 0 to 32767.
std::int32_t ScriptRandom();
void SeedScriptRandom(std::uint32_t seed);
// Back to the state the process starts with (for tests).
void ResetScriptRandom();
