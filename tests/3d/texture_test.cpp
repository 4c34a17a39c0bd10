// Pixel writers, ".ptx" packages and the texture cache on a real device.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "TCommon/my_error.h"
#include "dx/dx8/3d/TPixelWriter.h"
#include "dx/dx8/3d/TTexture8.h"
#include "dx/dx8/3d/TTexturePackage.h"
#include "fixtures.h"
#include "formats/byte_writer.h"
#include "formats/ptx_writer.h"
#include "support/dx_probe.h"
#include "support/temp_dir.h"

namespace {

using qmtest::PtxImage;

// The little-endian value the writer stores for a palette entry with the given alpha. Entry 0:
// (blue FF, green 80, red 00); entry 1: white; entry 2: (red 0x12, green 0x34, blue 0x56).
std::uint32_t WriteOne(D3DFORMAT format, bool alphaLayer, std::uint8_t index, std::uint8_t alpha)
{
    std::array<std::uint8_t, 1024> palette{0xFF, 0x80, 0x00, 0x77, 0xFF, 0xFF, 0xFF, 0, 0x56, 0x34, 0x12, 0};
    auto writer = TPixelWriter::Create(format, alphaLayer);
    EXPECT_NE(writer, nullptr) << format;
    if (writer == nullptr) {
        return 0;
    }
    std::uint8_t out[8];
    std::memset(out, 0xCC, sizeof out);
    const auto n = static_cast<std::uint32_t>(writer->Write(out, &index, palette.data(), &alpha) - out);
    EXPECT_EQ(n, writer->GetBytes());
    EXPECT_EQ(out[n], 0xCC) << "the writer stores no more than its pixel";
    std::uint32_t value = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        value |= static_cast<std::uint32_t>(out[i]) << (8 * i);
    }
    return value;
}

TEST(TPixelWriter, PaletteColourWithAndWithoutAnAlphaLayer)
{
    EXPECT_EQ(WriteOne(D3DFMT_R5G6B5, false, 0, 0), 0x041Fu);
    EXPECT_EQ(WriteOne(D3DFMT_A4R4G4B4, true, 0, 0x80), 0x808Fu);
    EXPECT_EQ(WriteOne(D3DFMT_A1R5G5B5, true, 0, 0x80), 0x821Fu);
    EXPECT_EQ(WriteOne(D3DFMT_A1R5G5B5, true, 0, 0x7F), 0x021Fu) << "alpha below half is clear";
    EXPECT_EQ(WriteOne(D3DFMT_A8R8G8B8, true, 2, 0x9A), 0x9A123456u);
    // Formats with alpha are opaque without an alpha layer.
    EXPECT_EQ(WriteOne(D3DFMT_A4R4G4B4, false, 0, 0x00), 0xF08Fu);
}

// The picture writer gives each distinct colour one palette entry, in the order the colours first
// appear, up to 256; a 257th colour is refused. The colours here are close together (red and blue
// mirrored, green one of two), so a short hash puts many in one slot; they come in runs, then again out
// of order.
TEST(PtxWriter, ColoursTakeEntriesInTheOrderTheyFirstAppearUpTo256)
{
    std::vector<qmtest::PtxColor> colours;
    for (std::uint32_t i = 0; i < 256; ++i) {
        const auto a = static_cast<std::uint8_t>(i);
        colours.push_back(i % 2 == 0 ? qmtest::PtxColor{a, 7, static_cast<std::uint8_t>(255 - a)}
                                     : qmtest::PtxColor{static_cast<std::uint8_t>(255 - a), 9, a});
    }
    std::vector<qmtest::PtxColor> pixels;
    std::vector<std::uint8_t> expected;
    for (std::uint32_t i = 0; i < 256; ++i) {
        pixels.insert(pixels.end(), 2, colours[i]);
        expected.insert(expected.end(), 2, static_cast<std::uint8_t>(i));
    }
    for (std::uint32_t i : {255u, 0u, 128u, 1u}) {
        pixels.push_back(colours[i]);
        expected.push_back(static_cast<std::uint8_t>(i));
    }
    const PtxImage image = PtxImage::FromPixels("many", 0, static_cast<std::uint32_t>(pixels.size()), 1, pixels);
    EXPECT_EQ(image.indices, expected);
    for (std::uint32_t i : {0u, 1u, 128u, 255u}) {
        EXPECT_EQ(image.palette[i].r, colours[i].r) << i;
        EXPECT_EQ(image.palette[i].g, colours[i].g) << i;
        EXPECT_EQ(image.palette[i].b, colours[i].b) << i;
    }
    pixels.push_back({1, 2, 3});
    EXPECT_THROW(PtxImage::FromPixels("too many", 0, static_cast<std::uint32_t>(pixels.size()), 1, pixels),
                 std::runtime_error);
}

