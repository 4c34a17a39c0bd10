// THeroJ's tables: 85 action rows, skills 2400 to 2407, charge action 35.
#include "MainCode/Character/THeroJ.h"

#include <array>

#include "MainCode/Character/THeroRows.h"

namespace {

using namespace herorows;

constexpr std::uint32_t kRowCount = 85;

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
    r[35] = {59, K::SkillChain, 0, 0, 36};
    r[36] = Recover(45);
    r[37] = {46, K::SteeredAirStrikeFollowUp, 0, 43, 0, 0, 0, 38, 39};
    r[38] = {47, K::SteeredAirRecovery};
    r[39] = {48, K::AirStrikeFollowUp, 0, 43, 0, 0, 0, 40, 41};
    r[40] = AirRecovery(49);
    r[41] = {50, K::AirStrike, 0, 43, 42};
    r[42] = AirRecovery(51);
    r[43] = UntilLanding(52, 44);
    r[44] = {53, K::FixedChainOrRecover, 0, 35};
    r[45] = Fixed(54, 35, 46);
    r[46] = Recover(45);
    r[47] = Fixed(55, 35, 48);
    r[48] = Recover(45);
    r[49] = Chain(71, 49, 51, 50);
    r[50] = Recover(45);
    r[51] = Chain(72, 49, 51, 52);
    r[52] = Recover(45);
    r[53] = Chain(73, 53, 55, 54);
    r[54] = Recover(38);
    r[55] = Chain(74, 53, 55, 56);
    r[56] = Recover(38);
    r[57] = Leap(75, 58);
    r[58] = AirCombo(76, 37, 43, 57, 60, 59);
    r[59] = RecoverAirborne(77);
    r[60] = Leap(78, 61);
    r[61] = AirCombo(79, 37, 43, 57, 60, 62);
    r[62] = RecoverAirborne(77);
    r[63] = UntilLanding(80, 64);
    r[64] = {81, K::ChainOrRecover};
    r[65] = UntilLanding(82, 66);
    r[66] = {83, K::ChainOrRecover};
    r[67] = Chain(90, 67, 69, 68);
    r[68] = Recover(65);
    r[69] = Chain(91, 67, 69, 70);
    r[70] = Recover(65);
    r[71] = Hover(98, 43, 72);
    r[72] = AirRecovery(99);
    r[73] = Hover(100, 43, 74);
    r[74] = AirRecovery(99);
    r[75] = Leap(105, 76);
    r[76] = AirCombo(106, 37, 43, 75, 78, 77);
    r[77] = RecoverAirborne(77);
    r[78] = Leap(107, 79);
    r[79] = AirCombo(108, 37, 43, 75, 78, 80);
    r[80] = RecoverAirborne(77);
    r[81] = Chain(110, 81, 83, 82);
    r[82] = Recover(45);
    r[83] = Chain(110, 81, 83, 84);
    r[84] = Recover(45);
    return r;
}();

const THeroSkillPair kSkills[] = {
    g_heroCommonSkills[0], g_heroCommonSkills[1], g_heroCommonSkills[2], g_heroCommonSkills[3],
    g_heroCommonSkills[4], {2400, 49, 51},        {2401, 53, 55},        {2402, 57, 60},
    {2403, 63, 65},        {2404, 67, 69},        {2405, 71, 73},        {2406, 75, 78},
    {2407, 81, 83},
};

const std::uint32_t kAirActions[] = {63, 65, 71, 73};

const THeroClassDef kDef = {
    4,
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

THeroJ::THeroJ(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record)
    : THero(links, characterIndex, record, "heroine03", kDef)
{
}
