// "hrdef.tbl": the hero definitions a party record starts from on a new game.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/GameData/TGameTable.h"

struct THrdefRecord {
    std::int32_t Id = -1;  // becomes the party record's index
    std::string Name = "名無しのヒーロー";
    std::int32_t Level = 0;
    std::int32_t Experience = 0;
    std::int32_t LifeMax = 100;
    std::int32_t MpMax = 100;
    std::int32_t GaugeMax = 1000;
    std::int32_t Stat[4] = {100, 100, 100, 100};
    float ElementValue[6] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
    std::uint32_t WeaponId = 1000;
    std::uint32_t Accessory1Id = 2000;
    std::uint32_t Accessory2Id = 2000;
    std::int32_t Extra[6] = {};  // not copied to the party record
    std::string FaceName;        // "face.ptx/" + this
    std::string ModelName;       // character folder + this + ".tob" / ".pat"
    std::string TableName;       // folder + this + table name + ".tbl"

    bool Read(TByteReader& in);
};

using THrdefTableReader = TGameTableReader<THrdefRecord>;

class THrdefTable : public TGameTable<THrdefRecord, TableLoad::Replace> {};