// A whole image gives the texels Write gives one by one, for every format and both kinds of
// writer, and leaves the bytes past each row's texels alone.
TEST(TPixelWriter, AWholeImageEqualsItsPixelsWrittenOneByOne)
{
    std::array<std::uint8_t, 1024> palette{};
    for (std::size_t i = 0; i < palette.size(); ++i) {
        palette[i] = static_cast<std::uint8_t>(i * 37 + i / 4 * 11);
    }
    // Every index against every alpha value: index x, alpha y.
    constexpr std::uint32_t kSide = 256;
    std::vector<std::uint8_t> indices(kSide * kSide);
    std::vector<std::uint8_t> alpha(kSide * kSide);
    for (std::uint32_t y = 0; y < kSide; ++y) {
        for (std::uint32_t x = 0; x < kSide; ++x) {
            indices[y * kSide + x] = static_cast<std::uint8_t>(x);
            alpha[y * kSide + x] = static_cast<std::uint8_t>(y);
        }
    }
    const D3DFORMAT formats[] = {D3DFMT_R8G8B8,   D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,
                                 D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_R3G3B2,
                                 D3DFMT_A8R3G3B2, D3DFMT_X4R4G4B4, D3DFMT_A2B10G10R10};
    for (const D3DFORMAT format : formats) {
        for (const bool alphaLayer : {false, true}) {
            auto writer = TPixelWriter::Create(format, alphaLayer);
            ASSERT_NE(writer, nullptr) << format;
            const std::size_t used = kSide * writer->GetBytes();
            const std::size_t pitch = used + 3;
            std::vector<std::uint8_t> one(pitch * kSide, 0xCC);
            std::vector<std::uint8_t> whole(pitch * kSide, 0xCC);
            for (std::uint32_t y = 0; y < kSide; ++y) {
                std::uint8_t* out = one.data() + y * pitch;
                for (std::uint32_t x = 0; x < kSide; ++x) {
                    out = writer->Write(out, &indices[y * kSide + x], palette.data(), &alpha[y * kSide + x]);
                }
            }
            writer->WriteImage(whole.data(), pitch, kSide, kSide, indices.data(), palette.data(), alpha.data());
            EXPECT_EQ(whole, one) << format << (alphaLayer ? " with" : " without") << " an alpha layer";
            EXPECT_EQ(whole[used], 0xCC);
            EXPECT_EQ(whole.back(), 0xCC);
        }
    }
}

class TexturePackage : public ::testing::Test {
protected:
    std::string Write(const std::vector<PtxImage>& images, const std::string& name = "test.ptx")
    {
        const std::string path = dir_.File(name);
        qmtest::SaveBytes(path, qmtest::BuildPtx(images));
        return path;
    }
    // Message of the my_error thrown by reading entry, or "" when nothing was thrown.
    static std::string ErrorOf(const std::string& path, const std::string& entry)
    {
        try {
            TIndexedImage image;
            TTexturePackage::ReadImage(path, entry, &image);
        } catch (const my_error& e) {
            return e.what();
        }
        return std::string();
    }
    qmtest::TempDir dir_;
};

