#pragma once

#include <string>

class TMapData {
public:
    static void SetDirectory(const std::string& folder) { s_folder = folder; }
    static const std::string& GetDirectory() { return s_folder; }
    static void SetVisualDirectory(const std::string& folder) { s_visualFolder = folder; }
    static const std::string& GetVisualDirectory() { return s_visualFolder; }

private:
    static inline std::string s_folder;
    static inline std::string s_visualFolder;
};
