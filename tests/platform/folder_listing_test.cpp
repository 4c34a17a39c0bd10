#include <gtest/gtest.h>

#include <dirent.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "folder_fixture.h"
#include "platform/testing/win32.h"
#include "platform/win32/error.h"
#include "platform/win32/file.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

using qmtest::At;
using qmtest::ListingsRead;
using qmtest::MakeFiles;

std::string Upper(std::string name)
{
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

std::size_t OpenDescriptors()
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

// Listings fresh and settled, and folders "Big0" to "Big4" of forty files each ("File00" to
// "File39": 42 entries with "." and "..", 243 bytes of names) in the working folder.
class FolderReads : public testing::Test {
protected:
    FolderReads()
    {
        qmtest::FeedSettledTimes();
        for (int i = 0; i < 5; ++i) {
            std::vector<std::string> names;
            for (int n = 0; n < 40; ++n) {
                names.push_back((n < 10 ? "File0" : "File") + std::to_string(n));
            }
            MakeFiles(dir.Path() / ("Big" + std::to_string(i)), names);
        }
    }

    // The names of a folder in the order the system gives them, "." and ".." left out.
    std::vector<std::string> ReadOrder(const char* name) const
    {
        std::vector<std::string> names;
        DIR* folder = ::opendir((dir.Path() / name).c_str());
        while (const dirent* entry = ::readdir(folder)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
                names.push_back(entry->d_name);
            }
        }
        ::closedir(folder);
        return names;
    }

    // Opens a file to read (under a limit of `allowance` entries when there is one): the open's
    // error code and the entries it read.
    struct Opened {
        DWORD error;
        std::uint64_t entries;
    };
    static Opened Open(const std::string& path, std::optional<std::uint64_t> allowance)
    {
        const std::uint64_t before = platform::FolderEntriesRead();
        std::optional<platform::FolderReadLimit> limit;
        if (allowance) {
            limit.emplace(*allowance, 1, 0);
        }
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        const DWORD error = h == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
        CloseHandle(h);
        return {error, platform::FolderEntriesRead() - before};
    }

    // Opens each path in turn, under its allowance: the open's error and the entries it read.
    struct Step {
        std::string path;
        std::optional<std::uint64_t> allowance;
        DWORD error;
        std::uint64_t entries;
    };
    static void ExpectSteps(const std::vector<Step>& steps)
    {
        for (const Step& step : steps) {
            SCOPED_TRACE(step.path);
            const Opened opened = Open(step.path, step.allowance);
            EXPECT_EQ(opened.error, step.error);
            EXPECT_EQ(opened.entries, step.entries);
        }
    }

    qmtest::FreshListings fresh;
    qmtest::TempDir dir;
    qmtest::ScopedCwd cwd{dir.Path()};
};

constexpr DWORD kPending = ERROR_IO_PENDING;
constexpr DWORD kDone = ERROR_SUCCESS;

// A listing read again because its folder changed gives back the bytes of the old one: what the
// listings hold is the new listing alone (an entry costs its folded name, its name and 128).
TEST_F(FolderReads, AListingReadAgainGivesBackItsOldBytes)
{
    MakeFiles(dir.Path() / "Scr", {"a1", "b2"});
    EXPECT_EQ(platform::HostPath("Scr\\A1"), "Scr/a1");
    EXPECT_EQ(platform::HeldFolderListings().bytes, 264u);
    MakeFiles(dir.Path() / "Scr", {"Long.Name"});
    platform::FeedFolderTimes(platform::FolderTimes{At(1100, 5), At(1100, 5)});
    EXPECT_EQ(platform::HostPath("Scr\\long.name"), "Scr/Long.Name");
    const platform::FolderListingsHeld held = platform::HeldFolderListings();
    EXPECT_EQ(held.folders, 1u);
    EXPECT_EQ(held.entries, 3u);
    EXPECT_EQ(held.bytes, 410u);
}

// Under a FolderReadLimit a folder read stops at its allowance: the open fails with
// ERROR_IO_PENDING and the next one needing the folder goes on from there, with or without a
// limit, so every entry is read once. An allowance already spent reads nothing; the innermost of
// two limits governs, then the outer one again.
TEST_F(FolderReads, AStoppedReadGoesOnWhereItStopped)
{
    const struct {
        std::optional<std::uint64_t> allowance;
        DWORD error;
        std::uint64_t entries;
    } steps[] = {{10, kPending, 10}, {10, kPending, 10}, {0, kPending, 0}, {1, kPending, 1},
                 {std::nullopt, kDone, 21}, {0, kDone, 0}};
    const std::uint64_t bytes = platform::FolderNameBytesRead();
    for (const auto& step : steps) {
        const Opened opened = Open("Big0\\FILE07", step.allowance);
        EXPECT_EQ(opened.error, step.error);
        EXPECT_EQ(opened.entries, step.entries);
    }
    EXPECT_EQ(platform::FolderNameBytesRead() - bytes, 243u);
    EXPECT_EQ(platform::HeldFolderListings().entries, 40u);

    const std::uint64_t before = platform::FolderEntriesRead();
    {
        platform::FolderReadLimit outer(30, 1, 0);
        EXPECT_EQ(Open("Big1\\FILE07", 5).entries, 5u);
        EXPECT_EQ(Open("Big1\\FILE07", std::nullopt).entries, 30u);
    }
    EXPECT_EQ(Open("Big1\\FILE07", std::nullopt).error, kDone);
    EXPECT_EQ(platform::FolderEntriesRead() - before, 42u);
}

