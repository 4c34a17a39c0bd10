#include "TUtility/TDirectXVersion.h"

#include "platform/win32/module.h"

TDirectXVersion::TDirectXVersion() : m_version(Probe()), m_text(TextFor(m_version)) {}

// Each DirectX generation is recognised by the first module it brought; the probe stops at the
// first one missing and reports the version reached so far.
std::uint32_t TDirectXVersion::Probe()
{
    struct Step {
        const char* module;
        std::uint32_t versionWhenMissing;
    };
    static const Step steps[] = {
        {"DDRAW.DLL", 0x000},
        {"DINPUT.DLL", 0x200},
        {"D3D8.DLL", 0x700},
        {"dpnhpast.dll", 0x800},
    };
    for (const Step& step : steps) {
        HMODULE module = LoadLibraryA(step.module);
        if (module == nullptr) {
            return step.versionWhenMissing;
        }
        FreeLibrary(module);
    }
    return 0x801;
}

std::string TDirectXVersion::TextFor(std::uint32_t version)
{
    std::string text = "DirectX ";
    switch (version) {
    case 0x000: return "No DirectX installed";
    case 0x100: return text + "1";
    case 0x200: return text + "2";
    case 0x300: return text + "3";
    case 0x500: return text + "5";
    case 0x600: return text + "6";
    case 0x601: return text + "6.1";
    case 0x700: return text + "7";
    case 0x800: return text + "8";
    case 0x801: return text + "8.1 or better";
    default: return "Unknown Version";
    }
}
