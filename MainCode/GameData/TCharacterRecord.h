// The saved state of one party character: levels, stats, equipment, skills and the ability
// points earned with each weapon and accessory.
#pragma once

#include <cstdint>
#include <list>

class TByteReader;
class TPlayerCharacter;
class TSaveWriter;

struct TCharacterRecord {
    static constexpr std::uint32_t kSkillSlots = 5;
    // Ability points are kept for weapon ids 1000..1199 and accessory ids 2000..2199.
    static constexpr std::uint32_t kFirstWeponId = 1000;
    static constexpr std::uint32_t kFirstAccessoryId = 2000;
    static constexpr std::uint32_t kAbpEntries = 200;
    static constexpr std::uint16_t kMaxAbp = 1000;

    // The values of a character nobody has defined yet.
    TCharacterRecord() = default;

    // Starts the character afresh from hero definition `index` (full life and MP, nothing
    // learned, no ability points).
    void Reset(std::uint32_t index);

    // Copies the live character back: levels, life, MP, gauge, stats, equipment ids and the
    // status words. Skills and ability points stay.
    void Store(const TPlayerCharacter& player);

    // Where the ability points of an id are kept; null for an id outside the arrays.
    std::uint16_t* WeponAbp(std::uint32_t weponId);
    std::uint16_t* AccessoryAbp(std::uint32_t accessoryId);

    // The record as a save file body holds it: 952 bytes, then 4 per learned skill.
    bool Write(TSaveWriter& out) const;
    // Replaces the whole record, learned list included. False when the data ends early (the
    // record is then partly read: read into a temporary).
    bool Read(TByteReader& in);

    bool IsInSlot(std::uint32_t skillId) const;
    bool IsLearned(std::uint32_t skillId) const;  // in the learned list (not in a slot)

    std::int32_t PartyIndex = -1;
    std::uint32_t Level = 0;  // counted from 0
    std::uint32_t Experience = 0;
    std::int32_t LifeMax = 100;
    std::int32_t MpMax = 100;
    std::int32_t GaugeMax = 1000;
    std::int32_t Life = 100;
    std::int32_t Mp = 100;
    std::int32_t GaugeUsed = 0;
    std::int32_t Stat[4] = {1, 1, 1, 1};  // strength, vitality, intelligence, mind
    float ElementValue[6] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
    std::uint32_t WeaponId = 1000;
    std::uint32_t Accessory1Id = 2000;
    std::uint32_t Accessory2Id = 2000;
    std::uint32_t SkillSlot[kSkillSlots] = {};  // 0 = empty
    std::uint16_t WeponPoints[kAbpEntries] = {};
    std::uint16_t AccessoryPoints[kAbpEntries] = {};
    std::uint32_t StateWord[10] = {};  // the player character's own, kept unchanged
    // Learned and not set in a slot, in order of learning.
    std::list<std::uint32_t> LearnedSkills;
};
