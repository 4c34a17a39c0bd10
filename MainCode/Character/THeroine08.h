// The heroine's class of weapon type 11, the bow ("heroine08").
#pragma once

#include "MainCode/Character/THero.h"

class THeroine08 : public THero {
public:
    THeroine08(TFieldLoop* field, std::uint32_t characterIndex, const TCharacterRecord& record);

    static const THeroClassDef& GetDef();
};
