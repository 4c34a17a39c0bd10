// The steadfast enemy: hits never stagger it; it keeps shaking them off while alive.
#pragma once

#include <cstdint>

#include "MainCode/Character/TUnstaggeredEnemy.h"

class TEnemyE : public TUnstaggeredEnemy {
public:
    TEnemyE(const TEnemyRecord& record, std::uint32_t attackCount, std::uint8_t tableFlag);
    TEnemyE(const TEnemyE& other);

    bool Update() override;
    TRefPtr<TEnemy> Clone(TEnemyFactory* factory) override;
    void ChooseAttack(float) override { ChooseAttackOf(m_attackCount); }

private:
    std::uint32_t m_attackCount;
};
