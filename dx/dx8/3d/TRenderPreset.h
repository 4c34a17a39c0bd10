// The render presets: one state block and draw list for each material type code, built with the
// device, dropped before a reset and built again after it.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TDrawList.h"

class TRenderPreset {
public:
    using PresetMap = std::map<std::uint16_t, TRefPtr<TStateBlock>>;

    static void Init();
    static void Uninit();
    static void OnLostDevice();
    static void OnResetDevice();

    // Takes the object; a code already present keeps its preset and the new object is deleted.
    static void Register(std::uint16_t code, TStateBlock* preset);
    // Null for a code without a preset, and before Init.
    static TStateBlock* Get(std::uint16_t code);
    // Null outside Init and Uninit.
    static PresetMap* GetPresets() { return s_presets.Get(); }
    // The names of the presets; nothing looks them up.

private:
    static void CreateCodePresets();
    static void RegisterNames();

    static inline TRefPtr<PresetMap> s_presets{nullptr};
    static inline std::map<std::string, std::uint16_t> s_names;
};
