#include "formats/ptx_writer.h"

#include <array>
#include <cstdint>
#include <stdexcept>

#include "formats/byte_writer.h"

namespace qmtest {

namespace {

bool HasAlphaLayer(std::uint32_t kind)
{
    return kind == 1 || kind == 2;
}

std::size_t RecordSize(const PtxImage& image)
{
    const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
    return 12 + 1024 + pixels * (HasAlphaLayer(image.kind) ? 2 : 1);
}

std::size_t DirectorySize(const std::vector<PtxImage>& images)
{
    std::size_t size = 4;
    for (const PtxImage& image : images) {
        size += 4 + image.storedName.size() + 4;
    }
    return size;
}

}  // namespace

PtxImage PtxImage::Filled(const std::string& name, std::uint32_t kind, std::uint32_t width, std::uint32_t height,
                          PtxColor color)
{
    const std::size_t n = static_cast<std::size_t>(width) * height;
    return FromPixels(name, kind, width, height, std::vector<PtxColor>(n, color), std::vector<std::uint8_t>(n, 255));
}

PtxImage PtxImage::FromPixels(const std::string& name, std::uint32_t kind, std::uint32_t width, std::uint32_t height,
                              const std::vector<PtxColor>& colors, const std::vector<std::uint8_t>& alphas)
{
    PtxImage image;
    image.storedName = name + std::string(1, '\0');
    image.kind = kind;
    image.width = width;
    image.height = height;
    // Entries in the order the colours first appear. The sample folder's pictures are large and
    // its runs of one colour long: the last colour is tried first, then a small open hash table.
    std::size_t used = 0;
    std::array<std::int32_t, 1024> slots;
    slots.fill(-1);
    const auto key = [](const PtxColor& c) {
        return (static_cast<std::uint32_t>(c.r) << 16) | (static_cast<std::uint32_t>(c.g) << 8) | c.b;
    };
    std::uint32_t lastKey = 0xFFFFFFFF;
    std::uint8_t lastIndex = 0;
    image.indices.resize(colors.size());
    std::uint8_t* index = image.indices.data();
    for (const PtxColor& c : colors) {
        const std::uint32_t k = key(c);
        if (k != lastKey) {
            std::uint32_t slot = (k * 2654435761U) >> 22;
            while (slots[slot] >= 0 && key(image.palette[static_cast<std::size_t>(slots[slot])]) != k) {
                slot = (slot + 1) & 1023;
            }
            if (slots[slot] < 0) {
                if (used == 256) {
                    throw std::runtime_error("more than 256 colours in one ptx image");
                }
                image.palette[used] = c;
                slots[slot] = static_cast<std::int32_t>(used++);
            }
            lastKey = k;
            lastIndex = static_cast<std::uint8_t>(slots[slot]);
        }
        *index++ = lastIndex;
    }
    if (HasAlphaLayer(kind)) {
        image.alpha = alphas.empty() ? std::vector<std::uint8_t>(colors.size(), 255) : alphas;
    }
    return image;
}

PtxImage FramedPanel(const std::string& name, std::uint32_t width, std::uint32_t height, PtxColor fill)
{
    std::vector<PtxColor> colors;
    std::vector<std::uint8_t> alphas;
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const bool edge = x < 2 || y < 2 || x + 2 >= width || y + 2 >= height;
            colors.push_back(edge ? PtxColor{230, 230, 240} : fill);
            alphas.push_back(edge ? 255 : 200);
        }
    }
    return PtxImage::FromPixels(name, 1, width, height, colors, alphas);
}

std::uint32_t PtxRecordOffset(const std::vector<PtxImage>& images, std::size_t i)
{
    std::size_t offset = DirectorySize(images);
    for (std::size_t k = 0; k < i; ++k) {
        offset += RecordSize(images[k]);
    }
    return static_cast<std::uint32_t>(offset);
}

std::vector<std::uint8_t> BuildPtx(const std::vector<PtxImage>& images)
{
    ByteWriter out;
    out.U32(static_cast<std::uint32_t>(images.size()));
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.U32(static_cast<std::uint32_t>(images[i].storedName.size()));
        out.Bytes(images[i].storedName);
        out.U32(PtxRecordOffset(images, i));
    }
    for (const PtxImage& image : images) {
        const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
        if (image.indices.size() != pixels || (HasAlphaLayer(image.kind) && image.alpha.size() != pixels)) {
            throw std::runtime_error("ptx image layers do not match its size");
        }
        out.U32(image.kind).U32(image.width).U32(image.height);
        for (const PtxColor& c : image.palette) {
            // The fourth byte is never read; a non-zero value shows that.
            out.U8(c.b).U8(c.g).U8(c.r).U8(0xA5);
        }
        out.Bytes(image.indices.data(), image.indices.size());
        if (HasAlphaLayer(image.kind)) {
            out.Bytes(image.alpha.data(), image.alpha.size());
        }
    }
    return out.Data();
}

}  // namespace qmtest
