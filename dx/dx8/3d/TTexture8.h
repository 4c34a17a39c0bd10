// Texture handles and the shared texture cache.
// For now only the data folder exists; the cache is empty, so a purge has nothing to release.
#pragma once

#include <cstdint>
#include <string>

class TTexture8 {
public:
    static void SetDirectory(const std::string& folder) { s_folder = folder; }
    static const std::string& GetDirectory() { return s_folder; }
    static void PurgeCache(std::uint32_t /*mode*/) {}

private:
    static inline std::string s_folder;
};
