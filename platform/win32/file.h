// Files and folders: the CreateFileA family over POSIX.
//
// Paths arrive as CP932 and go to the filesystem as UTF-8; '\' becomes '/', and a name that
// does not exist as written is looked up case-insensitively, folder by folder. Sharing is
// checked between the handles of this process. The layer never changes file attributes;
// FILE_ATTRIBUTE_READONLY is a file without any write permission bit, and such a file is
// refused for writing even when the process could write it (root).
#pragma once

#include <cstdint>
#include <string>

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

// 100-nanosecond intervals since 1601-01-01 UTC.
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
using LPFILETIME = FILETIME*;

// Each time asked for (any may be null): the creation time is the file's last status change, the
// nearest the filesystem keeps.
BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite);

// What identifies an open file and its state: the volume and file index (device and inode) tell
// which file it is, whatever name reached it; the times are those of GetFileTime.
struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
};
using LPBY_HANDLE_FILE_INFORMATION = BY_HANDLE_FILE_INFORMATION*;
BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);

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
// still hide behind them), and bounded in folders and in names held.
std::string HostPath(const std::string& cp932Path);

// Folder entries read so far, by this thread, to look up names spelled in another case: work a
// caller that prices its own (the script layer) counts as it goes. Every entry readdir gives
// counts, also those of a folder too large to keep; a look-up answered from a kept listing reads none.
std::uint64_t FolderEntriesRead();

}  // namespace platform