TEST_F(TexturePackage, NamesMatchWholeTheFirstWinsAndTheFieldEndsAtNulOrLength)
{
    PtxImage unterminated = PtxImage::Filled("a", 0, 4, 1, {1, 0, 0});
    unterminated.storedName = "bare";  // length 4, no NUL
    PtxImage trailing = PtxImage::Filled("b", 0, 5, 1, {1, 0, 0});
    trailing.storedName = std::string("pad\0junk", 8);  // the name is "pad"
    PtxImage empty = PtxImage::Filled("c", 0, 6, 1, {1, 0, 0});
    empty.storedName.clear();  // length 0: an empty name
    const std::string path = Write({PtxImage::Filled("window", 0, 3, 3, {3, 0, 0}),
                                    PtxImage::Filled("window16", 0, 1, 1, {1, 0, 0}),
                                    PtxImage::Filled("window16", 0, 2, 2, {2, 0, 0}), unterminated, trailing, empty});
    // Width 0: not found. Of two entries with one name the first answers.
    const std::pair<std::string, std::uint32_t> lookups[] = {
        {"window16", 1}, {"window", 3}, {"Window16", 0}, {"window1", 0}, {"bare", 4},
        {"pad", 5},      {std::string("pad\0junk", 8), 0}, {"", 6}};
    for (const auto& [entry, width] : lookups) {
        TIndexedImage image;
        ASSERT_EQ(TTexturePackage::ReadImage(path, entry, &image), width != 0) << entry;
        EXPECT_EQ(width != 0 ? image.width : 0u, width) << entry;
    }
}

// Kinds 0 to 3 are read, 1 and 2 with their alpha layer; from kind 4 on the device has no format
// and the entry reads as missing.
TEST_F(TexturePackage, KindsZeroToThreeAreReadAndFourOnAreRefused)
{
    const struct {
        const char* entry;
        std::uint32_t kind;
        std::uint32_t width;
        bool read;
        bool alpha;
    } kinds[] = {{"k0", 0, 1, true, false}, {"k1", 1, 2, true, true},   {"k2", 2, 3, true, true},
                 {"k3", 3, 4, true, false}, {"k4", 4, 5, false, false}, {"k7", 7, 6, false, false}};
    std::vector<PtxImage> images;
    for (const auto& k : kinds) {
        images.push_back(PtxImage::Filled(k.entry, k.kind, k.width, 2, {1, 2, 3}));
    }
    const std::string path = Write(images);
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.kind);
        TIndexedImage image;
        ASSERT_EQ(TTexturePackage::ReadImage(path, k.entry, &image), k.read);
        if (k.read) {
            EXPECT_EQ(image.kind, k.kind);
            EXPECT_EQ(image.width, k.width);
            EXPECT_EQ(image.HasAlphaLayer(), k.alpha);
        }
    }
}

TEST_F(TexturePackage, AnythingBeyondTheFileFailsWithThePackagePath)
{
    const std::vector<PtxImage> images = {PtxImage::Filled("one", 1, 4, 4, {1, 2, 3})};
    const std::vector<std::uint8_t> valid = qmtest::BuildPtx(images);
    const std::uint32_t record = qmtest::PtxRecordOffset(images, 0);
    const std::pair<std::size_t, std::uint32_t> cases[] = {
        {0, 0x10000000},                                           // entry count
        {4, 0xFFFFFFF0},                                           // name length
        {4 + 4 + 4, static_cast<std::uint32_t>(valid.size()) + 1},  // record offset
        {record + 4, 0x10000},                                     // width
        {record + 8, 0xFFFFFFFF},                                  // height
        {record + 8, 5},                                           // alpha layer
    };
    for (const auto& [at, value] : cases) {
        std::vector<std::uint8_t> bytes = valid;
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
        const std::string path = dir_.File("bad.ptx");
        qmtest::SaveBytes(path, bytes);
        const std::string error = ErrorOf(path, "one");
        EXPECT_NE(error.find(path), std::string::npos) << at << ": " << error;
    }
    const std::string missing = dir_.File("none.ptx");
    EXPECT_NE(ErrorOf(missing, "one").find(missing), std::string::npos);
}

