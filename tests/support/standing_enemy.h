// A target for tests that never moves: it stands where it was placed, faces nobody, takes the damage
// of a hit, and ends when its HP is gone or it is out of range.
#pragma once

#include <cstdint>

#include "MainCode/Character/TEnemy.h"

namespace qmtest {

class StandingEnemy : public TEnemy {
public:
    explicit StandingEnemy(const TEnemyRecord& record, std::uint8_t tableFlag = 0);

    bool Update() override;
    TRefPtr<TEnemy> Clone(TEnemyFactory* factory) override;
    void OnHitDelivered(TArmedCharacter*, std::int32_t, std::int32_t, std::uint8_t) override {}
    std::uint32_t ReactLight(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float, float,
                             std::int32_t damage) override;
    std::uint32_t ReactLight2(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float, float,
                              std::int32_t damage) override;
    std::uint32_t ReactLaunch(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float, float,
                              float, std::int32_t damage) override;
    std::uint32_t ReactStun(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, std::uint8_t,
                            float, float, std::int32_t damage) override;
    std::uint32_t ReactHeavy(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float, float,
                             std::int32_t damage) override;
    void SetBehaviour0() override { m_behaviour = 0; }
    void SetBehaviour1() override { m_behaviour = 1; }
    void SetBehaviour2() override { m_behaviour = 2; }
    void SetBehaviour3() override { m_behaviour = 3; }
    void SetBehaviour4() override { m_behaviour = 4; }
    void SetBehaviour5() override { m_behaviour = 5; }
    void SetBehaviour6() override { m_behaviour = 6; }
    void SetBehaviour7() override { m_behaviour = 7; }
    bool IsBehaviour0() override { return m_behaviour <= 1; }
    bool IsBehaviour1() override { return m_behaviour <= 1; }
    bool IsBehaviour2() override { return m_behaviour == 2; }
    bool IsBehaviour3() override { return m_behaviour == 3; }
    bool IsBehaviour4() override { return m_behaviour == 4; }
    bool IsBehaviour5() override { return m_behaviour == 5; }
    bool IsBehaviour6() override { return m_behaviour == 6; }
    bool IsBehaviour7() override { return m_behaviour == 7; }
    void RunBehaviour() override {}
    void ChooseAttack(float) override {}

private:
    std::uint32_t Hit(std::int32_t damage);

    std::uint32_t m_behaviour = 0;
};

}  // namespace qmtest
