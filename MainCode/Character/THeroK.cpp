// THeroK's tables: 83 action rows, a jump attack that hovers and takes an air skill at its end,
// skills 2900 to 2909, charge action 31.
#include "MainCode/Character/THeroK.h"

#include <array>

namespace {

using K = THeroKind;

constexpr std::uint32_t kRowCount = 83;

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
    r[32] = {42, K::Recover};
    r[33] = {43, K::HoverStrikeWithSkill, 0, 35, 34};
    r[34] = {44, K::SteeredAirRecovery};
    r[35] = {45, K::StrikeUntilLanding, 36};
    r[36] = {46, K::FixedChainOrRecover, 0, 31};
    r[37] = {47, K::FixedChain, 0, 31, 38};
    r[38] = {42, K::Recover};
    r[39] = {48, K::FixedChain, 0, 31, 40};
    r[40] = {42, K::Recover};
    r[41] = {50, K::Chain, 0, 0, 42, 41, 43};
    r[42] = {51, K::Recover};
    r[43] = {52, K::Chain, 0, 0, 44, 41, 43};
    r[44] = {51, K::Recover};
    r[45] = {53, K::Chain, 0, 0, 46, 45, 47};
    r[46] = {42, K::Recover};
    r[47] = {54, K::Chain, 0, 0, 48, 45, 47};
    r[48] = {42, K::Recover};
    r[49] = {55, K::Chain, 0, 0, 50, 49, 51};
    r[50] = {51, K::Recover};
    r[51] = {56, K::Chain, 0, 0, 52, 49, 51};
    r[52] = {51, K::Recover};
    r[53] = {57, K::Leap, 54};
    r[54] = {58, K::AirComboStep, 33, 35, 55, 53, 56};
    r[55] = {59, K::RecoverAirborne};
    r[56] = {60, K::Leap, 57};
    r[57] = {61, K::AirComboStep, 33, 35, 58, 53, 56};
    r[58] = {59, K::RecoverAirborne};
    r[59] = {62, K::HoverStrike, 0, 35, 60};
    r[60] = {63, K::AirRecovery};
    r[61] = {64, K::HoverStrike, 0, 35, 62};
    r[62] = {63, K::AirRecovery};
    r[63] = {65, K::HoverStrike, 0, 35, 64};
    r[64] = {44, K::AirRecovery};
    r[65] = {66, K::HoverStrike, 0, 35, 66};
    r[66] = {44, K::AirRecovery};
    r[67] = {67, K::Chain, 0, 0, 68, 67, 69};
    r[68] = {68, K::Recover};
    r[69] = {69, K::Chain, 0, 0, 70, 67, 69};
    r[70] = {68, K::Recover};
    r[71] = {70, K::HoverStrike, 0, 35, 72};
    r[72] = {63, K::AirRecovery};
    r[73] = {71, K::HoverStrike, 0, 35, 74};
    r[74] = {63, K::AirRecovery};
    r[75] = {72, K::Chain, 0, 0, 76, 75, 77};
    r[76] = {42, K::Recover};
    r[77] = {73, K::Chain, 0, 0, 78, 75, 77};
    r[78] = {42, K::Recover};
    r[79] = {74, K::HoverStrike, 0, 35, 80};
    r[80] = {63, K::AirRecovery};
    r[81] = {74, K::HoverStrike, 0, 35, 82};
    r[82] = {63, K::AirRecovery};
    return r;
}();

const THeroSkillPair kSkills[] = {
    g_heroCommonSkills[0], g_heroCommonSkills[1], g_heroCommonSkills[2], g_heroCommonSkills[3], g_heroCommonSkills[4],
    {2900, 41, 43}, {2901, 45, 47}, {2902, 49, 51}, {2903, 53, 56}, {2904, 59, 61},
    {2905, 63, 65}, {2906, 67, 69}, {2907, 71, 73}, {2908, 75, 77}, {2909, 79, 81},
};

const std::uint32_t kAirActions[] = {59, 61, 63, 65, 71, 73, 79, 81};

const THeroClassDef kDef = {
    9,
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

THeroK::THeroK(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record)
    : THero(links, characterIndex, record, "heroine06", kDef)
{
}
