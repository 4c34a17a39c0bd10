#include "MainCode/GameData/TSvpTable.h"

bool TSvpRecord::Read(TByteReader& in)
{
    return tablefield::ReadFields(in, Id, MapName, StartX, StartY, StartZ, PlaceName);
}
