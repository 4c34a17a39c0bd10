// The hero class of weapon type 5, for the hero only ("hero04").
#pragma once

#include "MainCode/Character/THero.h"

class THeroD : public THero {
public:
    // The class names its own model, "hero04".
    THeroD(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record);
};
