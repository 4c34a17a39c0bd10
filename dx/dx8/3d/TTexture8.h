// Texture handles and the shared texture cache.
// For now only the data folder exists; the cache is empty, so a purge has nothing to release.
#pragma once

#include <cstdint>
#include <string>

#include "dx/dx8/3d/StandInHooks.h"

class TTexture8 {
public:
    static void SetDirectory(const std::string& folder) { s_folder = folder; }
    static const std::string& GetDirectory() { return s_folder; }
    // Mode 1 releases every cached texture (the device goes), 2 those nobody else holds.
    static void PurgeCache(std::uint32_t mode)
    {
        if (mode == 1) {
            standin::NoteHook("TTexture8::PurgeCache(1)");
        }
    }

private:
    static inline std::string s_folder;
};
