// The enemies a hit never staggers, knocks back or throws: they only take its damage, and go down
// when it leaves them no HP.
#pragma once

#include <cstdint>

#include "MainCode/Character/TEnemy.h"

class TUnstaggeredEnemy : public TEnemy {
public:
    using TEnemy::TEnemy;

    std::uint32_t ReactLight(std::uint32_t element, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float, float,
                             std::int32_t damage) override
    {
        return ReactWithoutStagger(1, element, damage);
    }
    std::uint32_t ReactLight2(std::uint32_t element, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float,
                              float, std::int32_t damage) override
    {
        return ReactWithoutStagger(2, element, damage);
    }
    std::uint32_t ReactLaunch(std::uint32_t element, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float,
                              float, float, std::int32_t damage) override
    {
        return ReactWithoutStagger(4, element, damage);
    }
    std::uint32_t ReactStun(std::uint32_t element, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t,
                            std::uint8_t, float, float, std::int32_t damage) override
    {
        return ReactWithoutStagger(8, element, damage);
    }
    std::uint32_t ReactHeavy(std::uint32_t element, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float,
                             float, std::int32_t damage) override
    {
        return ReactWithoutStagger(16, element, damage);
    }
};
