#include "TCommon/FileFailure.h"

#include "platform/win32/error.h"

std::string SystemErrorText(DWORD code)
{
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text,
                                        sizeof(text), nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) {
        reason.pop_back();
    }
    return reason;
}

std::string FileFailureText(const std::string& name)
{
    return FileFailureText(name, GetLastError());
}

std::string FileFailureText(const std::string& name, DWORD error)
{
    // Missing, cut short, or not a file the game may read (a folder under its name): the name says it.
    if (error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_ACCESS_DENIED) {
        return name;
    }
    std::string reason = SystemErrorText(error);
    if (reason.empty()) {
        reason = "error " + std::to_string(error);
    }
    return name + " : " + reason;
}
