#include "MainCode/GameData/TItemTable.h"

bool TItemRecord::Read(TByteReader& in)
{
    return tablefield::ReadFields(in, Id, Name, Kind, NoSell, RingUsable, Flag3, BuyPrice, SellPrice, MeshName,
                                  InfoName, IconName, Text1, Text2, Text3);
}
