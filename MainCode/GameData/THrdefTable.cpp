#include "MainCode/GameData/THrdefTable.h"

bool THrdefRecord::Read(TByteReader& in)
{
    return tablefield::ReadFields(in, Id, Name, Level, Experience, LifeMax, MpMax, GaugeMax, Stat, ElementValue,
                                  WeaponId, Accessory1Id, Accessory2Id, Extra, FaceName, ModelName, TableName);
}
