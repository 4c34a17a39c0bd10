#include "platform/win32/mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

class MutexObject : public platform::KernelObject {
public:
    explicit MutexObject(int fd) : fd_(fd) {}
    ~MutexObject() override
    {
        if (fd_ >= 0) {
            ::close(fd_);  // releases the lock
        }
    }

private:
    int fd_;
};

std::string RuntimeFolder()
{
    for (const char* variable : {"QM_RUNTIME_DIR", "XDG_RUNTIME_DIR"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && value[0] != '\0') {
            return value;
        }
    }
    return "/tmp";
}

// FNV-1a, to keep long names short and still distinct.
std::uint64_t Hash(const std::string& text)
{
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text) {
        h = (h ^ c) * 1099511628211ull;
    }
    return h;
}

DWORD ErrorFromErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case ELOOP:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_INVALID_PARAMETER;
    }
}

}  // namespace

namespace platform {

std::string MutexLockPath(const std::string& name)
{
    if (name.size() > MAX_PATH) {
        return {};
    }
    // Every byte outside a safe set is escaped, so different names never share a file.
    std::string encoded;
    for (unsigned char c : name) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
            c == '_') {
            encoded += static_cast<char>(c);
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", c);
            encoded += escape;
        }
    }
    if (encoded.size() > 160) {  // keep within a file name's 255 bytes
        char hash[20];
        std::snprintf(hash, sizeof hash, "~%016llx", static_cast<unsigned long long>(Hash(name)));
        encoded = encoded.substr(0, 120) + hash;
    }
    // /tmp is shared between users; the uid keeps one user's lock from blocking another's.
    return RuntimeFolder() + "/qm-mutex-" + std::to_string(::getuid()) + "-" + encoded + ".lock";
}

}  // namespace platform

HANDLE CreateMutexA(const void*, BOOL, LPCSTR name)
{
    if (name == nullptr || name[0] == '\0') {
        SetLastError(ERROR_SUCCESS);
        return platform::RegisterHandle(new MutexObject(-1));
    }
    const std::string path = platform::MutexLockPath(name);
    if (path.empty()) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        SetLastError(ErrorFromErrno(errno));
        return nullptr;
    }
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0 && errno == EWOULDBLOCK) {
        // Someone holds the name: Windows hands out a handle to the existing mutex.
        ::close(fd);
        HANDLE handle = platform::RegisterHandle(new MutexObject(-1));
        SetLastError(ERROR_ALREADY_EXISTS);
        return handle;
    }
    if (result != 0) {
        const int error = errno;
        ::close(fd);
        SetLastError(ErrorFromErrno(error));
        return nullptr;
    }
    HANDLE handle = platform::RegisterHandle(new MutexObject(fd));
    SetLastError(ERROR_SUCCESS);
    return handle;
}
