// The hero class of weapon type 8 ("hero05").
#pragma once

#include "MainCode/Character/THero.h"

class THeroG : public THero {
public:
    THeroG(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record);
};
