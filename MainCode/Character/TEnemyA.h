// The plain enemy: it staggers, falls and flies as every enemy does, with up to seven attacks.
#pragma once

#include <cstdint>

#include "MainCode/Character/TEnemy.h"

class TEnemyA : public TEnemy {
public:
    TEnemyA(const TEnemyRecord& record, std::uint32_t attackCount, std::uint8_t tableFlag);
    TEnemyA(const TEnemyA& other);

    bool Update() override;
    TRefPtr<TEnemy> Clone(TEnemyFactory* factory) override;
    void ChooseAttack(float) override { ChooseAttackOf(m_attackCount); }

private:
    std::uint32_t m_attackCount;
};
