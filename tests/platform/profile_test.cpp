#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/testing/win32.h"
#include "platform/win32/profile.h"
#include "formats/byte_writer.h"
#include "formats/ini_writer.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::string> SplitList(const char* buffer, DWORD length)
{
    std::vector<std::string> names;
    for (DWORD pos = 0; pos < length && buffer[pos] != '\0';) {
        names.emplace_back(buffer + pos);
        pos += static_cast<DWORD>(names.back().size()) + 1;
    }
    return names;
}

class Profile : public ::testing::Test {
protected:
    void SetUp() override
    {
        qmtest::IniWriter()
            .Line("; written by the setup tool")
            .Section("CurrentSetting")
            .Key("Width", 640)
            .Line("  Height =  480  ")
            .Line("NoEquals")
            .Section(" Keyboard ")
            .Key("Up", "38")
            .Section("空の項目")
            .Key("名前", "値")
            .Section("Keyboard")
            .Key("Up", "99")
            .Key("up", "98")
            .Save(path_);
    }

    std::string Value(const char* section, const char* key, const char* fallback = "def")
    {
        char buffer[256];
        DWORD length = GetPrivateProfileStringA(section, key, fallback, buffer, sizeof(buffer), path_.c_str());
        EXPECT_EQ(length, std::string(buffer).size());
        return buffer;
    }

    qmtest::TempDir dir_;
    std::string path_ = dir_.File("setting.ini");
};

TEST_F(Profile, ListsInFileOrderWithDuplicates)
{
    char buffer[256];
    DWORD length = GetPrivateProfileSectionNamesA(buffer, sizeof(buffer), path_.c_str());
    std::vector<std::string> expected = {"CurrentSetting", "Keyboard", "空の項目", "Keyboard"};
    EXPECT_EQ(SplitList(buffer, length), expected);

    length = GetPrivateProfileStringA("CurrentSetting", nullptr, "failed", buffer, sizeof(buffer), path_.c_str());
    expected = {"Width", "Height", "NoEquals"};
    EXPECT_EQ(SplitList(buffer, length), expected);
}

TEST_F(Profile, ValuesTrimmedAndMatchedWithoutCase)
{
    EXPECT_EQ(Value("CurrentSetting", "Width"), "640");
    EXPECT_EQ(Value("currentsetting", "HEIGHT"), "480");
    EXPECT_EQ(Value("CurrentSetting", "NoEquals"), "def");
    EXPECT_EQ(Value("Nowhere", "Width", "failed  "), "failed");
    EXPECT_EQ(Value("空の項目", "名前"), "値");
    // The first of two sections of one name answers.
    EXPECT_EQ(Value("KEYBOARD", "Up"), "38");
}

TEST_F(Profile, TooSmallBuffersReportSizeMinusTwoForListsAndMinusOneForValues)
{
    char buffer[16];
    // "CurrentSetting\0" fills the room before the final NUL exactly; the next name does not fit.
    EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, 16, path_.c_str()), 14u);
    EXPECT_EQ(std::string(buffer, 16), std::string("CurrentSetting\0\0", 16));

    EXPECT_EQ(GetPrivateProfileStringA("CurrentSetting", "Width", "", buffer, 3, path_.c_str()), 2u);
    EXPECT_STREQ(buffer, "64");
}

// Whatever stands under the file's name, a lookup answers at once from at most 64 KiB: a FIFO
// without a writer does not hold it, /dev/zero is not read, and a longer file reads as missing,
// so the game keeps its default bindings.
TEST(ProfileFile, OnlyRegularFilesUpTo64KiBAreRead)
{
    qmtest::TempDir dir;
    const std::string head = "[Keyboard]\r\nUp=38\r\n;";
    const auto padded = [&](std::size_t size) {
        const std::string path = dir.File(std::to_string(size) + ".ini");
        qmtest::ByteWriter().Bytes(head + std::string(size - head.size(), '-')).Save(path);
        return path;
    };
    ASSERT_EQ(mkfifo(dir.File("pipe.ini").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", dir.Path() / "zero.ini");
    std::filesystem::create_directory(dir.Path() / "folder.ini");
    const struct {
        const char* what;
        std::string path;
        const char* value;
        long mostReads;
    } cases[] = {
        {"FIFO", dir.File("pipe.ini"), "def", 0},
        {"/dev/zero", dir.File("zero.ini"), "def", 0},
        {"folder", dir.File("folder.ini"), "def", 0},
        {"20 bytes", padded(20), "38", 2},
        {"65535 bytes", padded(65535), "38", 2},
        {"65536 bytes", padded(65536), "38", 2},
        {"65537 bytes", padded(65537), "def", 2},
        {"1 MiB", padded(1 << 20), "def", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        char buffer[16];
        const platform::FileCallCounts before = platform::FileCalls();
        const DWORD length = GetPrivateProfileStringA("Keyboard", "Up", "def", buffer, sizeof(buffer), c.path.c_str());
        const platform::FileCallCounts after = platform::FileCalls();
        EXPECT_STREQ(buffer, c.value);
        EXPECT_EQ(length, std::string(c.value).size());
        EXPECT_EQ(after.opens - before.opens, 1);
        EXPECT_LE(after.reads - before.reads, c.mostReads);
    }
}

}  // namespace
