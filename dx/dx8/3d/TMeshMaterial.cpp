#include "dx/dx8/3d/TMeshMaterial.h"

#include <cstdio>
#include <cstring>

#include "TCommon/TByteReader.h"
#include "TCommon/my_error.h"
#include "platform/text/cp932.h"

namespace {

const char kSourceFile[] = "dx/dx8/3d/TMeshMaterial";

}  // namespace

TMeshMaterial::TMeshMaterial(const std::string& name, const D3DMATERIAL8* material, const TTexture8& texture)
    : m_name(name), m_material(*material), m_texture(texture)
{
    DeriveSettings();
}

TMeshMaterial TMeshMaterial::Read(TByteReader& in)
{
    std::string name;
    std::string textureName;
    // 17 little-endian floats: Diffuse, Ambient, Specular, Emissive (r, g, b, a), Power.
    float f[17];
    if (!in.String(name) || !in.String(textureName) || !in.F32s(f, 17)) {
        throw my_error(in.Name() + " : マテリアルの途中でファイルが終わっています。", kSourceFile, __LINE__);
    }
    D3DMATERIAL8 m{};
    D3DCOLORVALUE* colours[4] = {&m.Diffuse, &m.Ambient, &m.Specular, &m.Emissive};
    for (int c = 0; c < 4; ++c) {
        *colours[c] = {f[c * 4], f[c * 4 + 1], f[c * 4 + 2], f[c * 4 + 3]};
    }
    m.Power = f[16];
    // The texture's own messages name the texture only; this names the mesh that asked for it.
    const auto asked = [&](const char* outcome) {
        std::fprintf(stderr, "mesh: %s: the material \"%s\" asks for the texture \"%s\", %s\n",
                     platform::Cp932ToUtf8(in.Name()).c_str(), platform::Cp932ToUtf8(name).c_str(),
                     platform::Cp932ToUtf8(textureName).c_str(), outcome);
    };
    TTexture8 texture;
    try {
        texture = TTexture8::Load(textureName, D3DPOOL_MANAGED, 0);
    } catch (const my_error& e) {
        asked("which cannot be read");
        // The refusal names the mesh and the texture beside the package it could not read.
        throw e.Within(in.Name() + " : マテリアル \"" + name + "\" のテクスチャ \"" + textureName + "\" を読めません : ");
    }
    if (!textureName.empty() && !texture.HasTexture()) {
        asked("which cannot be shown");
    }
    return TMeshMaterial(name, &m, texture);
}

void TMeshMaterial::DeriveSettings()
{
    DeriveRenderType();
    ApplyOrderFromName();
}

void TMeshMaterial::DeriveRenderType()
{
    struct Band {
        float low;
        float high;
        std::uint16_t code;
        float level;
    };
    // The bands pick the codes; a band's level is that code's own, not the band's middle.
    static const Band kBands[] = {
        {0.1F, 0.2F, kMul, 0.15F},          {0.2F, 0.3F, kAdd, 0.25F},          {0.3F, 0.4F, kZDisAdd, 0.35F},
        {0.4F, 0.5F, kOpaqueNotCull, 0.45F}, {0.5F, 0.6F, kAlphaNotCull, 0.55F}, {0.6F, 0.7F, kZwnAlpha, 0.75F},
        {0.7F, 0.8F, kZDisOpaque, 0.65F},    {0.8F, 0.9F, kZwnAlphaNotCull, 0.85F},
        {0.9F, 1.0F, kDestInverse, 0.95F},
    };
    const float alpha = m_material.Emissive.a;
    if (alpha == 0.0F) {
        m_renderType = kHide;
        return;
    }
    const float level = m_material.Specular.r;
    for (const Band& band : kBands) {
        if (level >= band.low && level < band.high) {
            m_renderType = band.code;
            m_material.Specular.r = band.level;
            return;
        }
    }
    m_renderType = HasAlphaTexture() || alpha < 1.0F ? kAlpha : kOpaque;
}

void TMeshMaterial::ApplyOrderFromName() { m_drawGroup = ParseOrder(); }

std::uint16_t TMeshMaterial::ParseOrder() const
{
    const std::size_t at = m_name.find("ORDER");
    if (at == std::string::npos) {
        return 0;
    }
    const std::string rest = m_name.substr(at + 5);
    unsigned int value = 0;
    int read = 0;
    if (rest.compare(0, 2, "0x") == 0) {
        read = std::sscanf(rest.c_str(), "%x", &value);
    } else {
        int signedValue = 0;
        read = std::sscanf(rest.c_str(), "%d", &signedValue);
        value = static_cast<unsigned int>(signedValue);
    }
    return read == 1 ? static_cast<std::uint16_t>(value & 0xFFFF) : 0;
}

bool TMeshMaterial::HasAlphaTexture() const
{
    switch (static_cast<int>(m_texture.GetFormat())) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8:
    case D3DFMT_A8R3G3B2:
    case D3DFMT_A2B10G10R10:
    case D3DFMT_A8P8:
    case D3DFMT_A8L8:
    case D3DFMT_A4L4:
    case D3DFMT_A2W10V10U10:
        return true;
    default:
        return false;
    }
}

void TMeshMaterial::SetMaterialType(std::uint16_t code)
{
    m_renderType = code;
    float level = 0.0F;
    switch (code) {
    case kZDisOpaque: level = 0.65F; break;
    case kOpaque: level = 0.0F; break;
    case kOpaqueNotCull: level = 0.45F; break;
    case kAlpha: level = 0.0F; break;
    case kAlphaNotCull: level = 0.55F; break;
    case kZwnAlpha: level = 0.75F; break;
    case kZwnAlphaNotCull: level = 0.85F; break;
    case kMul: level = 0.15F; break;
    case kAdd: level = 0.25F; break;
    case kZDisAdd: level = 0.35F; break;
    case kDestInverse: level = 0.95F; break;
    default: return;  // HIDE and unknown codes keep the level
    }
    m_material.Specular.r = level;
}

void TMeshMaterial::SetEmissive(float r, float g, float b, float a)
{
    m_material.Emissive = {r, g, b, a};
}

void TMeshMaterial::SetEmissiveRGB(float r, float g, float b)
{
    m_material.Emissive.r = r;
    m_material.Emissive.g = g;
    m_material.Emissive.b = b;
}
