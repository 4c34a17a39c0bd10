#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/profile.h"
#include "support/ini_writer.h"
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
            .Line("Title=\"  quoted  \"")
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
    EXPECT_EQ(length, 14u + 1 + 8 + 1 + 8 + 1 + 8 + 1);
    EXPECT_EQ(buffer[length], '\0');

    length = GetPrivateProfileStringA("CurrentSetting", nullptr, "failed", buffer, sizeof(buffer), path_.c_str());
    expected = {"Width", "Height", "Title", "NoEquals"};
    EXPECT_EQ(SplitList(buffer, length), expected);
    EXPECT_EQ(length, 6u + 7 + 6 + 9);
}

TEST_F(Profile, ValuesTrimmedUnquotedAndMatchedWithoutCase)
{
    EXPECT_EQ(Value("CurrentSetting", "Width"), "640");
    EXPECT_EQ(Value("currentsetting", "HEIGHT"), "480");
    EXPECT_EQ(Value("CurrentSetting", "Title"), "  quoted  ");
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
    EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, 10, path_.c_str()), 8u);
    EXPECT_EQ(std::string(buffer, 10), std::string("CurrentS\0\0", 10));

    EXPECT_EQ(GetPrivateProfileStringA("CurrentSetting", "Width", "", buffer, 3, path_.c_str()), 2u);
    EXPECT_STREQ(buffer, "64");
    EXPECT_EQ(GetPrivateProfileStringA("CurrentSetting", "Width", "", buffer, 4, path_.c_str()), 3u);
    EXPECT_EQ(GetPrivateProfileStringA("CurrentSetting", nullptr, "", buffer, 8, path_.c_str()), 6u);
    EXPECT_EQ(std::string(buffer, 8), std::string("Width\0\0\0", 8));
}

TEST(ProfileFile, MissingFileEmptySectionAndBareName)
{
    qmtest::TempDir dir;
    char buffer[64] = "garbage";
    EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, sizeof(buffer), dir.File("none.ini").c_str()), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(GetPrivateProfileStringA("A", "B", "failed", buffer, sizeof(buffer), dir.File("none.ini").c_str()), 6u);
    EXPECT_STREQ(buffer, "failed");

    qmtest::IniWriter().Section("Empty").Line("; nothing").Section("Full").Key("a", "1").Key("A", "2").Save(
        dir.File("input.ini"));
    qmtest::ScopedCwd cwd(dir.Path());
    EXPECT_EQ(GetPrivateProfileStringA("Empty", nullptr, "failed", buffer, sizeof(buffer), "input.ini"), 0u);
    // Keys differing only in case are both listed.
    const DWORD length = GetPrivateProfileStringA("Full", nullptr, "failed", buffer, sizeof(buffer), "./input.ini");
    EXPECT_EQ(SplitList(buffer, length), (std::vector<std::string>{"a", "A"}));
}

}  // namespace
