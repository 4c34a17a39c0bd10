// One material of a mesh: lighting colours, texture, the render preset that draws it and the draw
// group that orders it within that preset's list. Both codes are derived from the material data.
#pragma once

#include <cstdint>
#include <string>

#include "dx/dx8/3d/TTexture8.h"
#include "platform/d3d8/d3d8.h"

class TByteReader;

class TMeshMaterial {
    friend struct TDxProbe;

public:
    // Render type codes, each the id of a render preset.
    static constexpr std::uint16_t kHide = 0;
    static constexpr std::uint16_t kZDisOpaque = 1100;
    static constexpr std::uint16_t kOpaque = 1200;
    static constexpr std::uint16_t kOpaqueNotCull = 1300;
    static constexpr std::uint16_t kAlpha = 2000;
    static constexpr std::uint16_t kAlphaNotCull = 2100;
    static constexpr std::uint16_t kZwnAlpha = 2200;
    static constexpr std::uint16_t kZwnAlphaNotCull = 2300;
    static constexpr std::uint16_t kMul = 3000;
    static constexpr std::uint16_t kAdd = 4000;
    static constexpr std::uint16_t kZDisAdd = 4100;
    static constexpr std::uint16_t kDestInverse = 5000;

    TMeshMaterial(const std::string& name, const D3DMATERIAL8* material, const TTexture8& texture);

    // One material record of a mesh file: names, 17 floats; the texture is loaded by its name.
    // Throws my_error naming the file when the file ends inside the record.
    static TMeshMaterial Read(TByteReader& in);

    void DeriveSettings();
    void DeriveRenderType();
    void ApplyOrderFromName();
    // The number after "ORDER" in the name, decimal or "0x" hex; 0 without one.
    std::uint16_t ParseOrder() const;
    bool HasAlphaTexture() const;

    // Stores the code with the level the table gives it (the red of Specular).
    void SetMaterialType(std::uint16_t code);
    void SetDrawGroup(std::uint16_t group) { m_drawGroup = group; }
    void SetEmissive(float r, float g, float b, float a);
    void SetEmissiveRGB(float r, float g, float b);
    void SetEmissiveAlpha(float a) { m_material.Emissive.a = a; }
    // The codes stay as they were.
    void SetTexture(const TTexture8& texture) { m_texture = texture; }

    const D3DMATERIAL8& GetMaterial() const { return m_material; }
    std::uint16_t GetMaterialType() const { return m_renderType; }
    std::uint16_t GetDrawGroup() const { return m_drawGroup; }
    const TTexture8& GetTexture() const { return m_texture; }

private:
    std::string m_name;
    D3DMATERIAL8 m_material{};
    std::uint16_t m_renderType = 0;
    std::uint16_t m_drawGroup = 0;
    TTexture8 m_texture;
};
