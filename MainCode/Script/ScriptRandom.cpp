#include "MainCode/Script/ScriptRandom.h"

#include "MainCode/TRunState.h"

std::int32_t ScriptRandom()
{
    std::uint32_t& state = TRunState::Current().scriptRandom;
    state = state * 214013u + 2531011u;
    return static_cast<std::int32_t>((state >> 16) & 0x7FFFu);
}

void SeedScriptRandom(std::uint32_t seed)
{
    TRunState::Current().scriptRandom = seed;
}
