#include "platform/win32/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/kernel.h"
#include "platform/win32/window_internal.h"
#include "support/messages.h"

namespace {

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool attached;  // the object was bound to the window when the message arrived
};

std::vector<Seen> g_seen;
LRESULT g_ncCreateResult = TRUE;
LRESULT g_createResult = 0;
void* g_createParams = nullptr;
CREATESTRUCTA g_createStruct{};

constexpr const char* kProp = "TestObject";

// Binds the creation parameter to the window on WM_NCCREATE, the way the game's own
// subclass procedure does, and records every message with whether the object was there.
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    HANDLE object = GetPropA(hwnd, kProp);
    if (object == nullptr && message == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        g_createParams = cs->lpCreateParams;
        g_createStruct = *cs;
        SetPropA(hwnd, kProp, cs->lpCreateParams);
        object = cs->lpCreateParams;
    }
    g_seen.push_back({message, wParam, lParam, object != nullptr});
    switch (message) {
    case WM_NCCREATE:
        return g_ncCreateResult;
    case WM_CREATE:
        return g_createResult;
    case WM_DESTROY:
        RemovePropA(hwnd, kProp);
        return 0;
    case WM_USER + 1:
        return static_cast<LRESULT>(wParam * 2);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

std::vector<UINT> Messages()
{
    std::vector<UINT> out;
    for (const Seen& s : g_seen) {
        out.push_back(s.message);
    }
    return out;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_seen.clear();
        g_ncCreateResult = TRUE;
        g_createResult = 0;
        g_createParams = nullptr;
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_BYTEALIGNCLIENT | CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = RecordingProc;
        wc.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(101));
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(104));
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = "Test Class";
        atom_ = RegisterClassExA(&wc);
        ASSERT_NE(atom_, 0);
    }

    void TearDown() override
    {
        for (HWND hwnd : platform::LiveWindowList()) {
            DestroyWindow(hwnd);
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        EXPECT_TRUE(UnregisterClassA("Test Class", nullptr));
    }

    HWND Create(const char* title = "title", DWORD style = WS_POPUP, int width = 640, int height = 480)
    {
        HWND hwnd = CreateWindowExA(0, "Test Class", title, style, CW_USEDEFAULT, CW_USEDEFAULT, width, height,
                                    nullptr, nullptr, nullptr, &object_);
        g_seen.clear();
        return hwnd;
    }

    static void PushWindowEvent(HWND hwnd, Uint8 kind, int data1 = 0, int data2 = 0)
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = SDL_GetWindowID(platform::SdlWindowOf(hwnd));
        event.window.event = kind;
        event.window.data1 = data1;
        event.window.data2 = data2;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    ATOM atom_ = 0;
    int object_ = 0;
};

TEST_F(WindowTest, CreationAndDestructionReachTheProcedureInWindowsOrder)
{
    HWND hwnd = CreateWindowExA(0, "Test Class", "title", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr,
                                nullptr, nullptr, &object_);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_EQ(Messages(), (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, WM_SIZE}));
    EXPECT_FALSE(g_seen[0].attached);  // before WM_NCCREATE there is no object yet
    EXPECT_TRUE(g_seen[1].attached);
    EXPECT_EQ(g_createParams, &object_);
    EXPECT_EQ(g_createStruct.cx, 640);
    EXPECT_EQ(g_createStruct.cy, 480);
    EXPECT_EQ(static_cast<DWORD>(g_createStruct.style), WS_POPUP);
    EXPECT_STREQ(g_createStruct.lpszName, "title");
    EXPECT_STREQ(g_createStruct.lpszClass, "Test Class");
    EXPECT_EQ(g_seen[3].wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(g_seen[3].lParam, MAKELPARAM(640, 480));
    EXPECT_EQ(GetPropA(hwnd, kProp), &object_);

    // Created hidden, OpenGL-capable, with the client size asked for.
    SDL_Window* sdl = platform::SdlWindowOf(hwnd);
    ASSERT_NE(sdl, nullptr);
    EXPECT_NE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL, 0u);
    EXPECT_NE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_HIDDEN, 0u);

    g_seen.clear();
    EXPECT_TRUE(DestroyWindow(hwnd));
    ASSERT_EQ(Messages(), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(g_seen[1].attached);  // the property went with WM_DESTROY
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(platform::SdlWindowOf(hwnd), nullptr);
    EXPECT_FALSE(DestroyWindow(hwnd));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowTest, RefusedCreationGivesNoWindow)
{
    g_ncCreateResult = FALSE;
    HWND hwnd = CreateWindowExA(0, "Test Class", "refused", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr,
                                &object_);
    EXPECT_EQ(hwnd, nullptr);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCDESTROY}));
    EXPECT_EQ(FindWindowA("Test Class", "refused"), nullptr);

    g_ncCreateResult = TRUE;
    g_createResult = -1;
    g_seen.clear();
    hwnd = CreateWindowExA(0, "Test Class", "refused", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, &object_);
    EXPECT_EQ(hwnd, nullptr);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_TRUE(platform::LiveWindowList().empty());
}

