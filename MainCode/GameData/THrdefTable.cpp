#include "MainCode/GameData/THrdefTable.h"

bool THrdefRecord::Read(TFile& file)
{
    return tablefield::ReadFields(file, Id, Name, Level, Experience, LifeMax, MpMax, GaugeMax, Stat, ElementValue,
                                  WeaponId, Accessory1Id, Accessory2Id, Extra, FaceName, ModelName, TableName);
}
