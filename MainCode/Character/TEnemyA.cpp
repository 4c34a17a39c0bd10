#include "MainCode/Character/TEnemyA.h"

TEnemyA::TEnemyA(const TEnemyRecord& record, std::uint32_t attackCount, std::uint8_t tableFlag)
    : TEnemy(record, tableFlag), m_attackCount(attackCount)
{
    SetAttackTable(s_sevenAttacks.entries, 8);
    SetState(0);
}

TEnemyA::TEnemyA(const TEnemyA& other) : TEnemy(other), m_attackCount(other.m_attackCount)
{
    SetAttackTable(s_sevenAttacks.entries, 8);
}

bool TEnemyA::Update() { return UpdateEnemy(false); }

TRefPtr<TEnemy> TEnemyA::Clone(TEnemyFactory* factory) { return CloneAs<TEnemyA>(factory); }
