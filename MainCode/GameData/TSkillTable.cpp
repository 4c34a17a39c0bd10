#include "MainCode/GameData/TSkillTable.h"

bool TSkillRecord::Read(TByteReader& in)
{
    return tablefield::ReadFields(in, Id, Name, Type, SubKind, InfoName, Text1, Text2, Text3);
}
