#include "MainCode/Character/TEnemyE.h"

TEnemyE::TEnemyE(const TEnemyRecord& record, std::uint32_t attackCount, std::uint8_t tableFlag)
    : TUnstaggeredEnemy(record, tableFlag), m_attackCount(attackCount)
{
    SetAttackTable(s_sevenAttacks.entries, 8);
    SetState(0);
}

TEnemyE::TEnemyE(const TEnemyE& other) : TUnstaggeredEnemy(other), m_attackCount(other.m_attackCount)
{
    SetAttackTable(s_sevenAttacks.entries, 8);
}

// At 0 HP the reset would lift it out of its fall; it stays down to die.
bool TEnemyE::Update() { return UpdateEnemy(m_hp > 0); }

TRefPtr<TEnemy> TEnemyE::Clone(TEnemyFactory* factory) { return CloneAs<TEnemyE>(factory); }
