#include "platform/win32/file.h"

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
#include <string_view>
#include <utility>
#include <vector>

#include "platform/text/cp932.h"
#include "platform/win32/error.h"
#include "platform/win32/folder_listing_internal.h"
#include "platform/win32/seams.h"

namespace {

namespace files = platform::files;

constexpr DWORD kShareWrite = 0x00000002;

using FileKey = std::pair<dev_t, ino_t>;

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

// The path as the game's system reads it before asking any disk: repeated separators, "." steps
// and "name/.." pairs folded out, whatever the names are on the disk. A ".." with nothing before
// it stays in a relative path and goes at the root; a trailing separator stays.
std::string FoldPath(const std::string& path)
{
    const bool absolute = path[0] == '/';
    std::vector<std::string_view> names;
    size_t pos = 0;
    while (pos < path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string_view name(path.data() + pos, end - pos);
        pos = end + 1;
        if (name.empty() || name == ".") {
            continue;
        }
        if (name == "..") {
            if (!names.empty() && names.back() != "..") {
                names.pop_back();
                continue;
            }
            if (absolute) {
                continue;
            }
        }
        names.push_back(name);
    }
    std::string folded = absolute ? "/" : "";
    for (size_t i = 0; i < names.size(); ++i) {
        if (i != 0) {
            folded += '/';
        }
        folded += names[i];
    }
    if (folded.empty()) {
        folded = ".";
    }
    if (path.back() == '/' && folded.back() != '/') {
        folded += '/';
    }
    return folded;
}

// Whether a CP932 path has MAX_PATH characters or more, a double-byte character counting once.
bool TooLong(const std::string& cp932)
{
    size_t characters = 0;
    for (size_t i = 0; i < cp932.size() && characters < MAX_PATH; ++characters) {
        i += platform::IsCp932LeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size() ? 2 : 1;
    }
    return characters >= MAX_PATH;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return files::Lstat(path, &st) == 0;
}

// Missing file, or a folder on the way missing.
DWORD NotFoundError(const std::string& host)
{
    struct stat st;
    if (files::Stat(files::FolderOf(host), &st) == 0 && S_ISDIR(st.st_mode)) {
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

// The host path a game path names after the mapping of file.h, or why it names none.
DWORD Resolve(const std::string& cp932Path, std::string& host)
{
    host.clear();
    if (TooLong(cp932Path)) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    std::string path = platform::Cp932ToUtf8(cp932Path);
    if (path.empty()) {
        return ERROR_SUCCESS;
    }
    std::replace(path.begin(), path.end(), '\\', '/');
    path = FoldPath(path);
    if (Exists(path)) {
        host = std::move(path);
        return ERROR_SUCCESS;
    }
    // Mostly the last name alone is spelled in another case, or missing: when its folder is there
    // as written, that folder's listing is the one look-up.
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash != 0 && slash + 1 < path.size()) {
        const std::string folder = path.substr(0, slash);
        const std::string last = path.substr(slash + 1);
        std::string match;
        if (last != "..") {
            const files::FolderLook look = files::FindNoCase(folder, last, match);
            if (look == files::FolderLook::kPending) {
                return ERROR_IO_PENDING;
            }
            if (look == files::FolderLook::kListed) {
                host = Join(folder, match.empty() ? last : match);
                return ERROR_SUCCESS;
            }
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
        if (!missing && part != ".." && !Exists(candidate)) {
            std::string match;
            const files::FolderLook look = files::FindNoCase(result, part, match);
            if (look == files::FolderLook::kPending) {
                return ERROR_IO_PENDING;
            }
            if (look == files::FolderLook::kNoFolder || match.empty()) {
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
    host = std::move(result);
    return ERROR_SUCCESS;
}

}  // namespace

namespace platform::seams {

std::atomic<bool> g_failNextFolderFlush{false};
std::atomic<long> g_fileOpens{0};
std::atomic<long> g_fileReads{0};
std::atomic<long long> g_fileBytesRead{0};
std::atomic<bool> g_beforeFileReadSet{false};
std::mutex g_beforeFileReadLock;
std::function<void()> g_beforeFileRead;

ModuleNameOverride& ModuleName()
{
    static ModuleNameOverride* module = new ModuleNameOverride;  // lives for the whole process
    return *module;
}

}  // namespace platform::seams

namespace platform {

std::string HostPath(const std::string& cp932Path)
{
    std::string host;
    if (const DWORD error = Resolve(cp932Path, host)) {
        SetLastError(error);
    }
    return host;
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
    std::string host;
    if (const DWORD error = Resolve(fileName, host)) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }

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
    const bool existed = !onlyReads && files::Stat(host, &before) == 0;
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
    int fd = files::Open(host, flags | O_NONBLOCK, 0666);
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
        int result = (flags & O_ACCMODE) != O_RDONLY ? ::ftruncate(fd, 0) : files::Truncate(host, 0);
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
        files::ForgetListing(host);
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
        if (platform::seams::g_beforeFileReadSet.load(std::memory_order_relaxed)) {
            std::function<void()> hook;
            {
                std::lock_guard<std::mutex> guard(platform::seams::g_beforeFileReadLock);
                hook = platform::seams::g_beforeFileRead;
            }
            if (hook) {
                hook();
            }
        }
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

platform::StampTime StampTimeOf(const timespec& t)
{
    return {static_cast<std::int64_t>(t.tv_sec), static_cast<std::int32_t>(t.tv_nsec)};
}

timespec TimespecOf(const platform::StampTime& t)
{
    return {static_cast<time_t>(t.seconds), static_cast<long>(t.nanoseconds)};
}

files::ObjectState StateOf(const platform::FileStamp& stamp)
{
    return {static_cast<off_t>(stamp.size), TimespecOf(stamp.written), TimespecOf(stamp.changed)};
}

}  // namespace

namespace platform {

FileStamp StampOf(HANDLE file)
{
    FileStamp stamp;
    FileObject* object = LookupFile(file);
    if (object == nullptr) {
        return stamp;
    }
    // Read before the file's times: any change after this carries later ones.
    const timespec now = files::ClockNow();
    struct stat st;
    if (::fstat(object->Fd(), &st) != 0) {
        SetLastError(ErrorFromErrno(errno, std::string()));
        return stamp;
    }
    const files::ObjectState state = files::StateOf(st);
    stamp.known = true;
    stamp.volume = static_cast<std::uint64_t>(st.st_dev);
    stamp.index = static_cast<std::uint64_t>(st.st_ino);
    stamp.size = static_cast<std::uint64_t>(state.size);
    stamp.written = StampTimeOf(state.modified);
    stamp.changed = StampTimeOf(state.changed);
    stamp.taken = StampTimeOf(now);
    return stamp;
}

bool SameFile(const FileStamp& a, const FileStamp& b)
{
    return a.known && b.known && a.volume == b.volume && a.index == b.index;
}

bool SameState(const FileStamp& kept, const FileStamp& now)
{
    if (!SameFile(kept, now)) {
        return false;
    }
    const files::StateTaken taken = files::StateTaken::At(StateOf(kept), TimespecOf(kept.taken));
    return !taken.StaleAt(StateOf(now), TimespecOf(now.taken));
}

}  // namespace platform

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
    std::string host;
    if (const DWORD error = Resolve(fileName, host)) {
        SetLastError(error);
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat st;
    if (files::Stat(host, &st) != 0) {
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
    std::string host;
    if (const DWORD error = Resolve(pathName, host)) {
        return Fail(error);
    }
    if (files::MakeDir(host, 0777) != 0) {
        int error = errno;
        SetLastError(error == EEXIST ? ERROR_ALREADY_EXISTS
                                     : (error == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(error, host)));
        return FALSE;
    }
    files::ForgetListing(host);
    return TRUE;
}

BOOL DeleteFileA(LPCSTR fileName)
{
    if (fileName == nullptr || fileName[0] == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string host;
    if (const DWORD error = Resolve(fileName, host)) {
        return Fail(error);
    }
    std::lock_guard<std::mutex> guard(Opened().lock);
    struct stat st;
    if (files::Lstat(host, &st) != 0) {
        return Fail(ErrorFromErrno(errno, host));
    }
    if (DWORD error = RemovalError(st)) {
        return Fail(error);
    }
    if (files::Unlink(host) != 0) {
        return Fail(ErrorFromErrno(errno, host));
    }
    files::ForgetListing(host);
    return TRUE;
}

BOOL MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags)
{
    if (existingName == nullptr || newName == nullptr || existingName[0] == '\0' || newName[0] == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string from;
    std::string to;
    // Neither name is looked up while the other is refused.
    if (TooLong(existingName) || TooLong(newName)) {
        return Fail(ERROR_FILENAME_EXCED_RANGE);
    }
    if (const DWORD error = Resolve(existingName, from)) {
        return Fail(error);
    }
    if (const DWORD error = Resolve(newName, to)) {
        return Fail(error);
    }
    std::lock_guard<std::mutex> guard(Opened().lock);
    struct stat source;
    if (files::Lstat(from, &source) != 0) {
        return Fail(ErrorFromErrno(errno, from));
    }
    if (IsOpen(source)) {
        return Fail(ERROR_SHARING_VIOLATION);
    }
    struct stat target;
    const bool targetExists = files::Lstat(to, &target) == 0;
    // Renaming a file onto itself (another spelling of its name) replaces nothing.
    if (targetExists && !(target.st_dev == source.st_dev && target.st_ino == source.st_ino)) {
        if ((flags & MOVEFILE_REPLACE_EXISTING) == 0) {
            return Fail(ERROR_ALREADY_EXISTS);
        }
        if (DWORD error = RemovalError(target)) {
            return Fail(error);
        }
    }
    if (files::Rename(from, to) != 0) {
        return Fail(ErrorFromErrno(errno, to));
    }
    files::ForgetListing(from);
    files::ForgetListing(to);
    if ((flags & MOVEFILE_WRITE_THROUGH) != 0) {
        // A rename lives in the folder's entries: flushing the folder makes it survive a power cut.
        const int fd = files::Open(files::FolderOf(to), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
