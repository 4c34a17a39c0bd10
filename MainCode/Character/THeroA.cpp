// THeroA's tables: 117 action rows, skills 2000 to 2015, charge action 33.
#include "MainCode/Character/THeroA.h"

#include <array>

#include "MainCode/Character/THeroRows.h"

namespace {

using namespace herorows;

constexpr std::uint32_t kRowCount = 117;

const std::array<THeroRow, kRowCount> kRows = [] {
    std::array<THeroRow, kRowCount> r{};
    for (std::uint32_t i = 0; i < 25; ++i) {
        r[i] = g_heroCommonRows[i];
    }
    r[25] = Combo(37, 27, 33, 26);
    r[26] = Recover(38);
    r[27] = Combo(39, 29, 33, 28);
    r[28] = Recover(40);
    r[29] = Combo(41, 31, 33, 30);
    r[30] = Recover(42);
    r[31] = Fixed(43, 33, 32);
    r[32] = Recover(44);
    r[33] = {56, K::SkillChain, 0, 0, 34};
    r[34] = Recover(42);
    r[35] = {45, K::SteeredAirStrikeFollowUp, 0, 41, 0, 0, 0, 36, 37};
    r[36] = {46, K::SteeredAirRecovery};
    r[37] = {47, K::AirStrikeFollowUp, 0, 41, 0, 0, 0, 38, 39};
    r[38] = AirRecovery(48);
    r[39] = {49, K::AirStrike, 0, 41, 40};
    r[40] = AirRecovery(50);
    r[41] = UntilLanding(51, 42);
    r[42] = {52, K::FixedChainOrRecover, 0, 33};
    r[43] = Fixed(53, 33, 44);
    r[44] = Recover(54);
    r[45] = Fixed(55, 33, 46);
    r[46] = Recover(54);
    r[47] = Chain(58, 47, 49, 48);
    r[48] = Recover(59);
    r[49] = Chain(60, 47, 49, 50);
    r[50] = Recover(59);
    r[51] = Chain(61, 51, 53, 52);
    r[52] = Recover(54);
    r[53] = Chain(62, 51, 53, 54);
    r[54] = Recover(54);
    r[55] = Chain(63, 55, 57, 56);
    r[56] = Recover(54);
    r[57] = Chain(64, 55, 57, 58);
    r[58] = Recover(54);
    r[59] = Leap(65, 60);
    r[60] = AirCombo(66, 35, 41, 59, 62, 61);
    r[61] = RecoverAirborne(67);
    r[62] = Leap(68, 63);
    r[63] = AirCombo(69, 35, 41, 59, 62, 64);
    r[64] = RecoverAirborne(70);
    r[65] = UntilLanding(71, 66);
    r[66] = {72, K::ChainOrRecover};
    r[67] = UntilLanding(73, 68);
    r[68] = {74, K::ChainOrRecover};
    r[69] = Hover(83, 41, 70);
    r[70] = AirRecovery(84);
    r[71] = Hover(85, 41, 72);
    r[72] = AirRecovery(84);
    r[73] = Chain(86, 73, 75, 74);
    r[74] = Recover(59);
    r[75] = Chain(87, 73, 75, 76);
    r[76] = Recover(59);
    r[77] = Hover(91, 41, 78);
    r[78] = AirRecovery(84);
    r[79] = Hover(92, 41, 80);
    r[80] = AirRecovery(84);
    r[81] = Chain(93, 81, 83, 82);
    r[82] = Recover(89);
    r[83] = Chain(94, 81, 83, 84);
    r[84] = Recover(89);
    r[85] = Hover(97, 41, 86);
    r[86] = AirRecovery(84);
    r[87] = Hover(98, 41, 88);
    r[88] = AirRecovery(84);
    r[89] = Chain(99, 89, 91, 90);
    r[90] = Recover(40);
    r[91] = Chain(100, 89, 91, 92);
    r[92] = Recover(40);
    r[93] = Chain(103, 93, 95, 94);
    r[94] = Recover(59);
    r[95] = Chain(104, 93, 95, 96);
    r[96] = Recover(59);
    r[97] = Chain(105, 97, 99, 98);
    r[98] = Recover(59);
    r[99] = Chain(106, 97, 99, 100);
    r[100] = Recover(59);
    r[101] = Leap(109, 102);
    r[102] = AirCombo(110, 35, 41, 101, 104, 103);
    r[103] = RecoverAirborne(67);
    r[104] = Leap(111, 105);
    r[105] = AirCombo(112, 35, 41, 101, 104, 106);
    r[106] = RecoverAirborne(67);
    r[107] = Chain(113, 107, 109, 108);
    r[108] = Recover(40);
    r[109] = Chain(114, 107, 109, 110);
    r[110] = Recover(40);
    r[111] = Leap(117, 112);
    r[112] = AirCombo(118, 35, 41, 111, 114, 113);
    r[113] = RecoverAirborne(67);
    r[114] = Leap(117, 115);
    r[115] = AirCombo(118, 35, 41, 111, 114, 116);
    r[116] = RecoverAirborne(67);
    return r;
}();

const THeroSkillPair kSkills[] = {
    g_heroCommonSkills[0], g_heroCommonSkills[1], g_heroCommonSkills[2], g_heroCommonSkills[3],
    g_heroCommonSkills[4], {2000, 47, 49},        {2001, 51, 53},        {2002, 55, 57},
    {2003, 59, 62},        {2004, 65, 67},        {2005, 69, 71},        {2006, 73, 75},
    {2007, 77, 79},        {2008, 81, 83},        {2009, 85, 87},        {2010, 89, 91},
    {2011, 93, 95},        {2012, 97, 99},        {2013, 101, 104},      {2014, 107, 109},
    {2015, 111, 114},
};

const std::uint32_t kAirActions[] = {65, 67, 69, 71, 77, 79, 85, 87};

const THeroClassDef kDef = {
    0,
    10,
    true,
    kRows.data(),
    kRowCount,
    kSkills,
    static_cast<std::uint32_t>(std::size(kSkills)),
    kAirActions,
    static_cast<std::uint32_t>(std::size(kAirActions)),
    33,
    {25, 43, 35, 33, 45, 41, true},
    THeroHitLanded::Standard,
    THeroSkillHold::Shared,
};

}  // namespace

THeroA::THeroA(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record,
               const std::string& model)
    : THero(links, characterIndex, record, model, kDef)
{
}
