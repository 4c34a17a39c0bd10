// THeroD's tables: 93 action rows with a three-hit ground combo and a plunge until the landing,
// skills 2500 to 2511, charge action 31.
#include "MainCode/Character/THeroD.h"

#include <array>

namespace {

using K = THeroKind;

constexpr std::uint32_t kRowCount = 93;

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
    r[31] = {49, K::SkillChain, 0, 0, 32};
    r[32] = {50, K::Recover};
    r[33] = {43, K::StrikeUntilLanding, 34};
    r[34] = {44, K::FixedChainOrRecover, 0, 31};
    r[35] = {45, K::StrikeUntilLanding, 36};
    r[36] = {46, K::FixedChainOrRecover, 0, 31};
    r[37] = {47, K::FixedChain, 0, 31, 38};
    r[38] = {42, K::Recover};
    r[39] = {48, K::FixedChain, 0, 31, 40};
    r[40] = {42, K::Recover};
    r[41] = {53, K::Chain, 0, 0, 42, 41, 43};
    r[42] = {50, K::Recover};
    r[43] = {53, K::Chain, 0, 0, 44, 41, 43};
    r[44] = {50, K::Recover};
    r[45] = {55, K::Chain, 0, 0, 46, 45, 47};
    r[46] = {40, K::Recover};
    r[47] = {56, K::Chain, 0, 0, 48, 45, 47};
    r[48] = {40, K::Recover};
    r[49] = {57, K::Chain, 0, 0, 50, 49, 51};
    r[50] = {58, K::Recover};
    r[51] = {59, K::Chain, 0, 0, 52, 49, 51};
    r[52] = {58, K::Recover};
    r[53] = {60, K::Leap, 54};
    r[54] = {61, K::AirComboStep, 33, 35, 55, 53, 56};
    r[55] = {62, K::RecoverAirborne};
    r[56] = {63, K::Leap, 57};
    r[57] = {64, K::AirComboStep, 33, 35, 58, 53, 56};
    r[58] = {62, K::RecoverAirborne};
    r[59] = {65, K::StrikeUntilLanding, 60};
    r[60] = {66, K::ChainOrRecover};
    r[61] = {67, K::StrikeUntilLanding, 62};
    r[62] = {68, K::ChainOrRecover};
    r[63] = {88, K::Chain, 0, 0, 64, 63, 65};
    r[64] = {50, K::Recover};
    r[65] = {89, K::Chain, 0, 0, 66, 63, 65};
    r[66] = {50, K::Recover};
    r[67] = {90, K::Chain, 0, 0, 68, 67, 69};
    r[68] = {76, K::Recover};
    r[69] = {91, K::Chain, 0, 0, 70, 67, 69};
    r[70] = {76, K::Recover};
    r[71] = {96, K::Leap, 72};
    r[72] = {97, K::AirComboStep, 33, 35, 73, 71, 74};
    r[73] = {62, K::RecoverAirborne};
    r[74] = {98, K::Leap, 75};
    r[75] = {99, K::AirComboStep, 33, 35, 76, 71, 74};
    r[76] = {62, K::RecoverAirborne};
    r[77] = {100, K::Chain, 0, 0, 78, 77, 79};
    r[78] = {40, K::Recover};
    r[79] = {101, K::Chain, 0, 0, 80, 77, 79};
    r[80] = {40, K::Recover};
    r[81] = {108, K::StrikeUntilLanding, 82};
    r[82] = {109, K::ChainOrRecover};
    r[83] = {110, K::StrikeUntilLanding, 84};
    r[84] = {111, K::ChainOrRecover};
    r[85] = {112, K::Chain, 0, 0, 86, 85, 87};
    r[86] = {40, K::Recover};
    r[87] = {113, K::Chain, 0, 0, 88, 85, 87};
    r[88] = {40, K::Recover};
    r[89] = {118, K::Chain, 0, 0, 90, 89, 91};
    r[90] = {50, K::Recover};
    r[91] = {118, K::Chain, 0, 0, 92, 89, 91};
    r[92] = {50, K::Recover};
    return r;
}();

const THeroSkillPair kSkills[] = {
    g_heroCommonSkills[0], g_heroCommonSkills[1], g_heroCommonSkills[2], g_heroCommonSkills[3], g_heroCommonSkills[4],
    {2500, 41, 43}, {2501, 45, 47}, {2502, 49, 51}, {2503, 53, 56}, {2504, 59, 61},
    {2505, 63, 65}, {2506, 67, 69}, {2507, 71, 74}, {2508, 77, 79}, {2509, 81, 83},
    {2510, 85, 87}, {2511, 89, 91},
};

const std::uint32_t kAirActions[] = {59, 61, 81, 83};

const THeroClassDef kDef = {
    5,
    10,
    false,
    kRows.data(),
    kRowCount,
    kSkills,
    static_cast<std::uint32_t>(std::size(kSkills)),
    kAirActions,
    static_cast<std::uint32_t>(std::size(kAirActions)),
    31,
    {25, 37, 33, 31, 39, 35, false},
    THeroHitLanded::RingsOnly,
    THeroSkillHold::Shared,
};

}  // namespace

THeroD::THeroD(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record)
    : THero(links, characterIndex, record, "hero04", kDef)
{
}
