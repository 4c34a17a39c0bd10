#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/win32/sync.h"

namespace {

using Clock = std::chrono::steady_clock;

long ElapsedMs(Clock::time_point start)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

TEST(Events, ManualStaysSignalledAutoReleasesOneWaitAndBadHandlesFail)
{
    HANDLE manual = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    ASSERT_NE(manual, nullptr);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, INFINITE), WAIT_OBJECT_0);

    HANDLE autoReset = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_TIMEOUT);
    SetEvent(autoReset);
    SetEvent(autoReset);  // signalling twice still releases one wait
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_TIMEOUT);
    CloseHandle(autoReset);

    EXPECT_TRUE(CloseHandle(manual));
    EXPECT_FALSE(SetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(WaitForSingleObject(INVALID_HANDLE_VALUE, INFINITE), WAIT_FAILED);
    EXPECT_EQ(CreateEventA(nullptr, TRUE, FALSE, "named"), nullptr);
}

TEST(WaitForMultiple, LowestSignalledIndexWinsAndABadHandleFailsTheWait)
{
    HANDLE events[3];
    for (HANDLE& e : events) {
        e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_TIMEOUT);
    SetEvent(events[2]);
    SetEvent(events[1]);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, INFINITE), WAIT_OBJECT_0 + 2);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_TIMEOUT);

    HANDLE closed = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    CloseHandle(closed);
    SetEvent(events[0]);
    HANDLE mixed[2] = {events[0], closed};
    EXPECT_EQ(WaitForMultipleObjects(2, mixed, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(0, events, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(3, events, TRUE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0);  // not consumed by the failures

    // A timeout waits its time; a signal from another thread wakes the wait.
    Clock::time_point start = Clock::now();
    EXPECT_EQ(WaitForMultipleObjects(2, events, FALSE, 60), WAIT_TIMEOUT);
    EXPECT_GE(ElapsedMs(start), 60);
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        SetEvent(events[1]);
    });
    start = Clock::now();
    EXPECT_EQ(WaitForMultipleObjects(2, events, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
    EXPECT_GE(ElapsedMs(start), 20);
    setter.join();
    for (HANDLE e : events) {
        CloseHandle(e);
    }
}

struct Busy {
    HANDLE kick = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> seenId{0};
    std::atomic<int> done{0};
    std::atomic<bool> spin{false};
};

// Does a little work for every kick, spins without waiting while asked to, returns 42 on quit.
DWORD BusyMain(LPVOID parameter)
{
    auto* b = static_cast<Busy*>(parameter);
    b->seenId = GetCurrentThreadId();
    HANDLE events[2] = {b->quit, b->kick};
    for (;;) {
        while (b->spin.load()) {
            std::this_thread::yield();
        }
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            return 42;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        ++b->done;
    }
}

TEST(Threads, WorkIdleAndExitCodes)
{
    static Busy b;  // outlives the thread whose handle is closed while it runs
    const std::size_t before = platform::RunningThreadCount();
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, BusyMain, &b, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(platform::RunningThreadCount(), before + 1);
    EXPECT_TRUE(platform::WaitForIdleThreads(5000));
    EXPECT_EQ(b.seenId.load(), id);
    EXPECT_NE(id, GetCurrentThreadId());
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT);

    // Not idle until the kick has been taken and its work done.
    SetEvent(b.kick);
    EXPECT_TRUE(platform::WaitForIdleThreads(5000));
    EXPECT_EQ(b.done.load(), 1);
    // A thread that never waits is never idle.
    b.spin = true;
    SetEvent(b.kick);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(platform::WaitForIdleThreads(50));
    EXPECT_GE(ElapsedMs(start), 45);
    b.spin = false;
    EXPECT_TRUE(platform::WaitForIdleThreads(5000));
    EXPECT_EQ(b.done.load(), 2);

    SetEvent(b.quit);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);  // stays signalled
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(platform::RunningThreadCount(), before);
    EXPECT_TRUE(CloseHandle(thread));  // joins what is left of it

    // A handle closed while its thread still runs: the thread goes on and finishes.
    ResetEvent(b.quit);
    EXPECT_TRUE(CloseHandle(CreateThread(nullptr, 0, BusyMain, &b, 0, nullptr)));
    SetEvent(b.quit);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(CreateThread(nullptr, 0, BusyMain, &b, CREATE_SUSPENDED, nullptr), nullptr);
}

}  // namespace
