#include "MainCode/Character/TEnemyD.h"

#include <cmath>

namespace {

constexpr std::int32_t kStatCap = 99999;
constexpr std::int32_t kStatGrowthLimit = 10000;

// Stats of 10000 or more are left alone; the rest grow by the factor up to the cap.
std::int32_t Revived(std::int32_t stat, float factor)
{
    if (stat >= kStatGrowthLimit) {
        return stat;
    }
    const double grown = std::trunc(static_cast<double>(stat) * factor);
    return grown >= kStatCap ? kStatCap : static_cast<std::int32_t>(grown);
}

}  // namespace

TEnemyD::TEnemyD(const TEnemyRecord& record, std::uint32_t attackCount, std::int32_t reviveEventCode,
                 float reviveStatFactor, std::int32_t reviveLimit, std::uint8_t tableFlag)
    : TEnemy(record, tableFlag),
      m_attackCount(attackCount),
      m_reviveEventCode(reviveEventCode),
      m_reviveStatFactor(reviveStatFactor),
      m_reviveLimit(reviveLimit)
{
    SetAttackTable(s_sevenAttacks.entries, 8);
    SetState(0);
}

TEnemyD::TEnemyD(const TEnemyD& other)
    : TEnemy(other),
      m_attackCount(other.m_attackCount),
      m_reviveEventCode(other.m_reviveEventCode),
      m_reviveStatFactor(other.m_reviveStatFactor),
      m_reviveLimit(other.m_reviveLimit)
{
    SetAttackTable(s_sevenAttacks.entries, 8);
}

bool TEnemyD::Update() { return UpdateEnemy(false); }

TRefPtr<TEnemy> TEnemyD::Clone(TEnemyFactory* factory) { return CloneAs<TEnemyD>(factory); }

std::uint32_t TEnemyD::ReceiveHit(TAttackHit* hit)
{
    const std::uint32_t result = TEnemy::ReceiveHit(hit);
    if (m_hp > 0) {
        return result;
    }
    if (m_reviveLimit != -1 && m_reviveCount++ >= m_reviveLimit) {
        return result;
    }
    if (m_reviveEventCode != -1) {
        TPatternEvent revival;
        revival.EventCode = static_cast<std::uint16_t>(m_reviveEventCode);
        OnPatternEvent(revival);
    }
    RecoverHp(m_maxHp);
    m_str = Revived(m_str, m_reviveStatFactor);
    m_vit = Revived(m_vit, m_reviveStatFactor);
    m_int = Revived(m_int, m_reviveStatFactor);
    m_men = Revived(m_men, m_reviveStatFactor);
    return result;
}
