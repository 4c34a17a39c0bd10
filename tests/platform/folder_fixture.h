// What the tests of the case-blind look-ups share: a fresh start of the kept listings, the fed
// clock, and folders of small files.
#pragma once

#include <time.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "formats/byte_writer.h"
#include "platform/testing/win32.h"
#include "platform/win32/folder_listing.h"

namespace qmtest {

// Starts a test from no kept folder listings and gives back the system's clock, folder times and
// bound when it ends.
struct FreshListings {
    FreshListings() { platform::ForgetFolderListings(); }
    ~FreshListings()
    {
        platform::FeedFolderClock(std::nullopt);
        platform::FeedFolderTimes(std::nullopt);
        platform::LimitFolderListingBytes(0);
        platform::ForgetFolderListings();
    }
};

inline timespec At(time_t seconds, long nanoseconds = 0)
{
    return timespec{seconds, nanoseconds};
}

// Folder times long before the fed clock: every listing read has settled.
inline void FeedSettledTimes()
{
    platform::FeedFolderTimes(platform::FolderTimes{At(1000, 5), At(1000, 5)});
    platform::FeedFolderClock(At(2000));
}

inline long ListingsRead()
{
    return platform::FileCalls().listings;
}

inline void MakeFiles(const std::filesystem::path& folder, const std::vector<std::string>& names)
{
    std::filesystem::create_directories(folder);
    for (const std::string& name : names) {
        ByteWriter().Bytes("x").Save((folder / name).string());
    }
}

}  // namespace qmtest
