#include "MainCode/Character/TEnemyB.h"

namespace {

// Its next decision comes sooner after a hit than a common enemy's, yet still the after-hit one.
constexpr std::int32_t kThinkAfterHitB = -500;

}  // namespace

TEnemyB::TEnemyB(const TEnemyRecord& record, std::uint32_t attackCount, std::uint8_t tableFlag)
    : TUnstaggeredEnemy(record, tableFlag), m_attackCount(attackCount)
{
    SetAttackTable(s_tenAttacks.entries, 11);
    SetState(0);
}

TEnemyB::TEnemyB(const TEnemyB& other) : TUnstaggeredEnemy(other), m_attackCount(other.m_attackCount)
{
    SetAttackTable(s_tenAttacks.entries, 11);
}

// Shaken off every frame like E, and like E not once at 0 HP: the reset would lift it out of its
// fall for good and it could never die.
bool TEnemyB::Update() { return UpdateEnemy(m_hp > 0); }

TRefPtr<TEnemy> TEnemyB::Clone(TEnemyFactory* factory) { return CloneAs<TEnemyB>(factory); }

std::uint32_t TEnemyB::ReceiveHit(TAttackHit* hit)
{
    const std::uint32_t result = ReceiveHitUnturned(hit);
    m_thinkTimer = kThinkAfterHitB;
    return result;
}
