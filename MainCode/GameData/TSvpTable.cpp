#include "MainCode/GameData/TSvpTable.h"

bool TSvpRecord::Read(TFile& file)
{
    return tablefield::ReadFields(file, Id, MapName, StartX, StartY, StartZ, PlaceName);
}
