// A look into the game database for tests: the money ceiling, the inventory, the timed bonuses and
// how many records a table holds.
#pragma once

#include <cstdint>
#include <list>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TGameTable.h"
#include "MainCode/GameData/TItemEntry.h"
#include "MainCode/GameData/TTimedFlags.h"
#include "TCommon/TRefPtr.h"

struct TGameDataProbe {
    static std::uint32_t MaxMoney() { return TGameData::s_maxMoney; }
    static const std::list<TRefPtr<TItemEntry>>& ItemList(const TGameData& d) { return d.m_items; }
    static const TRefPtr<TItemMean>& Effect(const TTimedFlags& f) { return f.m_effect; }
    template <class Table>
    static std::size_t Count() { return Table::s_records.size(); }
};
