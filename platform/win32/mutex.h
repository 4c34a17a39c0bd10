// Named mutexes, used by the game to refuse a second instance.
#pragma once

#include <string>

#include "platform/win32/error.h"
#include "platform/win32/kernel.h"

// A named mutex is machine-wide, as on Windows: it is a lock on a file in the user's runtime
// folder ($QM_RUNTIME_DIR, else $XDG_RUNTIME_DIR, else /tmp), held while the creating handle is
// open. When the name is already held (by this or another process) the handle is still
// returned and GetLastError() is ERROR_ALREADY_EXISTS. Only that existence is modelled: no
// waiting on or releasing the mutex. The security argument is ignored (pass null).
HANDLE CreateMutexA(const void* security, BOOL initialOwner, LPCSTR name);

namespace platform {

// The lock file behind a mutex name; empty when the name is too long.
std::string MutexLockPath(const std::string& name);

}  // namespace platform
