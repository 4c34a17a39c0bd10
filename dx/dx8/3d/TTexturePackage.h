// Texture packages (".ptx"): a directory of named entries, each an 8-bit palette image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TIndexedImage {
    std::uint32_t kind = 0;  // 0..3: the device's texture format class
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> palette;  // 256 × (blue, green, red, unused)
    std::vector<std::uint8_t> indices;  // width × height, rows from the top
    std::vector<std::uint8_t> alpha;    // width × height for kinds 1 and 2, else empty

    bool HasAlphaLayer() const { return !alpha.empty(); }
};

class TTexturePackage {
public:
    static constexpr std::uint32_t kKinds = 4;
    static constexpr std::uint32_t kPaletteBytes = 1024;

    // Reads the first entry named entry (the name up to its first NUL, case-sensitive). False
    // when no entry has that name or its kind is above 3 (the device has no format for it).
    // Throws my_error with the path as message when the file cannot be opened or a count,
    // length, offset or image size reaches beyond the file.
    static bool ReadImage(const std::string& path, const std::string& entry, TIndexedImage* image);

    static bool HasAlphaLayer(std::uint32_t kind) { return kind == 1 || kind == 2; }
};