// The allowance counts each entry and each byte of its name and is checked before an entry is
// taken: a read stops once the cost reaches it, never an entry later. Spent on one folder, it is
// spent for the next, which is not even opened.
TEST_F(FolderReads, EntriesAndNameBytesCostTheAllowanceUpToOneEntryPast)
{
    const std::uint64_t entries = platform::FolderEntriesRead();
    const std::uint64_t bytes = platform::FolderNameBytesRead();
    platform::FolderReadLimit limit(100, 3, 2);
    EXPECT_EQ(Open("Big0\\FILE07", std::nullopt).error, kPending);
    const std::uint64_t cost = 3 * (platform::FolderEntriesRead() - entries) + 2 * (platform::FolderNameBytesRead() - bytes);
    EXPECT_GE(cost, 100u);
    EXPECT_LT(cost, 100u + 3 + 2 * 6);  // one entry of the longest name past it at most
    const std::size_t descriptors = OpenDescriptors();
    EXPECT_EQ(Open("Big1\\FILE07", std::nullopt).error, kPending);
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

// A folder too large to keep is searched for one name as it is read: taken up again for that name
// its read goes on (what it found before the stop still counts); asked for another, it starts
// again from the beginning.
TEST_F(FolderReads, AFolderTooLargeToKeepGoesOnForTheSameNameOnly)
{
    platform::LimitFolderListingBytes(200);
    const std::vector<std::string> order = ReadOrder("Big0");
    ASSERT_EQ(order.size(), 40u);
    const std::string early = "Big0\\" + Upper(order[2]);  // read in the first ten entries
    const std::string late = "Big0\\" + Upper(order[39]);
    ExpectSteps({{early, 10, kPending, 10}, {early, 10, kPending, 10}, {early, std::nullopt, kDone, 22},
                 {late, 10, kPending, 10}, {early, std::nullopt, kDone, 42}});
    EXPECT_EQ(platform::HeldFolderListings().folders, 0u);
}

// Each stopped read keeps its folder open; at most four are kept: a fifth closes the oldest, whose
// folder is then read from the beginning while the four others go on (a limit already spent starts
// none). Forgetting the listings closes them all.
TEST_F(FolderReads, AtMostFourStoppedReadsAreKept)
{
    const std::size_t descriptors = OpenDescriptors();
    const std::size_t keptOpen[] = {1, 2, 3, 4, 4};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Open("Big" + std::to_string(i) + "\\FILE07", 10).error, kPending);
        EXPECT_EQ(OpenDescriptors() - descriptors, keptOpen[i]);
    }
    EXPECT_EQ(Open("Big0\\FILE07", 0).error, kPending);
    EXPECT_EQ(OpenDescriptors() - descriptors, 4u);
    const std::uint64_t rest[] = {42, 32, 32, 32, 32};
    for (const int i : {1, 2, 3, 4, 0}) {
        EXPECT_EQ(Open("Big" + std::to_string(i) + "\\FILE07", std::nullopt).entries, rest[i]) << i;
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);

    platform::ForgetFolderListings();
    EXPECT_EQ(Open("Big0\\FILE07", 10).error, kPending);
    platform::ForgetFolderListings();
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(Open("Big0\\FILE07", std::nullopt).entries, 42u);
}

// A read that completes answers the open that completed it even when the folder changed since it
// began; its listing keeps the folder as it was then, so the next look-up reads the folder again
// and finds what was added. A change the layer makes itself starts a stopped read again at once.
TEST_F(FolderReads, AReadFinishedAfterAChangeAnswersAndIsReadAgainNext)
{
    EXPECT_EQ(Open("Big0\\FILE07", 10).error, kPending);
    MakeFiles(dir.Path() / "Big0", {"Late.dat"});
    platform::FeedFolderTimes(platform::FolderTimes{At(1500, 5), At(1500, 5)});
    const struct {
        const char* asked;
        const char* found;
        long reads;
    } steps[] = {{"Big0\\FILE07", "Big0/File07", 1}, {"Big0\\LATE.DAT", "Big0/Late.dat", 1}, {"Big0\\file08", "Big0/File08", 0}};
    for (const auto& step : steps) {
        const long before = ListingsRead();
        EXPECT_EQ(platform::HostPath(step.asked), step.found);
        EXPECT_EQ(ListingsRead() - before, step.reads) << step.asked;
    }

    const std::string first = ReadOrder("Big1")[0];
    EXPECT_EQ(Open("Big1\\FILE07", 10).error, kPending);
    ASSERT_TRUE(DeleteFileA(("Big1\\" + first).c_str()));
    EXPECT_EQ(Open("Big1\\" + Upper(first), std::nullopt).entries, 41u);
    EXPECT_EQ(platform::HostPath("Big1\\" + Upper(first)), "Big1/" + Upper(first));
}

}  // namespace

namespace {

// A read stopped while seeking one name goes on where it stopped for another name of the folder,
// stopped again or not: every entry is read once, and the names read before a stop are found with
// the rest, read no more.
TEST_F(FolderReads, AStoppedReadGoesOnForAnotherName)
{
    const std::vector<std::string> order = ReadOrder("Big0");
    ASSERT_EQ(order.size(), 40u);
    const std::string early = "Big0\\" + Upper(order[2]);  // read in the first ten entries
    const std::string middle = "Big0\\" + Upper(order[25]);
    const std::string late = "Big0\\" + Upper(order[39]);
    ExpectSteps({{late, 10, kPending, 10}, {early, 10, kPending, 10}, {middle, std::nullopt, kDone, 22}});
    const long before = ListingsRead();
    EXPECT_EQ(platform::HostPath(early), "Big0/" + order[2]);
    EXPECT_EQ(platform::HostPath(late), "Big0/" + order[39]);
    EXPECT_EQ(ListingsRead(), before);
}

}  // namespace
