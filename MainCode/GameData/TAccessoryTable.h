// "accessory.tbl": defences of the accessories and the skills each one teaches.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/GameData/TGameTable.h"
#include "TCommon/TRefPtr.h"

struct TAccessoryRecord {
    std::uint32_t Id = 0;
    std::string Name;
    std::uint8_t Flag = 0;
    std::int32_t PhysicalDefence = 0;
    std::int32_t MagicDefence = 0;
    float ElementDefence[6] = {};  // elements 1..6; above 0 counts as a defence
    std::uint32_t Skill[10] = {};  // as for weapons
    std::string Note;

    bool Read(TByteReader& in);
};

using TAccessoryTableReader = TGameTableReader<TAccessoryRecord>;

// An accessory a character wears.
struct TAccessory {
    std::uint32_t Id = 0;
    std::int32_t PhysicalDefence = 0;
    std::int32_t MagicDefence = 0;
    float ElementDefence[6] = {};
};

class TAccessoryTable : public TGameTable<TAccessoryRecord, TableLoad::Merge> {
public:
    static TRefPtr<TAccessory> CreateInstance(std::uint32_t id);
};
