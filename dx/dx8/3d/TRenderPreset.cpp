#include "dx/dx8/3d/TRenderPreset.h"

#include "dx/dx8/3d/TMeshMaterial.h"

namespace {

struct PresetRow {
    std::uint16_t code;
    const char* name;
    bool opaqueOrder;
    DWORD zEnable;
    DWORD zWriteEnable;
    DWORD alphaBlendEnable;
    DWORD cullMode;
    DWORD fog;
    DWORD sourceBlend;
    DWORD destinationBlend;
};

// Opaque before alpha-blended, alpha before multiplied and added.
const PresetRow kPresets[] = {
    {1100, "ZDISOPAQUE", true, 0, 0, 0, D3DCULL_CCW, 1, D3DBLEND_ONE, D3DBLEND_ZERO},
    {1200, "OPAQUE", true, 1, 1, 0, D3DCULL_CCW, 1, D3DBLEND_ONE, D3DBLEND_ZERO},
    {1300, "OPAQUENOTCULL", true, 1, 1, 0, D3DCULL_NONE, 1, D3DBLEND_ONE, D3DBLEND_ZERO},
    {2000, "ALPHA", false, 1, 1, 1, D3DCULL_CCW, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
    {2100, "ALPHANOTCULL", false, 1, 1, 1, D3DCULL_NONE, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
    {2200, "ZWNALPHA", false, 1, 0, 1, D3DCULL_CCW, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
    {2300, "ZWNALPHANOTCULL", false, 1, 0, 1, D3DCULL_NONE, 0, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
    {3000, "MUL", false, 1, 0, 1, D3DCULL_NONE, 0, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR},
    {4000, "ADD", false, 1, 0, 1, D3DCULL_NONE, 0, D3DBLEND_ONE, D3DBLEND_ONE},
    {4100, "ZDISADD", false, 0, 0, 1, D3DCULL_NONE, 0, D3DBLEND_ONE, D3DBLEND_ONE},
    {5000, "REND_DESTINVERSE", false, 1, 0, 1, D3DCULL_NONE, 0, D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO},
};

}  // namespace

void TRenderPreset::Init()
{
    if (s_presets.Get() != nullptr) {
        Uninit();
    }
    s_presets = TRefPtr<PresetMap>(new PresetMap());
    CreateCodePresets();
    RegisterNames();
}

void TRenderPreset::Uninit()
{
    OnLostDevice();
    s_names.clear();
    s_presets.Release();
    s_presets = TRefPtr<PresetMap>(nullptr);
}

void TRenderPreset::OnLostDevice()
{
    PresetMap* presets = s_presets.Get();
    if (presets == nullptr) {
        return;
    }
    for (auto& [code, preset] : *presets) {
        if (preset.Get() != nullptr) {
            preset->Release();
        }
    }
    presets->clear();  // entries not flushed yet go with their lists
}

void TRenderPreset::OnResetDevice()
{
    if (s_presets.Get() == nullptr) {
        return;
    }
    CreateCodePresets();
    RegisterNames();
}

void TRenderPreset::Register(std::uint16_t code, TStateBlock* preset)
{
    PresetMap* presets = s_presets.Get();
    if (presets == nullptr || presets->count(code) != 0) {
        delete preset;
        return;
    }
    presets->emplace(code, TRefPtr<TStateBlock>(preset));
    preset->Record();
}

TStateBlock* TRenderPreset::Get(std::uint16_t code)
{
    PresetMap* presets = s_presets.Get();
    if (presets == nullptr) {
        return nullptr;
    }
    // A code without a preset is not added to the map: flushing walks every entry.
    const auto it = presets->find(code);
    return it != presets->end() ? it->second.Get() : nullptr;
}

void TRenderPreset::CreateCodePresets()
{
    for (const PresetRow& row : kPresets) {
        Register(row.code, TDrawList::Create(row.opaqueOrder, row.zEnable, row.zWriteEnable, row.alphaBlendEnable,
                                             row.cullMode, row.fog, row.sourceBlend, row.destinationBlend));
    }
    Register(TMeshMaterial::kHide, new THideStateBlock());
}

void TRenderPreset::RegisterNames()
{
    s_names.clear();
    s_names["HIDE"] = 0;
    for (const PresetRow& row : kPresets) {
        s_names[row.name] = row.code;
    }
    s_names["DEFAULT"] = 2000;
    s_names["REND00"] = 0;
    static const char* const kNumbered[] = {"REND01", "REND02", "REND03", "REND04", "REND05", "REND06",
                                            "REND07", "REND08", "REND09", "REND10", "REND11"};
    for (std::size_t i = 0; i < 11; ++i) {
        s_names[kNumbered[i]] = kPresets[i].code;
    }
}
