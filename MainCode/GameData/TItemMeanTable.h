// "itemmean.tbl": what using an item does (recovery, timed bonuses, cures, gauge cost).
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/GameData/TGameTable.h"
#include "TCommon/TRefPtr.h"

struct TItemMeanRecord {
    std::uint32_t Id = 0;
    std::int32_t Word1 = 0;
    std::int32_t HpRecover = 0;
    std::int32_t MpRecover = 0;
    std::int32_t Bonus[4] = {};  // STR, VIT, INT, MEN, held for Duration ticks
    std::uint8_t CurePoison = 0;
    std::uint8_t CureSickness = 0;
    std::uint8_t CureConfusion = 0;
    std::uint8_t CureFear = 0;
    std::uint8_t CureSlow = 0;
    std::uint8_t CureSilence = 0;
    std::int32_t Cost = 0;  // added to the user's item gauge
    std::int32_t Duration = 0;

    bool Read(TByteReader& in);
};

using TItemMeanTableReader = TGameTableReader<TItemMeanRecord>;

// The running effect of a used item.
struct TItemMean {
    std::uint32_t Id = 0;
    std::int32_t Duration = 0;  // ticks left
    std::int32_t HpRecover = 0;
    std::int32_t MpRecover = 0;
    std::int32_t Bonus[4] = {};
    std::int32_t Cost = 0;

    // One tick less; true while the ticks left are 0 or more.
    bool CountDown();
};

class TItemMeanTable : public TGameTable<TItemMeanRecord, TableLoad::Merge> {
public:
    static TRefPtr<TItemMean> CreateInstance(std::uint32_t id);
};
