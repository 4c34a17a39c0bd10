#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "TCommon/TFile.h"
#include "TCommon/my_error.h"
#include "formats/byte_writer.h"
#include "support/fuzz.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(TFile, ReadsExactCountsAndLengthPrefixedStrings)
{
    qmtest::TempDir dir;
    const std::string path = dir.File("strings.bin");
    qmtest::ByteWriter()
        .Bytes("abc")
        .LpString("メッシュ")
        .LpString("")           // length 1 and one NUL
        .U32(0)                 // length 0
        .U32(5).Bytes("ab\0cd", 5)
        .U32(9).Bytes("xy")     // longer than what is left
        .Save(path);
    TFile file(path);
    ASSERT_TRUE(file.Open(true, GENERIC_READ, ""));
    char buffer[4] = {};
    EXPECT_TRUE(file.Skip(1));
    EXPECT_TRUE(file.Read(buffer, 2));
    EXPECT_EQ(std::string(buffer), "bc");
    EXPECT_FALSE(file.Write("x", 1));  // data files are opened read-only

    // Whether the read succeeded and what it left, starting from a stale text.
    const auto read = [&file] {
        std::string out = "stale";
        const bool ok = file.ReadString(out);
        return (ok ? "ok " : "failed ") + out;
    };
    EXPECT_EQ(read(), "ok メッシュ");
    const DWORD before = SetFilePointer(file.GetHandle(), 0, nullptr, FILE_CURRENT);
    EXPECT_EQ(read(), "ok ");
    EXPECT_EQ(SetFilePointer(file.GetHandle(), 0, nullptr, FILE_CURRENT), before + 5);
    EXPECT_EQ(read(), "ok ");
    EXPECT_EQ(read(), "ok ab");
    EXPECT_EQ(read(), "failed ");
    EXPECT_EQ(read(), "failed ");  // nothing left for the length itself

    // Three bytes came, but not four.
    EXPECT_TRUE(file.Seek(static_cast<std::int32_t>(file.GetSize()) - 3));
    EXPECT_FALSE(file.Read(buffer, 4));
}

TEST(TFile, ReadOnlyFilesKeepTheirAttributes)
{
    qmtest::TempDir dir;
    const std::string readOnly = dir.File("readonly.dat");
    qmtest::ByteWriter().LpString("data").Save(readOnly);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
    const DWORD attributes = GetFileAttributesA(readOnly.c_str());
    struct stat before;
    ASSERT_EQ(stat(readOnly.c_str(), &before), 0);
    {
        TFile file(readOnly);
        ASSERT_TRUE(file.Open(true, GENERIC_READ, ""));
        TFile other(readOnly);
        EXPECT_FALSE(other.Open(true, GENERIC_WRITE, ""));
    }
    struct stat after;
    ASSERT_EQ(stat(readOnly.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(GetFileAttributesA(readOnly.c_str()), attributes);
    EXPECT_EQ(attributes, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

TEST(TFileRobustness, DamagedStringFilesNeverCrashOrOverAllocateUnderSanitizers)
{
    qmtest::TempDir dir;
    qmtest::ByteWriter valid;
    valid.U32(3).LpString("フィールド").LpString("").LpString("model.x").F32(1.5f).LpString("終");
    qmtest::FuzzFile(valid.Data(), dir.File("fuzz.bin"), [](const std::string& path) {
        TFile file(path);
        if (!file.Open(true, GENERIC_READ, "")) {
            throw my_error("open", "fuzz", 0);
        }
        std::string text;
        for (int i = 0; i < 16 && file.ReadString(text); ++i) {
        }
    });
}

}  // namespace
