#include "MainCode/GameData/TSkillTable.h"

bool TSkillRecord::Read(TFile& file)
{
    return tablefield::ReadFields(file, Id, Name, Type, SubKind, InfoName, Text1, Text2, Text3);
}
