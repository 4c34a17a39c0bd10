#include "platform/win32/folder_listing.h"
#include "platform/win32/folder_listing_internal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/win32/seams.h"

namespace {

// The work of this thread's file calls.
thread_local std::uint64_t g_entriesRead = 0;
thread_local std::uint64_t g_nameBytesRead = 0;
thread_local std::uint64_t g_pathSteps = 0;
// The limit that governs this thread's folder reads; null while none lives.
thread_local platform::FolderReadLimit* g_readLimit = nullptr;

// The names the system walks in a path.
std::uint64_t NamesIn(const std::string& path)
{
    std::uint64_t names = 0;
    bool inName = false;
    for (const char c : path) {
        if (c == '/') {
            inName = false;
        } else if (!inName) {
            inName = true;
            ++names;
        }
    }
    return names;
}

const char* Asked(const std::string& path)
{
    g_pathSteps += NamesIn(path);
    return path.c_str();
}

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b)
{
    return b > std::numeric_limits<std::uint64_t>::max() - a ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

std::uint64_t SaturatingTimes(std::uint64_t a, std::uint64_t b)
{
    return a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a ? std::numeric_limits<std::uint64_t>::max()
                                                                        : a * b;
}

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool Before(const timespec& a, const timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// A name with its ASCII letters in lower case: two names equal but for case fold alike. The length
// stays.
std::string FoldCase(const char* name)
{
    std::string folded = name;
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

using FileKey = std::pair<dev_t, ino_t>;

struct FileKeyHash {
    std::size_t operator()(const FileKey& key) const
    {
        return std::hash<std::uint64_t>()(static_cast<std::uint64_t>(key.first) * 0x9E3779B97F4A7C15ull ^
                                          static_cast<std::uint64_t>(key.second));
    }
};

// Each folded name to the smallest name of the folder that folds to it.
using Names = std::unordered_map<std::string, std::string>;

// What a kept entry costs beside the bytes of its two names: the map's node and bucket and the
// heap blocks of names too long to sit in their strings (glibc, measured: some 100 bytes for short
// names, 150 for long ones).
constexpr std::size_t kEntryBytes = 128;
// Names a read past the bound gives back with each entry it reads after that.
constexpr int kNamesGivenBackAnEntry = 16;

// A folder's names, read whole for the case-blind look-ups in it, known by its folder's device and
// inode, whatever path spelled the folder; it stands while the folder keeps the size and times it
// had when the read began (StateTaken: read again once a tick at most while a change could hide
// behind them). The layer's own changes are always seen (ForgetListing).
struct FolderListing {
    platform::files::StateTaken begun;
    Names names;
    std::size_t bytes = 0;
};

}  // namespace

namespace platform::files {

// A read of a folder under way: its stream and what it has read. Stopped by the thread's
// FolderReadLimit, it is kept until a look-up in the folder takes it up again.
struct PartRead {
    enum class Step { kDone, kStopped, kFailed };

    PartRead(DIR* stream, const FileKey& folder, const StateTaken& taken, std::string name)
        : dir(stream), key(folder), begun(taken), sought(std::move(name))
    {
    }
    ~PartRead() { ::closedir(dir); }
    PartRead(const PartRead&) = delete;
    PartRead& operator=(const PartRead&) = delete;

    // Whether the thread's limit leaves nothing to read with.
    static bool LimitSpent()
    {
        return g_readLimit != nullptr && g_readLimit->spent_ >= g_readLimit->allowance_;
    }

    // Reads on to the end, or until the thread's limit has been spent. The names are kept while
    // they fit maxBytes; past it only the name sought is looked for in the rest.
    Step Go(std::size_t maxBytes)
    {
        FolderReadLimit* limit = g_readLimit;
        for (;;) {
            if (LimitSpent()) {
                return Step::kStopped;
            }
            errno = 0;
            const dirent* entry = ::readdir(dir);
            if (entry == nullptr) {
                return errno != 0 ? Step::kFailed : Step::kDone;
            }
            const std::size_t length = std::strlen(entry->d_name);
            ++g_entriesRead;
            g_nameBytesRead += length;
            if (limit != nullptr) {
                limit->spent_ =
                    SaturatingAdd(limit->spent_, SaturatingAdd(limit->perEntry_, SaturatingTimes(limit->perByte_, length)));
            }
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) {
                continue;
            }
            std::string folded = FoldCase(entry->d_name);
            if (!keep) {
                if (folded == sought && (match.empty() || match > entry->d_name)) {
                    match = entry->d_name;
                }
                // The names read before the bound was passed go a few with each entry read after
                // it: given back all at once, they would take a frame of their own.
                for (int i = 0; i < kNamesGivenBackAnEntry && !names.empty(); ++i) {
                    names.erase(names.begin());
                }
                continue;
            }
            auto [at, added] = names.try_emplace(std::move(folded), entry->d_name);
            if (added) {
                bytes += at->first.size() + at->second.size() + kEntryBytes;
            } else if (at->second > entry->d_name) {
                at->second = entry->d_name;  // of the same length: the bytes stay
            }
            if (bytes > maxBytes) {
                keep = false;
                const auto found = names.find(sought);
                if (found != names.end()) {
                    match = found->second;
                }
                bytes = 0;
            }
        }
    }

    // The smallest name of those read that folds to the one sought.
    std::string Match() const
    {
        if (!keep) {
            return match;
        }
        const auto found = names.find(sought);
        return found != names.end() ? found->second : std::string();
    }

    DIR* dir;
    FileKey key;
    StateTaken begun;    // the folder as the read began
    std::string sought;  // folded
    bool keep = true;    // false once the names passed the bound: then only `sought` is looked for
    Names names;
    std::size_t bytes = 0;
    std::string match;  // while not kept
};

}  // namespace platform::files

namespace {

using platform::files::PartRead;

// The listings of the folders looked in lately and the reads stopped part way. The listings hold
// the few hundred folders a game has and at most 24 MiB (some 150,000 names of a dozen letters, or
// 45,000 of two hundred); past either bound they are dropped whole. A folder whose names alone
// pass the bytes is searched as it is read and not kept. At most four stopped reads are kept, each
// under the bytes bound: starting a fifth closes the oldest.
struct FolderListings {
    static constexpr std::size_t kMaxFolders = 256;
    static constexpr std::size_t kMaxBytes = std::size_t{24} << 20;
    static constexpr std::size_t kMaxStopped = 4;
    std::mutex lock;
    std::unordered_map<FileKey, FolderListing, FileKeyHash> byFolder;
    std::size_t entries = 0;  // held by all of them
    std::size_t bytes = 0;
    std::vector<std::unique_ptr<PartRead>> stopped;  // the oldest first

    void Drop(std::unordered_map<FileKey, FolderListing, FileKeyHash>::iterator listing)
    {
        entries -= listing->second.names.size();
        bytes -= listing->second.bytes;
        byFolder.erase(listing);
    }

    void Keep(PartRead& read, std::size_t maxBytes)
    {
        if (byFolder.size() >= kMaxFolders || bytes + read.bytes > maxBytes) {
            byFolder.clear();
            entries = 0;
            bytes = 0;
        }
        FolderListing& listing = byFolder[read.key];
        listing.begun = read.begun;
        listing.names = std::move(read.names);
        listing.bytes = read.bytes;
        entries += listing.names.size();
        bytes += listing.bytes;
    }

    // The stopped read of the folder, taken out of those kept; null when there is none.
    std::unique_ptr<PartRead> TakeStopped(const FileKey& key)
    {
        for (auto at = stopped.begin(); at != stopped.end(); ++at) {
            if ((*at)->key == key) {
                std::unique_ptr<PartRead> read = std::move(*at);
                stopped.erase(at);
                return read;
            }
        }
        return nullptr;
    }

    void Stop(std::unique_ptr<PartRead> read)
    {
        if (stopped.size() >= kMaxStopped) {
            stopped.erase(stopped.begin());
        }
        stopped.push_back(std::move(read));
    }
};

FolderListings& Listings()
{
    static FolderListings* listings = new FolderListings;  // lives for the whole process
    return *listings;
}

std::size_t MaxListedBytes()
{
    const std::size_t bound = platform::seams::g_folderListingBytes.load(std::memory_order_relaxed);
    return bound != 0 ? bound : FolderListings::kMaxBytes;
}

}  // namespace

namespace platform::files {

int Stat(const std::string& path, struct stat* st)
{
    return ::stat(Asked(path), st);
}

int Lstat(const std::string& path, struct stat* st)
{
    return ::lstat(Asked(path), st);
}

int Open(const std::string& path, int flags, mode_t mode)
{
    return ::open(Asked(path), flags, mode);
}

DIR* OpenDir(const std::string& path)
{
    return ::opendir(Asked(path));
}

int MakeDir(const std::string& path, mode_t mode)
{
    return ::mkdir(Asked(path), mode);
}

int Unlink(const std::string& path)
{
    return ::unlink(Asked(path));
}

int Rename(const std::string& from, const std::string& to)
{
    Asked(from);
    return ::rename(from.c_str(), Asked(to));
}

int Truncate(const std::string& path, off_t size)
{
    return ::truncate(Asked(path), size);
}

std::string FolderOf(const std::string& host)
{
    const size_t slash = host.find_last_of('/');
    return slash == std::string::npos ? "." : host.substr(0, slash == 0 ? 1 : slash);
}

timespec ClockNow()
{
    if (seams::g_folderClockFed.load(std::memory_order_relaxed)) {
        seams::FolderClock& fed = seams::FedFolderClock();
        std::lock_guard<std::mutex> guard(fed.lock);
        if (fed.clockFed) {
            return fed.now;
        }
    }
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return now;
}

bool ObjectState::operator==(const ObjectState& other) const
{
    return size == other.size && SameTime(modified, other.modified) && SameTime(changed, other.changed);
}

ObjectState StateOf(const struct stat& st)
{
    ObjectState state{st.st_size, st.st_mtim, st.st_ctim};
    if (seams::g_folderClockFed.load(std::memory_order_relaxed)) {
        seams::FolderClock& fed = seams::FedFolderClock();
        std::lock_guard<std::mutex> guard(fed.lock);
        if (fed.timesFed) {
            state.modified = fed.modified;
            state.changed = fed.changed;
        }
    }
    return state;
}

StateTaken StateTaken::At(const ObjectState& state, const timespec& clock)
{
    StateTaken taken{state, clock, false};
    // Whether a change after the clock read `clock` must show in the times.
    taken.settled = state.WholeSeconds() ? state.changed.tv_sec + 2 <= clock.tv_sec : Before(state.changed, clock);
    return taken;
}

bool StateTaken::StaleAt(const ObjectState& now, const timespec& clock) const
{
    if (!(now == state)) {
        return true;
    }
    if (settled) {
        return false;
    }
    if (state.WholeSeconds()) {
        return state.changed.tv_sec <= clock.tv_sec && taken.tv_sec < clock.tv_sec;
    }
    return !Before(clock, state.changed) && Before(taken, clock);
}

FolderLook FindNoCase(const std::string& folder, const std::string& name, std::string& match)
{
    match.clear();
    const std::string path = folder.empty() ? "." : folder;
    // Read before the folder's times: any change after this carries later ones.
    const timespec now = ClockNow();
    struct stat st;
    if (Stat(path, &st) != 0 || !S_ISDIR(st.st_mode)) {
        return FolderLook::kNoFolder;
    }
    const ObjectState state = StateOf(st);
    const FileKey key(st.st_dev, st.st_ino);
    std::string folded = FoldCase(name.c_str());
    FolderListings& listings = Listings();
    std::lock_guard<std::mutex> guard(listings.lock);
    auto known = listings.byFolder.find(key);
    if (known != listings.byFolder.end() && !known->second.begun.StaleAt(state, now)) {
        auto found = known->second.names.find(folded);
        if (found != known->second.names.end()) {
            match = found->second;
        }
        return FolderLook::kListed;
    }
    if (known != listings.byFolder.end()) {
        listings.Drop(known);
    }

    // A stopped read goes on where it stopped, even if the folder changed meanwhile: what it keeps
    // then carries the state it began with, and is read again at the next look-up. One that no
    // longer keeps its names knows only the name it was looking for.
    std::unique_ptr<PartRead> read = listings.TakeStopped(key);
    if (read != nullptr && !read->keep && read->sought != folded) {
        read.reset();
    }
    if (read == nullptr) {
        if (PartRead::LimitSpent()) {
            return FolderLook::kPending;  // nothing to read with: keep the stopped ones
        }
        DIR* dir = OpenDir(path);
        if (dir == nullptr) {
            return FolderLook::kNoFolder;
        }
        read = std::make_unique<PartRead>(dir, key, StateTaken::At(state, now), std::move(folded));
    } else if (read->keep) {
        read->sought = std::move(folded);
    }
    const std::size_t maxBytes = MaxListedBytes();
    const PartRead::Step step = read->Go(maxBytes);
    if (step == PartRead::Step::kStopped) {
        listings.Stop(std::move(read));
        return FolderLook::kPending;
    }
    seams::g_folderListings.fetch_add(1);
    if (step == PartRead::Step::kFailed) {
        // Part of a listing would hide the rest of the folder: nothing is kept.
        return FolderLook::kNoFolder;
    }
    match = read->Match();
    if (read->keep) {
        listings.Keep(*read, maxBytes);
    }
    return FolderLook::kListed;
}

void ForgetListing(const std::string& hostPath)
{
    struct stat st;
    if (Stat(FolderOf(hostPath), &st) != 0) {
        return;
    }
    const FileKey key(st.st_dev, st.st_ino);
    FolderListings& listings = Listings();
    std::lock_guard<std::mutex> guard(listings.lock);
    auto known = listings.byFolder.find(key);
    if (known != listings.byFolder.end()) {
        listings.Drop(known);
    }
    // A read begun before the change might not see it.
    listings.TakeStopped(key);
}

}  // namespace platform::files

namespace platform::seams {

std::atomic<long> g_folderListings{0};
std::atomic<std::size_t> g_folderListingBytes{0};
std::atomic<bool> g_folderClockFed{false};

FolderClock& FedFolderClock()
{
    static FolderClock* clock = new FolderClock;  // lives for the whole process
    return *clock;
}

void ForgetFolderListings()
{
    FolderListings& listings = Listings();
    std::lock_guard<std::mutex> guard(listings.lock);
    listings.byFolder.clear();
    listings.entries = 0;
    listings.bytes = 0;
    listings.stopped.clear();
}

ListingsHeld HeldFolderListings()
{
    FolderListings& listings = Listings();
    std::lock_guard<std::mutex> guard(listings.lock);
    return {listings.byFolder.size(), listings.entries, listings.bytes};
}

}  // namespace platform::seams

namespace platform {

std::uint64_t FolderEntriesRead()
{
    return g_entriesRead;
}

std::uint64_t FolderNameBytesRead()
{
    return g_nameBytesRead;
}

std::uint64_t PathStepsAsked()
{
    return g_pathSteps;
}

FolderReadLimit::FolderReadLimit(std::uint64_t allowance, std::uint64_t perEntry, std::uint64_t perByte)
    : allowance_(allowance), perEntry_(perEntry), perByte_(perByte), outer_(g_readLimit)
{
    g_readLimit = this;
}

FolderReadLimit::~FolderReadLimit()
{
    g_readLimit = outer_;
}

}  // namespace platform
