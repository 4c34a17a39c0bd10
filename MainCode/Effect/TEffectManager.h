#pragma once

#include <string>

class TEffectManager {
public:
    static void SetFolder(const std::string& folder) { s_folder = folder; }
    static const std::string& GetFolder() { return s_folder; }

private:
    static inline std::string s_folder;
};
