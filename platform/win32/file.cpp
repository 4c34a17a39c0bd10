#include "platform/win32/file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/text/cp932.h"
#include "platform/win32/error.h"
#include "platform/win32/seams.h"

namespace {

constexpr DWORD kShareWrite = 0x00000002;

using FileKey = std::pair<dev_t, ino_t>;

// Folder entries this thread has read for case-blind look-ups.
thread_local std::uint64_t g_entriesRead = 0;

class FileObject;

// Every file open in this process, by inode, for the sharing rules.
struct OpenFiles {
    std::mutex lock;
    std::map<FileKey, std::vector<const FileObject*>> byKey;
};

OpenFiles& Opened()
{
    static OpenFiles* files = new OpenFiles;  // lives for the whole process
    return *files;
}

class FileObject : public platform::KernelObject {
public:
    FileObject(int fd, DWORD access, DWORD share, FileKey key)
        : fd_(fd), access_(access), share_(share), key_(key)
    {
    }
    ~FileObject() override { Close(); }

    bool Close() override
    {
        if (fd_ < 0) {
            return true;
        }
        {
            OpenFiles& files = Opened();
            std::lock_guard<std::mutex> guard(files.lock);
            auto it = files.byKey.find(key_);
            if (it != files.byKey.end()) {
                std::erase(it->second, this);
                if (it->second.empty()) {
                    files.byKey.erase(it);
                }
            }
        }
        ::close(fd_);  // Linux releases the descriptor even when close reports an error
        fd_ = -1;
        return true;
    }

