// Stand-in for the hero classes until the hero engine comes: one class for every character and
// weapon-type pair that has a hero class, named after the class it stands for. It runs the shared
// state handlers 0 to 18; in state 19 it runs the shared skill sub-states and goes back to idle
// for any other action. SetState keeps 0 to 3 as the move level and plays the state's animation.
#pragma once

#include <string>

#include "MainCode/Character/TPlayerCharacter.h"

class TStandInHero : public TPlayerCharacter {
public:
    TStandInHero(TFieldLoop* field, std::uint32_t characterIndex, const TCharacterRecord& record,
                 const std::string& className, const std::string& model);

    std::uint32_t SetState(std::uint32_t state) override;
    void SetSubState(std::uint32_t action) override;
    void OnHitDelivered(TArmedCharacter* victim, std::int32_t value, std::int32_t damage, std::uint8_t flag) override;
    bool UpdateInTown() override;
    std::uint32_t GetChainAction() override { return 33; }
    std::int32_t GetSkillAction(std::uint32_t, std::uint8_t) override { return 0; }
    void OnAttackReleased() override {}
    void OnSkillReleased() override {}
    void OnBothReleased() override {}

    const std::string& GetClassName() const { return m_className; }

protected:
    bool RunStateHandler() override;

private:
    std::string m_className;
};

// The hero class of a character and weapon-type pair and the model it is given; false when the pair
// has no class. An empty model means the class brings its own.
bool FindPlayerClass(std::uint32_t characterIndex, std::int32_t weaponType, std::string& className,
                     std::string& model);