class TextureCache : public qmtest::Graphics2D {
protected:
    void SetUp() override
    {
        Graphics2D::SetUp();
        StartDevice();
    }

};

TEST_F(TextureCache, OneKeyIsReadOnceAndShared)
{
    WritePackage("sprite.ptx", {PtxImage::Filled("window16", 0, 4, 2, {255, 0, 0}),
                                PtxImage::Filled("16_icon", 1, 2, 2, {0, 255, 0})});
    TTexture8 a = TTexture8::Load("sprite.ptx/window16", D3DPOOL_MANAGED, 0);
    ASSERT_TRUE(a.HasTexture());
    EXPECT_EQ(a.GetFormat(), d3d()->GetTextureFormat(0));
    D3DSURFACE_DESC desc{};
    ASSERT_TRUE(a.GetLevelDesc(0, &desc));
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_GT(a.GetTexture()->GetLevelCount(), 1u) << "a full mip chain";

    // The package is gone: the second load can only come from the cache.
    std::filesystem::remove(dir_.Path() / "ptx" / "sprite.ptx");
    TTexture8 b = TTexture8::Load("sprite.ptx/window16", D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET);
    EXPECT_EQ(b.GetTexture(), a.GetTexture());
    EXPECT_EQ(TDxProbe::Pool(b), D3DPOOL_MANAGED) << "the cached texture, whatever was asked";
    EXPECT_EQ(TDxProbe::ShareCount(a), 3u) << "two handles and the cache";
}

TEST_F(TextureCache, AKindAboveThreeIsAMissingEntry)
{
    PtxImage odd = PtxImage::Filled("odd", 0, 2, 2, {1, 2, 3});
    odd.kind = 7;
    WritePackage("c.ptx", {odd});
    EXPECT_FALSE(TTexture8::Load("c.ptx/odd", D3DPOOL_MANAGED, 0).HasTexture());
    EXPECT_EQ(TTexture8::Find("c.ptx/odd"), nullptr);
}

TEST_F(TextureCache, PurgeKeepsWhatIsHeldAndReleasesTheRest)
{
    WritePackage("p.ptx", {PtxImage::Filled("a", 0, 2, 2, {1, 1, 1}), PtxImage::Filled("b", 0, 2, 2, {2, 2, 2}),
                           PtxImage::Filled("c", 0, 2, 2, {3, 3, 3})});
    TTexture8::Load("p.ptx/a", D3DPOOL_MANAGED, 0);
    {
        TTexture8 held = TTexture8::Load("p.ptx/b", D3DPOOL_MANAGED, 0);
        TTexture8::Load("p.ptx/c", D3DPOOL_MANAGED, 0);
        TTexture8::PurgeCache(2);
        EXPECT_EQ(TTexture8::Find("p.ptx/a"), nullptr);
        EXPECT_NE(TTexture8::Find("p.ptx/b"), nullptr);
        EXPECT_EQ(TTexture8::Find("p.ptx/c"), nullptr);
        EXPECT_EQ(TDxProbe::ShareCount(held), 2u);
    }
    TTexture8::PurgeCache(2);
    EXPECT_EQ(TTexture8::Find("p.ptx/b"), nullptr) << "gone once nothing holds it";

    // Mode 1 releases even what is held; the holder never releases it a second time (the sanitizers see it).
    TTexture8 survivor = TTexture8::Load("p.ptx/a", D3DPOOL_MANAGED, 0);
    TTexture8 copy = survivor;
    TTexture8::Create("blank", 8, 8, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0);
    TTexture8::PurgeCache(1);
    EXPECT_EQ(TTexture8::Find("p.ptx/a"), nullptr);
    EXPECT_EQ(TTexture8::Find("blank"), nullptr);
    EXPECT_EQ(TDxProbe::ShareCount(copy), 2u);
}

}  // namespace