    int Fd() const { return fd_; }
    DWORD Access() const { return access_; }
    DWORD Share() const { return share_; }

private:
    int fd_;
    DWORD access_;
    DWORD share_;
    FileKey key_;
};

// An open with these rights is allowed beside one that shares only otherShare.
bool AccessAllowedBy(DWORD access, DWORD otherShare)
{
    if ((access & GENERIC_READ) != 0 && (otherShare & FILE_SHARE_READ) == 0) {
        return false;
    }
    if ((access & GENERIC_WRITE) != 0 && (otherShare & kShareWrite) == 0) {
        return false;
    }
    return true;
}

// Caller holds Opened().lock.
bool SharingAllows(const FileKey& key, DWORD access, DWORD share)
{
    if ((access & (GENERIC_READ | GENERIC_WRITE)) == 0) {
        return true;  // attribute-only opens never conflict
    }
    auto it = Opened().byKey.find(key);
    if (it == Opened().byKey.end()) {
        return true;
    }
    for (const FileObject* other : it->second) {
        if (!AccessAllowedBy(access, other->Share()) || !AccessAllowedBy(other->Access(), share)) {
            return false;
        }
    }
    return true;
}

// Caller holds Opened().lock.
bool IsOpen(const struct stat& st)
{
    return Opened().byKey.count(FileKey(st.st_dev, st.st_ino)) != 0;
}

bool IsReadOnly(const struct stat& st)
{
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// Why an existing name cannot be deleted or replaced; 0 when it can. Caller holds Opened().lock.
DWORD RemovalError(const struct stat& st)
{
    if (S_ISDIR(st.st_mode) || IsReadOnly(st)) {
        return ERROR_ACCESS_DENIED;
    }
    return IsOpen(st) ? ERROR_SHARING_VIOLATION : ERROR_SUCCESS;
}

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// A name with its ASCII letters in lower case: two names equal but for case fold alike.
std::string FoldCase(const std::string& name)
{
    std::string folded = name;
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool Before(const timespec& a, const timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// The folder a host path names its entry in.
std::string FolderOf(const std::string& host)
{
    const size_t slash = host.find_last_of('/');
    return slash == std::string::npos ? "." : host.substr(0, slash == 0 ? 1 : slash);
}

// What a listing knows its folder's state by, as the filesystem stamps it.
struct FolderState {
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    // Times without fractions: the filesystem keeps whole seconds (or even ones).
    bool WholeSeconds() const { return modified.tv_nsec == 0 && changed.tv_nsec == 0; }
    bool operator==(const FolderState& other) const
    {
        return size == other.size && SameTime(modified, other.modified) && SameTime(changed, other.changed);
    }
};

// The coarse clock's reading, the one the kernel stamps changes with.
timespec ClockNow()
{
    if (platform::seams::g_folderClockFed.load(std::memory_order_relaxed)) {
        platform::seams::FolderClock& fed = platform::seams::FedFolderClock();
        std::lock_guard<std::mutex> guard(fed.lock);
        if (fed.clockFed) {
            return fed.now;
        }
    }
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return now;
}

FolderState StateOf(const struct stat& st)
{
    FolderState state{st.st_size, st.st_mtim, st.st_ctim};
    if (platform::seams::g_folderClockFed.load(std::memory_order_relaxed)) {
        platform::seams::FolderClock& fed = platform::seams::FedFolderClock();
        std::lock_guard<std::mutex> guard(fed.lock);
        if (fed.timesFed) {
            state.modified = fed.modified;
            state.changed = fed.changed;
        }
    }
    return state;
}

// A folder's names, read whole for the case-blind look-ups in it: each folded name to the smallest
// name of the folder that folds to it. A listing is known by its folder's device and inode,
// whatever path spelled the folder, and stands while the folder keeps the size and times it had.
//
// A change stamps the folder with the coarse clock's tick (its second, or even second, where the
// filesystem keeps whole seconds), so a change made after the read can hide behind the very times
// the listing keeps only when those times fall on or after the tick the read began in: such a
// listing has not settled. It is read again once the clock has moved past the tick of its read and
// has reached those times; that is once a tick at most, never once a look-up. A change time ahead
// of the clock (the clock was set back) cannot be matched by a change made now, so the listing
// stands until the clock reaches it. A change within the tick of a read may go unseen until the
// tick moves on; the layer's own changes are always seen (ForgetListing).
struct FolderListing {
    FolderState state;
    timespec read{};  // the clock's reading taken before the folder's times
    bool settled = false;
    std::unordered_map<std::string, std::string> names;

    bool StaleAt(const FolderState& now, const timespec& clock) const
    {
        if (!(now == state)) {
            return true;
        }
        if (settled) {
            return false;
        }
        if (state.WholeSeconds()) {
            return state.changed.tv_sec <= clock.tv_sec && read.tv_sec < clock.tv_sec;
        }
        return !Before(clock, state.changed) && Before(read, clock);
    }
};

// Whether a change to the folder after the clock read `read` must show in its times.
bool Settled(const FolderState& state, const timespec& read)
{
    if (state.WholeSeconds()) {
        return state.changed.tv_sec + 2 <= read.tv_sec;
    }
    return Before(state.changed, read);
}

struct FileKeyHash {
    std::size_t operator()(const FileKey& key) const
    {
        return std::hash<std::uint64_t>()(static_cast<std::uint64_t>(key.first) * 0x9E3779B97F4A7C15ull ^
                                          static_cast<std::uint64_t>(key.second));
    }
};

// The listings of the folders looked in lately: the few hundred folders a game has, and at most a
// quarter million names in all (some 25 MB). Past either bound they are dropped whole; a folder
// with more names than that alone is searched as it is read and not kept.
struct FolderListings {
    static constexpr std::size_t kMaxFolders = 256;
    static constexpr std::size_t kMaxNames = 250000;
    std::mutex lock;
    std::unordered_map<FileKey, FolderListing, FileKeyHash> byFolder;
    std::size_t names = 0;  // held by all of them

    void Drop(std::unordered_map<FileKey, FolderListing, FileKeyHash>::iterator listing)
    {
        names -= listing->second.names.size();
        byFolder.erase(listing);
    }
};

FolderListings& Listings()
{
    static FolderListings* listings = new FolderListings;  // lives for the whole process
    return *listings;
}

std::size_t MaxListedNames()
{
    const std::size_t bound = platform::seams::g_folderListingNames.load(std::memory_order_relaxed);
    return bound != 0 ? bound : FolderListings::kMaxNames;
}

// The layer changed an entry of the folder of hostPath: its listing is read at the next look-up,
// even within the tick that could hide the change.
void ForgetListing(const std::string& hostPath)
{
    struct stat st;
    if (::stat(FolderOf(hostPath).c_str(), &st) != 0) {
        return;
    }
    FolderListings& listings = Listings();
    std::lock_guard<std::mutex> guard(listings.lock);
    auto known = listings.byFolder.find(FileKey(st.st_dev, st.st_ino));
    if (known != listings.byFolder.end()) {
        listings.Drop(known);
    }
}

// The entry of folder whose name equals name but for case; the smallest such name when several
// do, so the choice does not depend on the directory order. Empty when there is none. False when
// the folder is no folder that can be read.
bool FindNoCase(const std::string& folder, const std::string& name, std::string& match)
{
    match.clear();
    const std::string path = folder.empty() ? "." : folder;
    // Read before the folder's times: any change after this carries later ones.
    const timespec now = ClockNow();
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return false;
    }
    const FolderState state = StateOf(st);
    const FileKey key(st.st_dev, st.st_ino);
    const std::string folded = FoldCase(name);
    FolderListings& listings = Listings();
    std::lock_guard<std::mutex> guard(listings.lock);
    auto known = listings.byFolder.find(key);
    if (known != listings.byFolder.end() && !known->second.StaleAt(state, now)) {
        auto found = known->second.names.find(folded);
        if (found != known->second.names.end()) {
            match = found->second;
        }
        return true;
    }
    if (known != listings.byFolder.end()) {
        listings.Drop(known);
    }

    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        return false;
    }
    // Every entry is read and paid for; the names are kept only while they fit the bound.
    const std::size_t maxNames = MaxListedNames();
    std::unordered_map<std::string, std::string> names;
    bool keep = true;
    bool failed = false;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            failed = errno != 0;
            break;
        }
        ++g_entriesRead;
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) {
            continue;
        }
        const std::string entryFolded = FoldCase(entry->d_name);
        if (entryFolded == folded && (match.empty() || match > entry->d_name)) {
            match = entry->d_name;
        }
        if (keep) {
            std::string& best = names[entryFolded];
            if (best.empty() || best > entry->d_name) {
                best = entry->d_name;
            }
            if (names.size() > maxNames) {
                keep = false;
                std::unordered_map<std::string, std::string>().swap(names);
            }
        }
    }
    ::closedir(dir);
    platform::seams::g_folderListings.fetch_add(1);
    if (failed) {
        // Part of a listing would hide the rest of the folder: nothing is kept.
        match.clear();
        return false;
    }
    if (keep) {
        if (listings.byFolder.size() >= FolderListings::kMaxFolders || listings.names + names.size() > maxNames) {
            listings.byFolder.clear();
            listings.names = 0;
        }
        FolderListing& listing = listings.byFolder[key];
        listing.state = state;
        listing.read = now;
        listing.settled = Settled(state, now);
        listing.names = std::move(names);
        listings.names += listing.names.size();
    }
    return true;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Missing file, or a folder on the way missing.
