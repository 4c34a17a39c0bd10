// The hero class of weapon type 7, for the hero ("hero04").
#pragma once

#include "MainCode/Character/THero.h"

class THeroF : public THero {
public:
    // The class names its own model, "hero04".
    THeroF(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record);
};
