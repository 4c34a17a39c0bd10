#include "platform/win32/window_internal.h"

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32/window.h"

namespace {

std::vector<HWND>& LiveWindows()
{
    static std::vector<HWND>* windows = new std::vector<HWND>;  // lives for the whole process
    return *windows;
}

// Once per run: why no window can open, for a player who started the game from a terminal.
void ReportNoDisplay(const std::string& reason)
{
    static bool reported = false;
    if (reported) {
        return;
    }
    reported = true;
    std::fprintf(stderr,
                 "no display: %s. The game needs a graphical session (an X11 or Wayland desktop, with DISPLAY "
                 "or WAYLAND_DISPLAY set).\n",
                 reason.c_str());
    std::fflush(stderr);
}

// The GL driver allocates and frees a block for every draw. With glibc's
// own thresholds the heap's top is given back and taken again around them many times a frame,
// or the blocks are mapped and unmapped one by one: the heap keeps its top and serves them
// itself. Set once, before the driver starts; QM_MALLOC_DEFAULTS=1 leaves glibc's thresholds
// (to measure the difference).
void TuneHeap()
{
    static const bool once = [] {
        const char* keep = std::getenv("QM_MALLOC_DEFAULTS");
        if (keep == nullptr || std::strcmp(keep, "1") != 0) {
            mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
            mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
            mallopt(M_TOP_PAD, 4 * 1024 * 1024);
        }
        return true;
    }();
    (void)once;
}

}  // namespace

namespace platform {

bool EnsureVideo()
{
    TuneHeap();
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        // A closed window becomes WM_CLOSE for that window only; SDL must not add a quit of its own.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            ReportNoDisplay(SDL_GetError());
            return false;
        }
        // SDL falls back to its invisible drivers when no desktop answers; a game nobody can see
        // would run for ever, so they are used only when asked for by name (as the tests do).
        const char* asked = std::getenv("SDL_VIDEODRIVER");
        if (IsHeadlessVideo() && (asked == nullptr || *asked == '\0')) {
            const std::string driver = SDL_GetCurrentVideoDriver();
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            ReportNoDisplay("no X11 or Wayland display answered; SDL offered only its \"" + driver + "\" driver");
            return false;
        }
    }
    // Windows get the depth and stencil a device usually asks for, so it can draw straight into them
    // (some drivers fix a window's buffers when it is made).
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    return true;
}

bool IsHeadlessVideo()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

SDL_Window* SdlWindowOf(HWND hwnd)
{
    return IsLiveWindow(hwnd) ? hwnd->sdl : nullptr;
}

bool IsLiveWindow(HWND hwnd)
{
    if (hwnd == nullptr) {
        return false;
    }
    const std::vector<HWND>& windows = LiveWindows();
    return std::find(windows.begin(), windows.end(), hwnd) != windows.end();
}

HWND WindowFromSdlId(Uint32 id)
{
    for (HWND hwnd : LiveWindows()) {
        if (hwnd->sdlId == id && id != 0) {
            return hwnd;
        }
    }
    return nullptr;
}

HWND KeyboardTargetWindow()
{
    SDL_Window* focus = SDL_WasInit(SDL_INIT_VIDEO) != 0 ? SDL_GetKeyboardFocus() : nullptr;
    if (focus != nullptr) {
        if (HWND hwnd = WindowFromSdlId(SDL_GetWindowID(focus))) {
            return hwnd;
        }
    }
    const std::vector<HWND>& windows = LiveWindows();
    return windows.empty() ? nullptr : windows.front();
}

void AddLiveWindow(HWND hwnd)
{
    LiveWindows().push_back(hwnd);
}

void RemoveLiveWindow(HWND hwnd)
{
    std::vector<HWND>& windows = LiveWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), hwnd), windows.end());
}

const std::vector<HWND>& LiveWindowsView()
{
    return LiveWindows();
}

}  // namespace platform
