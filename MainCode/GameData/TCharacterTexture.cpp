#include "MainCode/GameData/TCharacterTexture.h"

#include "MainCode/GameData/TGameData.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TMeshMaterial.h"
#include "dx/dx8/3d/TTexture8.h"

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

void SelectCharacterTexture(TMesh8& mesh)
{
    if (mesh.GetMaterialCount() == 0) {
        return;
    }
    TMeshMaterial& material = mesh.GetMaterial(0);
    const std::string name = SelectCharacterTextureName(material.GetTexture().GetName());
    if (!name.empty()) {
        material.SetTexture(TTexture8::Load(name, D3DPOOL_MANAGED, 0));
    }
}
