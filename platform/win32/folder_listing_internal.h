// What the file calls ask of the disk, counted, and the folder listings behind the case-blind
// look-ups. Only platform code includes this.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

#include <string>

namespace platform::files {

// The system calls that take a path: each adds the names in its path to PathStepsAsked().
int Stat(const std::string& path, struct stat* st);
int Lstat(const std::string& path, struct stat* st);
int Open(const std::string& path, int flags, mode_t mode = 0);
DIR* OpenDir(const std::string& path);
int MakeDir(const std::string& path, mode_t mode);
int Unlink(const std::string& path);
int Rename(const std::string& from, const std::string& to);
int Truncate(const std::string& path, off_t size);

// The folder a host path names its entry in.
std::string FolderOf(const std::string& host);

// The coarse clock's reading, the one the kernel stamps changes with (or the fed one).
timespec ClockNow();

// What a file or folder is known to be unchanged by, as the filesystem stamps it (or with the fed
// times).
struct ObjectState {
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    // Times without fractions: the filesystem keeps whole seconds (or even ones).
    bool WholeSeconds() const { return modified.tv_nsec == 0 && changed.tv_nsec == 0; }
    bool operator==(const ObjectState& other) const;
};
ObjectState StateOf(const struct stat& st);

// A state as it was taken at a clock reading, and whether something seen later still shows it.
//
// A change stamps the object with the coarse clock's tick (its second, or even second, where the
// filesystem keeps whole seconds), so a change made after the taking can hide behind the very
// times kept only when those times fall on or after the tick the taking began in: such a state has
// not settled. It is given up once the clock has moved past the tick of its taking and has reached
// those times; that is once a tick at most, never once a look. A change time ahead of the clock
// (the clock was set back) cannot be matched by a change made now, so the state stands until the
// clock reaches it. A change within the tick of a taking may go unseen until the tick moves on.
struct StateTaken {
    ObjectState state;
    timespec taken{};  // the clock's reading, taken before the state
    bool settled = false;

    static StateTaken At(const ObjectState& state, const timespec& clock);
    // Whether `now`, seen at `clock`, may differ from what was taken.
    bool StaleAt(const ObjectState& now, const timespec& clock) const;
};

// What FindNoCase found of a folder.
enum class FolderLook {
    kListed,    // the folder was searched (the match may be empty)
    kNoFolder,  // no folder that can be read
    kPending,   // the thread's FolderReadLimit stopped the read before its end
};

// The entry of folder whose name equals name but for case; the smallest such name when several
// do, so the choice does not depend on the directory order. Empty when there is none.
FolderLook FindNoCase(const std::string& folder, const std::string& name, std::string& match);

// The layer changed an entry of the folder of hostPath: its listing is read at the next look-up,
// even within the tick that could hide the change.
void ForgetListing(const std::string& hostPath);

}  // namespace platform::files
