// THeroine08's tables: 75 action rows, skills 3100 to 3107, charge action 29.
#include "MainCode/Character/THeroine08.h"

#include <array>

#include "MainCode/Character/THeroRows.h"

namespace {

using namespace herorows;

constexpr std::uint32_t kRowCount = 75;

const std::array<THeroRow, kRowCount> kRows = [] {
    std::array<THeroRow, kRowCount> r{};
    for (std::uint32_t i = 0; i < 25; ++i) {
        r[i] = g_heroCommonRows[i];
    }
    r[25] = Combo(37, 27, 29, 26);
    r[26] = Recover(38);
    r[27] = Combo(39, 27, 29, 28);
    r[28] = Recover(38);
    r[29] = {48, K::SkillChain, 0, 0, 30};
    r[30] = Recover(49);
    r[31] = Falling(40, 33, 35, 32);
    r[32] = AirRecovery(41);
    r[33] = Falling(42, 33, 35, 34);
    r[34] = AirRecovery(41);
    r[35] = {43, K::HoverSkillChain, 0, 0, 36};
    r[36] = AirRecovery(44);
    r[37] = Fixed(45, 29, 38);
    r[38] = Recover(46);
    r[39] = Fixed(47, 29, 40);
    r[40] = Recover(46);
    r[41] = Chain(50, 41, 43, 42);
    r[42] = Recover(38);
    r[43] = Chain(51, 41, 43, 44);
    r[44] = Recover(38);
    r[45] = Chain(52, 45, 47, 46);
    r[46] = Recover(38);
    r[47] = Chain(53, 45, 47, 48);
    r[48] = Recover(38);
    r[49] = Leap(54, 50);
    r[50] = AirCombo(55, 31, 35, 49, 52, 51);
    r[51] = RecoverAirborne(56);
    r[52] = Leap(57, 53);
    r[53] = AirCombo(58, 31, 35, 49, 52, 54);
    r[54] = RecoverAirborne(56);
    r[55] = Chain(59, 55, 57, 56);
    r[56] = Recover(60);
    r[57] = Chain(61, 55, 57, 58);
    r[58] = Recover(60);
    r[59] = Hover(62, 35, 60);
    r[60] = AirRecovery(44);
    r[61] = Hover(63, 35, 62);
    r[62] = AirRecovery(44);
    r[63] = Chain(64, 63, 65, 64);
    r[64] = Recover(38);
    r[65] = Chain(65, 63, 65, 66);
    r[66] = Recover(38);
    r[67] = Hover(66, 35, 68);
    r[68] = AirRecovery(41);
    r[69] = Hover(67, 35, 70);
    r[70] = AirRecovery(41);
    r[71] = Chain(68, 71, 73, 72);
    r[72] = Recover(38);
    r[73] = Chain(68, 71, 73, 74);
    r[74] = Recover(38);
    return r;
}();

const THeroSkillPair kSkills[] = {
    g_heroCommonSkills[0], g_heroCommonSkills[1], g_heroCommonSkills[2], g_heroCommonSkills[3],
    g_heroCommonSkills[4], {3100, 41, 43},        {3101, 45, 47},        {3102, 49, 52},
    {3103, 55, 57},        {3104, 59, 61},        {3105, 63, 65},        {3106, 67, 69},
    {3107, 71, 73},
};

const std::uint32_t kAirActions[] = {59, 61, 67, 69};

// Three in the command queue: two attacks wait for the running action. The follow-up flag is
// there but nothing of this class sets it, and a jump shot clears nothing.
const THeroClassDef kDef = {
    11,
    3,
    true,
    kRows.data(),
    kRowCount,
    kSkills,
    static_cast<std::uint32_t>(std::size(kSkills)),
    kAirActions,
    static_cast<std::uint32_t>(std::size(kAirActions)),
    29,
    {25, 37, 31, 29, 39, 35, false},
    THeroHitLanded::RingsOnly,
    THeroSkillHold::Shared,
};

}  // namespace

const THeroClassDef& THeroine08::GetDef() { return kDef; }

THeroine08::THeroine08(TFieldLoop* field, std::uint32_t characterIndex, const TCharacterRecord& record)
    : THero(field, characterIndex, record, "heroine08", kDef)
{
}