DWORD NotFoundError(const std::string& host)
{
    struct stat st;
    if (::stat(FolderOf(host).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_PATH_NOT_FOUND;
}

DWORD ErrorFromErrno(int error, const std::string& host)
{
    switch (error) {
    case ENOENT: return NotFoundError(host);
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return ERROR_PATH_NOT_FOUND;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EBADF: return ERROR_INVALID_HANDLE;
    default: return ERROR_ACCESS_DENIED;
    }
}

FileObject* LookupFile(HANDLE file)
{
    FileObject* object = platform::LookupHandleAs<FileObject>(file);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return object;
}

}  // namespace

namespace platform::seams {

std::atomic<bool> g_failNextFolderFlush{false};
std::atomic<long> g_fileOpens{0};
std::atomic<long> g_fileReads{0};
std::atomic<long long> g_fileBytesRead{0};
std::atomic<long> g_folderListings{0};
std::atomic<std::size_t> g_folderListingNames{0};
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
    listings.names = 0;
}

ModuleNameOverride& ModuleName()
{
    static ModuleNameOverride* module = new ModuleNameOverride;  // lives for the whole process
    return *module;
}

}  // namespace platform::seams

namespace platform {

std::uint64_t FolderEntriesRead()
{
    return g_entriesRead;
}

std::string HostPath(const std::string& cp932Path)
{
    std::string path = Cp932ToUtf8(cp932Path);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || Exists(path)) {
        return path;
    }
    // Mostly the last name alone is spelled in another case, or missing: when its folder is there
    // as written, that folder's listing is the one look-up.
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash != 0 && slash + 1 < path.size() && path.find("//") == std::string::npos) {
        const std::string folder = path.substr(0, slash);
        const std::string last = path.substr(slash + 1);
        std::string match;
        if (last != "." && last != ".." && FindNoCase(folder, last, match)) {
            return Join(folder, match.empty() ? last : match);
        }
    }
    std::string result = path[0] == '/' ? "/" : "";
    bool missing = false;  // below a missing folder nothing can match
    size_t pos = 0;
    while (pos < path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string::npos) {
            end = path.size();
        }
        std::string part = path.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty()) {
            continue;
        }
        std::string candidate = Join(result, part);
        if (!missing && part != "." && part != ".." && !Exists(candidate)) {
            std::string match;
            if (!FindNoCase(result, part, match) || match.empty()) {
                missing = true;
            } else {
                candidate = Join(result, match);
            }
        }
        result = candidate;
    }
    if (path.back() == '/' && (result.empty() || result.back() != '/')) {
        result += '/';
    }
    return result;
}

}  // namespace platform

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD, HANDLE)
{
    if (fileName == nullptr || disposition < CREATE_NEW || disposition > OPEN_ALWAYS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (fileName[0] == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const std::string host = platform::HostPath(fileName);

    int flags = O_CLOEXEC;
    if ((access & GENERIC_READ) != 0 && (access & GENERIC_WRITE) != 0) {
        flags |= O_RDWR;
    } else if ((access & GENERIC_WRITE) != 0) {
        flags |= O_WRONLY;
    } else {
        flags |= O_RDONLY;
    }
    if (disposition == CREATE_NEW) {
        flags |= O_CREAT | O_EXCL;
    } else if (disposition != OPEN_EXISTING) {
        flags |= O_CREAT;
    }

    OpenFiles& files = Opened();
    std::unique_lock<std::mutex> guard(files.lock);
    // Opening an existing file to read asks nothing of the path that the open and its fstat do
    // not answer (a folder is refused below); every other open looks first.
    const bool onlyReads = disposition == OPEN_EXISTING && (access & GENERIC_WRITE) == 0;
    struct stat before;
    const bool existed = !onlyReads && ::stat(host.c_str(), &before) == 0;
    if (existed) {
        if (S_ISDIR(before.st_mode)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        if (disposition == CREATE_NEW) {
            SetLastError(ERROR_FILE_EXISTS);
            return INVALID_HANDLE_VALUE;
        }
        if (IsReadOnly(before) && ((access & GENERIC_WRITE) != 0 || disposition == CREATE_ALWAYS)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    }

    // Without waiting: a FIFO or a device under a file's name must not hold the game inside open().
    int fd = ::open(host.c_str(), flags | O_NONBLOCK, 0666);
    platform::seams::g_fileOpens.fetch_add(1, std::memory_order_relaxed);
    if (fd < 0) {
        SetLastError(ErrorFromErrno(errno, host));
        return INVALID_HANDLE_VALUE;
    }
    // Only regular files are files to the game: folders, FIFOs, sockets and devices are refused.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    const FileKey key(st.st_dev, st.st_ino);
    if (!SharingAllows(key, access, shareMode)) {
        ::close(fd);
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    // Truncate only once the sharing rules allowed the open.
    if (existed && disposition == CREATE_ALWAYS && st.st_size != 0) {
        int result = (flags & O_ACCMODE) != O_RDONLY ? ::ftruncate(fd, 0) : ::truncate(host.c_str(), 0);
        if (result != 0) {
            int error = errno;
            ::close(fd);
            SetLastError(ErrorFromErrno(error, host));
            return INVALID_HANDLE_VALUE;
        }
    }
    auto* object = new FileObject(fd, access, shareMode, key);
    files.byKey[key].push_back(object);
    guard.unlock();
    if (!existed && (flags & O_CREAT) != 0) {
        ForgetListing(host);
    }

    HANDLE handle = platform::RegisterHandle(object);
    const bool reportExisting = existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
    SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

namespace {

// Moves count bytes through io (a read or a write at an offset into the caller's buffer) until
// all are done, the end of the file, or an error.
template <typename Io>
BOOL Transfer(HANDLE file, DWORD right, DWORD count, LPDWORD done, Io io)
{
    if (done != nullptr) {
        *done = 0;
    }
    FileObject* object = LookupFile(file);
    if (object == nullptr) {
        return FALSE;
    }
    if ((object->Access() & right) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD moved = 0;
    BOOL ok = TRUE;
    while (moved < count) {
        ssize_t n = io(object->Fd(), moved);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            SetLastError(ErrorFromErrno(errno, std::string()));
            ok = FALSE;
            break;
        }
        if (n == 0) {
            if (right == GENERIC_WRITE) {
                SetLastError(ERROR_DISK_FULL);
                ok = FALSE;
            }
            break;  // reading at the end of the file succeeds with fewer bytes
        }
        moved += static_cast<DWORD>(n);
    }
    if (done != nullptr) {
        *done = moved;
    }
    return ok;
}

}  // namespace

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED)
{
    return Transfer(file, GENERIC_READ, toRead, read, [&](int fd, DWORD offset) {
        platform::seams::g_fileReads.fetch_add(1, std::memory_order_relaxed);
        const ssize_t got = ::read(fd, static_cast<char*>(buffer) + offset, toRead - offset);
        if (got > 0) {
            platform::seams::g_fileBytesRead.fetch_add(got, std::memory_order_relaxed);
        }
        return got;
    });
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED)
{
    return Transfer(file, GENERIC_WRITE, toWrite, written, [&](int fd, DWORD offset) {
        return ::write(fd, static_cast<const char*>(buffer) + offset, toWrite - offset);
    });
}

BOOL FlushFileBuffers(HANDLE file)
{
    FileObject* object = LookupFile(file);
    if (object == nullptr) {
        return FALSE;
    }
    return ::fsync(object->Fd()) == 0 ? TRUE : Fail(ErrorFromErrno(errno, std::string()));
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh)
{
    FileObject* object = LookupFile(file);
    struct stat st;
    if (object == nullptr || ::fstat(object->Fd(), &st) != 0) {
        if (object != nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
        }
        return INVALID_FILE_SIZE;
    }
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (sizeHigh != nullptr) {
        *sizeHigh = static_cast<DWORD>(size >> 32);
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::uint64_t kEpochDifference = 11644473600ull;

void ToFileTime(const struct timespec& t, LPFILETIME out)
{
    if (out == nullptr) {
        return;
    }
    const std::uint64_t ticks = (static_cast<std::uint64_t>(t.tv_sec) + kEpochDifference) * 10000000ull +
                                static_cast<std::uint64_t>(t.tv_nsec) / 100;
    out->dwLowDateTime = static_cast<DWORD>(ticks);
    out->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

}  // namespace

BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite)
{
    FileObject* object = LookupFile(file);
    struct stat st;
    if (object == nullptr) {
        return FALSE;
    }
    if (::fstat(object->Fd(), &st) != 0) {
        return Fail(ErrorFromErrno(errno, std::string()));
    }
    ToFileTime(st.st_ctim, creation);
    ToFileTime(st.st_atim, lastAccess);
    ToFileTime(st.st_mtim, lastWrite);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information)
{
    FileObject* object = LookupFile(file);
    struct stat st;
    if (object == nullptr) {
        return FALSE;
    }
    if (information == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (::fstat(object->Fd(), &st) != 0) {
        return Fail(ErrorFromErrno(errno, std::string()));
    }
    const auto device = static_cast<std::uint64_t>(st.st_dev);
    const auto inode = static_cast<std::uint64_t>(st.st_ino);
    const auto size = static_cast<std::uint64_t>(st.st_size);
    information->dwFileAttributes = (S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0) |
                                    (IsReadOnly(st) ? FILE_ATTRIBUTE_READONLY : 0);
    if (information->dwFileAttributes == 0) {
        information->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    }
    ToFileTime(st.st_ctim, &information->ftCreationTime);
    ToFileTime(st.st_atim, &information->ftLastAccessTime);
    ToFileTime(st.st_mtim, &information->ftLastWriteTime);
    information->dwVolumeSerialNumber = static_cast<DWORD>(device ^ (device >> 32));
    information->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    information->nFileSizeLow = static_cast<DWORD>(size);
    information->nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
    information->nFileIndexHigh = static_cast<DWORD>(inode >> 32);
    information->nFileIndexLow = static_cast<DWORD>(inode);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method)
{
    FileObject* object = LookupFile(file);
    if (object == nullptr) {
        return INVALID_SET_FILE_POINTER;
    }
    std::int64_t offset = distance;
    if (distanceHigh != nullptr) {
        offset = static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<DWORD>(*distanceHigh)) << 32) |
                                           static_cast<DWORD>(distance));
    }
    std::int64_t base = 0;
    if (method == FILE_CURRENT) {
        base = ::lseek(object->Fd(), 0, SEEK_CUR);
    } else if (method == FILE_END) {
        struct stat st;
        base = ::fstat(object->Fd(), &st) == 0 ? st.st_size : -1;
    } else if (method != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (base < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    const std::int64_t position = base + offset;
    if (position < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh == nullptr && position >= static_cast<std::int64_t>(INVALID_SET_FILE_POINTER)) {
        SetLastError(ERROR_INVALID_PARAMETER);  // not reportable in 32 bits
        return INVALID_SET_FILE_POINTER;
    }
    if (::lseek(object->Fd(), position, SEEK_SET) < 0) {
        SetLastError(ErrorFromErrno(errno, std::string()));
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh != nullptr) {
        *distanceHigh = static_cast<LONG>(position >> 32);
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(position);
}

DWORD GetFileAttributesA(LPCSTR fileName)
{
    if (fileName == nullptr || fileName[0] == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    const std::string host = platform::HostPath(fileName);
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) {
        SetLastError(ErrorFromErrno(errno, host));
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
    if (!S_ISDIR(st.st_mode) && IsReadOnly(st)) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES)
{
    if (pathName == nullptr || pathName[0] == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    const std::string host = platform::HostPath(pathName);
    if (::mkdir(host.c_str(), 0777) != 0) {
        int error = errno;
        SetLastError(error == EEXIST ? ERROR_ALREADY_EXISTS
                                     : (error == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(error, host)));
        return FALSE;
    }
    ForgetListing(host);
    return TRUE;
}

BOOL DeleteFileA(LPCSTR fileName)
{
    if (fileName == nullptr || fileName[0] == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    const std::string host = platform::HostPath(fileName);
    std::lock_guard<std::mutex> guard(Opened().lock);
    struct stat st;
    if (::lstat(host.c_str(), &st) != 0) {
        return Fail(ErrorFromErrno(errno, host));
    }
    if (DWORD error = RemovalError(st)) {
        return Fail(error);
    }
    if (::unlink(host.c_str()) != 0) {
        return Fail(ErrorFromErrno(errno, host));
    }
    ForgetListing(host);
    return TRUE;
}

BOOL MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags)
{
    if (existingName == nullptr || newName == nullptr || existingName[0] == '\0' || newName[0] == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    const std::string from = platform::HostPath(existingName);
    const std::string to = platform::HostPath(newName);
    std::lock_guard<std::mutex> guard(Opened().lock);
    struct stat source;
    if (::lstat(from.c_str(), &source) != 0) {
        return Fail(ErrorFromErrno(errno, from));
    }
    if (IsOpen(source)) {
        return Fail(ERROR_SHARING_VIOLATION);
    }
    struct stat target;
    const bool targetExists = ::lstat(to.c_str(), &target) == 0;
    // Renaming a file onto itself (another spelling of its name) replaces nothing.
    if (targetExists && !(target.st_dev == source.st_dev && target.st_ino == source.st_ino)) {
        if ((flags & MOVEFILE_REPLACE_EXISTING) == 0) {
            return Fail(ERROR_ALREADY_EXISTS);
        }
        if (DWORD error = RemovalError(target)) {
            return Fail(error);
        }
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return Fail(ErrorFromErrno(errno, to));
    }
    ForgetListing(from);
    ForgetListing(to);
    if ((flags & MOVEFILE_WRITE_THROUGH) != 0) {
        // A rename lives in the folder's entries: flushing the folder makes it survive a power cut.
        const int fd = ::open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        bool synced = fd >= 0 && ::fsync(fd) == 0;
        int error = errno;
        if (platform::seams::g_failNextFolderFlush.exchange(false)) {
            synced = false;
            error = EIO;
        }
        if (fd >= 0) {
            ::close(fd);
        }
        // The file is in place under its new name: the move succeeded, only its flush did not.
        if (!synced) {
            std::fprintf(stderr, "file: %s is renamed to %s, but its folder could not be flushed (%s)\n",
                         platform::Cp932ToUtf8(existingName).c_str(), platform::Cp932ToUtf8(newName).c_str(), std::strerror(error));
        }
    }
    return TRUE;
}

DWORD GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size)
{
    std::string path;
    {
        platform::seams::ModuleNameOverride& module = platform::seams::ModuleName();
        std::lock_guard<std::mutex> guard(module.lock);
        path = module.path;
    }
    if (path.empty()) {
        std::vector<char> link(4096);
        ssize_t length = ::readlink("/proc/self/exe", link.data(), link.size());
        if (length <= 0 || static_cast<size_t>(length) >= link.size()) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return 0;
        }
        path = platform::Utf8ToCp932(std::string_view(link.data(), static_cast<size_t>(length)));
    }
    if (fileName == nullptr || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() < size) {
        std::memcpy(fileName, path.c_str(), path.size() + 1);
        SetLastError(ERROR_SUCCESS);
        return static_cast<DWORD>(path.size());
    }
    // Cut to fit, still terminated; the full size is returned as the sign of the cut.
    std::memcpy(fileName, path.data(), size - 1);
    fileName[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

int lstrlenA(LPCSTR text)
{
    return text == nullptr ? 0 : static_cast<int>(std::strlen(text));
}
