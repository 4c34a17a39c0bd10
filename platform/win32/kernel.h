// Kernel-object handles and the thread's last-error code.
#pragma once

#include "platform/win32/types.h"

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_ALREADY_EXISTS 183L

DWORD GetLastError();
void SetLastError(DWORD code);

// Closes any kernel object (file, mutex, event, thread).
BOOL CloseHandle(HANDLE handle);

namespace platform {

// Every kernel object the layer hands out derives from this.
class KernelObject {
public:
    virtual ~KernelObject() = default;
    // Called by CloseHandle; false refuses the close (the handle stays valid).
    virtual bool Close() { return true; }
};

// Registers an object and returns its handle; the layer owns the object until CloseHandle.
HANDLE RegisterHandle(KernelObject* object);
// The object behind a handle, or null for a handle that is not open (or of another type).
KernelObject* LookupHandle(HANDLE handle);
// The same with the handle table already locked by a HandleTableGuard.
KernelObject* LookupHandleLocked(HANDLE handle);
class HandleTableGuard {
public:
    HandleTableGuard();
    ~HandleTableGuard();
    HandleTableGuard(const HandleTableGuard&) = delete;
    HandleTableGuard& operator=(const HandleTableGuard&) = delete;
};
template <typename T>
T* LookupHandleAs(HANDLE handle)
{
    return dynamic_cast<T*>(LookupHandle(handle));
}
// Calls read(object) with the handle table locked, so that another thread's CloseHandle cannot
// destroy the object meanwhile; read gets null for a handle that is not open. read must not call
// back into the handle functions.
template <typename Read>
auto ReadHandle(HANDLE handle, Read read)
{
    HandleTableGuard guard;
    return read(LookupHandleLocked(handle));
}

}  // namespace platform
