#include "platform/win32/error.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* KnownText(DWORD code)
{
    switch (code) {
    case ERROR_SUCCESS: return "Success";
    case ERROR_FILE_NOT_FOUND: return "No such file";
    case ERROR_PATH_NOT_FOUND: return "No such folder in the path";
    case ERROR_TOO_MANY_OPEN_FILES: return "Too many open files";
    case ERROR_ACCESS_DENIED: return "Access denied";
    case ERROR_INVALID_HANDLE: return "Invalid handle";
    case ERROR_NOT_ENOUGH_MEMORY: return "Out of memory";
    case ERROR_SHARING_VIOLATION: return "The file is in use by another open handle";
    case ERROR_FILE_EXISTS: return "The file exists";
    case ERROR_INVALID_PARAMETER: return "Invalid parameter";
    case ERROR_DISK_FULL: return "No space left on the device";
    case ERROR_INSUFFICIENT_BUFFER: return "Buffer too small";
    case ERROR_NEGATIVE_SEEK: return "Seek before the start of the file";
    case ERROR_ALREADY_EXISTS: return "Already exists";
    case ERROR_FILENAME_EXCED_RANGE: return "The file name is too long";
    default: return nullptr;
    }
}

}  // namespace

DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPSTR buffer, DWORD size, va_list*)
{
    if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char* known = KnownText(messageId);
    std::string text = known != nullptr ? known : "Unknown error " + std::to_string(messageId);
    text += "\r\n";

    if ((flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
        // size is then the minimum to allocate.
        size_t bytes = text.size() + 1 > size ? text.size() + 1 : size;
        char* block = static_cast<char*>(std::malloc(bytes));
        if (block == nullptr) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        std::memcpy(block, text.c_str(), text.size() + 1);
        *reinterpret_cast<char**>(buffer) = block;
        return static_cast<DWORD>(text.size());
    }
    if (text.size() + 1 > size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

HLOCAL LocalFree(HLOCAL memory)
{
    std::free(memory);
    return nullptr;
}
