// "wepon.tbl": weapon types, attack, trail and the skills each weapon teaches; the weapon
// objects that characters hold, who may equip what, and the weapon icons.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/GameData/TGameTable.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TSprite.h"

struct TWeponRecord {
    std::uint32_t Id = 0;  // a type-8 weapon's second piece is the record under Id + 10000
    std::string Name;
    std::int32_t Type = 0;  // 0..11
    std::uint32_t Attack = 0;
    float TrailLength = 0.0f;
    std::uint32_t Element = 0;  // 0..6
    std::uint32_t Skill[10] = {};  // Skill[i] is learned at (i + 1) * 100 ability points; 0 = none
    std::string MeshName;          // "wepon/" + this + ".msh"

    bool Read(TByteReader& in);
};

using TWeponTableReader = TGameTableReader<TWeponRecord>;

// A weapon in a character's hand.
struct TWepon {
    std::uint32_t Id = 0;
    std::int32_t Type = 0;
    std::uint32_t Element = 0;
    std::uint32_t Attack = 0;
    float TrailLength = 0.0f;
    float TrailRed = 0.0f;
    float TrailGreen = 0.0f;
    float TrailBlue = 0.0f;
    // Its mesh, "wepon/" + MeshName + ".msh" inside the mesh folder.
    std::string MeshFile;
    TRefPtr<TMesh8> Mesh;
};

class TWeponTable : public TGameTable<TWeponRecord, TableLoad::Merge> {
public:
    static TRefPtr<TWepon> CreateInstance(std::uint32_t id);
    // Party character 0 and 1 each have their weapon types; nobody else equips anything.
    static bool CanEquip(std::uint32_t character, std::uint32_t id);
    // "itm_icon.ptx/itmNN_icon", NN = type + 2 in two digits; empty for a type outside 0..11.
    static std::string GetIconName(std::uint32_t id);
    static TSprite CreateIconSprite(std::uint32_t id);
};
