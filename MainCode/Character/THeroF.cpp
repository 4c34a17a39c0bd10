// THeroF's tables: 75 action rows, skills 2700 to 2707 (2705 the only air skill), charge action 31.
#include "MainCode/Character/THeroF.h"

#include <array>

namespace {

using K = THeroKind;

constexpr std::uint32_t kRowCount = 75;

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
    r[31] = {52, K::SkillChain, 0, 0, 32};
    r[32] = {42, K::Recover};
    r[33] = {43, K::StrikeUntilLanding, 34};
    r[34] = {44, K::FixedChainOrRecover, 0, 31};
    r[35] = {45, K::StrikeUntilLanding, 36};
    r[36] = {46, K::FixedChainOrRecover, 0, 31};
    r[37] = {47, K::FixedChain, 0, 31, 38};
    r[38] = {42, K::Recover};
    r[39] = {48, K::FixedChain, 0, 31, 40};
    r[40] = {42, K::Recover};
    r[41] = {78, K::Chain, 0, 0, 42, 41, 43};
    r[42] = {42, K::Recover};
    r[43] = {79, K::Chain, 0, 0, 44, 41, 43};
    r[44] = {42, K::Recover};
    r[45] = {80, K::Chain, 0, 0, 46, 45, 47};
    r[46] = {42, K::Recover};
    r[47] = {81, K::Chain, 0, 0, 48, 45, 47};
    r[48] = {42, K::Recover};
    r[49] = {82, K::Chain, 0, 0, 50, 49, 51};
    r[50] = {40, K::Recover};
    r[51] = {83, K::Chain, 0, 0, 52, 49, 51};
    r[52] = {40, K::Recover};
    r[53] = {84, K::Leap, 54};
    r[54] = {85, K::AirComboStep, 33, 35, 55, 53, 56};
    r[55] = {62, K::RecoverAirborne};
    r[56] = {86, K::Leap, 57};
    r[57] = {87, K::AirComboStep, 33, 35, 58, 53, 56};
    r[58] = {62, K::RecoverAirborne};
    r[59] = {94, K::Chain, 0, 0, 60, 59, 61};
    r[60] = {50, K::Recover};
    r[61] = {95, K::Chain, 0, 0, 62, 59, 61};
    r[62] = {50, K::Recover};
    r[63] = {104, K::StrikeUntilLanding, 64};
    r[64] = {105, K::ChainOrRecover};
    r[65] = {106, K::StrikeUntilLanding, 66};
    r[66] = {107, K::ChainOrRecover};
    r[67] = {116, K::Chain, 0, 0, 68, 67, 69};
    r[68] = {76, K::Recover};
    r[69] = {117, K::Chain, 0, 0, 70, 67, 69};
    r[70] = {76, K::Recover};
    r[71] = {120, K::Chain, 0, 0, 72, 71, 73};
    r[72] = {42, K::Recover};
    r[73] = {120, K::Chain, 0, 0, 74, 71, 73};
    r[74] = {42, K::Recover};
    return r;
}();

const THeroSkillPair kSkills[] = {
    g_heroCommonSkills[0], g_heroCommonSkills[1], g_heroCommonSkills[2], g_heroCommonSkills[3], g_heroCommonSkills[4],
    {2700, 41, 43}, {2701, 45, 47}, {2702, 49, 51}, {2703, 53, 56}, {2704, 59, 61},
    {2705, 63, 65}, {2706, 67, 69}, {2707, 71, 73},
};

const std::uint32_t kAirActions[] = {63, 65};

const THeroClassDef kDef = {
    7,
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
    THeroHitLanded::Plain,
    THeroSkillHold::Shared,
};

}  // namespace

THeroF::THeroF(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record)
    : THero(links, characterIndex, record, "hero04", kDef)
{
}
