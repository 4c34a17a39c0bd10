// The old well by the town's north wall, east of the sign, met with the action button. Its conversation keeps
// count of the visits and answers each of the first three differently, works a few sums over the
// count on the way (into event flags), notes how many kinds of things the bag holds, and ends in a
// question: a coin thrown in calls the wish script, which takes the coin from the purse, and the well
// says where it went (or that the purse holds none); walking away leaves a mark of its own.
#pragma once

#include <filesystem>

#include "SampleData.h"

namespace sample {

struct WellLayout {
    static constexpr const char* kScriptFile = "well04.pbsc";
    // Clear of every other spot, villager and pick-up of the town.
    static D3DXVECTOR3 Well() { return {14.0F, 0.0F, 27.0F}; }
    // Set while a conversation has been asked for and not yet begun.
    static constexpr std::uint32_t kAskedFlag = 330;
    // How many times it has been spoken to, and the answer given this time (1, 2, then 3 on).
    static constexpr std::uint32_t kVisitsFlag = 331;
    static constexpr std::uint32_t kAnswerFlag = 332;
    // Worked over n = the visits before this one + 2: 1 + ... + n; twos counted to 3n or past it;
    // doubling from 1 past 4n; laps of threes counted to 4n or past it; 20 - n + ~n + !visits;
    // n + 70.
    static constexpr std::uint32_t kSumFlag = 333;
    static constexpr std::uint32_t kTwosFlag = 334;
    static constexpr std::uint32_t kDoublingFlag = 335;
    static constexpr std::uint32_t kLapsFlag = 336;
    // Jumped over every time: never set.
    static constexpr std::uint32_t kSkippedFlag = 337;
    static constexpr std::uint32_t kSignsFlag = 338;
    static constexpr std::uint32_t kLongSumFlag = 339;
    // 1: a coin thrown; 3: walked away. The wish's number (10 × the visits + n), 0 when no coin was
    // thrown; a coin is 10.
    static constexpr std::uint32_t kChoiceFlag = 340;
    static constexpr std::uint32_t kWishFlag = 341;
    // The first roll of the script dice seeded with 7.
    static constexpr std::uint32_t kRollFlag = 342;
    // How many kinds of things the bag holds (the ring's aside) as the well is looked into.
    static constexpr std::uint32_t kBagFlag = 343;
};

void AddScriptContent(Catalogue& c);
void AddWell(qmtest::FieldMap& town);
void WriteScriptFiles(const std::filesystem::path& root);

}  // namespace sample
