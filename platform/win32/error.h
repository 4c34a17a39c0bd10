// System error texts (FormatMessageA), local memory and the error codes beyond kernel.h.
#pragma once

#include <cstdarg>

#include "platform/win32/kernel.h"

#define ERROR_TOO_MANY_OPEN_FILES 4L
#define ERROR_DISK_FULL 112L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_NEGATIVE_SEEK 131L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_IO_PENDING 997L

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000

#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(primary, sub) \
    (static_cast<WORD>((static_cast<WORD>(sub) << 10) | static_cast<WORD>(primary)))

using HLOCAL = void*;

// Only FORMAT_MESSAGE_FROM_SYSTEM is supported. With FORMAT_MESSAGE_ALLOCATE_BUFFER, buffer
// is really a char** that receives a block to be freed with LocalFree. Every code has a
// text ending in "\r\n"; codes the layer never sets read "Unknown error <code>".
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, va_list* arguments);
HLOCAL LocalFree(HLOCAL memory);
