#include "MainCode/Script/ScriptRandom.h"

namespace {

std::uint32_t s_state = 1;

}  // namespace

std::int32_t ScriptRandom()
{
    s_state = s_state * 214013u + 2531011u;
    return static_cast<std::int32_t>((s_state >> 16) & 0x7FFFu);
}

void SeedScriptRandom(std::uint32_t seed)
{
    s_state = seed;
}

void ResetScriptRandom()
{
    s_state = 1;
}
