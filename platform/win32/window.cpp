#include "platform/win32/window.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "platform/win32/kernel.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/seams.h"
#include "platform/win32/sync.h"
#include "platform/win32/timer.h"
#include "platform/win32/window_internal.h"

namespace platform::seams {

std::atomic<unsigned> g_messageWaitsBegun{0};
std::atomic<bool> g_waitingForMessage{false};

}  // namespace platform::seams

namespace {

// The frame we pretend a captioned window has. On Linux the SDL window's client area is the
// game area and the window manager draws the real frame; these numbers only keep
// AdjustWindowRect and SetWindowPos consistent with each other.
constexpr int kBorder = 3;
constexpr int kCaption = 22;
constexpr int kMenuBar = 20;
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

struct Frame {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

Frame FrameOf(DWORD style)
{
    Frame frame;
    if ((style & WS_CAPTION) == WS_CAPTION) {
        frame = {kBorder, kBorder + kCaption, kBorder, kBorder};
    }
    return frame;
}

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
};

struct State {
    std::vector<WindowClass> classes;
    ATOM nextAtom = 0xC000;  // where Windows starts string atoms
    std::deque<MSG> posted;
    bool quitPending = false;
    int quitCode = 0;
    bool appActive = false;
    int cursorCount = 0;
};

State& S()
{
    static State* state = new State;  // lives for the whole process
    return *state;
}

// The thread that made the first window owns the queue; posts from other threads travel
// through SDL's own (thread-safe) queue and are moved over when the owner pumps.
std::atomic<SDL_threadID> g_queueThread{0};
using platform::seams::g_messageWaitsBegun;
using platform::seams::g_waitingForMessage;

// Two SDL event types of our own: a bare wake-up, and a message posted from another thread.
Uint32 WakeEventType()
{
    static const Uint32 type = SDL_RegisterEvents(2);
    return type;
}

Uint32 ForeignPostEventType()
{
    return WakeEventType() + 1;
}

void ClaimQueue()
{
    SDL_threadID none = 0;
    g_queueThread.compare_exchange_strong(none, SDL_ThreadID());
}

bool OnForeignThread()
{
    const SDL_threadID owner = g_queueThread.load();
    return owner != 0 && owner != SDL_ThreadID();
}

bool EqualsIgnoreCase(const std::string& a, const char* b)
{
    std::size_t n = std::strlen(b);
    if (a.size() != n) {
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y && !(x < 0x80 && y < 0x80 && std::tolower(x) == std::tolower(y))) {
            return false;
        }
    }
    return true;
}

