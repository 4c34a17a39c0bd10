#include "dx/dx8/3d/TPixelWriter.h"

#include <array>

namespace {

using Channel = TPixelWriter::Channel;

struct FormatLayout {
    D3DFORMAT format;
    std::uint32_t bytes;
    bool hasAlpha;
    Channel alpha;
    Channel red;
    Channel green;
    Channel blue;
};

// mask / left shift / right shift for each channel.
constexpr FormatLayout kLayouts[] = {
    {D3DFMT_R8G8B8, 3, false, {}, {0xFF0000, 16, 0}, {0xFF00, 8, 0}, {0xFF, 0, 0}},
    {D3DFMT_A8R8G8B8, 4, true, {0xFF000000u, 24, 0}, {0xFF0000, 16, 0}, {0xFF00, 8, 0}, {0xFF, 0, 0}},
    {D3DFMT_X8R8G8B8, 4, false, {}, {0xFF0000, 16, 0}, {0xFF00, 8, 0}, {0xFF, 0, 0}},
    {D3DFMT_R5G6B5, 2, false, {}, {0xF800, 11, 3}, {0x7E0, 5, 2}, {0x1F, 0, 3}},
    {D3DFMT_X1R5G5B5, 2, false, {}, {0x7C00, 10, 3}, {0x3E0, 5, 3}, {0x1F, 0, 3}},
    {D3DFMT_A1R5G5B5, 2, true, {0x8000, 15, 7}, {0x7C00, 10, 3}, {0x3E0, 5, 3}, {0x1F, 0, 3}},
    {D3DFMT_A4R4G4B4, 2, true, {0xF000, 12, 4}, {0xF00, 8, 4}, {0xF0, 4, 4}, {0xF, 0, 4}},
    {D3DFMT_R3G3B2, 1, false, {}, {0xE0, 5, 5}, {0x1C, 2, 5}, {0x3, 0, 6}},
    {D3DFMT_A8R3G3B2, 2, true, {0xFF00, 8, 0}, {0xE0, 5, 5}, {0x1C, 2, 5}, {0x3, 0, 6}},
    {D3DFMT_X4R4G4B4, 2, false, {}, {0xF00, 8, 4}, {0xF0, 4, 4}, {0xF, 0, 4}},
    {D3DFMT_A2B10G10R10, 4, true, {0xC0000000u, 30, 6}, {0x3FF00000, 22, 0}, {0xFFC00, 12, 0}, {0x3FF, 2, 0}},
};

}  // namespace

TPixelWriter::TPixelWriter(std::uint32_t bytes, Channel red, Channel green, Channel blue)
    : m_bytes(bytes), m_red(red), m_green(green), m_blue(blue)
{
}

std::uint8_t* TPixelWriter::Store(std::uint8_t* destination, std::uint32_t value) const
{
    for (std::uint32_t i = 0; i < m_bytes; ++i) {
        destination[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return destination + m_bytes;
}

std::uint8_t* TPixelWriter::Write(std::uint8_t* destination, const std::uint8_t* index, const std::uint8_t* palette,
                                  const std::uint8_t* alpha) const
{
    return Store(destination, Colour(palette + 4 * *index) | AlphaBits(TakesAlpha() ? *alpha : 0));
}

void TPixelWriter::WriteImage(std::uint8_t* rows, std::size_t pitch, std::uint32_t width, std::uint32_t height,
                              const std::uint8_t* index, const std::uint8_t* palette, const std::uint8_t* alpha) const
{
    std::array<std::uint32_t, 256> colours{};
    std::array<std::uint32_t, 256> alphas{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        colours[i] = Colour(palette + 4 * i);
        alphas[i] = AlphaBits(static_cast<std::uint8_t>(i));
    }
    const bool takesAlpha = TakesAlpha();
    for (std::uint32_t y = 0; y < height; ++y) {
        std::uint8_t* out = rows + y * pitch;
        for (std::uint32_t x = 0; x < width; ++x, ++index) {
            out = Store(out, colours[*index] | alphas[takesAlpha ? *alpha++ : 0]);
        }
    }
}

std::unique_ptr<TPixelWriter> TPixelWriter::Create(D3DFORMAT format, bool hasAlphaLayer)
{
    for (const FormatLayout& l : kLayouts) {
        if (l.format != format) {
            continue;
        }
        if (!l.hasAlpha) {
            return std::make_unique<TOpaquePixelWriter>(l.bytes, l.red, l.green, l.blue);
        }
        if (hasAlphaLayer) {
            return std::make_unique<TAlphaPixelWriter>(l.bytes, l.alpha, l.red, l.green, l.blue);
        }
        return std::make_unique<TSolidAlphaPixelWriter>(l.bytes, l.alpha.mask, l.red, l.green, l.blue);
    }
    return nullptr;
}

TAlphaPixelWriter::TAlphaPixelWriter(std::uint32_t bytes, Channel alpha, Channel red, Channel green, Channel blue)
    : TPixelWriter(bytes, red, green, blue), m_alpha(alpha)
{
}

TSolidAlphaPixelWriter::TSolidAlphaPixelWriter(std::uint32_t bytes, std::uint32_t alphaMask, Channel red,
                                               Channel green, Channel blue)
    : TPixelWriter(bytes, red, green, blue), m_alphaMask(alphaMask)
{
}

