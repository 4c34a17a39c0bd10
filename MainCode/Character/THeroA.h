// The hero class of weapon type 0, for both party characters ("hero01", "heroine01").
#pragma once

#include "MainCode/Character/THero.h"

class THeroA : public THero {
public:
    THeroA(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record,
           const std::string& model);
};