std::string LowerAscii(const char* text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

WindowClass* FindClass(const char* name)
{
    for (WindowClass& wc : S().classes) {
        if (EqualsIgnoreCase(wc.name, name)) {
            return &wc;
        }
    }
    return nullptr;
}

// The window title leaves the game here, so CP932 becomes UTF-8.
std::string TitleToUtf8(const std::string& cp932)
{
    if (cp932.empty()) {
        return {};
    }
    char* utf8 = SDL_iconv_string("UTF-8", "CP932", cp932.c_str(), cp932.size() + 1);
    if (utf8 == nullptr) {
        return {};
    }
    std::string out(utf8);
    SDL_free(utf8);
    return out;
}

bool Live(HWND hwnd)
{
    return platform::IsLiveWindow(hwnd);
}

bool CheckWindow(HWND hwnd)
{
    if (!Live(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    return true;
}

LRESULT CallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC proc = hwnd->wndProc;
    if (proc == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return proc(hwnd, message, wParam, lParam);
}

DWORD Now()
{
    return SDL_WasInit(0) != 0 ? SDL_GetTicks() : 0;
}

void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = Now();
    S().posted.push_back(msg);
}

void PostActivateApp(bool active)
{
    S().appActive = active;
    for (HWND hwnd : platform::LiveWindowsView()) {
        if (!hwnd->destroying) {
            Post(hwnd, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
        }
    }
}

bool AnyVisibleWindow()
{
    for (HWND hwnd : platform::LiveWindowsView()) {
        if (hwnd->visible) {
            return true;
        }
    }
    return false;
}

// Windows activates the application when its window is shown. A window manager tells SDL with a
// focus event; the offscreen and dummy drivers have none, so there showing is activating.
void ShowInternal(HWND hwnd)
{
    if (hwnd->visible) {
        return;
    }
    SDL_ShowWindow(hwnd->sdl);
    hwnd->visible = true;
    hwnd->needsPaint = true;
    bool focused = (SDL_GetWindowFlags(hwnd->sdl) & SDL_WINDOW_INPUT_FOCUS) != 0;
    if (!S().appActive && (focused || platform::IsHeadlessVideo())) {
        PostActivateApp(true);
    }
}

void HideInternal(HWND hwnd)
{
    if (!hwnd->visible) {
        return;
    }
    SDL_HideWindow(hwnd->sdl);
    hwnd->visible = false;
    if (S().appActive && platform::IsHeadlessVideo() && !AnyVisibleWindow()) {
        PostActivateApp(false);
    }
}

// Removes a window for good: queued messages for it go too, so a later window that happens to
// get the same address never receives them.
void FreeWindow(HWND hwnd)
{
    std::deque<MSG>& posted = S().posted;
    posted.erase(std::remove_if(posted.begin(), posted.end(), [hwnd](const MSG& m) { return m.hwnd == hwnd; }),
                 posted.end());
    platform::RemoveLiveWindow(hwnd);
    if (hwnd->sdl != nullptr) {
        SDL_SetWindowHitTest(hwnd->sdl, nullptr, nullptr);
        SDL_DestroyWindow(hwnd->sdl);
    }
    delete hwnd;
}

void SetClientSize(HWND hwnd, int width, int height, WPARAM kind)
{
    hwnd->clientWidth = width;
    hwnd->clientHeight = height;
    SendMessageA(hwnd, WM_SIZE, kind, MAKELPARAM(width, height));
}

// Lets the game's WM_NCHITTEST answer drag the window: HTCAPTION anywhere moves it.
SDL_HitTestResult HitTest(SDL_Window* sdl, const SDL_Point* area, void* data)
{
    HWND hwnd = static_cast<HWND>(data);
    if (!Live(hwnd) || hwnd->destroying) {
        return SDL_HITTEST_NORMAL;
    }
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(sdl, &x, &y);
    LRESULT hit = SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x + area->x, y + area->y));
    return hit == HTCAPTION ? SDL_HITTEST_DRAGGABLE : SDL_HITTEST_NORMAL;
}

void TranslateWindowEvent(const SDL_WindowEvent& event)
{
    HWND hwnd = platform::WindowFromSdlId(event.windowID);
    if (hwnd == nullptr || hwnd->destroying) {
        return;
    }
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        Post(hwnd, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (!S().appActive) {
            PostActivateApp(true);
        }
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (S().appActive) {
            PostActivateApp(false);
        }
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        hwnd->minimized = true;
        Post(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED: {
        hwnd->minimized = false;
        int w = hwnd->clientWidth;
        int h = hwnd->clientHeight;
        SDL_GetWindowSize(hwnd->sdl, &w, &h);
        hwnd->clientWidth = w;
        hwnd->clientHeight = h;
        WPARAM kind = event.event == SDL_WINDOWEVENT_MAXIMIZED ? SIZE_MAXIMIZED : SIZE_RESTORED;
        Post(hwnd, WM_SIZE, kind, MAKELPARAM(w, h));
        break;
    }
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        // Our own SetWindowPos already sent WM_SIZE for this size.
        if (event.data1 != hwnd->clientWidth || event.data2 != hwnd->clientHeight) {
            hwnd->clientWidth = event.data1;
            hwnd->clientHeight = event.data2;
            Post(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(event.data1, event.data2));
        }
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        hwnd->needsPaint = true;
        break;
    default:
        break;
    }
}

void TranslateEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(event.window);
        break;
    case SDL_QUIT:
        // A signal or the session ending: every window is asked to close, as on log-off.
        for (HWND hwnd : platform::LiveWindowsView()) {
            if (!hwnd->destroying) {
                Post(hwnd, WM_CLOSE, 0, 0);
            }
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        int vk = platform::VirtualKeyFromScancode(event.key.keysym.scancode);
        if (vk != 0) {
            int side = platform::SideVirtualKeyFromScancode(event.key.keysym.scancode);
            platform::ProcessKey(platform::WindowFromSdlId(event.key.windowID), vk, side,
                                 event.type == SDL_KEYDOWN, event.key.repeat != 0);
        }
        break;
    }
    default:
        if (event.type == ForeignPostEventType() && event.user.data1 != nullptr) {
            MSG* msg = static_cast<MSG*>(event.user.data1);
            if (msg->hwnd == nullptr || (Live(msg->hwnd) && !msg->hwnd->destroying)) {
                Post(msg->hwnd, msg->message, msg->wParam, msg->lParam);
            }
            delete msg;
        }
        break;
    }
}

