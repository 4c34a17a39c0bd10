#include "support/standing_enemy.h"

namespace qmtest {

StandingEnemy::StandingEnemy(const TEnemyRecord& record, std::uint8_t tableFlag) : TEnemy(record, tableFlag)
{
}

bool StandingEnemy::Update()
{
    // The appearing motion is not there to wait for.
    if (m_state == 15) {
        SetState(0);
    }
    FrameUpdate();
    if (m_hp <= 0 || IsOutOfRange()) {
        m_alive = 0;
    }
    return m_alive != 0;
}

TRefPtr<TEnemy> StandingEnemy::Clone(TEnemyFactory* factory)
{
    auto* copy = new StandingEnemy(*this);
    copy->SetFactory(factory);
    return TRefPtr<TEnemy>(copy);
}

std::uint32_t StandingEnemy::Hit(std::int32_t damage)
{
    TakeDamage(damage);
    return 0;
}

std::uint32_t StandingEnemy::ReactLight(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float,
                                        float, std::int32_t damage)
{
    return Hit(damage);
}

std::uint32_t StandingEnemy::ReactLight2(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t,
                                         float, float, std::int32_t damage)
{
    return Hit(damage);
}

std::uint32_t StandingEnemy::ReactLaunch(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t,
                                         float, float, float, std::int32_t damage)
{
    return Hit(damage);
}

std::uint32_t StandingEnemy::ReactStun(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t,
                                       std::uint8_t, float, float, std::int32_t damage)
{
    return Hit(damage);
}

std::uint32_t StandingEnemy::ReactHeavy(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t,
                                        float, float, std::int32_t damage)
{
    return Hit(damage);
}

}  // namespace qmtest
