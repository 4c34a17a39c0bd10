// An enemy of the plain class whose counters a test sets by hand, which keeps the pattern events it
// receives; and the behaviour an enemy holds.
#pragma once

#include <cstdint>
#include <vector>

#include "MainCode/Character/TEnemyA.h"

namespace enemytest {

class ProbeEnemy : public TEnemyA {
public:
    using TEnemyA::TEnemyA;
    void SetThinkTimer(std::int32_t t) { m_thinkTimer = t; }
    void SetMode(std::uint32_t mode) { m_reactionMode = mode; }
    void SetFlash(std::int32_t frames) { m_flashTime = frames; }
    void Ground() { m_onGround = 1; }
    void SetHpPair(std::int32_t hp, std::int32_t maxHp)
    {
        m_hp = hp;
        m_maxHp = maxHp;
    }
    void ShowGauge() { m_gaugeTimer = 200; }
    // The view its gauge is placed with.
    void Watch(TView* view) { m_view = view; }
    void OnPatternEvent(const TPatternEvent& frame) override
    {
        events.push_back(frame.EventCode);
        TEnemyA::OnPatternEvent(frame);
    }
    std::vector<std::uint16_t> events;
};

// The behaviour the enemy holds now (0 and 1 read as 1).
inline int Held(TEnemy& e)
{
    const bool on[8] = {false, e.IsBehaviour1(), e.IsBehaviour2(), e.IsBehaviour3(),
                        e.IsBehaviour4(), e.IsBehaviour5(), e.IsBehaviour6(), e.IsBehaviour7()};
    for (int b = 1; b < 8; ++b) {
        if (on[b]) {
            return b;
        }
    }
    return -1;
}

}  // namespace enemytest
