#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <utility>
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

// The file's modification time set that far from now (negative: in the past).
void Age(const std::string& path, std::chrono::milliseconds offset)
{
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() + offset);
}

// Opens and parses since the counts given, the counts then taken anew.
std::pair<long, long> Work(long& opens, long& parses)
{
    const std::pair<long, long> work{platform::FileCalls().opens - opens, platform::ProfileParses() - parses};
    opens = platform::FileCalls().opens;
    parses = platform::ProfileParses();
    return work;
}

// Sets the file's access and modification times back to those it had, again until its change time,
// kept by a clock that ticks more coarsely, has moved past the one it had then.
void PutTimesBack(const std::string& path, const struct stat& before)
{
    const auto ns = [](const timespec& t) { return t.tv_sec * 1'000'000'000LL + t.tv_nsec; };
    const timespec times[2] = {before.st_atim, before.st_mtim};
    struct stat now {};
    for (int i = 0; i < 100000 && (i == 0 || ns(now.st_ctim) == ns(before.st_ctim)); ++i) {
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        ASSERT_EQ(stat(path.c_str(), &now), 0);
    }
    ASSERT_EQ(now.st_size, before.st_size);
    ASSERT_EQ(ns(now.st_mtim), ns(before.st_mtim));
    ASSERT_NE(ns(now.st_ctim), ns(before.st_ctim));
}

std::string Lookup(const std::string& path, const char* section, const char* key)
{
    char buffer[64];
    GetPrivateProfileStringA(section, key, "def", buffer, sizeof(buffer), path.c_str());
    return buffer;
}

// The game asks for a settings file key by key: the file is read and parsed for the first
// question only, and read again when it has changed since.
TEST(ProfileFile, ASettledFileIsReadAndParsedOnceForAllItsLookups)
{
    qmtest::TempDir dir;
    const std::string path = dir.File("input.ini");
    qmtest::IniWriter().Section("Keyboard").Key("Up", "UP").Key("A", "Z").Section("GamePad").Key("A", 1).Save(path);
    Age(path, std::chrono::minutes(-1));

    long opens = platform::FileCalls().opens;
    long parses = platform::ProfileParses();
    char buffer[64];
    EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, sizeof(buffer), path.c_str()), 17u);
    EXPECT_EQ(GetPrivateProfileStringA("Keyboard", nullptr, "", buffer, sizeof(buffer), path.c_str()), 5u);
    EXPECT_EQ(Lookup(path, "keyboard", "a"), "Z");
    EXPECT_EQ(Lookup(path, "GamePad", "A"), "1");
    EXPECT_EQ(Lookup(path, "GamePad", "B"), "def");
    EXPECT_EQ(Work(opens, parses), std::make_pair(1L, 1L));

    // Rewritten at the same length and dated back again, to another time: read and parsed anew.
    qmtest::IniWriter().Section("Keyboard").Key("Up", "DN").Key("A", "X").Section("GamePad").Key("A", 2).Save(path);
    Age(path, std::chrono::seconds(-90));
    EXPECT_EQ(Lookup(path, "Keyboard", "Up"), "DN");
    EXPECT_EQ(Lookup(path, "GamePad", "A"), "2");
    EXPECT_EQ(Work(opens, parses), std::make_pair(1L, 1L));

    // Rewritten at the same length with both its times put back: only its change time tells.
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    qmtest::IniWriter().Section("Keyboard").Key("Up", "LT").Key("A", "Y").Section("GamePad").Key("A", 3).Save(path);
    PutTimesBack(path, before);
    EXPECT_EQ(Lookup(path, "Keyboard", "Up"), "LT");
    EXPECT_EQ(Lookup(path, "GamePad", "A"), "3");
    EXPECT_EQ(Work(opens, parses), std::make_pair(1L, 1L));
}

