// Window classes, windows, properties and the message queue, as the game uses them.
// Each window is an SDL window (OpenGL-capable, hidden until shown) whose client area is the
// game area. Main thread only, like the game's windows; only PostMessageA may be called from
// another thread (the message reaches the queue when the main thread next pumps it).
//
// Behaviour the game relies on:
// - CreateWindowExA sends WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, then WM_SIZE with the client
//   size, all through the class's procedure; WM_NCCREATE returning 0 or WM_CREATE returning -1
//   gives a null window.
// - SDL events become posted messages while PeekMessageA / GetMessageA / WaitMessage pump them:
//   close button -> WM_CLOSE, focus -> WM_ACTIVATEAPP, minimise / restore -> WM_SIZE, exposure ->
//   WM_PAINT, keys -> WM_KEYDOWN / WM_KEYUP, SDL_QUIT (a signal) -> WM_CLOSE to every window.
// - Queue order: posted messages, then WM_QUIT, then WM_PAINT.
// - Under the offscreen or dummy video driver there is no window manager and no focus event:
//   showing the first window activates the application (WM_ACTIVATEAPP 1) and hiding the last
//   one deactivates it, so headless runs behave like a focused desktop.
#pragma once

#include "platform/win32/types.h"

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSEXA {
    UINT cbSize;  // sizeof(WNDCLASSEXA), or 48 as a 32-bit build writes it
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
    HICON hIconSm;
};

struct CREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};

struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
using LPMSG = MSG*;

// Messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ACTIVATEAPP 0x001C
#define WM_SETCURSOR 0x0020
#define WM_GETMINMAXINFO 0x0024
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_NCHITTEST 0x0084
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_INITDIALOG 0x0110
#define WM_SYSCOMMAND 0x0112
#define WM_POWERBROADCAST 0x0218
#define WM_IME_SETCONTEXT 0x0281
#define WM_USER 0x0400

// WM_SIZE kinds.
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2
#define SIZE_MAXSHOW 3
#define SIZE_MAXHIDE 4

// WM_SYSCOMMAND commands.
#define SC_SIZE 0xF000
#define SC_MOVE 0xF010
#define SC_MAXIMIZE 0xF030
#define SC_KEYMENU 0xF100
#define SC_MONITORPOWER 0xF170

// WM_POWERBROADCAST events.
#define PBT_APMQUERYSUSPEND 0x0000
#define PBT_APMRESUMESUSPEND 0x0007

// WM_NCHITTEST results.
#define HTCLIENT 1
#define HTCAPTION 2

// Window styles.
#define WS_POPUP 0x80000000u
#define WS_VISIBLE 0x10000000u
#define WS_CAPTION 0x00C00000u
#define CW_USEDEFAULT (static_cast<int>(0x80000000u))

// Class styles.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_BYTEALIGNCLIENT 0x1000

// Window long indices.
#define GWL_WNDPROC (-4)
#define GWL_STYLE (-16)

// ShowWindow commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5
#define SW_SHOWDEFAULT 10

// SetWindowPos.
#define HWND_TOP (static_cast<HWND>(nullptr))
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOACTIVATE 0x0010
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080

// PeekMessageA.
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

// GetStockObject.
#define BLACK_BRUSH 4

// Window-manager error codes (GetLastError).
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_CLASS_DOES_NOT_EXIST 1411L
#define ERROR_CLASS_HAS_WINDOWS 1412L
#define ERROR_INVALID_INDEX 1413L

#define MAKELPARAM(l, h) (static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(l, h))))
#define MAKEWPARAM(l, h) (static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(l, h))))

// Window classes.
ATOM RegisterClassExA(const WNDCLASSEXA* wc);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);

// Windows.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
BOOL ShowWindow(HWND hwnd, int command);
BOOL UpdateWindow(HWND hwnd);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu);
BOOL GetClientRect(HWND hwnd, RECT* rect);
HWND FindWindowA(LPCSTR className, LPCSTR windowName);
HWND GetDesktopWindow();

// Window data. Values are pointer-sized so a window procedure survives the round trip.
LONG_PTR GetWindowLongA(HWND hwnd, int index);
LONG_PTR SetWindowLongA(HWND hwnd, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtrA(HWND hwnd, int index);
LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value);
BOOL SetPropA(HWND hwnd, LPCSTR name, HANDLE data);
HANDLE GetPropA(HWND hwnd, LPCSTR name);
HANDLE RemovePropA(HWND hwnd, LPCSTR name);

// Window procedures.
LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The message queue.
BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL WaitMessage();
// Waits until a message is queued (posted from any thread, or an SDL event turned into one) or
// the time passes: WAIT_OBJECT_0 + count for a message, WAIT_TIMEOUT when the time ran out.
// Only a wait on messages alone is supported (count 0); the time follows timeGetTime, so the
// hand-driven clock ends it too.
#define QS_ALLINPUT 0x04FFu
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                DWORD wakeMask);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// Resources and cursor. Icons and cursors are placeholders: the SDL window shows neither.
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HGDIOBJ GetStockObject(int object);
int ShowCursor(BOOL show);
BOOL GetCursorPos(POINT* point);
