// THeroB's tables: 87 action rows, skills 2100 to 2109 (all ground chains), charge action 33. The
// attack rows 25 to 46 are THeroA's but for the motions of rows 33 and 34.
#include "MainCode/Character/THeroB.h"

#include <array>

namespace {

using K = THeroKind;

constexpr THeroRow Recover(std::uint32_t m) { return {m, K::Recover}; }
constexpr THeroRow Combo(std::uint32_t m, std::uint32_t x, std::uint32_t y, std::uint32_t c)
{
    return {m, K::ComboStep, x, y, c};
}
constexpr THeroRow Fixed(std::uint32_t m, std::uint32_t y, std::uint32_t c) { return {m, K::FixedChain, 0, y, c}; }
constexpr THeroRow Chain(std::uint32_t m, std::uint32_t a, std::uint32_t b, std::uint32_t c)
{
    return {m, K::Chain, 0, 0, c, a, b};
}

constexpr std::uint32_t kRowCount = 87;

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
    r[33] = {57, K::SkillChain, 0, 0, 34};
    r[34] = Recover(40);
    r[35] = {45, K::SteeredAirStrikeFollowUp, 0, 41, 0, 0, 0, 36, 37};
    r[36] = {46, K::SteeredAirRecovery};
    r[37] = {47, K::AirStrikeFollowUp, 0, 41, 0, 0, 0, 38, 39};
    r[38] = {48, K::AirRecovery};
    r[39] = {49, K::AirStrike, 0, 41, 40};
    r[40] = {50, K::AirRecovery};
    r[41] = {51, K::StrikeUntilLanding, 42};
    r[42] = {52, K::FixedChainOrRecover, 0, 33};
    r[43] = Fixed(53, 33, 44);
    r[44] = Recover(54);
    r[45] = Fixed(55, 33, 46);
    r[46] = Recover(54);
    r[47] = Chain(75, 47, 49, 48);
    r[48] = Recover(40);
    r[49] = Chain(76, 47, 49, 50);
    r[50] = Recover(40);
    r[51] = Chain(77, 51, 53, 52);
    r[52] = Recover(54);
    r[53] = Chain(78, 51, 53, 54);
    r[54] = Recover(54);
    r[55] = Chain(79, 55, 57, 56);
    r[56] = Recover(59);
    r[57] = Chain(80, 55, 57, 58);
    r[58] = Recover(59);
    r[59] = Chain(81, 59, 61, 60);
    r[60] = Recover(59);
    r[61] = Chain(82, 59, 61, 62);
    r[62] = Recover(59);
    r[63] = Chain(88, 63, 65, 64);
    r[64] = Recover(89);
    r[65] = Chain(90, 63, 65, 66);
    r[66] = Recover(89);
    r[67] = Chain(95, 67, 69, 68);
    r[68] = Recover(40);
    r[69] = Chain(96, 67, 69, 70);
    r[70] = Recover(40);
    r[71] = Chain(101, 71, 73, 72);
    r[72] = Recover(59);
    r[73] = Chain(102, 71, 73, 74);
    r[74] = Recover(59);
    r[75] = Chain(107, 75, 77, 76);
    r[76] = Recover(54);
    r[77] = Chain(108, 75, 77, 78);
    r[78] = Recover(54);
    r[79] = Chain(115, 79, 81, 80);
    r[80] = Recover(59);
    r[81] = Chain(116, 79, 81, 82);
    r[82] = Recover(59);
    r[83] = Chain(119, 83, 85, 84);
    r[84] = Recover(40);
    r[85] = Chain(119, 83, 85, 86);
    r[86] = Recover(40);
    return r;
}();

const THeroSkillPair kSkills[] = {
    g_heroCommonSkills[0], g_heroCommonSkills[1], g_heroCommonSkills[2], g_heroCommonSkills[3],
    g_heroCommonSkills[4], {2100, 47, 49},        {2101, 51, 53},        {2102, 55, 57},
    {2103, 59, 61},        {2104, 63, 65},        {2105, 67, 69},        {2106, 71, 73},
    {2107, 75, 77},        {2108, 79, 81},        {2109, 83, 85},
};

const THeroClassDef kDef = {
    1,
    10,
    true,
    kRows.data(),
    kRowCount,
    kSkills,
    static_cast<std::uint32_t>(std::size(kSkills)),
    nullptr,
    0,
    33,
    {25, 43, 35, 33, 45, 41, true},
    THeroHitLanded::Standard,
    THeroSkillHold::AirByRecord,
};

}  // namespace

THeroB::THeroB(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record,
               const std::string& model)
    : THero(links, characterIndex, record, model, kDef)
{
}
