#include "MainCode/GameData/TCharacterTexture.h"

#include "MainCode/GameData/TGameData.h"

namespace {

struct Variant {
    const char* package;
    std::uint32_t flag;
    const char* names[3];  // by flag value 0 (and any other), 1, 2
};

constexpr Variant kVariants[2] = {
    {"hero.ptx/", 0x230, {"hero.ptx/hero", "hero.ptx/hero01", "hero.ptx/hero02"}},
    {"heroine.ptx/", 0x231, {"heroine.ptx/heroine", "heroine.ptx/heroine01", "heroine.ptx/heroine02"}},
};

}  // namespace

std::string SelectCharacterTextureName(const std::string& current)
{
    const TGameData* data = TGameData::GetInstance();
    if (data == nullptr) {
        return std::string();
    }
    for (const Variant& variant : kVariants) {
        if (current.find(variant.package) != std::string::npos) {
            const std::uint8_t value = data->GetFlag(variant.flag);
            return variant.names[value <= 2 ? value : 0];
        }
    }
    return std::string();
}
