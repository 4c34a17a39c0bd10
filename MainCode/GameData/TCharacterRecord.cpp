#include "MainCode/GameData/TCharacterRecord.h"

#include <algorithm>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/THrdefTable.h"
#include "MainCode/GameData/TSaveBuffer.h"
#include "TCommon/TByteReader.h"

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

bool TCharacterRecord::Write(TSaveWriter& out) const
{
    bool ok = out.I32(PartyIndex) && out.U32(Level) && out.U32(Experience) && out.I32(LifeMax) && out.I32(MpMax) &&
              out.I32(GaugeMax) && out.I32(Life) && out.I32(Mp) && out.I32(GaugeUsed);
    for (std::int32_t stat : Stat) {
        ok = ok && out.I32(stat);
    }
    for (float value : ElementValue) {
        ok = ok && out.F32(value);
    }
    ok = ok && out.U32(WeaponId) && out.U32(Accessory1Id) && out.U32(Accessory2Id);
    for (std::uint32_t id : SkillSlot) {
        ok = ok && out.U32(id);
    }
    for (std::uint16_t points : WeponPoints) {
        ok = ok && out.U16(points);
    }
    for (std::uint16_t points : AccessoryPoints) {
        ok = ok && out.U16(points);
    }
    for (std::uint32_t word : StateWord) {
        ok = ok && out.U32(word);
    }
    ok = ok && out.U32(static_cast<std::uint32_t>(LearnedSkills.size()));
    for (std::uint32_t id : LearnedSkills) {
        ok = ok && out.U32(id);
    }
    return ok;
}

bool TCharacterRecord::Read(TByteReader& in)
{
    bool ok = in.I32(PartyIndex) && in.U32(Level) && in.U32(Experience) && in.I32(LifeMax) && in.I32(MpMax) &&
              in.I32(GaugeMax) && in.I32(Life) && in.I32(Mp) && in.I32(GaugeUsed);
    for (std::int32_t& stat : Stat) {
        ok = ok && in.I32(stat);
    }
    for (float& value : ElementValue) {
        ok = ok && in.F32(value);
    }
    ok = ok && in.U32(WeaponId) && in.U32(Accessory1Id) && in.U32(Accessory2Id);
    for (std::uint32_t& id : SkillSlot) {
        ok = ok && in.U32(id);
    }
    for (std::uint16_t& points : WeponPoints) {
        ok = ok && in.U16(points);
    }
    for (std::uint16_t& points : AccessoryPoints) {
        ok = ok && in.U16(points);
    }
    for (std::uint32_t& word : StateWord) {
        ok = ok && in.U32(word);
    }
    std::uint32_t learned = 0;
    // The count must be covered by the bytes left before the list grows.
    if (!ok || !in.U32(learned) || !in.Fits(learned, 4)) {
        return false;
    }
    LearnedSkills.clear();
    for (std::uint32_t k = 0; k < learned; ++k) {
        std::uint32_t id = 0;
        in.U32(id);
        LearnedSkills.push_back(id);
    }
    return true;
}

void TCharacterRecord::Store(const TPlayerCharacter& player)
{
    PartyIndex = static_cast<std::int32_t>(player.GetCharacterIndex());
    Level = player.GetLevel();
    Experience = player.GetExperience();
    LifeMax = player.GetMaxHp();
    MpMax = player.GetMaxMp();
    GaugeMax = static_cast<std::int32_t>(player.GetGaugeMax());
    Life = player.GetHp();
    Mp = player.GetMp();
    GaugeUsed = static_cast<std::int32_t>(player.GetGaugeUsed());
    for (std::uint32_t i = 0; i < 4; ++i) {
        Stat[i] = player.GetBaseStat(i);
    }
    for (std::uint32_t i = 0; i < 6; ++i) {
        ElementValue[i] = player.GetBaseElementRate(i);
    }
    WeaponId = player.GetWeaponId();
    Accessory1Id = player.GetEquipItemId('A');
    Accessory2Id = player.GetEquipItemId('B');
    player.GetStateWords(StateWord);
}
