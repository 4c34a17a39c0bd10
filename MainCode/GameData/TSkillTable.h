// "skill.tbl": names, kinds and descriptions of the skills.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/GameData/TGameTable.h"

struct TSkillRecord {
    std::uint32_t Id = 0;
    std::string Name;
    // 4..15: bound to weapons of type Type - 4. 2 and 3: passive, SubKind 11..24 picks the party factor.
    std::uint8_t Type = 0;
    std::uint8_t SubKind = 0;
    std::string InfoName;  // "skillinfo.ptx/" + this
    std::string Text1;
    std::string Text2;
    std::string Text3;

    bool Read(TByteReader& in);
};

using TSkillTableReader = TGameTableReader<TSkillRecord>;

class TSprite;

class TSkillTable : public TGameTable<TSkillRecord, TableLoad::Replace> {
public:
    static constexpr std::uint32_t kIconCount = 38;

    // "skillinfo.ptx/" + the picture name.
    static void CreateInfoSprite(TSprite& out, std::uint32_t skillId);
    // "skl_icon.ptx/" + the icon's name; a sprite without texture for an index past the icons.
    static void CreateIconSprite(TSprite& out, std::uint8_t iconIndex);
    // "act00_skl" .. "atk12_skl" for 0..37; empty past them.
    static std::string GetIconName(std::uint32_t iconIndex);
};