TEST_F(WindowTest, ClassesAreUniqueByNameIgnoringCase)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "TEST CLASS";
    EXPECT_EQ(RegisterClassExA(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    wc.lpszClassName = "Other";
    wc.cbSize = 48;  // what a 32-bit build writes
    ATOM other = RegisterClassExA(&wc);
    EXPECT_NE(other, 0);
    EXPECT_NE(other, atom_);
    EXPECT_TRUE(UnregisterClassA("other", nullptr));
    EXPECT_FALSE(UnregisterClassA("other", nullptr));

    EXPECT_EQ(CreateWindowExA(0, "No Such Class", "", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));

    HWND hwnd = Create();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(UnregisterClassA("Test Class", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
}

WNDPROC g_previous = nullptr;
std::vector<UINT> g_subclassSeen;

LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_subclassSeen.push_back(message);
    if (message == WM_USER + 2) {
        return 7;
    }
    return CallWindowProcA(g_previous, hwnd, message, wParam, lParam);
}

TEST_F(WindowTest, SubclassingReplacesAndChainsTheProcedure)
{
    HWND hwnd = Create();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(GetWindowLongA(hwnd, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&RecordingProc));

    g_previous = reinterpret_cast<WNDPROC>(SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
    EXPECT_EQ(g_previous, &RecordingProc);  // the whole 64-bit pointer came back
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&SubclassProc));

    g_subclassSeen.clear();
    EXPECT_EQ(SendMessageA(hwnd, WM_USER + 2, 0, 0), 7);
    EXPECT_TRUE(g_seen.empty());
    EXPECT_EQ(SendMessageA(hwnd, WM_USER + 1, 21, 0), 42);  // chained on to the original
    EXPECT_EQ(g_subclassSeen, (std::vector<UINT>{WM_USER + 2, WM_USER + 1}));
    ASSERT_EQ(g_seen.size(), 1u);

    EXPECT_EQ(SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous)),
              reinterpret_cast<LONG_PTR>(&SubclassProc));
    g_subclassSeen.clear();
    SendMessageA(hwnd, WM_USER + 1, 1, 0);
    EXPECT_TRUE(g_subclassSeen.empty());

    EXPECT_EQ(GetWindowLongA(hwnd, 12345), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
}

TEST_F(WindowTest, PropertiesAreNamedIgnoringCaseAndRemovable)
{
    HWND hwnd = Create();
    ASSERT_NE(hwnd, nullptr);
    int a = 0;
    int b = 0;
    EXPECT_TRUE(SetPropA(hwnd, "Slot", &a));
    EXPECT_EQ(GetPropA(hwnd, "SLOT"), &a);
    EXPECT_TRUE(SetPropA(hwnd, "slot", &b));  // same property, replaced
    EXPECT_EQ(GetPropA(hwnd, "Slot"), &b);
    EXPECT_EQ(GetPropA(hwnd, "Other"), nullptr);
    EXPECT_EQ(RemovePropA(hwnd, "Slot"), &b);
    EXPECT_EQ(GetPropA(hwnd, "Slot"), nullptr);
    EXPECT_EQ(RemovePropA(hwnd, "Slot"), nullptr);
    EXPECT_FALSE(SetPropA(nullptr, "Slot", &a));
}

