// "item.tbl": names, prices, pictures and descriptions of every item, weapons and accessories
// included (ids below 1000 ordinary items, 1000..1999 weapons, 2000..2999 accessories).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "MainCode/GameData/TGameTable.h"

struct TItemRecord {
    std::uint32_t Id = 0;
    std::string Name;
    std::uint8_t Kind = 0;        // 0 ordinary item, 1 weapon, 2 accessory
    std::uint8_t NoSell = 0;      // 1 keeps it out of the sell shop
    std::uint8_t RingUsable = 0;  // non-zero: may go into the item ring
    std::uint8_t Flag3 = 0;
    std::uint32_t BuyPrice = 0;
    std::uint32_t SellPrice = 0;  // 0 keeps it out of the sell shop too
    std::string MeshName;         // weapon lying on the ground: "wepon/" + this + ".msh"
    std::string InfoName;         // "iteminfo.ptx/" + this
    std::string IconName;         // "itemicon.ptx/" + this
    std::string Text1;
    std::string Text2;
    std::string Text3;

    bool Read(TByteReader& in);
};

using TItemTableReader = TGameTableReader<TItemRecord>;

class TSprite;
class TText8;

// One line of an item or skill description: the text it goes into and where it starts.
struct TInfoLine {
    std::uint32_t text = 0;
    std::int32_t x = 0;
    std::string line;

    bool operator==(const TInfoLine&) const = default;
};

class TItemTable : public TGameTable<TItemRecord, TableLoad::Replace> {
public:
    // "itemicon.ptx/" + the icon name; "iteminfo.ptx/" + the picture name.
    static void CreateIconSprite(TSprite& out, std::uint32_t itemId);
    static void CreateInfoSprite(TSprite& out, std::uint32_t itemId);

    // The description of a skill (isSkill) or item: record lines, MP costs, attack, element and
    // owner of weapons, defences of accessories, then one line per skill the item teaches
    // (the j-th into text j). Lines are cut at kMaxLineBytes.
    static std::vector<TInfoLine> MakeInfoLines(std::uint32_t id, bool isSkill);
    // Clears texts 0..2 and draws the lines; a line for a text the caller did not give is left out.
    static void FormatInfo(std::span<TText8* const> texts, std::uint32_t id, bool isSkill);
};
