// The reviving enemy: brought to 0 HP it rises again at full HP and stronger, a limited number of times.
#pragma once

#include <cstdint>

#include "MainCode/Character/TEnemy.h"

class TEnemyD : public TEnemy {
public:
    TEnemyD(const TEnemyRecord& record, std::uint32_t attackCount, std::int32_t reviveEventCode, float reviveStatFactor,
            std::int32_t reviveLimit, std::uint8_t tableFlag);
    TEnemyD(const TEnemyD& other);

    bool Update() override;
    TRefPtr<TEnemy> Clone(TEnemyFactory* factory) override;
    void ChooseAttack(float) override { ChooseAttackOf(m_attackCount); }
    std::uint32_t ReceiveHit(TAttackHit* hit) override;

private:
    std::uint32_t m_attackCount;
    std::int32_t m_reviveEventCode;
    float m_reviveStatFactor;
    std::int32_t m_reviveCount = 0;
    std::int32_t m_reviveLimit;
};
