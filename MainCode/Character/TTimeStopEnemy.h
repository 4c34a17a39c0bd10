// The enemy that stops time: when its stopping blow lands, the player is frozen where it stands, the
// board hangs before the camera, and 600 counted frames later the enemy strikes the frozen player.
// It also builds the board the stop shows, and takes it away again when it goes.
#pragma once

#include <cstdint>

#include "MainCode/Character/TUnstaggeredEnemy.h"

class TTimeStopEnemy : public TUnstaggeredEnemy {
public:
    static constexpr std::int32_t kStopBlow = 11111;
    static constexpr std::uint32_t kStrikeCode = 50007;
    static constexpr std::uint32_t kStopAttack = 9;
    static constexpr std::uint32_t kAuraEffect = 809;

    // The attack count is not used: the class has its own lists.
    TTimeStopEnemy(const TEnemyRecord& record, std::uint32_t attackCount, std::uint8_t tableFlag, std::uint8_t aura);
    // Ends a running stop, and builds the board when there is none.
    TTimeStopEnemy(const TTimeStopEnemy& other);
    // Ends a running stop and drops the board (the next copy builds it again).
    ~TTimeStopEnemy() override;

    bool Update() override;
    TRefPtr<TEnemy> Clone(TEnemyFactory* factory) override;
    void AttachToField(TAreaBase* area) override;
    void DetachFromField() override;
    std::uint32_t ReceiveHit(TAttackHit* hit) override;
    void OnHitDelivered(TArmedCharacter* victim, std::int32_t value, std::int32_t damage, std::uint8_t flag) override;
    void Think() override;
    void ChooseAttack(float distance) override;

    // The attack list entry of a draw (0-9) at that distance.
    static std::uint32_t AttackAt(float distance, std::uint32_t draw);
    // One in n draws forces the stopping attack.
    std::uint32_t ForcedAttackOdds() const;
    // The aura effect i (0-2) while it lives; null otherwise.
    TEffect* GetAuraEffect(std::uint32_t i) const;

private:
    void TimeStopAttack();

    static const TAttackTable<10> s_attacks;

    std::uint8_t m_aura;
    // Held by serial: the effect manager owns the effects and may drop them first.
    std::int32_t m_auraSerials[3] = {-1, -1, -1};
};
