// THeroG's tables: 91 action rows, skills 2800 to 2809, charge action 35.
#include "MainCode/Character/THeroG.h"

#include <array>

#include "MainCode/Character/THeroRows.h"

namespace {

using namespace herorows;

constexpr std::uint32_t kRowCount = 91;

const std::array<THeroRow, kRowCount> kRows = [] {
    std::array<THeroRow, kRowCount> r{};
    for (std::uint32_t i = 0; i < 25; ++i) {
        r[i] = g_heroCommonRows[i];
    }
    r[25] = Combo(37, 27, 35, 26);
    r[26] = Recover(38);
    r[27] = Combo(39, 29, 35, 28);
    r[28] = Recover(40);
    r[29] = Combo(41, 31, 35, 30);
    r[30] = Recover(42);
    r[31] = Combo(43, 33, 35, 32);
    r[32] = Recover(44);
    r[33] = Fixed(45, 35, 34);
    r[34] = Recover(46);
    r[35] = {58, K::SkillChain, 0, 0, 36};
    r[36] = Recover(59);
    r[37] = {47, K::SteeredAirStrikeFollowUp, 0, 43, 0, 0, 0, 38, 39};
    r[38] = {48, K::SteeredAirRecovery};
    r[39] = {49, K::AirStrikeFollowUp, 0, 43, 0, 0, 0, 40, 41};
    r[40] = AirRecovery(50);
    r[41] = {51, K::AirStrike, 0, 43, 42};
    r[42] = AirRecovery(52);
    r[43] = UntilLanding(53, 44);
    r[44] = {54, K::FixedChainOrRecover, 0, 35};
    r[45] = Fixed(55, 35, 46);
    r[46] = Recover(56);
    r[47] = Fixed(57, 35, 48);
    r[48] = Recover(56);
    r[49] = Chain(60, 49, 51, 50);
    r[50] = Recover(61);
    r[51] = Chain(62, 49, 51, 52);
    r[52] = Recover(61);
    r[53] = Chain(63, 53, 55, 54);
    r[54] = Recover(64);
    r[55] = Chain(65, 53, 55, 56);
    r[56] = Recover(64);
    r[57] = Chain(66, 57, 59, 58);
    r[58] = Recover(61);
    r[59] = Chain(67, 57, 59, 60);
    r[60] = Recover(61);
    r[61] = Chain(68, 61, 63, 62);
    r[62] = Recover(59);
    r[63] = Chain(69, 61, 63, 64);
    r[64] = Recover(59);
    r[65] = Leap(70, 66);
    r[66] = AirCombo(71, 37, 43, 65, 68, 67);
    r[67] = RecoverAirborne(72);
    r[68] = Leap(73, 69);
    r[69] = AirCombo(74, 37, 43, 65, 68, 70);
    r[70] = RecoverAirborne(75);
    r[71] = Chain(76, 71, 73, 72);
    r[72] = Recover(59);
    r[73] = Chain(77, 71, 73, 74);
    r[74] = Recover(59);
    r[75] = UntilLanding(78, 76);
    r[76] = {79, K::ChainOrRecover};
    r[77] = UntilLanding(80, 78);
    r[78] = {81, K::ChainOrRecover};
    r[79] = Chain(82, 79, 81, 80);
    r[80] = Recover(83);
    r[81] = Chain(84, 79, 81, 82);
    r[82] = Recover(83);
    r[83] = Hover(85, 43, 84);
    r[84] = AirRecovery(86);
    r[85] = Hover(87, 43, 86);
    r[86] = AirRecovery(86);
    r[87] = Chain(88, 87, 89, 88);
    r[88] = Recover(61);
    r[89] = Chain(88, 87, 89, 90);
    r[90] = Recover(61);
    return r;
}();

const THeroSkillPair kSkills[] = {
    g_heroCommonSkills[0], g_heroCommonSkills[1], g_heroCommonSkills[2], g_heroCommonSkills[3],
    g_heroCommonSkills[4], {2800, 49, 51},        {2801, 53, 55},        {2802, 57, 59},
    {2803, 61, 63},        {2804, 65, 68},        {2805, 71, 73},        {2806, 75, 77},
    {2807, 79, 81},        {2808, 83, 85},        {2809, 87, 89},
};

const std::uint32_t kAirActions[] = {75, 77, 83, 85};

const THeroClassDef kDef = {
    8,
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
    THeroHitLanded::Standard,
    THeroSkillHold::Shared,
};

}  // namespace

THeroG::THeroG(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record)
    : THero(links, characterIndex, record, "hero05", kDef)
{
}
