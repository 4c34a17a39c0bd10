// Writer of ".ptx" texture packages: a directory of named entries, then 8-bit palette images.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qmtest {

struct PtxColor {
    std::uint8_t r, g, b;
};

struct PtxImage {
    // The name field's bytes as stored; by default the name and a NUL.
    std::string storedName;
    std::uint32_t kind = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::array<PtxColor, 256> palette{};
    std::vector<std::uint8_t> indices;  // width × height
    std::vector<std::uint8_t> alpha;    // width × height, written for kinds 1 and 2 only

    // An image whose pixels are all palette entry 0 (and alpha 255 for kinds 1 and 2).
    static PtxImage Filled(const std::string& name, std::uint32_t kind, std::uint32_t width, std::uint32_t height,
                           PtxColor color);
    // Per-pixel colours and alphas (one palette entry per distinct colour, at most 256).
    static PtxImage FromPixels(const std::string& name, std::uint32_t kind, std::uint32_t width, std::uint32_t height,
                               const std::vector<PtxColor>& colors, const std::vector<std::uint8_t>& alphas = {});
};

// A window part: a light frame two pixels wide around a fill, half transparent inside (kind 1).
PtxImage FramedPanel(const std::string& name, std::uint32_t width, std::uint32_t height, PtxColor fill);

// Entries in the order given, each pointing at its own image record after the directory.
std::vector<std::uint8_t> BuildPtx(const std::vector<PtxImage>& images);
// Offset of the record of image i in BuildPtx(images).
std::uint32_t PtxRecordOffset(const std::vector<PtxImage>& images, std::size_t i);

}  // namespace qmtest
