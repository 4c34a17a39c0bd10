#pragma once

#include <string>

class TPatternInfo {
public:
    static void SetDirectory(const std::string& folder) { s_folder = folder; }
    static const std::string& GetDirectory() { return s_folder; }

private:
    static inline std::string s_folder;
};
