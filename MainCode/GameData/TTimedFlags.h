// A party character's timed stat bonus: four values copied from a used item's effect, in
// force until the effect's ticks have run out.
#pragma once

#include <cstdint>

#include "MainCode/GameData/TItemMeanTable.h"
#include "TCommon/TRefPtr.h"

class TTimedFlags {
    friend struct TGameDataProbe;
public:
    TTimedFlags() = default;

    // Shares the effect (unless it is already the one held) and copies its bonuses afresh.
    // An empty holder changes nothing.
    void Set(const TRefPtr<TItemMean>& effect);
    // Once per update of the character playing: one tick of the effect; the bonuses go to 0
    // when it has run out (the effect stays held).
    void Tick();
    // An effect is held and a bonus is not 0.
    bool IsActive() const;
    // No bonuses, no effect.
    void Reset();

    // 0 STR, 1 VIT, 2 INT, 3 MEN; 0 outside.
    std::int32_t GetBonus(std::uint32_t i) const { return i < 4 ? m_bonus[i] : 0; }

private:
    std::int32_t m_bonus[4] = {};
    TRefPtr<TItemMean> m_effect;
};
