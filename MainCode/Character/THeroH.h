// The hero class of weapon type 10 ("hero07").
#pragma once

#include "MainCode/Character/THero.h"

class THeroH : public THero {
public:
    THeroH(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record);
};
