// Files and folders: the CreateFileA family over POSIX.
//
// Paths arrive as CP932 and go to the filesystem as UTF-8, read as the game's system reads them: a
// path of MAX_PATH characters or more (a double-byte character is one) is refused with
// ERROR_FILENAME_EXCED_RANGE before anything else; '\' becomes '/', and repeated separators, "."
// steps and "name\.." pairs are folded out before the disk is asked (whether "name" exists or
// not); a ".." with nothing before it stays (at the root it stays at the root). A name that does
// not exist as written is then looked up case-insensitively, folder by folder. Sharing is
// checked between the handles of this process. The layer never changes file attributes;
// FILE_ATTRIBUTE_READONLY is a file without any write permission bit, and such a file is
// refused for writing even when the process could write it (root).
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32/error.h"
#include "platform/win32/kernel.h"

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u

#define FILE_SHARE_READ 0x00000001

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4

#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu
#define INVALID_FILE_SIZE 0xFFFFFFFFu

#define MOVEFILE_REPLACE_EXISTING 0x00000001
// The rename itself reaches the disk (its folder is flushed) before the call returns.
#define MOVEFILE_WRITE_THROUGH 0x00000008

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
// Everything written to the file is on the disk when this returns TRUE.
BOOL FlushFileBuffers(HANDLE file);
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method);

DWORD GetFileAttributesA(LPCSTR fileName);
BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES security);
BOOL DeleteFileA(LPCSTR fileName);
BOOL MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags);

// Any module is the executable: its full path, CP932.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

int lstrlenA(LPCSTR text);

namespace platform {

// The filesystem path (UTF-8) that a game path (CP932) names, after the mapping above. A name
// spelled in another case is found in its folder's listing: the listings are kept process-wide,
// known by the folder's device and inode (one listing whatever path spells the folder), read again
// when the folder's size or times change (once a clock tick at most while a fresh change could
// still hide behind them), and bounded in folders and in the bytes they hold. Empty when the path
// is refused: too long (ERROR_FILENAME_EXCED_RANGE) or a folder read stopped by the thread's
// FolderReadLimit (folder_listing.h; ERROR_IO_PENDING), that code then being the last error.
std::string HostPath(const std::string& cp932Path);

// A time as the filesystem or the clock gives it: from 1970-01-01 UTC.
struct StampTime {
    std::int64_t seconds = 0;
    std::int32_t nanoseconds = 0;
    bool operator==(const StampTime&) const = default;
};

// What tells an open file from another file and from itself changed: volume and index (device and
// inode: the same file whatever name reached it), size, last write and last status change, and
// the clock's tick when it was taken.
struct FileStamp {
    bool known = false;  // false when the handle could not be asked
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    std::uint64_t size = 0;
    StampTime written;
    StampTime changed;
    StampTime taken;  // the coarse clock's reading, taken before the rest
};
FileStamp StampOf(HANDLE file);
// Whether `now` shows the file `kept` was taken of, unchanged: false when anything differs, and
// false too when `kept` was taken within the clock tick of the file's last change (on a
// whole-second filesystem a later write can carry the very same times) and `now` was taken in a
// later tick: once a tick at most, the same rule the folder listings keep. Never true for a stamp
// not known.
bool SameState(const FileStamp& kept, const FileStamp& now);
// Whether the same file (volume and index), whatever its state.
bool SameFile(const FileStamp& a, const FileStamp& b);

}  // namespace platform