TEST_F(WindowTest, PostedMessagesWaitForDispatchSentOnesDoNot)
{
    HWND hwnd = Create();
    HWND second = Create("second");
    ASSERT_NE(hwnd, nullptr);
    ASSERT_NE(second, nullptr);

    EXPECT_EQ(SendMessageA(hwnd, WM_USER + 1, 5, 0), 10);
    ASSERT_EQ(g_seen.size(), 1u);
    g_seen.clear();

    EXPECT_TRUE(PostMessageA(hwnd, WM_USER + 1, 1, 0));
    EXPECT_TRUE(PostMessageA(second, WM_USER + 3, 2, 0));
    EXPECT_TRUE(PostMessageA(hwnd, WM_USER + 4, 3, 0));
    EXPECT_TRUE(g_seen.empty());

    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));  // still there
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));

    // Filters by window and by range skip earlier messages without disturbing them.
    ASSERT_TRUE(PeekMessageA(&msg, second, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 4, WM_USER + 4, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(DispatchMessageA(&msg), 2);
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

    EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(&object_), WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowTest, QuitComesAfterPostedMessagesAndEndsTheLoopWithItsCode)
{
    HWND hwnd = Create();
    ASSERT_NE(hwnd, nullptr);
    PostMessageA(hwnd, WM_USER + 1, 1, 0);
    PostQuitMessage(42);
    PostMessageA(hwnd, WM_USER + 1, 2, 0);  // posted after the quit, still delivered before it

    MSG msg{};
    std::vector<WPARAM> dispatched;
    BOOL result;
    while ((result = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        dispatched.push_back(msg.wParam);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(result, FALSE);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 42u);
    EXPECT_EQ(dispatched, (std::vector<WPARAM>{1, 2}));

    // A window filter never takes the quit; once taken it is gone.
    PostQuitMessage(3);
    EXPECT_FALSE(PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));  // ranges do not hide it
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, PeekMessageNeverBlocksButGetMessageWaitsForAnEvent)
{
    HWND hwnd = Create();
    ASSERT_NE(hwnd, nullptr);
    qmtest::TakeAllMessages();
    MSG msg;
    Uint64 start = SDL_GetTicks64();
    for (int i = 0; i < 100; ++i) {
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    }
    EXPECT_LT(SDL_GetTicks64() - start, 1000u);

    // A close arriving from SDL later wakes a GetMessageA that is already waiting.
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_TIMER), 0);
    static Uint32 id;
    id = SDL_GetWindowID(platform::SdlWindowOf(hwnd));
    SDL_TimerID timer = SDL_AddTimer(
        100,
        [](Uint32, void*) -> Uint32 {
            SDL_Event event{};
            event.type = SDL_WINDOWEVENT;
            event.window.windowID = id;
            event.window.event = SDL_WINDOWEVENT_CLOSE;
            SDL_PushEvent(&event);
            return 0;
        },
        nullptr);
    ASSERT_NE(timer, 0);
    start = SDL_GetTicks64();
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_GE(SDL_GetTicks64() - start, 50u);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(msg.hwnd, hwnd);
}

TEST_F(WindowTest, SdlEventsBecomeWindowMessages)
{
    HWND hwnd = Create();
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    qmtest::TakeAllMessages();

    PushWindowEvent(hwnd, SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(hwnd, SDL_WINDOWEVENT_MINIMIZED);
    PushWindowEvent(hwnd, SDL_WINDOWEVENT_RESTORED);
    PushWindowEvent(hwnd, SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindowEvent(hwnd, SDL_WINDOWEVENT_EXPOSED);
    PushWindowEvent(hwnd, SDL_WINDOWEVENT_CLOSE);
    std::vector<MSG> got = qmtest::TakeAllMessages();
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_ACTIVATEAPP));
    EXPECT_EQ(got[0].wParam, 0u);
    EXPECT_EQ(got[1].message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(got[1].wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
    EXPECT_EQ(got[2].message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(got[2].wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(got[2].lParam, MAKELPARAM(640, 480));
    EXPECT_EQ(got[3].message, static_cast<UINT>(WM_ACTIVATEAPP));
    EXPECT_EQ(got[3].wParam, 1u);
    EXPECT_EQ(got[4].message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(got[5].message, static_cast<UINT>(WM_PAINT));  // paint only once the queue is empty
    for (const MSG& m : got) {
        EXPECT_EQ(m.hwnd, hwnd);
    }

    // The close button through default processing destroys the window.
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WindowTest, SdlQuitAsksEveryWindowToClose)
{
    HWND a = Create("a");
    HWND b = Create("b");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    qmtest::TakeAllMessages();
    SDL_Event event{};
    event.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    std::vector<MSG> got = qmtest::TakeAllMessages();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(got[1].message, static_cast<UINT>(WM_CLOSE));
    EXPECT_NE(got[0].hwnd, got[1].hwnd);
}

TEST_F(WindowTest, ShowingActivatesAHeadlessRunAndPaintsOnce)
{
    HWND hwnd = Create();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(GetWindowLongA(hwnd, GWL_STYLE) & static_cast<LONG_PTR>(WS_VISIBLE), 0);

    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWDEFAULT));
    EXPECT_EQ(SDL_GetWindowFlags(platform::SdlWindowOf(hwnd)) & SDL_WINDOW_SHOWN, SDL_WINDOW_SHOWN);
    EXPECT_NE(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & WS_VISIBLE, 0u);
    EXPECT_TRUE(UpdateWindow(hwnd));
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_PAINT}));  // sent, not posted
    g_seen.clear();
    EXPECT_TRUE(UpdateWindow(hwnd));
    EXPECT_TRUE(g_seen.empty());

    EXPECT_TRUE(ShowWindow(hwnd, SW_SHOW));  // already visible: no second activation
    std::vector<MSG> got = qmtest::TakeAllMessages();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_ACTIVATEAPP));
    EXPECT_EQ(got[0].wParam, 1u);

    EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
    got = qmtest::TakeAllMessages();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_ACTIVATEAPP));
    EXPECT_EQ(got[0].wParam, 0u);
}

