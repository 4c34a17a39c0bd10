// The hero class of weapon type 1, for both party characters ("hero01", "heroine01").
#pragma once

#include "MainCode/Character/THero.h"

class THeroB : public THero {
public:
    THeroB(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record,
           const std::string& model);
};
