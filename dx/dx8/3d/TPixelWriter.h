// Pixel writers: one palette pixel of an indexed image into one texel of a texture format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/d3d8/d3d8types.h"

class TPixelWriter {
public:
    struct Channel {
        std::uint32_t mask;
        std::uint32_t leftShift;
        std::uint32_t rightShift;
    };

    TPixelWriter(std::uint32_t bytes, Channel red, Channel green, Channel blue);
    virtual ~TPixelWriter() = default;

    // Writes the palette colour of *index (and alpha from *alpha where the writer takes it) at
    // destination and returns the next destination. palette: 256 entries of blue, green, red, unused.
    std::uint8_t* Write(std::uint8_t* destination, const std::uint8_t* index, const std::uint8_t* palette,
                        const std::uint8_t* alpha) const;

    // A whole image, the same texels as Write gives pixel by pixel: each palette entry and each
    // alpha value is converted once. rows: height rows of pitch bytes; alpha is read only by
    // writers that take it.
    void WriteImage(std::uint8_t* rows, std::size_t pitch, std::uint32_t width, std::uint32_t height,
                    const std::uint8_t* index, const std::uint8_t* palette, const std::uint8_t* alpha) const;

    std::uint32_t GetBytes() const { return m_bytes; }

    // The writer for a texture format; null for a format outside the table. hasAlphaLayer chooses,
    // for formats with alpha, between alpha from the layer and fully opaque.
    static std::unique_ptr<TPixelWriter> Create(D3DFORMAT format, bool hasAlphaLayer);

protected:
    static std::uint32_t Convert(std::uint32_t value, const Channel& c)
    {
        return ((value >> c.rightShift) << c.leftShift) & c.mask;
    }
    std::uint32_t Colour(const std::uint8_t* entry) const
    {
        return Convert(entry[2], m_red) | Convert(entry[1], m_green) | Convert(entry[0], m_blue);
    }
    // Stores the low GetBytes() bytes of value, little-endian.
    std::uint8_t* Store(std::uint8_t* destination, std::uint32_t value) const;
    // The alpha channel's bits for an alpha value; those of an opaque texel for writers that
    // take no alpha.
    virtual std::uint32_t AlphaBits(std::uint8_t alpha) const = 0;
    virtual bool TakesAlpha() const { return false; }

private:
    std::uint32_t m_bytes;
    Channel m_red;
    Channel m_green;
    Channel m_blue;
};

// Formats without alpha: colour channels only.
class TOpaquePixelWriter : public TPixelWriter {
public:
    using TPixelWriter::TPixelWriter;

protected:
    std::uint32_t AlphaBits(std::uint8_t) const override { return 0; }
};

// Alpha from the image's alpha layer.
class TAlphaPixelWriter : public TPixelWriter {
public:
    TAlphaPixelWriter(std::uint32_t bytes, Channel alpha, Channel red, Channel green, Channel blue);

protected:
    std::uint32_t AlphaBits(std::uint8_t alpha) const override { return Convert(alpha, m_alpha); }
    bool TakesAlpha() const override { return true; }

private:
    Channel m_alpha;
};

// An image without alpha layer in a format with alpha: every alpha bit set.
class TSolidAlphaPixelWriter : public TPixelWriter {
public:
    TSolidAlphaPixelWriter(std::uint32_t bytes, std::uint32_t alphaMask, Channel red, Channel green, Channel blue);

protected:
    std::uint32_t AlphaBits(std::uint8_t) const override { return m_alphaMask; }

private:
    std::uint32_t m_alphaMask;
};
