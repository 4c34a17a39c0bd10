// THeroH's tables: 78 action rows, skills 3000 to 3007, charge action 31.
#include "MainCode/Character/THeroH.h"

#include <array>

#include "MainCode/Character/THeroRows.h"

namespace {

using namespace herorows;

constexpr std::uint32_t kRowCount = 78;

const std::array<THeroRow, kRowCount> kRows = [] {
    std::array<THeroRow, kRowCount> r{};
    for (std::uint32_t i = 0; i < 25; ++i) {
        r[i] = g_heroCommonRows[i];
    }
    r[25] = Combo(37, 27, 31, 26);
    r[26] = Recover(38);
    r[27] = Combo(39, 29, 31, 28);
    r[28] = Recover(40);
    r[29] = Fixed(41, 31, 30);
    r[30] = Recover(42);
    // The charge leaps into an air step that excludes only the leap.
    r[31] = Leap(53, 32);
    r[32] = AirCombo(54, 34, 40, 31, 0, 33);
    r[33] = RecoverAirborne(55);
    r[34] = {43, K::SteeredAirStrikeFollowUp, 0, 40, 0, 0, 0, 35, 36};
    r[35] = {44, K::SteeredAirRecovery};
    r[36] = {45, K::AirStrikeFollowUp, 0, 40, 0, 0, 0, 37, 38};
    r[37] = AirRecovery(46);
    r[38] = {47, K::AirStrike, 0, 40, 39};
    r[39] = AirRecovery(48);
    r[40] = UntilLanding(49, 41);
    r[41] = {50, K::FixedChainOrRecover, 0, 31};
    r[42] = Fixed(51, 31, 43);
    r[43] = Recover(42);
    r[44] = Fixed(52, 31, 45);
    r[45] = Recover(42);
    r[46] = Chain(56, 46, 48, 47);
    r[47] = Recover(57);
    r[48] = Chain(58, 46, 48, 49);
    r[49] = Recover(57);
    r[50] = Chain(59, 50, 52, 51);
    r[51] = Recover(60);
    r[52] = Chain(61, 50, 52, 53);
    r[53] = Recover(60);
    r[54] = Chain(62, 54, 56, 55);
    r[55] = Recover(42);
    r[56] = Chain(63, 54, 56, 57);
    r[57] = Recover(42);
    r[58] = Chain(64, 58, 60, 59);
    r[59] = Recover(38);
    r[60] = Chain(65, 58, 60, 61);
    r[61] = Recover(38);
    r[62] = Chain(66, 62, 64, 63);
    r[63] = Recover(67);
    r[64] = Chain(68, 62, 64, 65);
    r[65] = Recover(67);
    r[66] = Chain(69, 66, 68, 67);
    r[67] = Recover(38);
    r[68] = Chain(70, 66, 68, 69);
    r[69] = Recover(38);
    r[70] = Hover(71, 40, 71);
    r[71] = AirRecovery(72);
    r[72] = Hover(73, 40, 73);
    r[73] = AirRecovery(72);
    r[74] = Chain(74, 74, 76, 75);
    r[75] = Recover(38);
    r[76] = Chain(74, 74, 76, 77);
    r[77] = Recover(38);
    return r;
}();

const THeroSkillPair kSkills[] = {
    g_heroCommonSkills[0], g_heroCommonSkills[1], g_heroCommonSkills[2], g_heroCommonSkills[3],
    g_heroCommonSkills[4], {3000, 46, 48},        {3001, 50, 52},        {3002, 54, 56},
    {3003, 58, 60},        {3004, 62, 64},        {3005, 66, 68},        {3006, 70, 72},
    {3007, 74, 76},
};

const std::uint32_t kAirActions[] = {70, 72};

const THeroClassDef kDef = {
    10,
    10,
    true,
    kRows.data(),
    kRowCount,
    kSkills,
    static_cast<std::uint32_t>(std::size(kSkills)),
    kAirActions,
    static_cast<std::uint32_t>(std::size(kAirActions)),
    31,
    {25, 42, 34, 31, 44, 40, true},
    THeroHitLanded::Standard,
    THeroSkillHold::Shared,
};

}  // namespace

THeroH::THeroH(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record)
    : THero(links, characterIndex, record, "hero07", kDef)
{
}
