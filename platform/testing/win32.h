// Test seams of the Windows services: what tests, benchmarks and tools ask of the layer that
// the game never does. Linked from qm_platform_testing, never into the game.
#pragma once

#include <time.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/d3d8/seams.h"  // RgbaImage
#include "platform/win32/types.h"

namespace platform {

// While enabled, timeGetTime returns a value set by hand and Sleep returns at once, advancing
// that value by the time asked for. Set and Advance (from any thread) wake a thread waiting for
// messages, so its wait ends on the new time.
struct ManualClock {
    static void Enable(DWORD now = 0);
    static void Disable();
    static bool IsEnabled();
    static void Set(DWORD now);
    static void Advance(DWORD milliseconds);
};

// A key press or release through the same path as a real one (key state updated, WM_KEYDOWN /
// WM_KEYUP posted to the focused or first window), and a clean slate.
void InjectKey(int vk, bool down);
void ResetKeyboardState();

struct MessageBoxRecord {
    HWND owner;
    std::string text;     // CP932, as given
    std::string caption;  // CP932, as given
    UINT type;
};
// While a hook is set, boxes go to it instead of the screen or stderr. An empty function
// removes it.
void SetMessageBoxHook(std::function<void(const MessageBoxRecord&)> hook);

// While forced, message boxes act as on a display where SDL's own box fails (a bare X server):
// they write their line on stderr and open the layer's own window, under the offscreen driver too.
void ForceOwnMessageWindow(bool forced);

struct MessageWindowView {
    unsigned windowId;               // SDL's, for the events a test sends it
    std::string title;               // UTF-8
    std::vector<std::string> lines;  // CP932, as wrapped
    RECT okButton;
    RgbaImage picture;  // what the window shows
};
// Called on the main thread once the own window is drawn, and again after each key press or click
// that did not close it; events pushed meanwhile reach it next. An empty function removes it.
void SetMessageWindowObserver(std::function<void(const MessageWindowView&)> observer);

// GetModuleFileNameA reports this CP932 path instead of the executable's; an empty path
// restores the real one.
void OverrideModuleFileName(const std::string& cp932Path);

// Pretend a built-in module is missing (or present again).
void SetModuleAvailable(const std::string& name, bool available);

// Waits until every thread started here that is still running sleeps in a wait with nothing it
// waits for signalled (it has dealt with everything it was woken for). False after the time-out.
bool WaitForIdleThreads(DWORD milliseconds);
// How many threads started here have not returned yet.
std::size_t RunningThreadCount();
// While armed, the next wait made by a thread started here throws std::runtime_error ("wait
// failed") instead of waiting, as a worker's unexpected failure would; that disarms it.
void ThrowInNextThreadWait(bool armed = true);

// While armed, the folder flush after the next write-through MoveFileExA fails (as on a disk
// error after the rename); that disarms it.
void FailNextFolderFlush(bool armed = true);

// Files opened (CreateFileA reaching the system), read() calls made by ReadFile and the bytes
// they read, and folders read whole to find a name spelled in another case, so far.
struct FileCallCounts {
    long opens = 0;
    long reads = 0;
    long long bytes = 0;
    long listings = 0;
};
FileCallCounts FileCalls();
// Runs before each read() a ReadFile makes (on the reading thread) while set: a test changes a file
// under a reader. An empty function removes it.
void BeforeEachFileRead(std::function<void()> hook);

// Case-blind look-ups keep the listings of the folders they read. Forgotten here (with the folder
// reads a FolderReadLimit stopped), so a test that counts their reads starts from none; bounded to
// this many bytes in all (0 restores the layer's own bound). An entry kept costs the bytes of its
// folded name and of its name, and 128 more.
void ForgetFolderListings();
void LimitFolderListingBytes(std::size_t bytes);
// What the kept listings hold: folders, entries (names equal but for case are one) and bytes.
struct FolderListingsHeld {
    std::size_t folders = 0;
    std::size_t entries = 0;
    std::size_t bytes = 0;
};
FolderListingsHeld HeldFolderListings();
// While fed, the listings and the file stamps take `now` for the coarse clock's reading, and
// `times` for every folder's and file's modification and change times; std::nullopt gives back
// the system's.
struct FolderTimes {
    timespec modified;
    timespec changed;
};
void FeedFolderClock(std::optional<timespec> now);
void FeedFolderTimes(std::optional<FolderTimes> times);
// Settings files parsed by the profile functions so far (each lookup is answered from a parse).
long ProfileParses();

// How many message waits have begun, and whether one is in progress now.
unsigned MessageWaitsBegun();
bool IsWaitingForMessage();

// A bare window with an SDL window of the given client size, for tests that need a surface to
// draw in or a window to hand over. It has no window procedure: its messages get default
// processing.
HWND CreateBareWindow(const std::string& title, int width, int height);
void DestroyBareWindow(HWND hwnd);
// Live windows in creation order.
std::vector<HWND> LiveWindowList();

}  // namespace platform
