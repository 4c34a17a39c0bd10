// One spawner of a battle map: where and what it places, how long it rests between firings, and the
// enemy it placed while that one lives.
#pragma once

#include <cstdint>

#include "MainCode/Character/TEnemy.h"
#include "TCommon/TRefPtr.h"
#include "platform/d3dx8/d3dx8math.h"

struct TMapEnemySpawner;

class TEnemySpawner {
public:
    // The timer starts part-way: close to the interval for short intervals, lower for long ones.
    explicit TEnemySpawner(const TMapEnemySpawner& entry);

    bool IsReady() const { return m_enemy.Get() == nullptr && m_timer >= 0 &&
                                  static_cast<std::uint32_t>(m_timer) >= m_interval; }

    std::uint32_t m_typeId;
    D3DXVECTOR3 m_position;
    D3DXVECTOR3 m_direction;
    std::uint32_t m_interval;
    float m_leashRadius;
    std::int32_t m_timer = 0;
    TRefPtr<TEnemy> m_enemy;
};
