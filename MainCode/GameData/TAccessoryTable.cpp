#include "MainCode/GameData/TAccessoryTable.h"

#include <algorithm>

bool TAccessoryRecord::Read(TByteReader& in)
{
    return tablefield::ReadFields(in, Id, Name, Flag, PhysicalDefence, MagicDefence, ElementDefence, Skill, Note);
}

TRefPtr<TAccessory> TAccessoryTable::CreateInstance(std::uint32_t id)
{
    const TAccessoryRecord& record = Get(id);
    TAccessory* accessory = new TAccessory;
    accessory->Id = record.Id;
    accessory->PhysicalDefence = record.PhysicalDefence;
    accessory->MagicDefence = record.MagicDefence;
    std::copy(std::begin(record.ElementDefence), std::end(record.ElementDefence), accessory->ElementDefence);
    return TRefPtr<TAccessory>(accessory);
}
