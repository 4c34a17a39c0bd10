// The hero class of weapon type 2, for both party characters ("hero02", "heroine02").
#pragma once

#include "MainCode/Character/THero.h"

class THeroC : public THero {
public:
    THeroC(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record,
           const std::string& model);
};
