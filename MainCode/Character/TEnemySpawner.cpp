#include "MainCode/Character/TEnemySpawner.h"

#include <bit>
#include <limits>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Map/TMapData.h"

namespace {

// Toward zero, held inside the i32 range.
std::int32_t ClampToInt(float v)
{
    if (!(v > -2147483648.0F)) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (v >= 2147483648.0F) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(v);
}

}  // namespace

TEnemySpawner::TEnemySpawner(const TMapEnemySpawner& entry)
    : m_typeId(entry.typeId),
      m_position(entry.p),
      m_direction(entry.q),
      m_interval(entry.m),
      m_leashRadius(std::bit_cast<float>(entry.n))
{
    // 1/216000, in single precision as the map tools had it.
    const float n = static_cast<float>(m_interval);
    m_timer = ClampToInt(n - n * n * 4.6296295e-6F);
    if (m_timer < 0 || m_interval > static_cast<std::uint32_t>(m_timer)) {
        const std::int64_t span = static_cast<std::int64_t>(m_interval) - m_timer;
        if (span > 0) {
            const auto extra = static_cast<std::int64_t>(genrand_int32() % static_cast<std::uint64_t>(span));
            const std::int64_t timer = m_timer + extra;
            m_timer = static_cast<std::int32_t>(
                timer > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max() : timer);
        }
    }
}
