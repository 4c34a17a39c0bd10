// THeroC's tables: 109 action rows with a five-hit ground combo, skills 2200 to 2213, charge action 35.
#include "MainCode/Character/THeroC.h"

#include <array>

namespace {

using K = THeroKind;

constexpr std::uint32_t kRowCount = 109;

const std::array<THeroRow, kRowCount> kRows = [] {
    std::array<THeroRow, kRowCount> r{};
    for (std::uint32_t i = 0; i < 25; ++i) {
        r[i] = g_heroCommonRows[i];
    }
    r[25] = {37, K::ComboStep, 27, 35, 26};
    r[26] = {38, K::Recover};
    r[27] = {39, K::ComboStep, 29, 35, 28};
    r[28] = {40, K::Recover};
    r[29] = {41, K::ComboStep, 31, 35, 30};
    r[30] = {42, K::Recover};
    r[31] = {43, K::ComboStep, 33, 35, 32};
    r[32] = {44, K::Recover};
    r[33] = {45, K::FixedChain, 0, 35, 34};
    r[34] = {46, K::Recover};
    r[35] = {58, K::SkillChain, 0, 0, 36};
    r[36] = {59, K::Recover};
    r[37] = {47, K::SteeredAirStrikeFollowUp, 0, 43, 0, 0, 0, 38, 39};
    r[38] = {48, K::SteeredAirRecovery};
    r[39] = {49, K::AirStrikeFollowUp, 0, 43, 0, 0, 0, 40, 41};
    r[40] = {50, K::AirRecovery};
    r[41] = {51, K::AirStrike, 0, 43, 42};
    r[42] = {52, K::AirRecovery};
    r[43] = {53, K::StrikeUntilLanding, 44};
    r[44] = {54, K::FixedChainOrRecover, 0, 35};
    r[45] = {55, K::FixedChain, 0, 35, 46};
    r[46] = {56, K::Recover};
    r[47] = {57, K::FixedChain, 0, 35, 48};
    r[48] = {56, K::Recover};
    r[49] = {60, K::Chain, 0, 0, 50, 49, 51};
    r[50] = {61, K::Recover};
    r[51] = {62, K::Chain, 0, 0, 52, 49, 51};
    r[52] = {61, K::Recover};
    r[53] = {63, K::Chain, 0, 0, 54, 53, 55};
    r[54] = {64, K::Recover};
    r[55] = {65, K::Chain, 0, 0, 56, 53, 55};
    r[56] = {64, K::Recover};
    r[57] = {66, K::Chain, 0, 0, 58, 57, 59};
    r[58] = {67, K::Recover};
    r[59] = {68, K::Chain, 0, 0, 60, 57, 59};
    r[60] = {67, K::Recover};
    r[61] = {69, K::Leap, 62};
    r[62] = {70, K::AirComboStep, 37, 43, 63, 61, 64};
    r[63] = {71, K::RecoverAirborne};
    r[64] = {72, K::Leap, 65};
    r[65] = {73, K::AirComboStep, 37, 43, 66, 61, 64};
    r[66] = {71, K::RecoverAirborne};
    r[67] = {74, K::HoverStrike, 0, 43, 68};
    r[68] = {52, K::AirRecovery};
    r[69] = {75, K::HoverStrike, 0, 43, 70};
    r[70] = {52, K::AirRecovery};
    r[71] = {76, K::HoverStrike, 0, 43, 72};
    r[72] = {48, K::AirRecovery};
    r[73] = {77, K::HoverStrike, 0, 43, 74};
    r[74] = {48, K::AirRecovery};
    r[75] = {78, K::Chain, 0, 0, 76, 75, 77};
    r[76] = {79, K::Recover};
    r[77] = {80, K::Chain, 0, 0, 78, 75, 77};
    r[78] = {79, K::Recover};
    r[79] = {81, K::Chain, 0, 0, 80, 79, 81};
    r[80] = {82, K::Recover};
    r[81] = {83, K::Chain, 0, 0, 82, 79, 81};
    r[82] = {82, K::Recover};
    r[83] = {84, K::Chain, 0, 0, 84, 83, 85};
    r[84] = {64, K::Recover};
    r[85] = {85, K::Chain, 0, 0, 86, 83, 85};
    r[86] = {64, K::Recover};
    r[87] = {86, K::Leap, 88};
    r[88] = {87, K::AirComboStep, 37, 43, 89, 87, 90};
    r[89] = {71, K::RecoverAirborne};
    r[90] = {88, K::Leap, 91};
    r[91] = {89, K::AirComboStep, 37, 43, 92, 87, 90};
    r[92] = {71, K::RecoverAirborne};
    r[93] = {90, K::HoverStrike, 0, 43, 94};
    r[94] = {52, K::AirRecovery};
    r[95] = {91, K::HoverStrike, 0, 43, 96};
    r[96] = {52, K::AirRecovery};
    r[97] = {92, K::HoverStrike, 0, 43, 98};
    r[98] = {52, K::AirRecovery};
    r[99] = {93, K::HoverStrike, 0, 43, 100};
    r[100] = {52, K::AirRecovery};
    r[101] = {94, K::Chain, 0, 0, 102, 101, 103};
    r[102] = {61, K::Recover};
    r[103] = {95, K::Chain, 0, 0, 104, 101, 103};
    r[104] = {61, K::Recover};
    r[105] = {96, K::Chain, 0, 0, 106, 105, 107};
    r[106] = {64, K::Recover};
    r[107] = {96, K::Chain, 0, 0, 108, 105, 107};
    r[108] = {64, K::Recover};
    return r;
}();

const THeroSkillPair kSkills[] = {
    g_heroCommonSkills[0], g_heroCommonSkills[1], g_heroCommonSkills[2], g_heroCommonSkills[3], g_heroCommonSkills[4],
    {2200, 49, 51}, {2201, 53, 55}, {2202, 57, 59}, {2203, 61, 64}, {2204, 67, 69},
    {2205, 71, 73}, {2206, 75, 77}, {2207, 79, 81}, {2208, 83, 85}, {2209, 87, 90},
    {2210, 93, 95}, {2211, 97, 99}, {2212, 101, 103}, {2213, 105, 107},
};

const std::uint32_t kAirActions[] = {67, 69, 71, 73, 93, 95, 97, 99};

const THeroClassDef kDef = {
    2,
    10,
    true,
    kRows.data(),
    kRowCount,
    kSkills,
    static_cast<std::uint32_t>(std::size(kSkills)),
    kAirActions,
    static_cast<std::uint32_t>(std::size(kAirActions)),
    35,
    {25, 45, 37, 35, 47, 43, true},
    THeroHitLanded::HopsOnly,
    THeroSkillHold::Shared,
};

}  // namespace

THeroC::THeroC(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record,
               const std::string& model)
    : THero(links, characterIndex, record, model, kDef)
{
}
