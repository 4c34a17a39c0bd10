// The heavy enemy: hits never turn, stagger or rob it; its ten attacks run on whatever it takes.
#pragma once

#include <cstdint>

#include "MainCode/Character/TUnstaggeredEnemy.h"

class TEnemyB : public TUnstaggeredEnemy {
public:
    TEnemyB(const TEnemyRecord& record, std::uint32_t attackCount, std::uint8_t tableFlag);
    TEnemyB(const TEnemyB& other);

    bool Update() override;
    TRefPtr<TEnemy> Clone(TEnemyFactory* factory) override;
    void ChooseAttack(float) override { ChooseAttackOf(m_attackCount); }
    std::uint32_t ReceiveHit(TAttackHit* hit) override;

private:
    std::uint32_t m_attackCount;
};
