#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/win32/error.h"
#include "platform/win32/file.h"
#include "support/byte_writer.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

HANDLE OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition)
{
    return CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void ExpectError(DWORD code)
{
    EXPECT_EQ(GetLastError(), code);
}

TEST(FilePaths, BackslashesCaseFoldingAndCp932Names)
{
    qmtest::TempDir dir;
    fs::create_directories(dir.Path() / "Data" / "Map01");
    qmtest::ByteWriter().Bytes("abc").Save((dir.Path() / "Data" / "Map01" / "Field.BIN").string());
    qmtest::ScopedCwd cwd(dir.Path());

    HANDLE h = OpenFile("data\\MAP01\\field.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    char buffer[4] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(h, buffer, 4, &read, nullptr));
    EXPECT_STREQ(buffer, "abc");
    EXPECT_TRUE(CloseHandle(h));

    // A new file in an existing folder spelled in another case lands in that folder.
    EXPECT_TRUE(CloseHandle(OpenFile(".\\DATA\\map01\\New.dat", GENERIC_WRITE, 0, CREATE_NEW)));
    EXPECT_TRUE(fs::exists(dir.Path() / "Data" / "Map01" / "New.dat"));
    EXPECT_EQ(OpenFile("data\\nowhere\\x.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    ExpectError(ERROR_PATH_NOT_FOUND);

    // 表 is 0x95 0x5C in CP932: its trail byte is a backslash and must not split the name.
    EXPECT_TRUE(CreateDirectoryA("セーブ", nullptr));
    EXPECT_TRUE(CloseHandle(OpenFile("セーブ\\表.dat", GENERIC_WRITE, 0, CREATE_ALWAYS)));
    EXPECT_TRUE(fs::exists(dir.Path() / fs::path(u8"セーブ") / fs::path(u8"表.dat")));
    EXPECT_EQ(GetFileAttributesA("セーブ"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA("セーブ/表.dat"), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesA("nothing.txt"), INVALID_FILE_ATTRIBUTES);
}

TEST(FileSharing, ReadersShareWritersAreExclusive)
{
    qmtest::TempDir dir;
    const std::string path = dir.File("shared.bin");
    qmtest::ByteWriter().U32(7).Save(path);

    HANDLE reader1 = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    HANDLE reader2 = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(reader2, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenFile(path, GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    ExpectError(ERROR_SHARING_VIOLATION);
    // A refused CREATE_ALWAYS must not have emptied the file.
    EXPECT_EQ(OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(fs::file_size(path), 4u);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    CloseHandle(reader1);
    CloseHandle(reader2);

    HANDLE both = OpenFile(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    ASSERT_NE(both, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    ExpectError(ERROR_SHARING_VIOLATION);
    CloseHandle(both);
}

TEST(FileAttributes, ReadOnlyFileOpensForReadingOnlyAndKeepsItsMode)
{
    qmtest::TempDir dir;
    const std::string path = dir.File("readonly.dat");
    qmtest::ByteWriter().U32(1).Save(path);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    struct stat before;
    ASSERT_EQ(stat(path.c_str(), &before), 0);

    EXPECT_EQ(GetFileAttributesA(path.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    HANDLE h = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 9;
    EXPECT_FALSE(WriteFile(h, "x", 1, &written, nullptr));
    CloseHandle(h);
    // Refused even where the process could write (root), as on the original system.
    EXPECT_EQ(OpenFile(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    ExpectError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFileA(path.c_str()));

    struct stat after;
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_size, 4);
}

TEST(FileCreation, DispositionsAndPointer)
{
    qmtest::TempDir dir;
    const std::string path = dir.File("new.bin");
    HANDLE h = OpenFile(path, GENERIC_WRITE, 0, CREATE_NEW);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(h, "0123456789", 10, &written, nullptr));
    CloseHandle(h);
    EXPECT_EQ(OpenFile(path, GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    ExpectError(ERROR_FILE_EXISTS);

    h = OpenFile(path, GENERIC_READ, 0, OPEN_ALWAYS);
    ExpectError(ERROR_ALREADY_EXISTS);
    EXPECT_EQ(GetFileSize(h, nullptr), 10u);  // OPEN_ALWAYS keeps the contents
    EXPECT_EQ(SetFilePointer(h, -2, nullptr, FILE_END), 8u);
    char two[3] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(h, two, 2, &read, nullptr));
    EXPECT_STREQ(two, "89");
    EXPECT_TRUE(ReadFile(h, two, 2, &read, nullptr));  // at the end: success with nothing
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(SetFilePointer(h, -11, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
    ExpectError(ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 10u);  // unchanged by the failure
    CloseHandle(h);

    h = OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    EXPECT_FALSE(ReadFile(h, two, 1, &read, nullptr));  // opened for writing only
    CloseHandle(h);
}

TEST(ModuleFileName, ExecutablePathCutAndOverride)
{
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    EXPECT_EQ(fs::path(path), fs::canonical("/proc/self/exe"));
    char small[5];
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof(small)), 5u);
    EXPECT_EQ(std::string(small), std::string(path, 4));

    platform::OverrideModuleFileName("/tmp/ゲーム/quillmark4");
    EXPECT_EQ(GetModuleFileNameA(nullptr, path, MAX_PATH), static_cast<DWORD>(lstrlenA("/tmp/ゲーム/quillmark4")));
    EXPECT_STREQ(path, "/tmp/ゲーム/quillmark4");
    platform::OverrideModuleFileName("");
    EXPECT_EQ(GetModuleFileNameA(nullptr, path, MAX_PATH), length);
}

}  // namespace
