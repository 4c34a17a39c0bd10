#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/testing/win32.h"
#include "platform/win32/error.h"
#include "platform/win32/file.h"
#include "formats/byte_writer.h"
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
}

// Looks a missing name of the folder up until its listing is kept: the folder is read for one
// look-up and not for the next one (it last changed before the clock's latest tick).
bool ListingKept(const std::string& folder)
{
    const std::string missing = folder + "\\settling.none";
    for (int i = 0; i < 3000; ++i) {
        GetFileAttributesA(missing.c_str());
        const long before = platform::FileCalls().listings;
        GetFileAttributesA(missing.c_str());
        if (platform::FileCalls().listings == before) {
            return true;
        }
        usleep(1000);
    }
    return false;
}

// A name not found as written is looked for in its folder's listing, read once while the folder
// stays as it was: names missing from a folder of 2,000 files cost no reading, and a file added,
// renamed or removed, or another folder put in the place of the first, is seen at the next look-up.
// At most 256 folders' listings are kept: the 256 folders a game looks in are read once, and a
// 257th drops them all, to be read again when next looked in. (ctest runs each test in a process of
// its own, so the kept listings start empty.)
TEST(FilePaths, TheListingsOf256FoldersAreKeptAndA257thDropsThem)
{
    qmtest::TempDir dir;
    for (int i = 0; i < 257; ++i) {
        fs::create_directories(dir.Path() / ("D" + std::to_string(i)));
    }
    qmtest::ScopedCwd cwd(dir.Path());
    const auto lookUp = [](int folder) {
        const std::string missing = "D" + std::to_string(folder) + "\\missing.pbsc";
        EXPECT_EQ(GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES);
    };
    const auto listingsAfter = [&](int from, int to) {
        const long before = platform::FileCalls().listings;
        for (int i = from; i <= to; ++i) {
            lookUp(i);
        }
        return platform::FileCalls().listings - before;
    };
    // The last folder made, kept once settled: every folder before it has settled too.
    ASSERT_TRUE(ListingKept("D256"));
    EXPECT_EQ(listingsAfter(0, 254), 255);
    EXPECT_EQ(listingsAfter(0, 254), 0);
    EXPECT_EQ(listingsAfter(256, 256), 0);
    EXPECT_EQ(listingsAfter(255, 255), 1);
    EXPECT_EQ(listingsAfter(0, 0), 1);
}

