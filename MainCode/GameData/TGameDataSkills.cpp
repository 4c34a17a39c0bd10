// Skill slots, learned skills, ability points and the passive-skill bonuses.
#include <algorithm>

#include "MainCode/GameData/TAccessoryTable.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/GameData/TWeponTable.h"

namespace {

struct SkillGroup {
    std::uint32_t first;
    std::uint32_t last;  // inclusive
};

// Group k sets event flag 1000 + k once learned whole.
constexpr SkillGroup kSkillGroups[12] = {
    {2000, 2014}, {2100, 2108}, {2200, 2212}, {2300, 2310}, {2400, 2406}, {2500, 2510},
    {2600, 2606}, {2700, 2706}, {2800, 2808}, {2900, 2908}, {3000, 3006}, {3100, 3106},
};
constexpr std::uint32_t kFirstGroupFlag = 1000;

// Passive skills: sub-kind 11 + n raises factor(s) by the skill's place among six ids from base.
struct PassiveBonus {
    std::uint32_t base;
    std::uint32_t firstFactor;
    std::uint32_t lastFactor;
    const float* values;
};

constexpr float kStatRates[6] = {0.02f, 0.04f, 0.06f, 0.08f, 0.10f, 0.12f};
constexpr float kFiveStepRates[6] = {0.05f, 0.10f, 0.15f, 0.20f, 0.25f, 0.30f};
constexpr float kAllElementRates[6] = {0.02f, 0.05f, 0.07f, 0.10f, 0.12f, 0.15f};
constexpr float kAbpRates[6] = {0.30f, 0.40f, 0.50f, 0.60f, 0.80f, 1.00f};

constexpr std::uint8_t kFirstPassiveSubKind = 11;
constexpr PassiveBonus kPassiveBonuses[14] = {
    {1100, 0, 0, kStatRates},       {1110, 1, 1, kStatRates},       {1120, 2, 2, kStatRates},
    {1130, 3, 3, kStatRates},       {1140, 4, 4, kFiveStepRates},   {1150, 5, 5, kFiveStepRates},
    {1160, 6, 6, kFiveStepRates},   {1170, 7, 7, kFiveStepRates},   {1180, 8, 8, kFiveStepRates},
    {1190, 9, 9, kFiveStepRates},   {1200, 4, 9, kAllElementRates}, {1300, 10, 10, kFiveStepRates},
    {1310, 11, 11, kAbpRates},      {1320, 12, 12, kFiveStepRates},
};

// Skill types 4..15 are bound to weapon type (type - 4); the others fit every weapon.
bool FitsWeapon(std::uint8_t skillType, std::int32_t weaponType)
{
    return skillType < 4 || skillType > 15 || skillType - 4 == weaponType;
}

}  // namespace

std::uint32_t TGameData::GetSkillSlot(std::uint32_t i, std::uint32_t slot) const
{
    const TCharacterRecord* record = Character(i);
    return record != nullptr && slot < TCharacterRecord::kSkillSlots ? record->SkillSlot[slot] : 0;
}

void TGameData::SetSkillSlot(std::uint32_t i, std::uint32_t slot, std::uint32_t id)
{
    TCharacterRecord* record = Character(i);
    if (record == nullptr || slot >= TCharacterRecord::kSkillSlots) {
        return;
    }
    const std::uint32_t previous = record->SkillSlot[slot];
    record->SkillSlot[slot] = id;
    if (id != 0) {
        record->LearnedSkills.remove(id);
    }
    if (previous != 0) {
        LearnSkill(i, previous);
    }
    UpdateSkillBonuses(i);
}

void TGameData::ClearSkillSlot(std::uint32_t i, std::uint32_t slot)
{
    SetSkillSlot(i, slot, 0);
}

void TGameData::RemoveUnfitSkills(std::uint32_t i, std::uint32_t weaponId)
{
    const TCharacterRecord* record = Character(i);
    if (record == nullptr) {
        return;
    }
    const std::int32_t weaponType = TWeponTable::Get(weaponId).Type;
    for (std::uint32_t slot = 0; slot < TCharacterRecord::kSkillSlots; ++slot) {
        const std::uint32_t id = record->SkillSlot[slot];
        if (id != 0 && !FitsWeapon(TSkillTable::Get(id).Type, weaponType)) {
            SetSkillSlot(i, slot, 0);
        }
    }
}

