#include "formats/ptx_writer.h"

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
    std::size_t used = 0;
    for (const PtxColor& c : colors) {
        std::size_t i = 0;
        while (i < used && (image.palette[i].r != c.r || image.palette[i].g != c.g || image.palette[i].b != c.b)) {
            ++i;
        }
        if (i == used) {
            if (used == 256) {
                throw std::runtime_error("more than 256 colours in one ptx image");
            }
            image.palette[used++] = c;
        }
        image.indices.push_back(static_cast<std::uint8_t>(i));
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