void PumpEvents()
{
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
        return;
    }
    ClaimQueue();
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        TranslateEvent(event);
    }
}

bool InRange(UINT message, UINT filterMin, UINT filterMax)
{
    return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

// Queue order: posted messages, then WM_QUIT, then WM_PAINT for windows that need it.
bool TakeMessage(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove)
{
    State& s = S();
    for (auto it = s.posted.begin(); it != s.posted.end(); ++it) {
        if ((filter == nullptr || it->hwnd == filter) && InRange(it->message, filterMin, filterMax)) {
            *msg = *it;
            if (remove) {
                s.posted.erase(it);
            }
            return true;
        }
    }
    // WM_QUIT ignores the range but is a thread message: a window filter never sees it.
    if (s.quitPending && filter == nullptr) {
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(s.quitCode);
        msg->time = Now();
        if (remove) {
            s.quitPending = false;
        }
        return true;
    }
    if (InRange(WM_PAINT, filterMin, filterMax)) {
        for (HWND hwnd : platform::LiveWindowsView()) {
            if (hwnd->visible && hwnd->needsPaint && (filter == nullptr || filter == hwnd)) {
                *msg = MSG{};
                msg->hwnd = hwnd;
                msg->message = WM_PAINT;
                msg->time = Now();
                // The game never calls BeginPaint; taking the message validates the window.
                if (remove) {
                    hwnd->needsPaint = false;
                }
                return true;
            }
        }
    }
    return false;
}

bool AnythingQueued()
{
    MSG msg;
    return TakeMessage(&msg, nullptr, 0, 0, false);
}

void WaitForEvents(int milliseconds = 10)
{
    if (SDL_WasInit(SDL_INIT_EVENTS) != 0) {
        SDL_WaitEventTimeout(nullptr, milliseconds);
    } else {
        SDL_Delay(static_cast<Uint32>(milliseconds));
    }
}

// Placeholders for resources that only need to exist.
char g_iconTag;
char g_cursorTag;
char g_blackBrushTag;

}  // namespace

namespace platform {

void WakeMessageWait()
{
    if (g_waitingForMessage.load() && SDL_WasInit(SDL_INIT_EVENTS) != 0 && WakeEventType() != static_cast<Uint32>(-1)) {
        SDL_Event event{};
        event.type = WakeEventType();
        SDL_PushEvent(&event);
    }
}

bool IsForeignThread()
{
    return OnForeignThread();
}

}  // namespace platform

