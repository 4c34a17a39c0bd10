#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TCommon/my_error.h"
#include "dx/dx8/3d/TTexturePackage.h"
#include "support/byte_writer.h"
#include "support/fuzz.h"
#include "support/ptx_writer.h"
#include "support/temp_dir.h"

namespace {

using qmtest::PtxImage;

class TTexturePackageTest : public ::testing::Test {
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

TEST_F(TTexturePackageTest, ReadsTheNamedEntryWithItsLayers)
{
    const std::vector<qmtest::PtxColor> colors = {{1, 2, 3}, {4, 5, 6}, {1, 2, 3}, {7, 8, 9}, {4, 5, 6}, {0, 0, 0}};
    const std::string path = Write({PtxImage::Filled("first", 0, 1, 1, {9, 9, 9}),
                                    PtxImage::FromPixels("second", 2, 3, 2, colors, {0, 50, 100, 150, 200, 250}),
                                    PtxImage::FromPixels("third", 3, 2, 3, colors)});
    TIndexedImage image;
    ASSERT_TRUE(TTexturePackage::ReadImage(path, "second", &image));
    EXPECT_EQ(image.kind, 2u);
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    EXPECT_EQ(image.indices, (std::vector<std::uint8_t>{0, 1, 0, 2, 1, 3}));
    EXPECT_EQ(image.alpha, (std::vector<std::uint8_t>{0, 50, 100, 150, 200, 250}));
    ASSERT_EQ(image.palette.size(), 1024u);
    // Entry 2 is (7, 8, 9) stored blue, green, red.
    EXPECT_EQ(image.palette[8], 9);
    EXPECT_EQ(image.palette[9], 8);
    EXPECT_EQ(image.palette[10], 7);

    ASSERT_TRUE(TTexturePackage::ReadImage(path, "third", &image));
    EXPECT_EQ(image.kind, 3u);
    EXPECT_FALSE(image.HasAlphaLayer()) << "kinds 0 and 3 carry no alpha layer";
    EXPECT_EQ(image.indices.size(), 6u);
}

TEST_F(TTexturePackageTest, NamesMatchWholeAndCaseSensitiveAndTheFirstWins)
{
    PtxImage first = PtxImage::Filled("window16", 0, 1, 1, {1, 0, 0});
    PtxImage second = PtxImage::Filled("window16", 0, 2, 2, {2, 0, 0});
    PtxImage prefix = PtxImage::Filled("window", 0, 3, 3, {3, 0, 0});
    const std::string path = Write({prefix, first, second});
    TIndexedImage image;
    ASSERT_TRUE(TTexturePackage::ReadImage(path, "window16", &image));
    EXPECT_EQ(image.width, 1u) << "the first of two entries with one name";
    ASSERT_TRUE(TTexturePackage::ReadImage(path, "window", &image));
    EXPECT_EQ(image.width, 3u);
    EXPECT_FALSE(TTexturePackage::ReadImage(path, "Window16", &image));
    EXPECT_FALSE(TTexturePackage::ReadImage(path, "window1", &image));
    EXPECT_FALSE(TTexturePackage::ReadImage(path, "", &image));
}

TEST_F(TTexturePackageTest, TheNameFieldEndsAtItsFirstNulOrItsLength)
{
    PtxImage unterminated = PtxImage::Filled("a", 0, 1, 1, {1, 0, 0});
    unterminated.storedName = "bare";  // length 4, no NUL
    PtxImage trailing = PtxImage::Filled("b", 0, 2, 1, {1, 0, 0});
    trailing.storedName = std::string("pad\0junk", 8);  // the name is "pad"
    PtxImage empty = PtxImage::Filled("c", 0, 3, 1, {1, 0, 0});
    empty.storedName.clear();  // length 0: an empty name
    const std::string path = Write({unterminated, trailing, empty});
    TIndexedImage image;
    ASSERT_TRUE(TTexturePackage::ReadImage(path, "bare", &image));
    EXPECT_EQ(image.width, 1u);
    ASSERT_TRUE(TTexturePackage::ReadImage(path, "pad", &image));
    EXPECT_EQ(image.width, 2u);
    EXPECT_FALSE(TTexturePackage::ReadImage(path, std::string("pad\0junk", 8), &image));
    ASSERT_TRUE(TTexturePackage::ReadImage(path, "", &image));
    EXPECT_EQ(image.width, 3u);
}

TEST_F(TTexturePackageTest, KindAboveThreeIsAMissingEntry)
{
    PtxImage odd = PtxImage::Filled("odd", 0, 2, 2, {1, 0, 0});
    odd.kind = 4;
    const std::string path = Write({odd, PtxImage::Filled("odd", 1, 1, 1, {1, 0, 0})});
    TIndexedImage image;
    image.width = 77;
    EXPECT_FALSE(TTexturePackage::ReadImage(path, "odd", &image)) << "the first entry decides";
    EXPECT_EQ(image.width, 77u) << "the image is left alone";
}

TEST_F(TTexturePackageTest, AnythingBeyondTheFileFailsWithThePackagePath)
{
    const std::vector<PtxImage> images = {PtxImage::Filled("one", 1, 4, 4, {1, 2, 3})};
    const std::vector<std::uint8_t> valid = qmtest::BuildPtx(images);
    const std::uint32_t record = qmtest::PtxRecordOffset(images, 0);
    auto patched = [&](std::size_t at, std::uint32_t value) {
        std::vector<std::uint8_t> bytes = valid;
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
        const std::string path = dir_.File("bad.ptx");
        qmtest::SaveBytes(path, bytes);
        return path;
    };
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"entry count", 0, 0x10000000},
        {"name length", 4, 0xFFFFFFF0},
        {"record offset", 4 + 4 + 4, static_cast<std::uint32_t>(valid.size()) + 1},
        {"width", record + 4, 0x10000},
        {"height", record + 8, 0xFFFFFFFF},
        {"alpha layer", record + 8, 5},
    };
    for (const Case& c : cases) {
        const std::string path = patched(c.at, c.value);
        const std::string error = ErrorOf(path, "one");
        EXPECT_NE(error.find(path), std::string::npos) << c.what << ": " << error;
    }

    const std::string missing = dir_.File("none.ptx");
    EXPECT_NE(ErrorOf(missing, "one").find(missing), std::string::npos);
    // A folder is no package.
    EXPECT_NE(ErrorOf(dir_.Path().string() + "/", "one"), std::string());
}

TEST_F(TTexturePackageTest, RobustAgainstDamagedPackages)
{
    const std::vector<std::uint8_t> valid =
        qmtest::BuildPtx({PtxImage::Filled("a", 0, 2, 2, {1, 2, 3}), PtxImage::Filled("b", 1, 3, 2, {4, 5, 6}),
                          PtxImage::Filled("c", 3, 1, 3, {7, 8, 9})});
    qmtest::FuzzFile(valid, dir_.File("fuzz.ptx"), [](const std::string& path) {
        for (const char* entry : {"a", "b", "c", "zz"}) {
            TIndexedImage image;
            if (TTexturePackage::ReadImage(path, entry, &image)) {
                ASSERT_LT(image.kind, 4u);
                ASSERT_EQ(image.indices.size(), static_cast<std::size_t>(image.width) * image.height);
                ASSERT_EQ(image.palette.size(), 1024u);
            }
        }
    });
}

}  // namespace
