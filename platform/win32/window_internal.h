// What the layer keeps for each window. Only platform code includes this.
#pragma once

#include <SDL.h>

#include <map>
#include <string>
#include <vector>

#include "platform/win32/types.h"

struct HWND__ {
    SDL_Window* sdl = nullptr;  // created with SDL_WINDOW_OPENGL, hidden until shown
    Uint32 sdlId = 0;
    std::string className;
    std::string title;  // CP932, as the game gave it
    std::map<std::string, HANDLE> properties;  // keys lower-cased: property names ignore case

    LRESULT (*wndProc)(HWND, UINT, WPARAM, LPARAM) = nullptr;  // null: DefWindowProcA
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;
    int x = 0;  // outer (frame) position as the game sees it
    int y = 0;
    int clientWidth = 0;  // last client size reported with WM_SIZE
    int clientHeight = 0;
    bool visible = false;
    bool needsPaint = false;
    bool minimized = false;
    bool destroying = false;
};

namespace platform {

// The SDL window behind a handle; null when hwnd is not a live window.
SDL_Window* SdlWindowOf(HWND hwnd);

// SDL video is started on first use; false when no video driver works.
bool EnsureVideo();

// True for a handle made by CreateBareWindow or CreateWindowExA and not yet destroyed.
bool IsLiveWindow(HWND hwnd);
// The window whose SDL window has this id; null when none.
HWND WindowFromSdlId(Uint32 id);
// Where keyboard messages go: the window with keyboard focus, else the first live window.
HWND KeyboardTargetWindow();
// Adds a window to / removes it from the live set (window.cpp owns creation and destruction).
void AddLiveWindow(HWND hwnd);
void RemoveLiveWindow(HWND hwnd);
// Live windows in creation order, for walks that call no window procedure.
const std::vector<HWND>& LiveWindowsView();

// True on a thread other than the one that owns the message queue (the one that made the first
// window); false before any window was made.
bool IsForeignThread();

// Wakes a thread waiting in MsgWaitForMultipleObjects (the hand-driven clock moved); any thread.
void WakeMessageWait();

// A key went down or up (from SDL or injected): updates the key state and posts
// WM_KEYDOWN / WM_KEYUP (WM_SYSKEY* with Alt) to target, or to KeyboardTargetWindow() when null.
// sideVk is the left/right code of Shift, Ctrl and Alt (0 for other keys).
void ProcessKey(HWND target, int vk, int sideVk, bool down, bool repeat);

// True under the offscreen or dummy video driver: no window manager, no focus events.
bool IsHeadlessVideo();

}  // namespace platform