// A file written in the last two seconds could be written again without its times changing: it
// is read for each lookup, but parsed again only when its bytes differ.
TEST(ProfileFile, AFileWrittenJustNowIsReadForEachLookupAndParsedWhenItChanges)
{
    qmtest::TempDir dir;
    const std::string path = dir.File("setting.ini");
    qmtest::IniWriter().Section("CurrentSetting").Key("Width", 640).Save(path);
    const auto written = std::filesystem::last_write_time(path);
    const struct {
        std::chrono::milliseconds age;
        long opens;  // for three lookups after the first
    } cases[] = {
        {std::chrono::hours(1), 3},  // dated in the future
        {std::chrono::milliseconds(0), 3},
        {std::chrono::milliseconds(-1000), 3},
        {std::chrono::milliseconds(-2500), 0},
        {std::chrono::hours(-24), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.age.count());
        Age(path, c.age);
        EXPECT_EQ(Lookup(path, "CurrentSetting", "Width"), "640");
        long opens = platform::FileCalls().opens;
        long parses = platform::ProfileParses();
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(Lookup(path, "CurrentSetting", "Width"), "640");
        }
        EXPECT_EQ(Work(opens, parses), std::make_pair(c.opens, 0L));
    }

    // The same length and the same modification time, other bytes.
    std::filesystem::last_write_time(path, written);
    EXPECT_EQ(Lookup(path, "CurrentSetting", "Width"), "640");
    qmtest::IniWriter().Section("CurrentSetting").Key("Width", 800).Save(path);
    std::filesystem::last_write_time(path, written);
    const long parses = platform::ProfileParses();
    EXPECT_EQ(Lookup(path, "CurrentSetting", "Width"), "800");
    EXPECT_EQ(platform::ProfileParses() - parses, 1);
}

// A few files are kept, the most recently asked first: the fifth pushes out the one asked longest ago.
TEST(ProfileFile, FourFilesAreKept)
{
    qmtest::TempDir dir;
    std::vector<std::string> paths;
    for (int i = 1; i <= 5; ++i) {
        paths.push_back(dir.File(std::to_string(i) + ".ini"));
        qmtest::IniWriter().Section("S").Key("K", i).Save(paths.back());
        Age(paths.back(), std::chrono::minutes(-1));
    }
    const struct {
        int file;
        long opens;
    } steps[] = {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {1, 0}, {2, 0}, {3, 0}, {4, 0},
                 {5, 1}, {2, 0}, {1, 1}, {4, 0}, {3, 1}, {5, 1}, {2, 1}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.file);
        const platform::FileCallCounts calls = platform::FileCalls();
        EXPECT_EQ(Lookup(paths[step.file - 1], "S", "K"), std::to_string(step.file));
        EXPECT_EQ(platform::FileCalls().opens - calls.opens, step.opens);
    }
}

// A file over the bound is named once on stderr; asked again unchanged, it is neither read nor
// named again.
TEST(ProfileFile, AFileOverTheBoundIsNamedOnce)
{
    qmtest::TempDir dir;
    const std::string head = "[Keyboard]\r\nUp=38\r\n;";
    const auto padded = [&](const std::string& name, std::size_t size) {
        qmtest::ByteWriter().Bytes(head + std::string(size - head.size(), '-')).Save(dir.File(name));
        return dir.File(name);
    };
    const std::string full = padded("full.ini", 65536);
    const std::string over = padded("over.ini", 65537);
    const std::string large = padded("large.ini", 1 << 20);
    const struct {
        std::string path;
        const char* value;
        bool named;
        long opens;
    } steps[] = {
        {full, "38", false, 1}, {over, "def", true, 1}, {over, "def", false, 0},
        {large, "def", true, 1}, {full, "38", false, 1},  // written just now: read again
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.path);
        const long opens = platform::FileCalls().opens;
        testing::internal::CaptureStderr();
        EXPECT_EQ(Lookup(step.path, "Keyboard", "Up"), step.value);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  step.named ? "profile: " + step.path + " is longer than 65536 bytes and is read as missing\n" : "");
        EXPECT_EQ(platform::FileCalls().opens - opens, step.opens);
    }
}

// Asking a file that is not there creates nothing: neither the file nor its folder.
TEST(ProfileFile, LookupsInAMissingFileLeaveNoFileBehind)
{
    qmtest::TempDir dir;
    const std::string names[] = {dir.File("input.ini"), dir.File("Sub/Setting.INI"), dir.File("sub\\setting.ini")};
    for (const std::string& path : names) {
        SCOPED_TRACE(path);
        char buffer[64];
        EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, sizeof(buffer), path.c_str()), 0u);
        EXPECT_EQ(GetPrivateProfileStringA("Keyboard", nullptr, "x", buffer, sizeof(buffer), path.c_str()), 1u);
        EXPECT_EQ(Lookup(path, "Keyboard", "Up"), "def");
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

}  // namespace
