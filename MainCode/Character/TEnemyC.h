// The elemental enemy: carries a shot of its element about it while in the field.
#pragma once

#include <cstdint>

#include "MainCode/Character/TEnemy.h"

class TEnemyC : public TEnemy {
    friend struct TCharacterProbe;
public:
    TEnemyC(const TEnemyRecord& record, std::uint32_t attackCount, std::uint32_t element, std::uint8_t tableFlag);
    TEnemyC(const TEnemyC& other);

    bool Update() override;
    TRefPtr<TEnemy> Clone(TEnemyFactory* factory) override;
    void ChooseAttack(float) override { ChooseAttackOf(m_attackCount); }
    void AttachToField(TAreaBase* area) override;
    void DetachFromField() override;

    // The element shot while it lives; null otherwise.
    TEffect* GetElementEffect() const;
    // Effect id of element 0..6; 0 for any other.
    static std::uint32_t ElementEffectId(std::uint32_t element);

private:
    std::uint32_t m_attackCount;
    std::uint32_t m_element;
    // Held by serial: the effect manager owns the shot and may drop it first.
    std::int32_t m_elementSerial = -1;
};
