// THeroI's tables: 102 action rows, skills 2300 to 2311, charge action 35.
#include "MainCode/Character/THeroI.h"

#include <array>

#include "MainCode/Character/THeroRows.h"

namespace {

using namespace herorows;

constexpr std::uint32_t kRowCount = 102;

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
    r[32] = Recover(38);
    r[33] = Fixed(44, 35, 34);
    r[34] = Recover(45);
    // The charge leaps into an air step that excludes only the leap.
    r[35] = Leap(56, 36);
    r[36] = AirCombo(57, 38, 44, 35, 0, 37);
    r[37] = RecoverAirborne(58);
    r[38] = {46, K::SteeredAirStrikeFollowUp, 0, 44, 0, 0, 0, 39, 40};
    r[39] = {47, K::SteeredAirRecovery};
    r[40] = {48, K::AirStrikeFollowUp, 0, 44, 0, 0, 0, 41, 42};
    r[41] = AirRecovery(49);
    r[42] = {50, K::AirStrike, 0, 44, 43};
    r[43] = AirRecovery(51);
    r[44] = UntilLanding(52, 45);
    r[45] = {53, K::FixedChainOrRecover, 0, 35};
    r[46] = Fixed(54, 35, 47);
    r[47] = Recover(45);
    r[48] = Fixed(55, 35, 49);
    r[49] = Recover(45);
    r[50] = Chain(60, 50, 52, 51);
    r[51] = Recover(45);
    r[52] = Chain(61, 50, 52, 53);
    r[53] = Recover(45);
    r[54] = Chain(62, 54, 56, 55);
    r[55] = Recover(38);
    r[56] = Chain(63, 54, 56, 57);
    r[57] = Recover(38);
    r[58] = Chain(64, 58, 60, 59);
    r[59] = Recover(65);
    r[60] = Chain(66, 58, 60, 61);
    r[61] = Recover(65);
    r[62] = Hover(67, 44, 63);
    r[63] = AirRecovery(47);
    r[64] = Hover(68, 44, 65);
    r[65] = AirRecovery(47);
    r[66] = Hover(69, 44, 67);
    r[67] = AirRecovery(51);
    r[68] = Hover(70, 44, 69);
    r[69] = AirRecovery(51);
    r[70] = Leap(84, 71);
    r[71] = AirCombo(85, 38, 44, 70, 73, 72);
    r[72] = RecoverAirborne(77);
    r[73] = Leap(86, 74);
    r[74] = AirCombo(87, 38, 44, 70, 73, 75);
    r[75] = RecoverAirborne(77);
    r[76] = Hover(88, 44, 77);
    r[77] = AirRecovery(47);
    r[78] = Hover(89, 44, 79);
    r[79] = AirRecovery(47);
    r[80] = Leap(92, 81);
    r[81] = AirCombo(93, 38, 44, 80, 83, 82);
    r[82] = RecoverAirborne(77);
    r[83] = Leap(94, 84);
    r[84] = AirCombo(95, 38, 44, 80, 83, 85);
    r[85] = RecoverAirborne(77);
    r[86] = Hover(96, 44, 87);
    r[87] = AirRecovery(47);
    r[88] = Hover(97, 44, 89);
    r[89] = AirRecovery(47);
    r[90] = Chain(101, 90, 92, 91);
    r[91] = Recover(45);
    r[92] = Chain(102, 90, 92, 93);
    r[93] = Recover(45);
    r[94] = Hover(103, 44, 95);
    r[95] = AirRecovery(99);
    r[96] = Hover(104, 44, 97);
    r[97] = AirRecovery(99);
    r[98] = Hover(109, 44, 99);
    r[99] = AirRecovery(99);
    r[100] = Hover(109, 44, 101);
    r[101] = AirRecovery(99);
    return r;
}();

const THeroSkillPair kSkills[] = {
    g_heroCommonSkills[0], g_heroCommonSkills[1], g_heroCommonSkills[2], g_heroCommonSkills[3],
    g_heroCommonSkills[4], {2300, 50, 52},        {2301, 54, 56},        {2302, 58, 60},
    {2303, 62, 64},        {2304, 66, 68},        {2305, 70, 73},        {2306, 76, 78},
    {2307, 80, 83},        {2308, 86, 88},        {2309, 90, 92},        {2310, 94, 96},
    {2311, 98, 100},
};

const std::uint32_t kAirActions[] = {62, 64, 66, 68, 76, 78, 86, 88, 94, 96, 98, 100};

const THeroClassDef kDef = {
    3,
    10,
    true,
    kRows.data(),
    kRowCount,
    kSkills,
    static_cast<std::uint32_t>(std::size(kSkills)),
    kAirActions,
    static_cast<std::uint32_t>(std::size(kAirActions)),
    35,
    {25, 46, 38, 35, 48, 44, true},
    THeroHitLanded::Standard,
    THeroSkillHold::Shared,
};

}  // namespace

THeroI::THeroI(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record)
    : THero(links, characterIndex, record, "heroine03", kDef)
{
}
