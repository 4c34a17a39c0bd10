#include "MainCode/GameData/TGameData.h"

TGameData* TGameData::GetInstance()
{
    static TGameData instance;
    return &instance;
}
