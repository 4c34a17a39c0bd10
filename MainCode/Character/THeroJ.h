// The heroine's class of weapon type 4 ("heroine03").
#pragma once

#include "MainCode/Character/THero.h"

class THeroJ : public THero {
public:
    THeroJ(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record);
};
