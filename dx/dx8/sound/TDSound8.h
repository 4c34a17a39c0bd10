// The sound core. For now it keeps the sound folders and stands in for the device and its banks.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32/types.h"

class TDSound8 {
public:
    static TDSound8* Instance();

    static void SetSeFolder(const std::string& folder) { s_seFolder = folder; }
    static const std::string& GetSeFolder() { return s_seFolder; }
    static void SetMusicFolder(const std::string& folder) { s_musicFolder = folder; }
    static const std::string& GetMusicFolder() { return s_musicFolder; }

    bool Init(HWND window);
    void CreateBank(const std::string& tablePath, const std::string& packagePrefix, std::uint32_t bankId,
                    std::int32_t minVolume, std::int32_t maxVolume);
    void PurgeUnused() {}
    void Uninit();

    bool IsInitialized() const { return m_initialized; }
    int GetBankCount() const { return m_banks; }

private:
    TDSound8() = default;
    static inline std::string s_seFolder;
    static inline std::string s_musicFolder;
    bool m_initialized = false;
    int m_banks = 0;
};
