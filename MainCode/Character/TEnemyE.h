// The steadfast enemy: hits never stagger it; it keeps shaking them off while alive.
#pragma once

#include <cstdint>

#include "MainCode/Character/TEnemy.h"

class TEnemyE : public TEnemy {
public:
    TEnemyE(const TEnemyRecord& record, std::uint32_t attackCount, std::uint8_t tableFlag);
    TEnemyE(const TEnemyE& other);

    bool Update() override;
    TRefPtr<TEnemy> Clone(TEnemyFactory* factory) override;
    void ChooseAttack(float) override { ChooseAttackOf(m_attackCount); }
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

    std::uint32_t GetAttackCount() const { return m_attackCount; }

private:
    std::uint32_t m_attackCount;
};
