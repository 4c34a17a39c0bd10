#include "MainCode/GameData/TWeponTable.h"

#include <cstdio>

namespace {

struct TrailColour {
    float red;
    float green;
    float blue;
};

// By element: none, fire, water, wind, earth, light, dark.
constexpr TrailColour kTrailColours[7] = {
    {0.3f, 0.5f, 0.5f}, {1.0f, 0.4f, 0.2f},  {0.3f, 0.3f, 1.0f}, {0.0f, 0.5f, 0.25f},
    {0.5f, 0.25f, 0.25f}, {0.8f, 0.8f, 0.5f}, {0.25f, 0.0f, 0.5f},
};

}  // namespace

bool TWeponRecord::Read(TByteReader& in)
{
    return tablefield::ReadFields(in, Id, Name, Type, Attack, TrailLength, Element, Skill, MeshName);
}

TRefPtr<TWepon> TWeponTable::CreateInstance(std::uint32_t id)
{
    const TWeponRecord& record = Get(id);
    TRefPtr<TWepon> holder(new TWepon);
    TWepon* wepon = holder.Get();
    wepon->Id = record.Id;
    wepon->Type = record.Type;
    wepon->Element = record.Element;
    wepon->Attack = record.Attack;
    wepon->TrailLength = record.TrailLength;
    wepon->MeshFile = "wepon/" + record.MeshName + ".msh";
    // An element outside the seven keeps a black trail.
    if (record.Element < 7) {
        wepon->TrailRed = kTrailColours[record.Element].red;
        wepon->TrailGreen = kTrailColours[record.Element].green;
        wepon->TrailBlue = kTrailColours[record.Element].blue;
    }
    wepon->Mesh = TRefPtr<TMesh8>(new TMesh8(TMesh8::Load(wepon->MeshFile)));
    return holder;
}

bool TWeponTable::CanEquip(std::uint32_t character, std::uint32_t id)
{
    const std::int32_t type = Get(id).Type;
    if (type < 0 || type > 11) {
        return false;
    }
    // Bit t set: weapon type t fits.
    constexpr std::uint32_t kDiz = 1u << 0 | 1u << 1 | 1u << 2 | 1u << 5 | 1u << 6 | 1u << 7 | 1u << 8 | 1u << 10;
    constexpr std::uint32_t kZav = 1u << 0 | 1u << 1 | 1u << 2 | 1u << 3 | 1u << 4 | 1u << 9 | 1u << 11;
    const std::uint32_t bit = 1u << type;
    switch (character) {
    case 0:
        return (kDiz & bit) != 0;
    case 1:
        return (kZav & bit) != 0;
    default:
        return false;
    }
}

std::string TWeponTable::GetIconName(std::uint32_t id)
{
    const std::int32_t type = Get(id).Type;
    if (type < 0 || type > 11) {
        return std::string();
    }
    char number[8];
    std::snprintf(number, sizeof(number), "%02d", static_cast<int>(type + 2));
    return std::string("itm_icon.ptx/itm") + number + "_icon";
}

TSprite TWeponTable::CreateIconSprite(std::uint32_t id)
{
    return TSprite::FromFile(GetIconName(id), D3DPOOL_MANAGED, 0);
}
