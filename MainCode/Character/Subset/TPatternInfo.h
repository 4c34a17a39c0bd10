// A character's pattern file (".pat"): for every motion pattern one TPatternEvent per frame.
// Copies share the arrays.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/Character/TPatternEvent.h"
#include "TCommon/TRefPtr.h"

class TPatternInfo {
    friend struct TCharacterProbe;
public:
    struct Pattern {
        TRefPtr<TPatternEvent[]> Frames;
        std::uint32_t FrameCount = 0;
    };

    TPatternInfo() = default;
    explicit TPatternInfo(const char* name);

    // Reads folder + name. A file that cannot be opened, or whose counts run past its end,
    // throws my_error with the name.
    void Load(const char* name);

    // The frame at the whole part of time. Times past the last frame hold it; a pattern
    // outside the file, or without frames, gives an all-zero record.
    const TPatternEvent* GetFrame(std::uint32_t pattern, float time) const;
    std::uint32_t GetFrameCount(std::uint32_t pattern) const;

    static void SetDirectory(const std::string& folder) { s_folder = folder; }

private:
    TRefPtr<Pattern[]> m_patterns;
    std::uint32_t m_count = 0;

    static inline std::string s_folder;
};