bool TGameData::LearnSkill(std::uint32_t i, std::uint32_t id)
{
    TCharacterRecord* record = Character(i);
    if (record == nullptr || id == 0 || record->IsInSlot(id) || record->IsLearned(id)) {
        return false;
    }
    record->LearnedSkills.push_back(id);
    UpdateSkillMasterFlags();
    return true;
}

void TGameData::AddAbp(std::uint32_t i, std::uint16_t* abp, const std::uint32_t (&skills)[10], std::uint32_t points,
                       std::vector<std::uint32_t>& out)
{
    // Summed wide: the stored points never wrap, they stop at the cap.
    *abp = static_cast<std::uint16_t>(
        std::min<std::uint64_t>(std::uint64_t{*abp} + points, TCharacterRecord::kMaxAbp));
    const std::uint32_t opened = *abp / 100u;
    for (std::uint32_t k = 0; k < opened && k < 10; ++k) {
        if (LearnSkill(i, skills[k])) {
            out.push_back(skills[k]);
        }
    }
}

void TGameData::AddWeponAbp(std::uint32_t i, std::uint32_t weaponId, std::uint32_t points,
                            std::vector<std::uint32_t>& out)
{
    TCharacterRecord* record = Character(i);
    std::uint16_t* abp = record != nullptr ? record->WeponAbp(weaponId) : nullptr;
    if (abp != nullptr) {
        AddAbp(i, abp, TWeponTable::Get(weaponId).Skill, points, out);
    }
}

void TGameData::AddAccessoryAbp(std::uint32_t i, std::uint32_t accessoryId, std::uint32_t points,
                                std::vector<std::uint32_t>& out)
{
    TCharacterRecord* record = Character(i);
    std::uint16_t* abp = record != nullptr ? record->AccessoryAbp(accessoryId) : nullptr;
    if (abp != nullptr) {
        AddAbp(i, abp, TAccessoryTable::Get(accessoryId).Skill, points, out);
    }
}

void TGameData::MakeSkillList(std::vector<std::uint32_t>& out, std::uint32_t i, std::uint32_t weaponId) const
{
    out.clear();
    const TCharacterRecord* record = Character(i);
    if (record == nullptr) {
        return;
    }
    const std::int32_t weaponType = TWeponTable::Get(weaponId).Type;
    for (std::uint32_t id : record->LearnedSkills) {
        if (FitsWeapon(TSkillTable::Get(id).Type, weaponType)) {
            out.push_back(id);
        }
    }
    std::sort(out.begin(), out.end());
}

void TGameData::UpdateSkillMasterFlags()
{
    for (std::uint32_t c = 0; c < 2; ++c) {
        const TCharacterRecord& record = m_characters[c];
        for (std::uint32_t k = 0; k < std::size(kSkillGroups); ++k) {
            bool whole = true;
            for (std::uint32_t id = kSkillGroups[k].first; whole && id <= kSkillGroups[k].last; ++id) {
                whole = record.IsLearned(id) || record.IsInSlot(id);
            }
            if (whole && GetFlag(kFirstGroupFlag + k) == 0) {
                SetFlag(kFirstGroupFlag + k, 1);
            }
        }
    }
}

void TGameData::UpdateSkillBonuses(std::uint32_t i)
{
    std::fill(std::begin(m_skillFactors), std::end(m_skillFactors), 0.0f);
    const TCharacterRecord* record = Character(i);
    if (record == nullptr) {
        return;
    }
    for (std::uint32_t id : record->SkillSlot) {
        if (id == 0) {
            continue;
        }
        const TSkillRecord& skill = TSkillTable::Get(id);
        if (skill.Type != 2 && skill.Type != 3) {
            continue;
        }
        const std::uint32_t n = skill.SubKind - std::uint32_t{kFirstPassiveSubKind};
        if (n >= std::size(kPassiveBonuses)) {
            continue;
        }
        const PassiveBonus& bonus = kPassiveBonuses[n];
        const std::uint32_t place = id - bonus.base;
        if (place >= 6) {
            continue;  // a table whose id lies outside its sub-kind's six ids gives nothing
        }
        for (std::uint32_t f = bonus.firstFactor; f <= bonus.lastFactor; ++f) {
            m_skillFactors[f] = std::max(m_skillFactors[f], bonus.values[place]);
        }
    }
}
