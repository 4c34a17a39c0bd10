// The heavy enemy: hits never turn, stagger or rob it; its ten attacks run on whatever it takes.
#pragma once

#include <cstdint>

#include "MainCode/Character/TEnemy.h"

class TEnemyB : public TEnemy {
public:
    TEnemyB(const TEnemyRecord& record, std::uint32_t attackCount, std::uint8_t tableFlag);
    TEnemyB(const TEnemyB& other);

    bool Update() override;
    TRefPtr<TEnemy> Clone(TEnemyFactory* factory) override;
    void ChooseAttack(float) override { ChooseAttackOf(m_attackCount); }
    std::uint32_t ReceiveHit(TAttackHit* hit) override;
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