TEST(FilePaths, ACaseBlindLookUpReadsItsFolderOnlyWhenTheFolderChanged)
{
    qmtest::TempDir dir;
    fs::create_directories(dir.Path() / "Scr");
    for (const char* name : {"Alpha.TXT", "beta.TXT", "BETA.txt"}) {
        qmtest::ByteWriter().Bytes("x").Save((dir.Path() / "Scr" / name).string());
    }
    for (int i = 0; i < 2000; ++i) {
        qmtest::ByteWriter().Bytes("x").Save((dir.Path() / "Scr" / ("pad" + std::to_string(i))).string());
    }
    qmtest::ScopedCwd cwd(dir.Path());
    ASSERT_TRUE(ListingKept("Scr"));
    const long settled = platform::FileCalls().listings;
    for (int i = 0; i < 500; ++i) {
        const std::string missing = "Scr\\missing" + std::to_string(i) + ".pbsc";
        EXPECT_EQ(GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    // Of several names that fold alike, the smallest.
    EXPECT_EQ(platform::HostPath("Scr\\alpha.txt"), "Scr/Alpha.TXT");
    EXPECT_EQ(platform::HostPath("Scr\\Beta.Txt"), "Scr/BETA.txt");
    EXPECT_EQ(platform::HostPath("Scr\\PAD1999"), "Scr/pad1999");
    EXPECT_EQ(platform::FileCalls().listings, settled);

    const struct {
        const char* what;
        void (*change)(const fs::path& scr);
        const char* asked;
        const char* found;
    } changes[] = {
        {"a file added", [](const fs::path& scr) { qmtest::ByteWriter().Bytes("x").Save((scr / "Gamma.txt").string()); },
         "Scr\\gamma.TXT", "Scr/Gamma.txt"},
        {"the file renamed: the old name", [](const fs::path& scr) { fs::rename(scr / "Gamma.txt", scr / "Delta.txt"); },
         "Scr\\gamma.txt", "Scr/gamma.txt"},
        {"the file renamed: the new name", [](const fs::path&) {}, "Scr\\DELTA.txt", "Scr/Delta.txt"},
        {"the smallest of two removed", [](const fs::path& scr) { fs::remove(scr / "BETA.txt"); }, "Scr\\Beta.Txt",
         "Scr/beta.TXT"},
        {"another folder in its place",
         [](const fs::path& scr) {
             fs::rename(scr, scr.parent_path() / "Old");
             fs::create_directories(scr);
             qmtest::ByteWriter().Bytes("x").Save((scr / "Other.TXT").string());
         },
         "Scr\\other.txt", "Scr/Other.TXT"},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(ListingKept("Scr"));
        c.change(dir.Path() / "Scr");
        EXPECT_EQ(platform::HostPath(c.asked), c.found);
    }
    // Changed the moment after it was read, again and again (a rename leaves the folder's size as
    // it was; a kernel that stamps changes by its coarse clock gives both the same times): every
    // file is found under its new name.
    ASSERT_TRUE(ListingKept("Scr"));
    qmtest::ByteWriter().Bytes("x").Save((dir.Path() / "Scr" / "Now0.dat").string());
    for (int i = 1; i <= 50; ++i) {
        const std::string name = "Now" + std::to_string(i) + ".dat";
        EXPECT_EQ(platform::HostPath("Scr\\now" + std::to_string(i) + ".DAT"),
                  "Scr/now" + std::to_string(i) + ".DAT");
        fs::rename(dir.Path() / "Scr" / ("Now" + std::to_string(i - 1) + ".dat"), dir.Path() / "Scr" / name);
        EXPECT_EQ(platform::HostPath("Scr\\NOW" + std::to_string(i) + ".dat"), "Scr/" + name);
    }
}

// Opening to read an existing file looks nothing up first: a folder, a missing file and a
// missing folder still fail with the codes every other open gives.
// A FIFO is refused like a folder, at once: nothing waits for a writer.
TEST(FileOpen, FoldersAndMissingFilesFailAlikeForEveryAccess)
{
    qmtest::TempDir dir;
    fs::create_directories(dir.Path() / "folder");
    ASSERT_EQ(mkfifo((dir.Path() / "pipe").c_str(), 0644), 0);
    qmtest::ByteWriter().Bytes("abc").Save((dir.Path() / "here.bin").string());
    qmtest::ScopedCwd cwd(dir.Path());
    const struct {
        DWORD access;
        DWORD disposition;
    } opens[] = {{GENERIC_READ, OPEN_EXISTING}, {0, OPEN_EXISTING}, {GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING},
                 {GENERIC_READ, OPEN_ALWAYS}};
    for (const auto& o : opens) {
        SCOPED_TRACE(testing::Message() << o.access << " " << o.disposition);
        EXPECT_EQ(OpenFile("folder", o.access, FILE_SHARE_READ, o.disposition), INVALID_HANDLE_VALUE);
        ExpectError(ERROR_ACCESS_DENIED);
        EXPECT_EQ(OpenFile("pipe", o.access, FILE_SHARE_READ, o.disposition), INVALID_HANDLE_VALUE);
        ExpectError(ERROR_ACCESS_DENIED);
        EXPECT_EQ(OpenFile("nowhere\\x.bin", o.access, FILE_SHARE_READ, o.disposition), INVALID_HANDLE_VALUE);
        ExpectError(ERROR_PATH_NOT_FOUND);
        if (o.disposition == OPEN_EXISTING) {
            EXPECT_EQ(OpenFile("missing.bin", o.access, FILE_SHARE_READ, o.disposition), INVALID_HANDLE_VALUE);
            ExpectError(ERROR_FILE_NOT_FOUND);
        }
        HANDLE h = OpenFile("here.bin", o.access, FILE_SHARE_READ, o.disposition);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ExpectError(o.disposition == OPEN_ALWAYS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
        // While it reads or writes, a second open that shares nothing is refused.
        HANDLE second = OpenFile("here.bin", GENERIC_READ, 0, OPEN_EXISTING);
        if (o.access == 0) {
            EXPECT_TRUE(CloseHandle(second));
        } else {
            EXPECT_EQ(second, INVALID_HANDLE_VALUE);
            ExpectError(ERROR_SHARING_VIOLATION);
        }
        EXPECT_TRUE(CloseHandle(h));
    }
}

TEST(FileFlush, FlushedFileAndWriteThroughRename)
{
    qmtest::TempDir dir;
    qmtest::ScopedCwd cwd(dir.Path());
    HANDLE h = OpenFile("save.tmp", GENERIC_WRITE, 0, CREATE_ALWAYS);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, "abcd", 4, &written, nullptr));
    EXPECT_TRUE(FlushFileBuffers(h));
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(FlushFileBuffers(h));  // no longer a file
    ExpectError(ERROR_INVALID_HANDLE);

    qmtest::ByteWriter().Bytes("old").Save((dir.Path() / "save.dat").string());
    EXPECT_TRUE(MoveFileExA("save.tmp", "save.dat", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(fs::file_size(dir.Path() / "save.dat"), 4u);
    EXPECT_FALSE(fs::exists(dir.Path() / "save.tmp"));
}

TEST(FileFlush, RenameThatHappenedSucceedsWhenItsFolderFlushFails)
{
    qmtest::TempDir dir;
    qmtest::ScopedCwd cwd(dir.Path());
    qmtest::ByteWriter().Bytes("new!").Save((dir.Path() / "slot.tmp").string());
    qmtest::ByteWriter().Bytes("old").Save((dir.Path() / "slot.dat").string());
    platform::FailNextFolderFlush();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(MoveFileExA("slot.tmp", "slot.dat", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "file: slot.tmp is renamed to slot.dat, but its folder could not be flushed (" +
                  std::string(std::strerror(EIO)) + ")\n");
    EXPECT_EQ(fs::file_size(dir.Path() / "slot.dat"), 4u);
    EXPECT_FALSE(fs::exists(dir.Path() / "slot.tmp"));

    // A rename that did not happen still fails, and a flush that works says nothing.
    EXPECT_FALSE(MoveFileExA("slot.tmp", "slot.dat", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    ExpectError(ERROR_FILE_NOT_FOUND);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(MoveFileExA("slot.dat", "slot.bak", MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// Times as 100-nanosecond steps from 1601: nanoseconds below a step are dropped, and the high
// half carries past 2^32 steps.
TEST(FileTime, LastWriteAndAccessFromThe1601Epoch)
{
    qmtest::TempDir dir;
    const std::string path = dir.File("t.bin");
    qmtest::ByteWriter().Bytes("abc").Save(path);
    const struct {
        const char* what;
        timespec written;
        DWORD low;
        DWORD high;
    } cases[] = {
        {"a second after 1970", {1, 0}, 3587643008u, 27111902u},
        {"2001-02-03 04:05:06.789012345", {981173106, 789012345}, 2116905419u, 29396374u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Accessed a second before it was written.
        const timespec times[2] = {{c.written.tv_sec - 1, c.written.tv_nsec}, c.written};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        HANDLE h = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        FILETIME written{};
        FILETIME accessed{};
        ASSERT_TRUE(GetFileTime(h, nullptr, &accessed, &written));
        EXPECT_EQ(written.dwLowDateTime, c.low);
        EXPECT_EQ(written.dwHighDateTime, c.high);
        const std::uint64_t a = std::uint64_t{accessed.dwHighDateTime} << 32 | accessed.dwLowDateTime;
        const std::uint64_t w = std::uint64_t{written.dwHighDateTime} << 32 | written.dwLowDateTime;
        EXPECT_EQ(w - a, 10000000u);
        CloseHandle(h);
        EXPECT_FALSE(GetFileTime(h, nullptr, nullptr, &written));
        ExpectError(ERROR_INVALID_HANDLE);
    }
}

TEST(ModuleFileName, ExecutablePathCutAndOverride)
{
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    EXPECT_EQ(fs::path(path), fs::canonical("/proc/self/exe"));

    platform::OverrideModuleFileName("/tmp/ゲーム/quillmark4");
    EXPECT_EQ(GetModuleFileNameA(nullptr, path, MAX_PATH), static_cast<DWORD>(lstrlenA("/tmp/ゲーム/quillmark4")));
    EXPECT_STREQ(path, "/tmp/ゲーム/quillmark4");
    platform::OverrideModuleFileName("");
    EXPECT_EQ(GetModuleFileNameA(nullptr, path, MAX_PATH), length);
}

}  // namespace
