#pragma once

#include <string>

class TGameObject {
public:
    static void SetDataFolder(const std::string& folder) { s_folder = folder; }
    static const std::string& GetDataFolder() { return s_folder; }

private:
    static inline std::string s_folder;
};
