#pragma once

#include <string>

class TMapData {
public:
    static void SetDirectory(const std::string& folder) { s_folder = folder; }
    static const std::string& GetDirectory() { return s_folder; }
    static void SetVisualDirectory(const std::string& folder) { s_visualFolder = folder; }
    static const std::string& GetVisualDirectory() { return s_visualFolder; }
    // The "View" launch setting (1.0 at 100 %); the loader scales two distances of its records by
    // 1 - (1 - scale) * 0.5.
    static void SetViewScale(float scale) { s_viewScale = scale; }
    static float GetViewScale() { return s_viewScale; }

private:
    static inline std::string s_folder;
    static inline std::string s_visualFolder;
    static inline float s_viewScale = 1.0F;
};
