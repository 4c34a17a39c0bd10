#include "MainCode/GameData/TCharacterRecord.h"

#include <algorithm>

#include "MainCode/GameData/THrdefTable.h"

void TCharacterRecord::Reset(std::uint32_t index)
{
    const THrdefRecord& hero = THrdefTable::Get(index);
    PartyIndex = hero.Id;
    Level = static_cast<std::uint32_t>(hero.Level);
    Experience = static_cast<std::uint32_t>(hero.Experience);
    LifeMax = hero.LifeMax;
    MpMax = hero.MpMax;
    GaugeMax = hero.GaugeMax;
    Life = LifeMax;
    Mp = MpMax;
    GaugeUsed = 0;
    std::copy(std::begin(hero.Stat), std::end(hero.Stat), Stat);
    std::copy(std::begin(hero.ElementValue), std::end(hero.ElementValue), ElementValue);
    WeaponId = hero.WeaponId;
    Accessory1Id = hero.Accessory1Id;
    Accessory2Id = hero.Accessory2Id;
    std::fill(std::begin(SkillSlot), std::end(SkillSlot), 0u);
    std::fill(std::begin(WeponPoints), std::end(WeponPoints), std::uint16_t{0});
    std::fill(std::begin(AccessoryPoints), std::end(AccessoryPoints), std::uint16_t{0});
    std::fill(std::begin(StateWord), std::end(StateWord), 0u);
    LearnedSkills.clear();
}

std::uint16_t* TCharacterRecord::WeponAbp(std::uint32_t weponId)
{
    const std::uint32_t i = weponId - kFirstWeponId;  // ids below wrap to a large index
    return i < kAbpEntries ? &WeponPoints[i] : nullptr;
}

std::uint16_t* TCharacterRecord::AccessoryAbp(std::uint32_t accessoryId)
{
    const std::uint32_t i = accessoryId - kFirstAccessoryId;
    return i < kAbpEntries ? &AccessoryPoints[i] : nullptr;
}

bool TCharacterRecord::IsInSlot(std::uint32_t skillId) const
{
    return std::find(std::begin(SkillSlot), std::end(SkillSlot), skillId) != std::end(SkillSlot);
}

bool TCharacterRecord::IsLearned(std::uint32_t skillId) const
{
    return std::find(LearnedSkills.begin(), LearnedSkills.end(), skillId) != LearnedSkills.end();
}
