// The hero class of weapon type 9, for the heroine ("heroine06").
#pragma once

#include "MainCode/Character/THero.h"

class THeroK : public THero {
public:
    // The class names its own model, "heroine06".
    THeroK(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record);
};
