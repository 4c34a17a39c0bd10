// "item.tbl": names, prices, pictures and descriptions of every item, weapons and accessories
// included (ids below 1000 ordinary items, 1000..1999 weapons, 2000..2999 accessories).
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/GameData/TGameTable.h"

struct TItemRecord {
    std::uint32_t Id = 0;
    std::string Name;
    std::uint8_t Kind = 0;        // 0 ordinary item, 1 weapon, 2 accessory
    std::uint8_t NoSell = 0;      // 1 keeps it out of the sell shop
    std::uint8_t RingUsable = 0;  // non-zero: may go into the item ring
    std::uint8_t Flag3 = 0;
    std::uint32_t BuyPrice = 0;
    std::uint32_t SellPrice = 0;  // 0 keeps it out of the sell shop too
    std::string MeshName;         // weapon lying on the ground: "wepon/" + this + ".msh"
    std::string InfoName;         // "iteminfo.ptx/" + this
    std::string IconName;         // "itemicon.ptx/" + this
    std::string Text1;
    std::string Text2;
    std::string Text3;

    bool Read(TFile& file);
};

using TItemTableReader = TGameTableReader<TItemRecord>;

class TItemTable : public TGameTable<TItemRecord, TableLoad::Replace> {};
