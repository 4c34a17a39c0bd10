#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "dx/dx8/3d/TPixelWriter.h"

namespace {

// Palette entry 0: (blue FF, green 80, red 00); entry 1: white; entry 2: (red 0x12, green 0x34, blue 0x56).
std::array<std::uint8_t, 1024> Palette()
{
    std::array<std::uint8_t, 1024> p{};
    const std::uint8_t entries[3][4] = {{0xFF, 0x80, 0x00, 0x77}, {0xFF, 0xFF, 0xFF, 0}, {0x56, 0x34, 0x12, 0}};
    for (int i = 0; i < 3; ++i) {
        for (int c = 0; c < 4; ++c) {
            p[i * 4 + c] = entries[i][c];
        }
    }
    return p;
}

// The little-endian value the writer stores for palette entry index with the given alpha.
std::uint32_t WriteOne(D3DFORMAT format, bool alphaLayer, std::uint8_t index, std::uint8_t alpha,
                       std::uint32_t* bytes = nullptr)
{
    auto writer = TPixelWriter::Create(format, alphaLayer);
    EXPECT_NE(writer, nullptr) << format;
    if (writer == nullptr) {
        return 0;
    }
    const auto palette = Palette();
    std::uint8_t out[8];
    for (auto& b : out) {
        b = 0xCC;
    }
    std::uint8_t* end = writer->Write(out, &index, palette.data(), &alpha);
    const auto n = static_cast<std::uint32_t>(end - out);
    EXPECT_EQ(n, writer->GetBytes());
    EXPECT_EQ(out[n], 0xCC) << "the writer stores no more than its pixel";
    if (bytes != nullptr) {
        *bytes = n;
    }
    std::uint32_t value = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        value |= static_cast<std::uint32_t>(out[i]) << (8 * i);
    }
    return value;
}

TEST(TPixelWriter, PaletteColourInEveryFormat)
{
    EXPECT_EQ(WriteOne(D3DFMT_R5G6B5, false, 0, 0), 0x041Fu);
    EXPECT_EQ(WriteOne(D3DFMT_A4R4G4B4, true, 0, 0x80), 0x808Fu);
    EXPECT_EQ(WriteOne(D3DFMT_X1R5G5B5, false, 0, 0), 0x021Fu);
    EXPECT_EQ(WriteOne(D3DFMT_A1R5G5B5, true, 0, 0x80), 0x821Fu);
    EXPECT_EQ(WriteOne(D3DFMT_A1R5G5B5, true, 0, 0x7F), 0x021Fu) << "alpha below half is clear";
    EXPECT_EQ(WriteOne(D3DFMT_X4R4G4B4, false, 0, 0), 0x008Fu);
    EXPECT_EQ(WriteOne(D3DFMT_R3G3B2, false, 0, 0), 0x13u);
    EXPECT_EQ(WriteOne(D3DFMT_A8R3G3B2, true, 0, 0x80), 0x8013u);
    EXPECT_EQ(WriteOne(D3DFMT_A8R8G8B8, true, 2, 0x9A), 0x9A123456u);
    EXPECT_EQ(WriteOne(D3DFMT_X8R8G8B8, false, 2, 0x9A), 0x00123456u) << "X8 stays 0: no alpha";
    std::uint32_t bytes = 0;
    EXPECT_EQ(WriteOne(D3DFMT_R8G8B8, false, 2, 0, &bytes), 0x123456u);
    EXPECT_EQ(bytes, 3u);
    // The table's layout for the 10-bit format: red high, blue low, channels widened by a shift.
    EXPECT_EQ(WriteOne(D3DFMT_A2B10G10R10, true, 1, 0xFF), 0xC0000000u | (0xFFu << 22) | (0xFFu << 12) | (0xFFu << 2));
}

TEST(TPixelWriter, FormatsWithAlphaAreOpaqueWithoutAnAlphaLayer)
{
    EXPECT_EQ(WriteOne(D3DFMT_A4R4G4B4, false, 0, 0x00), 0xF08Fu);
    EXPECT_EQ(WriteOne(D3DFMT_A1R5G5B5, false, 0, 0x00), 0x821Fu);
    EXPECT_EQ(WriteOne(D3DFMT_A8R8G8B8, false, 2, 0x00), 0xFF123456u);
    EXPECT_EQ(WriteOne(D3DFMT_A8R3G3B2, false, 0, 0x00), 0xFF13u);
    EXPECT_EQ(WriteOne(D3DFMT_A2B10G10R10, false, 2, 0x00) >> 30, 3u);
}

TEST(TPixelWriter, FormatsOutsideTheTableHaveNoWriter)
{
    for (D3DFORMAT f : {D3DFMT_UNKNOWN, D3DFMT_A8, D3DFMT_P8, D3DFMT_L8, D3DFMT_DXT1, D3DFMT_D16}) {
        EXPECT_EQ(TPixelWriter::Create(f, false), nullptr) << f;
        EXPECT_EQ(TPixelWriter::Create(f, true), nullptr) << f;
    }
}

}  // namespace
