// The application's message loop between steps: it sleeps, and wakes for a message from another
// thread, a window event and the step's due time on the manual clock, stepping as before.
#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <functional>
#include <thread>

#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/TGameWnd.h"
#include "game_folder.h"
#include "platform/testing/win32.h"
#include "platform/win32/window_internal.h"
#include "support/main_probe.h"
#include "support/scene_probe.h"

namespace {

constexpr UINT kPing = WM_USER + 7;

// Counts frames, title steps and the messages of interest; the driving thread reads them.
class WatchedGameWnd : public TGameWnd {
public:
    WatchedGameWnd()
        : TGameWnd(0, maintest::kGameClass, "Quillmark", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr,
                   nullptr, nullptr, 101, 104)
    {
    }
    bool Frame() override
    {
        if (++frames > 1000) {
            return false;  // a spinning loop ends here and fails the counts
        }
        const bool going = TGameWnd::Frame();
        if (auto* title = dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(*this))) {
            steps.store(TSceneProbe::Counter(*title));
        }
        sdlId.store(SDL_GetWindowID(platform::SdlWindowOf(TMainProbe::Handle(*this))));
        handle.store(TMainProbe::Handle(*this));
        return going;
    }
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == kPing) {
            ++pings;
        } else if (msg == WM_PAINT) {
            ++paints;
        }
        return TGameWnd::WindowProc(hwnd, msg, wParam, lParam);
    }

    std::atomic<int> frames{0};
    std::atomic<std::uint32_t> steps{0};
    std::atomic<int> pings{0};
    std::atomic<int> paints{0};
    std::atomic<Uint32> sdlId{0};
    std::atomic<HWND> handle{nullptr};
};

using GameWndWait = maintest::GameFolderTest;

// Waits (in real time, up to five seconds) until the loop has begun its next wait after `after`.
bool NextWait(unsigned after)
{
    const Uint32 start = SDL_GetTicks();
    while (!(platform::MessageWaitsBegun() > after && platform::IsWaitingForMessage())) {
        if (SDL_GetTicks() - start > 5000) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

}  // namespace

TEST_F(GameWndWait, AWaitingLoopWakesForMessagesEventsAndTheDueStep)
{
    WatchedGameWnd app;
    struct Seen {
        int frames;
        std::uint32_t steps;
        int pings;
        int paints;
    };
    auto seen = [&] { return Seen{app.frames.load(), app.steps.load(), app.pings.load(), app.paints.load()}; };
    auto drive = [&] {
        unsigned waits = platform::MessageWaitsBegun();
        // Each action wakes the loop once; it runs one frame (two when a step is due) and waits again.
        auto act = [&](const std::function<void()>& action) {
            action();
            const bool waited = NextWait(waits);
            waits = platform::MessageWaitsBegun();
            return waited;
        };
        ASSERT_TRUE(NextWait(0));  // the title's first frame found no step due
        waits = platform::MessageWaitsBegun();
        const Seen start = seen();
        EXPECT_EQ(start.steps, 0u);
        EXPECT_LE(start.frames, 2);

        ASSERT_TRUE(act([&] { PostMessageA(app.handle.load(), kPing, 0, 0); }));
        Seen now = seen();
        EXPECT_EQ(now.pings, 1);
        EXPECT_EQ(now.frames, start.frames + 1);
        EXPECT_EQ(now.steps, 0u);

        ASSERT_TRUE(act([&] {
            SDL_Event event{};
            event.type = SDL_WINDOWEVENT;
            event.window.event = SDL_WINDOWEVENT_EXPOSED;
            event.window.windowID = app.sdlId.load();
            SDL_PushEvent(&event);
        }));
        now = seen();
        EXPECT_EQ(now.paints, start.paints + 1);
        EXPECT_EQ(now.frames, start.frames + 2);
        EXPECT_EQ(now.steps, 0u);

        // One step per interval, the catch-up and the carried rest as before.
        ASSERT_TRUE(act([] { platform::ManualClock::Advance(17); }));
        EXPECT_EQ(seen().steps, 1u);
        EXPECT_EQ(seen().frames, start.frames + 4);
        ASSERT_TRUE(act([] { platform::ManualClock::Advance(50); }));  // 1067: 3 more, due again at 1083.3
        EXPECT_EQ(seen().steps, 4u);

        // One millisecond short of due: the loop keeps waiting; the due millisecond wakes it.
        const int before = seen().frames;
        platform::ManualClock::Advance(16);
        SDL_Delay(50);
        EXPECT_EQ(seen().frames, before);
        EXPECT_TRUE(platform::IsWaitingForMessage());
        ASSERT_TRUE(act([] { platform::ManualClock::Advance(1); }));
        EXPECT_EQ(seen().steps, 5u);
        EXPECT_EQ(seen().frames, before + 2);
    };
    std::thread driver([&] {
        drive();  // a failed assertion returns early: the loop is closed all the same
        PostMessageA(app.handle.load(), WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(app.Run(1), 0);
    driver.join();
    EXPECT_LT(app.frames.load(), 20);
}
