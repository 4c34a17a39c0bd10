// "svp.tbl": the save points, where play starts again after a load.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/GameData/TGameTable.h"

struct TSvpRecord {
    std::uint32_t Id = 0;
    std::string MapName;
    float StartX = 0.0f;
    float StartY = 0.0f;
    float StartZ = 0.0f;
    std::string PlaceName;  // written in the save slot lines

    bool Read(TByteReader& in);
};

using TSvpTableReader = TGameTableReader<TSvpRecord>;

class TSvpTable : public TGameTable<TSvpRecord, TableLoad::Replace> {};
