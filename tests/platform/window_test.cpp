#include "platform/testing/win32.h"
#include "platform/win32/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/win32/kernel.h"
#include "platform/win32/window_internal.h"
#include "support/messages.h"

namespace {

struct Seen {
    UINT message;
    LPARAM lParam;
    bool attached;  // the object was bound to the window when the message arrived
};

std::vector<Seen> g_seen;
constexpr const char* kProp = "TestObject";

// Binds the creation parameter on WM_NCCREATE as the game's subclass procedure does.
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    HANDLE object = GetPropA(hwnd, kProp);
    if (object == nullptr && message == WM_NCCREATE) {
        object = reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams;
        SetPropA(hwnd, kProp, object);
    }
    g_seen.push_back({message, lParam, object != nullptr});
    if (message == WM_DESTROY) {
        RemovePropA(hwnd, kProp);
    }
    return message == WM_USER + 1 ? static_cast<LRESULT>(wParam * 2) : DefWindowProcA(hwnd, message, wParam, lParam);
}

template <class T>
std::vector<UINT> Kinds(const std::vector<T>& list)
{
    std::vector<UINT> out;
    for (const T& m : list) {
        out.push_back(m.message);
    }
    return out;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_seen.clear();
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "Test Class";
        ASSERT_NE(RegisterClassExA(&wc), 0);
    }

    void TearDown() override
    {
        for (HWND hwnd : platform::LiveWindowList()) {
            DestroyWindow(hwnd);
        }
        qmtest::TakeAllMessages();
        EXPECT_TRUE(UnregisterClassA("Test Class", nullptr));
    }

    HWND Create(const char* title = "title")
    {
        HWND hwnd = CreateWindowExA(0, "Test Class", title, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr,
                                    nullptr, nullptr, &object_);
        EXPECT_NE(hwnd, nullptr);
        return hwnd;
    }

    static SDL_Event WindowEvent(HWND hwnd, Uint8 kind)
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = SDL_GetWindowID(platform::SdlWindowOf(hwnd));
        event.window.event = kind;
        return event;
    }

    int object_ = 0;
};

TEST_F(WindowTest, CreationAndDestructionReachTheProcedureInWindowsOrder)
{
    HWND hwnd = Create();
    ASSERT_EQ(Kinds(g_seen), (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, WM_SIZE}));
    EXPECT_FALSE(g_seen[0].attached);  // before WM_NCCREATE there is no object yet
    EXPECT_TRUE(g_seen[1].attached);
    EXPECT_EQ(g_seen[3].lParam, MAKELPARAM(640, 480));

    g_seen.clear();
    EXPECT_TRUE(DestroyWindow(hwnd));
    ASSERT_EQ(Kinds(g_seen), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(g_seen[1].attached);  // the property went with WM_DESTROY
    EXPECT_FALSE(IsWindow(hwnd));
}

WNDPROC g_previous = nullptr;

LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == WM_USER + 2 ? 7 : CallWindowProcA(g_previous, hwnd, message, wParam, lParam);
}

TEST_F(WindowTest, SubclassingChainsAndPostedMessagesWaitForDispatchUntilQuit)
{
    HWND hwnd = Create();
    g_previous = reinterpret_cast<WNDPROC>(SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
    EXPECT_EQ(g_previous, &RecordingProc);  // the whole 64-bit pointer came back
    g_seen.clear();
    EXPECT_EQ(SendMessageA(hwnd, WM_USER + 2, 0, 0), 7);
    EXPECT_EQ(SendMessageA(hwnd, WM_USER + 1, 21, 0), 42);  // chained on to the original

    g_seen.clear();
    EXPECT_TRUE(PostMessageA(hwnd, WM_USER + 1, 1, 0));
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
    EXPECT_EQ(msg.wParam, 42u);
    EXPECT_EQ(dispatched, (std::vector<WPARAM>{1, 2}));
    EXPECT_EQ(Kinds(g_seen), (std::vector<UINT>{WM_USER + 1, WM_USER + 1}));
}

TEST_F(WindowTest, SdlEventsBecomeWindowMessages)
{
    HWND hwnd = Create();
    ShowWindow(hwnd, SW_SHOW);
    qmtest::TakeAllMessages();
    for (Uint8 kind : {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_RESTORED,
                       SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_CLOSE}) {
        SDL_Event event = WindowEvent(hwnd, kind);
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
    std::vector<MSG> got = qmtest::TakeAllMessages();
    // Paint only once the queue is empty.
    ASSERT_EQ(Kinds(got), (std::vector<UINT>{WM_ACTIVATEAPP, WM_SIZE, WM_SIZE, WM_ACTIVATEAPP, WM_CLOSE, WM_PAINT}));
    EXPECT_EQ(got[0].wParam, 0u);
    EXPECT_EQ(got[1].wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
    EXPECT_EQ(got[2].wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(got[2].lParam, MAKELPARAM(640, 480));
    EXPECT_EQ(got[3].wParam, 1u);
    EXPECT_EQ(got[4].hwnd, hwnd);

    // The close button through default processing destroys the window.
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
}

// A stop signal reaches SDL as its quit event: the next look at the queue, with no wait, finds a
// close for every live window and nothing else, and no second close follows.
TEST_F(WindowTest, SdlQuitClosesEveryWindowAtTheNextLook)
{
    HWND first = Create("first");
    HWND second = Create("second");
    qmtest::TakeAllMessages();
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    std::vector<HWND> closed;
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
        closed.push_back(msg.hwnd);
    }
    ASSERT_EQ(closed.size(), 2u);
    EXPECT_NE(closed[0], closed[1]);
    for (HWND hwnd : {first, second}) {
        EXPECT_NE(std::find(closed.begin(), closed.end(), hwnd), closed.end());
    }
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, CaptionStyleKeepsA640By480ClientAreaAndFindWindowFindsIt)
{
    HWND hwnd = Create("Quillmark 4章 ～ Solstice ～");
    g_seen.clear();
    // The game's windowed start: caption style, adjusted outer size, hidden reposition.
    SetWindowLongA(hwnd, GWL_STYLE, WS_CAPTION);
    RECT rect{0, 0, 640, 480};
    ASSERT_TRUE(AdjustWindowRect(&rect, WS_CAPTION, FALSE));
    ASSERT_TRUE(SetWindowPos(hwnd, HWND_TOP, 0, 0, rect.right - rect.left, rect.bottom - rect.top, SWP_HIDEWINDOW));
    RECT client{};
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    EXPECT_TRUE(g_seen.empty());  // same client size: no WM_SIZE
    EXPECT_EQ(FindWindowA("test class", "Quillmark 4章 ～ Solstice ～"), hwnd);
}

}  // namespace
