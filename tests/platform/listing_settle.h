// Settling a real folder's listing, for tests that count the reads the case-blind look-ups make of
// a folder on the disk: the listing is kept, and no later look-up reads the folder again while it
// stays as it is.
#pragma once

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string>

#include "platform/testing/win32.h"
#include "platform/win32/file.h"

namespace qmtest {

// Until the coarse clock, the one changes are stamped with, has moved to its next tick.
inline void WaitForNextTick()
{
    timespec start{};
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &start);
    for (int i = 0; i < 10000; ++i) {
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
        if (now.tv_sec != start.tv_sec || now.tv_nsec != start.tv_nsec) {
            return;
        }
        usleep(200);
    }
}

// The clock the listings are stamped by and a folder's times, as the layer sees them: the
// system's, or those a test feeds the layer.
class ListingClock {
public:
    virtual ~ListingClock() = default;
    virtual timespec Now() = 0;
    // Returns once Now() has moved on.
    virtual void NextTick() = 0;
    virtual std::optional<platform::FolderTimes> TimesOf(const std::string& folder) = 0;
};

class SystemListingClock : public ListingClock {
public:
    timespec Now() override
    {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
        return now;
    }
    void NextTick() override { WaitForNextTick(); }
    std::optional<platform::FolderTimes> TimesOf(const std::string& folder) override
    {
        std::string host = folder;
        std::replace(host.begin(), host.end(), '\\', '/');
        struct stat st {};
        if (::stat(host.c_str(), &st) != 0) {
            return std::nullopt;
        }
        return platform::FolderTimes{st.st_mtim, st.st_ctim};
    }
};

inline bool SameTimes(const platform::FolderTimes& a, const platform::FolderTimes& b)
{
    return a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec &&
           a.changed.tv_sec == b.changed.tv_sec && a.changed.tv_nsec == b.changed.tv_nsec;
}

// Whether a listing read at `clock` sees every change after it in the folder's times: the clock
// has passed the change time, or two whole seconds past it where the filesystem keeps whole
// seconds (times without fractions).
inline bool SettledAt(const platform::FolderTimes& times, const timespec& clock)
{
    if (times.modified.tv_nsec == 0 && times.changed.tv_nsec == 0) {
        return times.changed.tv_sec + 2 <= clock.tv_sec;
    }
    return times.changed.tv_sec < clock.tv_sec ||
           (times.changed.tv_sec == clock.tv_sec && times.changed.tv_nsec < clock.tv_nsec);
}

// Looks a missing name of the folder up once the clock has passed the folder's change time, so
// the listing that look-up leaves (read then, or kept from before and still good) has settled.
// Waiting a tick is not enough: the change time, stamped by a finer clock, can lie ticks past the
// coarse clock's reading. False when the folder kept changing, or the clock never got there.
inline bool ListingKept(const std::string& folder, ListingClock& clock)
{
    const std::string missing = folder + "\\settling.none";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::optional<platform::FolderTimes> times = clock.TimesOf(folder);
        if (!times) {
            return false;
        }
        // Three seconds' ticks at least (a tick is a millisecond or more): a whole-second
        // filesystem settles in two.
        for (int tick = 0; tick < 3000 && !SettledAt(*times, clock.Now()); ++tick) {
            clock.NextTick();
        }
        if (!SettledAt(*times, clock.Now())) {
            return false;
        }
        GetFileAttributesA(missing.c_str());
        const std::optional<platform::FolderTimes> after = clock.TimesOf(folder);
        if (after && SameTimes(*after, *times)) {
            return true;
        }
    }
    return false;
}

inline bool ListingKept(const std::string& folder)
{
    SystemListingClock clock;
    return ListingKept(folder, clock);
}

}  // namespace qmtest
