#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "folder_fixture.h"
#include "listing_settle.h"
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

std::string Upper(std::string name)
{
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
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

using qmtest::At;
using qmtest::FeedSettledTimes;
using qmtest::FreshListings;
using qmtest::ListingKept;
using qmtest::ListingsRead;
using qmtest::MakeFiles;
using qmtest::WaitForNextTick;

// At most 256 folders' listings are kept: the 256 folders a game looks in are read once, and a
// 257th drops them all, to be read again when next looked in.
TEST(FilePaths, TheListingsOf256FoldersAreKeptAndA257thDropsThem)
{
    FreshListings fresh;
    FeedSettledTimes();
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
        const long before = ListingsRead();
        for (int i = from; i <= to; ++i) {
            lookUp(i);
        }
        return ListingsRead() - before;
    };
    EXPECT_EQ(listingsAfter(256, 256), 1);
    EXPECT_EQ(listingsAfter(0, 254), 255);
    EXPECT_EQ(listingsAfter(0, 254), 0);
    EXPECT_EQ(listingsAfter(256, 256), 0);
    EXPECT_EQ(listingsAfter(255, 255), 1);
    EXPECT_EQ(listingsAfter(0, 0), 1);
}

// A name not found as written is looked for in its folder's listing, read once while the folder
// stays as it was: names missing from a folder of 2,000 files cost no reading, and a file added,
// renamed or removed, or another folder put in the place of the first, is seen at the next look-up.
TEST(FilePaths, ACaseBlindLookUpReadsItsFolderOnlyWhenTheFolderChanged)
{
    FreshListings fresh;
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
    const long settled = ListingsRead();
    for (int i = 0; i < 500; ++i) {
        const std::string missing = "Scr\\missing" + std::to_string(i) + ".pbsc";
        EXPECT_EQ(GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    // Of several names that fold alike, the smallest.
    EXPECT_EQ(platform::HostPath("Scr\\alpha.txt"), "Scr/Alpha.TXT");
    EXPECT_EQ(platform::HostPath("Scr\\Beta.Txt"), "Scr/BETA.txt");
    EXPECT_EQ(platform::HostPath("Scr\\PAD1999"), "Scr/pad1999");
    EXPECT_EQ(ListingsRead(), settled);

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
}

// A listing is known by the folder it lists, not by the path that spelled it: dots, steps out and
// back in (folded out of the path before the disk is asked), a link to the folder and runs of ".\"
// all share one reading of it; the runs past the path bound are refused unread.
TEST(FilePaths, EverySpellingOfAFolderSharesOneListing)
{
    FreshListings fresh;
    FeedSettledTimes();
    qmtest::TempDir dir;
    MakeFiles(dir.Path() / "Scr", {"File1.pbsc", "File2.pbsc", "Main.pbsc"});
    fs::create_directories(dir.Path() / "Other");
    fs::create_directory_symlink("Scr", dir.Path() / "Link");
    qmtest::ScopedCwd cwd(dir.Path());
    const struct {
        const char* asked;
        const char* found;
    } spellings[] = {
        {"Scr\\file1.PBSC", "Scr/File1.pbsc"},
        {"Scr\\.\\FILE2.pbsc", "Scr/File2.pbsc"},
        {"Scr\\.\\.\\.\\main.pbsc", "Scr/Main.pbsc"},
        {"Other\\..\\Scr\\MAIN.PBSC", "Scr/Main.pbsc"},
        {"Scr\\..\\Scr\\.\\missing.pbsc", "Scr/missing.pbsc"},
        {"Link\\file2.pbsc", "Link/File2.pbsc"},
        {"Link\\.\\missing.pbsc", "Link/missing.pbsc"},
    };
    const long before = ListingsRead();
    const std::uint64_t entriesBefore = platform::FolderEntriesRead();
    for (const auto& s : spellings) {
        EXPECT_EQ(platform::HostPath(s.asked), s.found);
    }
    std::string dots = "Scr\\";
    for (int i = 0; i < 300; ++i) {
        dots += ".\\";
        EXPECT_EQ(GetFileAttributesA((dots + "missing" + std::to_string(i)).c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(ListingsRead() - before, 1);
    // Its three files, "." and "..".
    EXPECT_EQ(platform::FolderEntriesRead() - entriesBefore, 5u);
}

// The bytes all kept listings hold are bounded (here to 1,324: an entry costs its folded name, its
// name and 128): listings that fit together are kept together, one more drops them all, and a
// folder whose entries alone pass the bound is read at each look-up and drops nothing. Names equal
// but for case are held once. Every entry read, "." and ".." too, is counted for the thread that
// read it.
TEST(FilePaths, KeptListingsAreBoundedByTheBytesTheyHold)
{
    FreshListings fresh;
    FeedSettledTimes();
    platform::LimitFolderListingBytes(1324);
    qmtest::TempDir dir;
    const auto files = [](int count, const char* stem) {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            names.push_back(stem + std::to_string(i));
        }
        return names;
    };
    MakeFiles(dir.Path() / "Four", files(4, "f"));  // 4 x 132 bytes
    std::vector<std::string> six = files(5, "s");
    six.insert(six.end(), {"Twin", "TWIN"});  // seven files, six names: 5 x 132 + 136
    MakeFiles(dir.Path() / "Six", six);
    MakeFiles(dir.Path() / "Seven", files(7, "v"));  // 924
    std::vector<std::string> ten = files(9, "t");
    ten.push_back("t9ab");  // 9 x 132 + 136
    MakeFiles(dir.Path() / "Ten", ten);
    MakeFiles(dir.Path() / "Eleven", files(11, "e"));  // 10 x 132 + 134
    qmtest::ScopedCwd cwd(dir.Path());
    const struct {
        const char* what;
        const char* asked;
        const char* found;
        long reads;
        std::uint64_t entries;
        std::size_t held;  // bytes, after the look-up
    } steps[] = {
        {"four names", "Four\\F3", "Four/f3", 1, 6, 528},
        {"six more: at the bound", "Six\\twin", "Six/TWIN", 1, 9, 1324},
        {"both kept", "Four\\F0", "Four/f0", 0, 0, 1324},
        {"both kept, the other", "Six\\S4", "Six/s4", 0, 0, 1324},
        {"seven more drop both", "Seven\\V6", "Seven/v6", 1, 9, 924},
        {"dropped", "Four\\F1", "Four/f1", 1, 6, 528},
        {"past the bound in all: seven dropped", "Seven\\missing", "Seven/missing", 1, 9, 924},
        {"ten alone, at the bound", "Ten\\T9AB", "Ten/t9ab", 1, 12, 1324},
        {"kept alone", "Ten\\T0", "Ten/t0", 0, 0, 1324},
        {"eleven alone: searched as it is read", "Eleven\\E10", "Eleven/e10", 1, 13, 1324},
        {"and read again, not kept", "Eleven\\E0", "Eleven/e0", 1, 13, 1324},
        {"ten still kept", "Ten\\missing", "Ten/missing", 0, 0, 1324},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        const long before = ListingsRead();
        const std::uint64_t entriesBefore = platform::FolderEntriesRead();
        EXPECT_EQ(platform::HostPath(step.asked), step.found);
        EXPECT_EQ(ListingsRead() - before, step.reads);
        EXPECT_EQ(platform::FolderEntriesRead() - entriesBefore, step.entries);
        EXPECT_EQ(platform::HeldFolderListings().bytes, step.held);
    }

    // Another thread's reading is counted for that thread only.
    const std::uint64_t mine = platform::FolderEntriesRead();
    std::uint64_t theirs = 0;
    std::thread([&] {
        platform::HostPath("Eleven\\missing");
        theirs = platform::FolderEntriesRead();
    }).join();
    EXPECT_EQ(theirs, 13u);
    EXPECT_EQ(platform::FolderEntriesRead(), mine);

    // One byte less: ten no longer fit alone, nor four and six together.
    platform::LimitFolderListingBytes(1323);
    platform::ForgetFolderListings();
    const long before = ListingsRead();
    for (const char* asked : {"Ten\\T0", "Ten\\T1", "Four\\F0", "Six\\S0", "Four\\F1"}) {
        platform::HostPath(asked);
    }
    EXPECT_EQ(ListingsRead() - before, 5);
    EXPECT_EQ(platform::HeldFolderListings().bytes, 528u);
}

// The times a folder's listing is read again, with the clock and the folder's change times fed:
// a listing read in the tick its folder last changed in is read once more when the clock has moved
// on, never at each look-up within a tick; a change time ahead of the clock (the clock was set back)
// costs nothing until the clock reaches it; new times are read at once. A filesystem keeping whole
// seconds (no fractions) settles after two seconds and is read again once a second at most.
TEST(FilePaths, AFolderListingIsReadAgainOnceAChangeCouldHideInIt)
{
    FreshListings fresh;
    qmtest::TempDir dir;
    MakeFiles(dir.Path() / "Scr", {"Main.pbsc"});
    qmtest::ScopedCwd cwd(dir.Path());
    const struct {
        const char* what;
        timespec clock;
        timespec modified;
        timespec changed;
        int lookUps;
        long reads;
    } steps[] = {
        {"first look-up", At(5000, 400000000), At(5000, 400000000), At(5000, 400000000), 1, 1},
        {"changed in the tick of the read: not again in that tick", At(5000, 400000000), At(5000, 400000000),
         At(5000, 400000000), 2000, 0},
        {"the tick moved on: once more", At(5000, 404000000), At(5000, 400000000), At(5000, 400000000), 2000, 1},
        {"read after the change: settled", At(5000, 408000000), At(5000, 400000000), At(5000, 400000000), 2000, 0},
        {"new change time, within the tick", At(5000, 408000000), At(5000, 400000000), At(5000, 408000000), 2000, 1},
        {"new modification time", At(5000, 408000000), At(5000, 405000000), At(5000, 408000000), 2000, 1},
        {"clock set back an hour before a change", At(1400, 0), At(5000, 500000000), At(5000, 500000000), 2000, 1},
        {"a tick later, still before the change", At(1400, 4000000), At(5000, 500000000), At(5000, 500000000), 2000, 0},
        {"the clock reaches the change", At(5000, 500000000), At(5000, 500000000), At(5000, 500000000), 2000, 1},
        {"and moves past it", At(5000, 504000000), At(5000, 500000000), At(5000, 500000000), 2000, 1},
        {"settled since", At(5001, 0), At(5000, 500000000), At(5000, 500000000), 2000, 0},
        {"whole seconds, changed a second ago", At(7001, 996000000), At(7000), At(7000), 1, 1},
        {"the same second: not again", At(7001, 999000000), At(7000), At(7000), 2000, 0},
        {"two seconds on: once more", At(7002), At(7000), At(7000), 2000, 1},
        {"whole seconds settled", At(7003), At(7000), At(7000), 2000, 0},
        {"whole seconds ahead of the clock", At(8000), At(9000), At(9000), 2000, 1},
        {"a second later, still ahead", At(8001), At(9000), At(9000), 2000, 0},
        {"the clock reaches them", At(9000, 500000000), At(9000), At(9000), 2000, 1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        platform::FeedFolderClock(step.clock);
        platform::FeedFolderTimes(platform::FolderTimes{step.modified, step.changed});
        const long before = ListingsRead();
        for (int i = 0; i < step.lookUps; ++i) {
            ASSERT_EQ(platform::HostPath("Scr\\main.PBSC"), "Scr/Main.pbsc");
        }
        EXPECT_EQ(ListingsRead() - before, step.reads);
    }
}

// A change that leaves the folder's times as they were (made within the tick of the read) is seen
// once the tick moves on; one the layer makes itself is seen at once.
TEST(FilePaths, AChangeHiddenInTheTickIsSeenWhenTheTickMovesOnAndTheLayersOwnAtOnce)
{
    FreshListings fresh;
    qmtest::TempDir dir;
    MakeFiles(dir.Path() / "Scr", {"Now0.dat", "Across.dat", "Gone.dat"});
    fs::create_directories(dir.Path() / "Other");
    qmtest::ScopedCwd cwd(dir.Path());
    const timespec tick = At(5000, 400000000);
    platform::FeedFolderTimes(platform::FolderTimes{tick, tick});
    platform::FeedFolderClock(tick);
    for (int i = 1; i <= 3; ++i) {
        const std::string old = "Now" + std::to_string(i - 1) + ".dat";
        const std::string now = "Now" + std::to_string(i) + ".dat";
        EXPECT_EQ(platform::HostPath("Scr\\" + Upper(old)), "Scr/" + old);
        fs::rename(dir.Path() / "Scr" / old, dir.Path() / "Scr" / now);
        const long before = ListingsRead();
        platform::HostPath("Scr\\" + Upper(now));
        EXPECT_EQ(ListingsRead(), before);
        const timespec next = At(5000, 400000000 + 4000000 * i);
        platform::FeedFolderClock(next);
        EXPECT_EQ(platform::HostPath("Scr\\" + Upper(now)), "Scr/" + now);
        EXPECT_EQ(ListingsRead() - before, 1);
        // The next rename stamps the folder in this tick.
        platform::FeedFolderTimes(platform::FolderTimes{next, next});
    }

    const struct {
        const char* what;
        std::function<BOOL()> change;
        const char* asked;
        const char* found;
    } changes[] = {
        {"a file made", [] { return CloseHandle(OpenFile("Scr\\Made.dat", GENERIC_WRITE, 0, CREATE_NEW)); },
         "Scr\\MADE.DAT", "Scr/Made.dat"},
        {"renamed: the new name", [] { return MoveFileExA("Scr\\Made.dat", "Scr\\Moved.dat", 0); }, "Scr\\moved.DAT",
         "Scr/Moved.dat"},
        {"renamed: the old name", [] { return TRUE; }, "Scr\\made.DAT", "Scr/made.DAT"},
        {"deleted", [] { return DeleteFileA("Scr\\Gone.dat"); }, "Scr\\GONE.dat", "Scr/GONE.dat"},
        {"a folder made", [] { return CreateDirectoryA("Scr\\Sub", nullptr); }, "Scr\\SUB", "Scr/Sub"},
        {"moved to another folder: there",
         [] { return MoveFileExA("Scr\\Across.dat", "Other\\Across.dat", 0); }, "Other\\ACROSS.dat",
         "Other/Across.dat"},
        {"moved to another folder: not here", [] { return TRUE; }, "Scr\\across.DAT", "Scr/across.DAT"},
    };
    // Every listing is read once in the fed tick before the change.
    EXPECT_EQ(GetFileAttributesA("Other\\missing"), INVALID_FILE_ATTRIBUTES);
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(GetFileAttributesA("Scr\\missing"), INVALID_FILE_ATTRIBUTES);
        ASSERT_TRUE(c.change());
        EXPECT_EQ(platform::HostPath(c.asked), c.found);
    }
}

// The work of a look-up, in names of the paths asked of the system.
std::uint64_t StepsOf(const std::string& path)
{
    const std::uint64_t before = platform::PathStepsAsked();
    platform::HostPath(path);
    return platform::PathStepsAsked() - before;
}

// "." steps, "name\.." pairs and repeated separators are folded out before the disk is asked, also
// through a missing folder or a file; a ".." with nothing before it stays, at the root it stays
// at the root. What a folded spelling costs is what its plain spelling costs, however many steps
// out and back in it spells.
TEST(FilePaths, DotStepsAndRepeatedSeparatorsAreFoldedBeforeTheDiskIsAsked)
{
    FreshListings fresh;
    FeedSettledTimes();
    qmtest::TempDir dir;
    MakeFiles(dir.Path() / "data" / "scr04", {"Main.pbsc"});
    MakeFiles(dir.Path() / "data" / "scr04" / "zz", {"m1.pbsc"});
    qmtest::ScopedCwd cwd(dir.Path() / "data");
    const std::string root = "/..\\..\\" + dir.Path().string().substr(1);
    std::string steps = "scr04/";
    for (int i = 0; i < 24; ++i) {
        steps += "..\\scr04\\";
    }
    const struct {
        const char* what;
        std::string asked;
        std::string plain;
        std::string found;
    } cases[] = {
        {"out and back in", "scr04\\..\\scr04\\zz\\m1.pbsc", "scr04\\zz\\m1.pbsc", "scr04/zz/m1.pbsc"},
        {"out and back in 24 times", steps + "zz\\m1.pbsc", "scr04\\zz\\m1.pbsc", "scr04/zz/m1.pbsc"},
        {"through a missing folder", "scr04\\nowhere\\..\\MAIN.pbsc", "scr04\\MAIN.pbsc", "scr04/Main.pbsc"},
        {"through a file", "scr04\\Main.pbsc\\..\\ZZ\\m1.pbsc", "scr04\\ZZ\\m1.pbsc", "scr04/zz/m1.pbsc"},
        {"doubled separators", "scr04\\\\zz\\\\\\m1.pbsc", "scr04\\zz\\m1.pbsc", "scr04/zz/m1.pbsc"},
        {"dot steps", ".\\scr04\\.\\.\\main.PBSC", "scr04\\main.PBSC", "scr04/Main.pbsc"},
        {"a dot at the end", "scr04\\zz\\.", "scr04\\zz", "scr04/zz"},
        {"a separator at the end stays", "scr04\\zz\\.\\", "scr04\\zz\\", "scr04/zz/"},
        {"a step out at the end", "scr04\\ZZ\\..", "scr04", "scr04"},
        {"nothing left", "scr04\\..", ".", "."},
        {"a leading step out stays", "..\\data\\SCR04\\main.pbsc", "..\\data\\SCR04\\main.pbsc",
         "../data/scr04/Main.pbsc"},
        {"one out past the start", "scr04\\..\\..\\DATA\\scr04\\zz\\m1.pbsc", "..\\DATA\\scr04\\zz\\m1.pbsc",
         "../data/scr04/zz/m1.pbsc"},
        {"out at the root", root + "\\data\\scr04\\MAIN.PBSC", dir.Path().string() + "\\data\\scr04\\MAIN.PBSC",
         dir.Path().string() + "/data/scr04/Main.pbsc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Each folder's listing is read once, before the costs are counted.
        platform::HostPath(c.plain);
        EXPECT_EQ(platform::HostPath(c.asked), c.found);
        EXPECT_EQ(StepsOf(c.asked), StepsOf(c.plain));
    }
    // A file there as written is looked at once: its three names.
    EXPECT_EQ(StepsOf("scr04\\zz\\m1.pbsc"), 3u);
}

// A path of 260 characters or more is refused with the system's own error before the disk is
// asked anything; 259 are taken. A double-byte character counts once.
TEST(FilePaths, APathOf260CharactersIsRefusedBeforeTheDiskIsAsked)
{
    qmtest::TempDir dir;
    const std::string folders = std::string(100, 'a') + "/" + std::string(100, 'b');
    const fs::path utf8Dbl = fs::path(u8"表");
    const struct {
        const char* what;
        std::string name;  // CP932
        fs::path onDisk;
        bool refused;
    } cases[] = {
        {"259 characters", std::string(57, 'c'), std::string(57, 'c'), false},
        {"260 characters", std::string(58, 'c'), std::string(58, 'c'), true},
        {"259 characters in 260 bytes", "表" + std::string(56, 'c'), fs::path(utf8Dbl) += std::string(56, 'c'), false},
        {"260 characters in 261 bytes", "表" + std::string(57, 'c'), fs::path(utf8Dbl) += std::string(57, 'c'), true},
    };
    const struct {
        const char* call;
        std::function<bool(const std::string&)> succeeds;
    } calls[] = {
        {"CreateFileA",
         [](const std::string& path) {
             HANDLE h = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
             return h != INVALID_HANDLE_VALUE && CloseHandle(h);
         }},
        {"GetFileAttributesA",
         [](const std::string& path) { return GetFileAttributesA(path.c_str()) == FILE_ATTRIBUTE_NORMAL; }},
    };
    qmtest::ScopedCwd cwd(dir.Path());
    for (const auto& c : cases) {
        MakeFiles(dir.Path() / folders, {c.onDisk.string()});
        const std::string path = std::string(100, 'a') + "\\" + std::string(100, 'b') + "\\" + c.name;
        for (const auto& call : calls) {
            SCOPED_TRACE(std::string(c.what) + ", " + call.call);
            SetLastError(ERROR_SUCCESS);
            const std::uint64_t before = platform::PathStepsAsked();
            EXPECT_EQ(call.succeeds(path), !c.refused);
            if (c.refused) {
                ExpectError(ERROR_FILENAME_EXCED_RANGE);
                EXPECT_EQ(platform::PathStepsAsked(), before);
            }
        }
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

// A handle's stamp carries the last write time to the nanosecond, not the last access; a handle
// closed is asked nothing.
TEST(FileTime, LastWriteToTheNanosecondNotTheLastAccess)
{
    qmtest::TempDir dir;
    const std::string path = dir.File("t.bin");
    qmtest::ByteWriter().Bytes("abc").Save(path);
    const struct {
        const char* what;
        timespec written;
    } cases[] = {
        {"a second after 1970", {1, 0}},
        {"2001-02-03 04:05:06.789012345", {981173106, 789012345}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Accessed a second before it was written.
        const timespec times[2] = {{c.written.tv_sec - 1, c.written.tv_nsec}, c.written};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        HANDLE h = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        const platform::FileStamp stamp = platform::StampOf(h);
        ASSERT_TRUE(stamp.known);
        EXPECT_EQ(stamp.written.seconds, c.written.tv_sec);
        EXPECT_EQ(stamp.written.nanoseconds, c.written.tv_nsec);
        CloseHandle(h);
        EXPECT_FALSE(platform::StampOf(h).known);
        ExpectError(ERROR_INVALID_HANDLE);
    }
}

// A file's index, size, write time and status change time (in nanoseconds), as its stamp has them.
struct Identity {
    std::uint64_t index;
    std::uint64_t size;
    std::int64_t written;
    std::int64_t changed;
};

Identity IdentityOf(const std::string& path)
{
    HANDLE h = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    const platform::FileStamp stamp = platform::StampOf(h);
    EXPECT_TRUE(stamp.known);
    CloseHandle(h);
    const auto join = [](const platform::StampTime& t) { return t.seconds * 1000000000 + t.nanoseconds; };
    return {stamp.index, stamp.size, join(stamp.written), join(stamp.changed)};
}

// The file index tells which file a name reaches: another file renamed over the name has another
// index even with the old times put on it, and a file rewritten in place keeps its own. Its status
// change time moves with the rewrite even when the old write time is put back.
TEST(FileTime, TheFileIndexFollowsTheFileAndTheChangeTimeItsLastChange)
{
    qmtest::TempDir dir;
    qmtest::ScopedCwd cwd(dir.Path());
    const timespec kept[2] = {At(981173106, 100), At(981173106, 200)};
    qmtest::ByteWriter().Bytes("old").Save((dir.Path() / "save.dat").string());
    ASSERT_EQ(utimensat(AT_FDCWD, "save.dat", kept, 0), 0);
    const Identity first = IdentityOf("save.dat");
    EXPECT_EQ(first.size, 3u);

    WaitForNextTick();
    HANDLE h = OpenFile("save.dat", GENERIC_WRITE, 0, OPEN_EXISTING);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, "NEW!", 4, &written, nullptr));
    EXPECT_TRUE(CloseHandle(h));
    ASSERT_EQ(utimensat(AT_FDCWD, "save.dat", kept, 0), 0);
    const Identity rewritten = IdentityOf("save.dat");
    EXPECT_EQ(rewritten.index, first.index);
    EXPECT_EQ(rewritten.size, 4u);
    EXPECT_EQ(rewritten.written, first.written);
    EXPECT_GT(rewritten.changed, first.changed);

    qmtest::ByteWriter().Bytes("NEW!").Save((dir.Path() / "save.tmp").string());
    ASSERT_EQ(utimensat(AT_FDCWD, "save.tmp", kept, 0), 0);
    ASSERT_TRUE(MoveFileExA("save.tmp", "save.dat", MOVEFILE_REPLACE_EXISTING));
    const Identity replaced = IdentityOf("save.dat");
    EXPECT_NE(replaced.index, first.index);
    EXPECT_EQ(replaced.written, first.written);

    EXPECT_FALSE(platform::StampOf(nullptr).known);
    ExpectError(ERROR_INVALID_HANDLE);
}

platform::FileStamp StampOf(const std::string& path)
{
    HANDLE h = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    const platform::FileStamp stamp = platform::StampOf(h);
    CloseHandle(h);
    return stamp;
}

// A stamp keeps the once-a-tick rule of the folder listings: a rewrite of the same size within the
// tick of the last change (the times it leaves are those kept) goes unseen until the clock's tick
// moves on, then the file is taken again; once taken after its change it stands. Whole-second
// times settle two seconds after the change and are given up once a second at most.
TEST(FileStamps, ARewriteInTheTickOfTheLastChangeIsSeenOnceTheTickMovesOn)
{
    FreshListings fresh;
    qmtest::TempDir dir;
    const std::string path = dir.File("s.pbsc");
    qmtest::ByteWriter().Bytes("abcd").Save(path);
    struct Step {
        const char* what;
        timespec clock;
        bool rewrite;
        bool same;  // as the stamp kept; when not, the new one is kept
    };
    const struct {
        const char* what;
        timespec changed;
        std::vector<Step> steps;
    } filesystems[] = {
        {"fractions",
         At(5000, 400000000),
         {{"taken in the tick of the change", At(5000, 400000000), false, true},
          {"rewritten in that tick", At(5000, 400000000), true, true},
          {"the tick moved on", At(5000, 404000000), false, false},
          {"taken after the change: settled", At(5000, 408000000), false, true},
          {"a second on", At(5001, 408000000), false, true}}},
        {"whole seconds",
         At(7000),
         {{"taken in the second of the change", At(7000, 200000000), false, true},
          {"rewritten in that second", At(7000, 500000000), true, true},
          {"the next second", At(7001), false, false},
          {"still in it", At(7001, 700000000), false, true},
          {"two seconds on", At(7002), false, false},
          {"settled", At(7009), false, true}}},
    };
    for (const auto& system : filesystems) {
        SCOPED_TRACE(system.what);
        platform::FeedFolderTimes(platform::FolderTimes{system.changed, system.changed});
        platform::FeedFolderClock(system.steps[0].clock);
        platform::FileStamp kept = StampOf(path);
        for (const Step& step : system.steps) {
            SCOPED_TRACE(step.what);
            if (step.rewrite) {
                HANDLE h = OpenFile(path, GENERIC_WRITE, 0, OPEN_EXISTING);
                DWORD written = 0;
                EXPECT_TRUE(WriteFile(h, "wxyz", 4, &written, nullptr));
                EXPECT_TRUE(CloseHandle(h));
            }
            platform::FeedFolderClock(step.clock);
            const platform::FileStamp now = StampOf(path);
            EXPECT_EQ(platform::SameState(kept, now), step.same);
            EXPECT_TRUE(platform::SameFile(kept, now));
            if (!platform::SameState(kept, now)) {
                kept = now;
            }
        }
    }
}

// Each part of a stamp tells another state of the file; only the volume and index tell another
// file, whatever name reaches it. A stamp of a handle not open is known as nothing.
TEST(FileStamps, EachPartTellsAChangeAndTheIndexAnotherFile)
{
    FreshListings fresh;
    qmtest::TempDir dir;
    qmtest::ScopedCwd cwd(dir.Path());
    qmtest::ByteWriter().Bytes("abcd").Save((dir.Path() / "s.pbsc").string());
    qmtest::ByteWriter().Bytes("wxyz").Save((dir.Path() / "other.pbsc").string());
    const platform::FolderTimes times{At(1000, 500), At(1000, 500)};
    platform::FeedFolderClock(At(2000, 7));
    platform::FeedFolderTimes(times);
    const platform::FileStamp kept = StampOf("s.pbsc");
    struct stat st {};
    ASSERT_EQ(::stat("s.pbsc", &st), 0);
    EXPECT_EQ(kept.volume, static_cast<std::uint64_t>(st.st_dev));
    EXPECT_EQ(kept.index, static_cast<std::uint64_t>(st.st_ino));
    EXPECT_EQ(kept.taken, (platform::StampTime{2000, 7}));

    const struct {
        const char* what;
        std::function<void()> change;
        const char* name;
        bool sameFile;
        bool sameState;
    } changes[] = {
        {"through another name", [] { ASSERT_EQ(::link("s.pbsc", "Link.pbsc"), 0); }, "LINK.PBSC", true, true},
        {"written later", [] { platform::FeedFolderTimes(platform::FolderTimes{At(1000, 600), At(1000, 500)}); },
         "s.pbsc", true, false},
        {"its status changed later",
         [] { platform::FeedFolderTimes(platform::FolderTimes{At(1000, 500), At(1000, 600)}); }, "s.pbsc", true, false},
        {"grown",
         [&] {
             platform::FeedFolderTimes(times);
             qmtest::ByteWriter().Bytes("abcde").Save((dir.Path() / "s.pbsc").string());
         },
         "s.pbsc", true, false},
        {"another file renamed over it, of the same size and times",
         [] { ASSERT_TRUE(MoveFileExA("other.pbsc", "s.pbsc", MOVEFILE_REPLACE_EXISTING)); },
         "s.pbsc", false, false},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        c.change();
        const platform::FileStamp now = StampOf(c.name);
        EXPECT_EQ(platform::SameFile(kept, now), c.sameFile);
        EXPECT_EQ(platform::SameState(kept, now), c.sameState);
    }

    HANDLE h = OpenFile("s.pbsc", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    CloseHandle(h);
    const platform::FileStamp closed = platform::StampOf(h);
    EXPECT_FALSE(closed.known);
    ExpectError(ERROR_INVALID_HANDLE);
    EXPECT_FALSE(platform::SameFile(closed, closed));
    EXPECT_FALSE(platform::SameState(closed, closed));
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
