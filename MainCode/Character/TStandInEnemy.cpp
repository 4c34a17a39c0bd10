#include "MainCode/Character/TStandInEnemy.h"

TStandInEnemy::TStandInEnemy(const TEnemyRecord& record, const TEnemyTypeRow& type)
    : TEnemy(record, type.tableFlag), m_type(type)
{
}

bool TStandInEnemy::Update()
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

TRefPtr<TEnemy> TStandInEnemy::Clone(TEnemyFactory* factory)
{
    auto* copy = new TStandInEnemy(*this);
    copy->SetFactory(factory);
    return TRefPtr<TEnemy>(copy);
}

std::uint32_t TStandInEnemy::Hit(std::int32_t damage)
{
    TakeDamage(damage);
    return 0;
}

std::uint32_t TStandInEnemy::ReactLight(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float,
                                        float, std::int32_t damage)
{
    return Hit(damage);
}

std::uint32_t TStandInEnemy::ReactLight2(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t,
                                         float, float, std::int32_t damage)
{
    return Hit(damage);
}

std::uint32_t TStandInEnemy::ReactLaunch(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t,
                                         float, float, float, std::int32_t damage)
{
    return Hit(damage);
}

std::uint32_t TStandInEnemy::ReactStun(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t,
                                       std::uint8_t, float, float, std::int32_t damage)
{
    return Hit(damage);
}

std::uint32_t TStandInEnemy::ReactHeavy(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t,
                                        float, float, std::int32_t damage)
{
    return Hit(damage);
}