ATOM RegisterClassExA(const WNDCLASSEXA* wc)
{
    if (wc == nullptr || (wc->cbSize != sizeof(WNDCLASSEXA) && wc->cbSize != 48) || wc->lpszClassName == nullptr ||
        wc->lpszClassName[0] == '\0' || wc->lpfnWndProc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (FindClass(wc->lpszClassName) != nullptr) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    State& s = S();
    if (s.nextAtom == 0) {  // wrapped: every atom handed out
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    WindowClass entry;
    entry.name = wc->lpszClassName;
    entry.atom = s.nextAtom++;
    entry.style = wc->style;
    entry.proc = wc->lpfnWndProc;
    entry.instance = wc->hInstance;
    s.classes.push_back(entry);
    return entry.atom;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE)
{
    if (className == nullptr || FindClass(className) == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    for (HWND hwnd : platform::LiveWindowsView()) {
        if (EqualsIgnoreCase(hwnd->className, className)) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
    }
    std::vector<WindowClass>& classes = S().classes;
    classes.erase(std::remove_if(classes.begin(), classes.end(),
                                 [className](const WindowClass& wc) { return EqualsIgnoreCase(wc.name, className); }),
                  classes.end());
    return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    const WindowClass* wc = className != nullptr ? FindClass(className) : nullptr;
    if (wc == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (!platform::EnsureVideo()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const bool showNow = (style & WS_VISIBLE) != 0;
    style &= ~WS_VISIBLE;  // visibility is kept apart from the style
    const Frame frame = FrameOf(style);
    if (width == CW_USEDEFAULT) {
        width = kDefaultWidth + frame.left + frame.right;
        height = kDefaultHeight + frame.top + frame.bottom;
    }
    const bool placeFreely = x == CW_USEDEFAULT;
    if (placeFreely) {
        x = 0;
        y = 0;
    }
    const int clientWidth = std::max(1, width - frame.left - frame.right);
    const int clientHeight = std::max(1, height - frame.top - frame.bottom);

    std::string title = windowName != nullptr ? windowName : "";
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if ((style & WS_CAPTION) != WS_CAPTION) {
        flags |= SDL_WINDOW_BORDERLESS;
    }
    const int sdlX = placeFreely ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : x + frame.left;
    const int sdlY = placeFreely ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : y + frame.top;
    SDL_Window* sdl = SDL_CreateWindow(TitleToUtf8(title).c_str(), sdlX, sdlY, clientWidth, clientHeight, flags);
    if (sdl == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    ClaimQueue();
    HWND hwnd = new HWND__;
    hwnd->sdl = sdl;
    hwnd->sdlId = SDL_GetWindowID(sdl);
    hwnd->className = wc->name;
    hwnd->title = title;
    hwnd->wndProc = wc->proc;
    hwnd->style = style;
    hwnd->exStyle = exStyle;
    hwnd->parent = parent;
    hwnd->x = x;
    hwnd->y = y;
    hwnd->clientWidth = clientWidth;
    hwnd->clientHeight = clientHeight;
    platform::AddLiveWindow(hwnd);
    SDL_SetWindowHitTest(sdl, HitTest, hwnd);  // unsupported drivers simply never call it

    MINMAXINFO limits{};
    limits.ptMaxSize = {width, height};
    limits.ptMaxTrackSize = {width, height};
    limits.ptMinTrackSize = {frame.left + frame.right + 1, frame.top + frame.bottom + 1};
    SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    if (!Live(hwnd)) {
        return nullptr;
    }

    CREATESTRUCTA create{};
    create.lpCreateParams = param;
    create.hInstance = instance;
    create.hMenu = menu;
    create.hwndParent = parent;
    create.cy = height;
    create.cx = width;
    create.y = y;
    create.x = x;
    create.style = static_cast<LONG>(style);
    create.lpszName = hwnd->title.c_str();
    create.lpszClass = hwnd->className.c_str();
    create.dwExStyle = exStyle;
    if (SendMessageA(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == 0) {
        // Refused: only WM_NCDESTROY follows, as on Windows.
        if (Live(hwnd)) {
            hwnd->destroying = true;
            SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
            FreeWindow(hwnd);
        }
        return nullptr;
    }
    if (!Live(hwnd)) {
        return nullptr;
    }
    if (SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!Live(hwnd)) {
        return nullptr;
    }
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientWidth, clientHeight));
    if (showNow && Live(hwnd)) {
        ShowInternal(hwnd);
    }
    return Live(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd)
{
    if (!CheckWindow(hwnd) || hwnd->destroying) {
        return FALSE;
    }
    hwnd->destroying = true;
    HideInternal(hwnd);
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
    FreeWindow(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd)
{
    return Live(hwnd) ? TRUE : FALSE;
}

BOOL ShowWindow(HWND hwnd, int command)
{
    if (!CheckWindow(hwnd)) {
        return FALSE;
    }
    const bool wasVisible = hwnd->visible;
    if (command == SW_HIDE) {
        HideInternal(hwnd);
    } else {
        ShowInternal(hwnd);
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd)
{
    if (!CheckWindow(hwnd)) {
        return FALSE;
    }
    if (hwnd->visible && hwnd->needsPaint) {
        hwnd->needsPaint = false;
        SendMessageA(hwnd, WM_PAINT, 0, 0);
    }
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags)
{
    if (!CheckWindow(hwnd)) {
        return FALSE;
    }
    const Frame frame = FrameOf(hwnd->style);
    if ((flags & SWP_NOMOVE) == 0) {
        hwnd->x = x;
        hwnd->y = y;
        SDL_SetWindowPosition(hwnd->sdl, x + frame.left, y + frame.top);
    }
    if ((flags & SWP_NOSIZE) == 0) {
        // The size given is the outer size; the SDL window is only the client area.
        const int width = std::max(1, cx - frame.left - frame.right);
        const int height = std::max(1, cy - frame.top - frame.bottom);
        SDL_SetWindowSize(hwnd->sdl, width, height);
        if (width != hwnd->clientWidth || height != hwnd->clientHeight) {
            SetClientSize(hwnd, width, height, SIZE_RESTORED);
            if (!Live(hwnd)) {
                return TRUE;
            }
        }
    }
    if ((flags & SWP_SHOWWINDOW) != 0) {
        ShowInternal(hwnd);
    } else if ((flags & SWP_HIDEWINDOW) != 0) {
        HideInternal(hwnd);
    }
    return TRUE;
}

BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu)
{
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const Frame frame = FrameOf(style);
    rect->left -= frame.left;
    rect->top -= frame.top + (menu ? kMenuBar : 0);
    rect->right += frame.right;
    rect->bottom += frame.bottom;
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect)
{
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (hwnd == GetDesktopWindow()) {
        SDL_Rect bounds;
        if (!platform::EnsureVideo() || SDL_GetDisplayBounds(0, &bounds) != 0) {
            return FALSE;
        }
        *rect = {0, 0, bounds.w, bounds.h};
        return TRUE;
    }
    if (!CheckWindow(hwnd)) {
        return FALSE;
    }
    int width = hwnd->clientWidth;
    int height = hwnd->clientHeight;
    SDL_GetWindowSize(hwnd->sdl, &width, &height);
    *rect = {0, 0, width, height};
    return TRUE;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName)
{
    for (HWND hwnd : platform::LiveWindowsView()) {
        if (hwnd->destroying) {
            continue;
        }
        // Class names ignore case like Windows; titles are CP932 and compared byte for byte.
        if ((className == nullptr || EqualsIgnoreCase(hwnd->className, className)) &&
            (windowName == nullptr || hwnd->title == windowName)) {
            return hwnd;
        }
    }
    return nullptr;
}

HWND GetDesktopWindow()
{
    static HWND desktop = new HWND__;  // never live: it only owns message boxes
    return desktop;
}

LONG_PTR GetWindowLongA(HWND hwnd, int index)
{
    if (!CheckWindow(hwnd)) {
        return 0;
    }
    switch (index) {
    case GWL_WNDPROC:
        return reinterpret_cast<LONG_PTR>(hwnd->wndProc);
    case GWL_STYLE:
        return static_cast<LONG>(hwnd->style | (hwnd->visible ? WS_VISIBLE : 0u));
    default:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

LONG_PTR SetWindowLongA(HWND hwnd, int index, LONG_PTR value)
{
    if (!CheckWindow(hwnd)) {
        return 0;
    }
    const LONG_PTR previous = GetWindowLongA(hwnd, index);
    switch (index) {
    case GWL_WNDPROC:
        hwnd->wndProc = reinterpret_cast<WNDPROC>(value);
        break;
    case GWL_STYLE: {
        // The client area stays as it is; the next SetWindowPos sizes the frame around it.
        hwnd->style = static_cast<DWORD>(value) & ~WS_VISIBLE;
        const bool caption = (hwnd->style & WS_CAPTION) == WS_CAPTION;
        SDL_SetWindowBordered(hwnd->sdl, caption ? SDL_TRUE : SDL_FALSE);
        break;
    }
    default:
        break;  // GetWindowLongA set ERROR_INVALID_INDEX
    }
    return previous;
}

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index)
{
    return GetWindowLongA(hwnd, index);
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value)
{
    return SetWindowLongA(hwnd, index, value);
}

BOOL SetPropA(HWND hwnd, LPCSTR name, HANDLE data)
{
    if (!CheckWindow(hwnd)) {
        return FALSE;
    }
    if (name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    hwnd->properties[LowerAscii(name)] = data;
    return TRUE;
}

HANDLE GetPropA(HWND hwnd, LPCSTR name)
{
    if (!Live(hwnd) || name == nullptr) {
        return nullptr;
    }
    auto it = hwnd->properties.find(LowerAscii(name));
    return it == hwnd->properties.end() ? nullptr : it->second;
}

HANDLE RemovePropA(HWND hwnd, LPCSTR name)
{
    if (!Live(hwnd) || name == nullptr) {
        return nullptr;
    }
    auto it = hwnd->properties.find(LowerAscii(name));
    if (it == hwnd->properties.end()) {
        return nullptr;
    }
    HANDLE data = it->second;
    hwnd->properties.erase(it);
    return data;
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return proc != nullptr ? proc(hwnd, message, wParam, lParam) : 0;
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_NCCREATE:
        return TRUE;  // creation goes on
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_PAINT:
        if (Live(hwnd)) {
            hwnd->needsPaint = false;
        }
        return 0;
    default:
        return 0;
    }
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (msg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    PumpEvents();
    return TakeMessage(msg, hwnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (msg == nullptr || (hwnd != nullptr && !Live(hwnd))) {
        SetLastError(msg == nullptr ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    for (;;) {
        PumpEvents();
        if (TakeMessage(msg, hwnd, filterMin, filterMax, true)) {
            return msg->message == WM_QUIT ? FALSE : TRUE;
        }
        WaitForEvents();
    }
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE*, BOOL, DWORD milliseconds, DWORD)
{
    if (count != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    const DWORD start = timeGetTime();
    g_messageWaitsBegun.fetch_add(1);
    g_waitingForMessage.store(true);
    DWORD result = WAIT_TIMEOUT;
    for (;;) {
        PumpEvents();
        if (AnythingQueued()) {
            result = WAIT_OBJECT_0;
            break;
        }
        const DWORD waited = timeGetTime() - start;
        if (milliseconds != INFINITE && waited >= milliseconds) {
            break;
        }
        // SDL wakes for its own events, our posts from other threads and the hand-driven clock.
        const DWORD left = milliseconds == INFINITE ? 100 : std::min<DWORD>(milliseconds - waited, 100);
        WaitForEvents(static_cast<int>(left));
    }
    g_waitingForMessage.store(false);
    return result;
}

BOOL WaitMessage()
{
    for (;;) {
        PumpEvents();
        if (AnythingQueued()) {
            return TRUE;
        }
        WaitForEvents();
    }
}

BOOL TranslateMessage(const MSG* msg)
{
    if (msg == nullptr || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) {
        return FALSE;
    }
    // Plain ASCII only; nothing in the game reads text input beyond that.
    if (msg->message == WM_KEYDOWN && (GetAsyncKeyState(VK_CONTROL) & 0x8000) == 0) {
        const int vk = static_cast<int>(msg->wParam);
        const bool shift = (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
        int ch = 0;
        if (vk >= 'A' && vk <= 'Z') {
            ch = shift ? vk : vk - 'A' + 'a';
        } else if (vk >= '0' && vk <= '9' && !shift) {
            ch = vk;
        } else if (vk == VK_SPACE || vk == VK_RETURN || vk == VK_BACK || vk == VK_ESCAPE || vk == VK_TAB) {
            ch = vk;
        }
        if (ch != 0) {
            Post(msg->hwnd, WM_CHAR, static_cast<WPARAM>(ch), msg->lParam);
        }
    }
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg)
{
    if (msg == nullptr || !Live(msg->hwnd)) {
        return 0;
    }
    return CallProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!CheckWindow(hwnd)) {
        return 0;
    }
    return CallProc(hwnd, message, wParam, lParam);
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (OnForeignThread()) {
        // The window list belongs to the owner: the handle is checked when the message arrives.
        if (SDL_WasInit(SDL_INIT_EVENTS) == 0 || WakeEventType() == static_cast<Uint32>(-1)) {
            return FALSE;
        }
        SDL_Event event{};
        event.type = ForeignPostEventType();
        event.user.data1 = new MSG{hwnd, message, wParam, lParam, 0, {}};
        if (SDL_PushEvent(&event) != 1) {
            delete static_cast<MSG*>(event.user.data1);
            return FALSE;
        }
        return TRUE;
    }
    if (hwnd != nullptr && !CheckWindow(hwnd)) {
        return FALSE;
    }
    Post(hwnd, message, wParam, lParam);
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    S().quitPending = true;
    S().quitCode = exitCode;
}

HICON LoadIconA(HINSTANCE, LPCSTR)
{
    return reinterpret_cast<HICON>(&g_iconTag);
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR)
{
    return reinterpret_cast<HCURSOR>(&g_cursorTag);
}

HGDIOBJ GetStockObject(int object)
{
    return object == BLACK_BRUSH ? reinterpret_cast<HGDIOBJ>(&g_blackBrushTag) : nullptr;
}

int ShowCursor(BOOL show)
{
    int& count = S().cursorCount;
    count += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        SDL_ShowCursor(count >= 0 ? SDL_ENABLE : SDL_DISABLE);
    }
    return count;
}

BOOL GetCursorPos(POINT* point)
{
    if (point == nullptr || SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return FALSE;
    }
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    *point = {x, y};
    return TRUE;
}
