// State behind the test seams of platform/testing/: the layer's own code reads it, only the
// testing library changes it. Only platform code includes this.
#pragma once

#include <time.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/types.h"

namespace platform::seams {

// Files opened, read() calls made for reads and the bytes they brought, counted for the loading
// benchmark and the tests of what a loader reads.
extern std::atomic<long> g_fileOpens;
extern std::atomic<long> g_fileReads;
extern std::atomic<long long> g_fileBytesRead;
// While g_beforeFileReadSet, g_beforeFileRead runs before each read() a ReadFile makes.
extern std::atomic<bool> g_beforeFileReadSet;
extern std::mutex g_beforeFileReadLock;
extern std::function<void()> g_beforeFileRead;
// Folders read whole for a case-blind look-up.
extern std::atomic<long> g_folderListings;
// The bytes the kept folder listings may hold in all; 0 is the layer's own bound.
extern std::atomic<std::size_t> g_folderListingBytes;
// Forgets the kept listings and closes the stopped folder reads.
void ForgetFolderListings();
// What the kept listings hold, as their bound counts it.
struct ListingsHeld {
    std::size_t folders = 0;
    std::size_t entries = 0;
    std::size_t bytes = 0;
};
ListingsHeld HeldFolderListings();
// While g_folderClockFed is set, the folder listings and the file stamps take the fed clock reading
// and times (each while its flag is set) instead of the system's.
struct FolderClock {
    std::mutex lock;
    bool clockFed = false;
    timespec now{};
    bool timesFed = false;
    timespec modified{};
    timespec changed{};
};
extern std::atomic<bool> g_folderClockFed;
FolderClock& FedFolderClock();
// Settings files parsed by the profile functions.
extern std::atomic<long> g_profileParses;

// The hand-driven clock: while g_manualClock is set, timeGetTime returns g_manualNow and Sleep
// advances it instead of sleeping.
extern std::atomic<bool> g_manualClock;
extern std::atomic<DWORD> g_manualNow;

// The layer's keyboard state, one byte per virtual key (main thread).
extern BYTE g_keys[256];

// While set, message boxes go here instead of the screen or stderr; text and caption are CP932.
using MessageBoxHook = std::function<void(HWND owner, const std::string& text, const std::string& caption, UINT type)>;
extern std::mutex g_messageBoxHookLock;
extern MessageBoxHook g_messageBoxHook;

// While set, message boxes act as on a display where SDL's own box fails: they open the layer's
// own window, under the offscreen driver too.
extern std::atomic<bool> g_ownMessageWindowForced;

// What the own message window shows, as it is drawn.
struct MessageWindowShown {
    std::uint32_t windowId = 0;  // SDL's id, for events sent to it
    std::string title;           // UTF-8
    const std::vector<std::string>* lines = nullptr;  // CP932, as wrapped
    int width = 0;
    int height = 0;
    const std::uint32_t* pixels = nullptr;  // 0xAARRGGBB, width a row, rows from the top
    int okX = 0;  // the OK button
    int okY = 0;
    int okWidth = 0;
    int okHeight = 0;
};
// Called (main thread) after the window is first drawn and after each key press or click that did
// not close it.
extern std::function<void(const MessageWindowShown&)> g_messageWindowObserver;

// GetModuleFileNameA reports this CP932 path instead of the executable's when it is not empty.
struct ModuleNameOverride {
    std::mutex lock;
    std::string path;
};
ModuleNameOverride& ModuleName();

// The DirectX modules LoadLibraryA finds without touching the disk.
struct BuiltinModule {
    const char* name;
    bool available;
};
constexpr int kBuiltinModuleCount = 4;
extern BuiltinModule g_builtinModules[kBuiltinModuleCount];
extern std::mutex g_builtinModuleLock;

// Message waits begun so far, and whether one is in progress now.
extern std::atomic<unsigned> g_messageWaitsBegun;
extern std::atomic<bool> g_waitingForMessage;

// When set, the next wait of a thread started here throws instead of waiting (cleared as it does).
extern std::atomic<bool> g_throwInThreadWait;

// When set, the folder flush after the next write-through rename fails (cleared as it does).
extern std::atomic<bool> g_failNextFolderFlush;

}  // namespace platform::seams