TEST_F(WindowTest, CaptionStyleKeepsA640By480ClientArea)
{
    HWND hwnd = Create();
    ASSERT_NE(hwnd, nullptr);
    RECT client{};
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);

    RECT popup{0, 0, 640, 480};
    ASSERT_TRUE(AdjustWindowRect(&popup, WS_POPUP, FALSE));
    EXPECT_EQ(popup.right - popup.left, 640);
    EXPECT_EQ(popup.bottom - popup.top, 480);

    // The game's windowed start: caption style, adjusted outer size, hidden reposition.
    SetWindowLongA(hwnd, GWL_STYLE, WS_CAPTION);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), WS_CAPTION);
    RECT rect{0, 0, 640, 480};
    ASSERT_TRUE(AdjustWindowRect(&rect, WS_CAPTION, FALSE));
    EXPECT_GT(rect.right - rect.left, 640);
    EXPECT_GT(rect.bottom - rect.top, 480);
    ASSERT_TRUE(SetWindowPos(hwnd, HWND_TOP, 0, 0, rect.right - rect.left, rect.bottom - rect.top, SWP_HIDEWINDOW));
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(platform::SdlWindowOf(hwnd), &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_TRUE(g_seen.empty());  // same client size: no WM_SIZE

    // A real size change is told synchronously, and SDL's own echo of it is not repeated.
    ASSERT_TRUE(SetWindowPos(hwnd, HWND_TOP, 0, 0, 320 + (rect.right - rect.left - 640),
                             240 + (rect.bottom - rect.top - 480), SWP_NOMOVE | SWP_SHOWWINDOW));
    ASSERT_EQ(Messages(), (std::vector<UINT>{WM_SIZE}));
    EXPECT_EQ(g_seen[0].lParam, MAKELPARAM(320, 240));
    for (const MSG& m : qmtest::TakeAllMessages()) {
        EXPECT_NE(m.message, static_cast<UINT>(WM_SIZE));
    }
    EXPECT_NE(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & WS_VISIBLE, 0u);
}

TEST_F(WindowTest, FindWindowMatchesLiveWindowsByClassAndTitle)
{
    HWND hwnd = Create("Quillmark 4章 ～ Solstice ～");
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(FindWindowA("Test Class", "Quillmark 4章 ～ Solstice ～"), hwnd);
    EXPECT_EQ(FindWindowA("test class", nullptr), hwnd);
    EXPECT_EQ(FindWindowA(nullptr, "Quillmark 4章 ～ Solstice ～"), hwnd);
    EXPECT_EQ(FindWindowA("Test Class", "Quillmark"), nullptr);
    EXPECT_EQ(FindWindowA("Other", "Quillmark 4章 ～ Solstice ～"), nullptr);
    // The SDL window shows the title in UTF-8.
    EXPECT_STREQ(SDL_GetWindowTitle(platform::SdlWindowOf(hwnd)), reinterpret_cast<const char*>(u8"Quillmark 4章 ～ Solstice ～"));
    DestroyWindow(hwnd);
    EXPECT_EQ(FindWindowA("Test Class", nullptr), nullptr);
}

TEST_F(WindowTest, DefaultProcessingAndPlaceholders)
{
    HWND hwnd = Create();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(DefWindowProcA(hwnd, WM_NCHITTEST, 0, 0), HTCLIENT);
    EXPECT_EQ(DefWindowProcA(hwnd, WM_USER, 0, 0), 0);

    HWND desktop = GetDesktopWindow();
    EXPECT_NE(desktop, nullptr);
    EXPECT_EQ(desktop, GetDesktopWindow());
    EXPECT_NE(desktop, hwnd);
    EXPECT_NE(LoadIconA(nullptr, MAKEINTRESOURCEA(101)), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, MAKEINTRESOURCEA(104)), nullptr);
    EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);

    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    EXPECT_EQ(DefWindowProcA(hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(BareWindow, StillServesTheGraphicsLayer)
{
    HWND hwnd = platform::CreateBareWindow("bare", 320, 200);
    ASSERT_NE(hwnd, nullptr);
    SDL_Window* sdl = platform::SdlWindowOf(hwnd);
    ASSERT_NE(sdl, nullptr);
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(sdl, &w, &h);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 200);
    EXPECT_EQ(SendMessageA(hwnd, WM_NCHITTEST, 0, 0), HTCLIENT);  // default processing
    platform::DestroyBareWindow(hwnd);
    EXPECT_EQ(platform::SdlWindowOf(hwnd), nullptr);
}

}  // namespace
