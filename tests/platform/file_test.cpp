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

TEST(FilePaths, BackslashesAndCaseFoldFolderByFolder)
{
    qmtest::TempDir dir;
    fs::create_directories(dir.Path() / "Data" / "Map01");
    qmtest::ByteWriter().Bytes("abc").Save((dir.Path() / "Data" / "Map01" / "Field.BIN").string());
    qmtest::ScopedCwd cwd(dir.Path());

    HANDLE h = OpenFile("data\\MAP01\\field.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char buffer[4] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(h, buffer, 4, &read, nullptr));
    EXPECT_EQ(read, 3u);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_TRUE(CloseHandle(h));

    // A new file in an existing folder spelled in another case lands in that folder.
    h = OpenFile(".\\DATA\\map01\\New.dat", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_TRUE(fs::exists(dir.Path() / "Data" / "Map01" / "New.dat"));

    SetLastError(0);
    EXPECT_EQ(OpenFile("data\\nowhere\\x.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(OpenFile("data\\map01\\missing.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(FilePaths, Cp932NamesReachTheDiskAsUtf8)
{
    qmtest::TempDir dir;
    qmtest::ScopedCwd cwd(dir.Path());
    // 表 is 0x95 0x5C in CP932: its trail byte is a backslash and must not split the name.
    EXPECT_TRUE(CreateDirectoryA("セーブ", nullptr));
    HANDLE h = OpenFile("セーブ\\表.dat", GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_TRUE(fs::exists(dir.Path() / fs::path(u8"セーブ") / fs::path(u8"表.dat")));
    EXPECT_EQ(GetFileAttributesA("セーブ"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA("セーブ/表.dat"), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(CreateDirectoryA("セーブ", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileAttributesA("nothing.txt"), INVALID_FILE_ATTRIBUTES);
}

TEST(FileSharing, ReadersShareWritersAreExclusive)
{
    qmtest::TempDir dir;
    const std::string path = dir.File("shared.bin");
    qmtest::ByteWriter().U32(7).Save(path);

    HANDLE reader1 = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    HANDLE reader2 = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(reader1, INVALID_HANDLE_VALUE);
    ASSERT_NE(reader2, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenFile(path, GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    // A refused CREATE_ALWAYS must not have emptied the file.
    EXPECT_EQ(OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(fs::file_size(path), 4u);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(reader1);
    CloseHandle(reader2);

    HANDLE both = OpenFile(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    ASSERT_NE(both, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(both);

    HANDLE reader = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    CloseHandle(reader);
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
    EXPECT_EQ(written, 0u);
    CloseHandle(h);
    // Refused even where the process could write (root), as on the original system.
    EXPECT_EQ(OpenFile(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFileA(path.c_str()));

    struct stat after;
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_size, 4);
}

TEST(FileCreation, DispositionsAndLastError)
{
    qmtest::TempDir dir;
    const std::string path = dir.File("new.bin");

    HANDLE h = OpenFile(path, GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(h, "12345678", 8, &written, nullptr));
    EXPECT_EQ(written, 8u);
    CloseHandle(h);

    EXPECT_EQ(OpenFile(path, GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

    h = OpenFile(path, GENERIC_WRITE, 0, OPEN_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(h, nullptr), 8u);  // OPEN_ALWAYS keeps the contents
    CloseHandle(h);

    h = OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    char byte = 0;
    DWORD read = 5;
    EXPECT_FALSE(ReadFile(h, &byte, 1, &read, nullptr));  // opened for writing only
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(h);

    EXPECT_EQ(OpenFile(dir.Path().string(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(FilePointer, MethodsNegativeSeekAndEndOfFile)
{
    qmtest::TempDir dir;
    const std::string path = dir.File("ptr.bin");
    qmtest::ByteWriter().Bytes("0123456789").Save(path);
    HANDLE h = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);

    EXPECT_EQ(SetFilePointer(h, 4, nullptr, FILE_BEGIN), 4u);
    EXPECT_EQ(SetFilePointer(h, 3, nullptr, FILE_CURRENT), 7u);
    EXPECT_EQ(SetFilePointer(h, -2, nullptr, FILE_END), 8u);
    char two[3] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(h, two, 2, &read, nullptr));
    EXPECT_STREQ(two, "89");
    // At the end a read succeeds with nothing.
    EXPECT_TRUE(ReadFile(h, two, 2, &read, nullptr));
    EXPECT_EQ(read, 0u);

    EXPECT_EQ(SetFilePointer(h, -11, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 10u);  // unchanged by the failure
    CloseHandle(h);

    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetFileSize(h, nullptr), INVALID_FILE_SIZE);
}

TEST(FileMove, ReplaceOnlyWhenAsked)
{
    qmtest::TempDir dir;
    const std::string from = dir.File("save.tmp");
    const std::string to = dir.File("save01.dat");
    qmtest::ByteWriter().Bytes("new").Save(from);
    qmtest::ByteWriter().Bytes("old!").Save(to);

    EXPECT_FALSE(MoveFileExA(from.c_str(), to.c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    HANDLE open = OpenFile(to, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_FALSE(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(open);

    EXPECT_TRUE(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(fs::exists(from));
    EXPECT_EQ(qmtest::LoadBytes(to).size(), 3u);
    EXPECT_TRUE(DeleteFileA(to.c_str()));
    EXPECT_FALSE(DeleteFileA(to.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(ModuleFileName, ExecutablePathCutAndOverride)
{
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(fs::path(path), fs::canonical("/proc/self/exe"));

    char small[5];
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof(small)), 5u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(small), std::string(path, 4));

    platform::OverrideModuleFileName("/tmp/ゲーム/quillmark4");
    EXPECT_EQ(GetModuleFileNameA(nullptr, path, MAX_PATH), static_cast<DWORD>(lstrlenA("/tmp/ゲーム/quillmark4")));
    EXPECT_STREQ(path, "/tmp/ゲーム/quillmark4");
    platform::OverrideModuleFileName("");
    EXPECT_EQ(GetModuleFileNameA(nullptr, path, MAX_PATH), length);
    EXPECT_EQ(lstrlenA(nullptr), 0);
}

}  // namespace
