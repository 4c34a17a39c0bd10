// The player base alone, for tests of what every hero shares: it runs the shared state handlers
// 0 to 18; in state 19 it runs the shared skill sub-states and goes back to idle for any other
// action. SetState keeps 0 to 3 as the move level and plays the state's animation.
#pragma once

#include <string>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TCharacterRecord.h"
#include "support/character_probe.h"

class BareHero : public TPlayerCharacter {
public:
    BareHero(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record,
             const std::string& model)
        : TPlayerCharacter(characterIndex, 0xFFFFFFFFu, 0.7F, 1.0F, 1, 1, -0.01F, 1, 1, 1, record.LifeMax, record.Life,
                           record.MpMax, record.Mp, record.Stat[0], record.Stat[1], record.Stat[2], record.Stat[3],
                           record.ElementValue[0], record.ElementValue[1], record.ElementValue[2],
                           record.ElementValue[3], record.ElementValue[4], record.ElementValue[5], model,
                           record.Level, record.Experience, static_cast<std::uint32_t>(record.GaugeUsed),
                           static_cast<std::uint32_t>(record.GaugeMax), static_cast<std::int32_t>(record.StateWord[0]),
                           static_cast<std::int32_t>(record.StateWord[1]),
                           static_cast<std::int32_t>(record.StateWord[2]),
                           static_cast<std::int32_t>(record.StateWord[3]),
                           static_cast<std::int32_t>(record.StateWord[4]),
                           static_cast<std::int32_t>(record.StateWord[5]), 10, 10, links)
    {
        SetState(kStateIdle);
        Equip(record.WeaponId);
        SetEquipItem(record.Accessory1Id, 'A');
        SetEquipItem(record.Accessory2Id, 'B');
    }

    std::uint32_t SetState(std::uint32_t state) override
    {
        if (state <= 3) {
            m_moveLevel = state;
        }
        TGameObject::SetState(state);
        m_bodyMesh->SetMorph(state);
        return state;
    }

    void SetSubState(std::uint32_t action) override
    {
        SetState(kStateAction);
        m_subState = action;
        if (const SharedSubState* shared = TCharacterProbe::SharedSubStateByRow(action)) {
            m_bodyMesh->SetMorph(shared->Motion);
        }
    }

    void OnHitDelivered(TArmedCharacter* victim, std::int32_t value, std::int32_t damage, std::uint8_t flag) override
    {
        OnHitLanded(victim, value, damage, flag);
    }

    std::uint32_t GetChainAction() override { return 33; }
    std::int32_t GetSkillAction(std::uint32_t, std::uint8_t) override { return 0; }
    void OnAttackReleased() override {}
    void OnSkillReleased() override {}
    void OnBothReleased() override {}

protected:
    bool RunStateHandler() override
    {
        if (m_state < kStateAction) {
            return (this->*s_sharedStates[m_state])();
        }
        if (m_state == kStateAction) {
            if (const SharedSubState* shared = TCharacterProbe::SharedSubStateByRow(m_subState)) {
                return (this->*shared->Handler)();
            }
            SetState(kStateIdle);
        }
        return false;
    }
};
