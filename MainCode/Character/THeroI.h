// The heroine's class of weapon type 3 ("heroine03").
#pragma once

#include "MainCode/Character/THero.h"

class THeroI : public THero {
public:
    THeroI(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record);
};
