// THeroE's tables: 73 action rows, THeroD's attack rows with other motions for the ground charge,
// skills 2600 to 2607 (all ground chains), charge action 31.
#include "MainCode/Character/THeroE.h"

#include <array>

namespace {

using K = THeroKind;

constexpr std::uint32_t kRowCount = 73;

const std::array<THeroRow, kRowCount> kRows = [] {
    std::array<THeroRow, kRowCount> r{};
    for (std::uint32_t i = 0; i < 25; ++i) {
        r[i] = g_heroCommonRows[i];
    }
    r[25] = {37, K::ComboStep, 27, 31, 26};
    r[26] = {38, K::Recover};
    r[27] = {39, K::ComboStep, 29, 31, 28};
    r[28] = {40, K::Recover};
    r[29] = {41, K::FixedChain, 0, 31, 30};
    r[30] = {42, K::Recover};
    r[31] = {51, K::SkillChain, 0, 0, 32};
    r[32] = {40, K::Recover};
    r[33] = {43, K::StrikeUntilLanding, 34};
    r[34] = {44, K::FixedChainOrRecover, 0, 31};
    r[35] = {45, K::StrikeUntilLanding, 36};
    r[36] = {46, K::FixedChainOrRecover, 0, 31};
    r[37] = {47, K::FixedChain, 0, 31, 38};
    r[38] = {42, K::Recover};
    r[39] = {48, K::FixedChain, 0, 31, 40};
    r[40] = {42, K::Recover};
    r[41] = {69, K::Chain, 0, 0, 42, 41, 43};
    r[42] = {50, K::Recover};
    r[43] = {70, K::Chain, 0, 0, 44, 41, 43};
    r[44] = {50, K::Recover};
    r[45] = {71, K::Chain, 0, 0, 46, 45, 47};
    r[46] = {50, K::Recover};
    r[47] = {72, K::Chain, 0, 0, 48, 45, 47};
    r[48] = {50, K::Recover};
    r[49] = {73, K::Chain, 0, 0, 50, 49, 51};
    r[50] = {58, K::Recover};
    r[51] = {74, K::Chain, 0, 0, 52, 49, 51};
    r[52] = {58, K::Recover};
    r[53] = {75, K::Chain, 0, 0, 54, 53, 55};
    r[54] = {76, K::Recover};
    r[55] = {77, K::Chain, 0, 0, 56, 53, 55};
    r[56] = {76, K::Recover};
    r[57] = {92, K::Chain, 0, 0, 58, 57, 59};
    r[58] = {42, K::Recover};
    r[59] = {93, K::Chain, 0, 0, 60, 57, 59};
    r[60] = {42, K::Recover};
    r[61] = {102, K::Chain, 0, 0, 62, 61, 63};
    r[62] = {50, K::Recover};
    r[63] = {103, K::Chain, 0, 0, 64, 61, 63};
    r[64] = {50, K::Recover};
    r[65] = {114, K::Chain, 0, 0, 66, 65, 67};
    r[66] = {40, K::Recover};
    r[67] = {115, K::Chain, 0, 0, 68, 65, 67};
    r[68] = {40, K::Recover};
    r[69] = {119, K::Chain, 0, 0, 70, 69, 71};
    r[70] = {50, K::Recover};
    r[71] = {119, K::Chain, 0, 0, 72, 69, 71};
    r[72] = {50, K::Recover};
    return r;
}();

const THeroSkillPair kSkills[] = {
    g_heroCommonSkills[0], g_heroCommonSkills[1], g_heroCommonSkills[2], g_heroCommonSkills[3], g_heroCommonSkills[4],
    {2600, 41, 43}, {2601, 45, 47}, {2602, 49, 51}, {2603, 53, 55}, {2604, 57, 59},
    {2605, 61, 63}, {2606, 65, 67}, {2607, 69, 71},
};

const THeroClassDef kDef = {
    6,
    10,
    false,
    kRows.data(),
    kRowCount,
    kSkills,
    static_cast<std::uint32_t>(std::size(kSkills)),
    nullptr,
    0,
    31,
    {25, 37, 33, 31, 39, 35, false},
    THeroHitLanded::RingsOnly,
    THeroSkillHold::Shared,
};

}  // namespace

THeroE::THeroE(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record)
    : THero(links, characterIndex, record, "hero04", kDef)
{
}
