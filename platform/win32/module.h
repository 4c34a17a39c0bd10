// Libraries. The layer provides the DirectX modules itself, so loading one of those names succeeds
// without touching the disk; nothing else can be loaded.
#pragma once

#include "platform/win32/types.h"

HMODULE LoadLibraryA(LPCSTR name);
BOOL FreeLibrary(HMODULE module);
