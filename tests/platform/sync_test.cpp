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

TEST(Events, ManualResetStaysSignalledUntilReset)
{
    HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(event));
}

TEST(Events, AutoResetReleasesOneWaitPerSignal)
{
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    SetEvent(event);
    SetEvent(event);  // signalling twice still releases one wait
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST(Events, BadHandlesAndNamesFail)
{
    SetLastError(0);
    EXPECT_EQ(CreateEventA(nullptr, TRUE, FALSE, "named"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(event);
    EXPECT_FALSE(SetEvent(event));
    EXPECT_FALSE(ResetEvent(nullptr));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(WaitForSingleObject(INVALID_HANDLE_VALUE, INFINITE), WAIT_FAILED);
}

TEST(WaitForMultiple, LowestSignalledIndexWinsAndOnlyItIsConsumed)
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

    // A bad handle anywhere fails the whole wait, even when another one is signalled.
    HANDLE closed = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    CloseHandle(closed);
    SetEvent(events[0]);
    HANDLE mixed[2] = {events[0], closed};
    EXPECT_EQ(WaitForMultipleObjects(2, mixed, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(0, events, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(3, events, TRUE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0);  // still there
    for (HANDLE e : events) {
        CloseHandle(e);
    }
}

TEST(WaitForMultiple, TimeoutWaitsItsTimeAndSignalFromAnotherThreadWakes)
{
    HANDLE events[2] = {CreateEventA(nullptr, FALSE, FALSE, nullptr), CreateEventA(nullptr, TRUE, FALSE, nullptr)};
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
    CloseHandle(events[0]);
    CloseHandle(events[1]);
}

struct Worker {
    HANDLE started;
    HANDLE release;
    std::atomic<DWORD> seenId{0};
};

DWORD WorkerMain(LPVOID parameter)
{
    auto* w = static_cast<Worker*>(parameter);
    w->seenId = GetCurrentThreadId();
    SetEvent(w->started);
    WaitForSingleObject(w->release, INFINITE);
    return 42;
}

TEST(Threads, HandleSignalsWhenTheThreadReturnsWithItsExitCode)
{
    Worker w;
    w.started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    w.release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, WorkerMain, &w, 0, &id);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(w.started, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(w.seenId.load(), id);
    EXPECT_NE(id, GetCurrentThreadId());

    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT);

    SetEvent(w.release);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);  // stays signalled
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_TRUE(CloseHandle(thread));
    CloseHandle(w.started);
    CloseHandle(w.release);
}

struct Busy {
    HANDLE kick = nullptr;
    HANDLE quit = nullptr;
    std::atomic<int> done{0};
    std::atomic<bool> spin{false};
};

// Does a little work for every kick; spins without waiting while asked to.
DWORD BusyMain(LPVOID parameter)
{
    auto* b = static_cast<Busy*>(parameter);
    HANDLE events[2] = {b->quit, b->kick};
    for (;;) {
        while (b->spin.load()) {
            std::this_thread::yield();
        }
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        ++b->done;
    }
}

TEST(Threads, IdleMeansEveryThreadSleepsWithNothingPendingAndFinishedOnesAreGone)
{
    const std::size_t before = platform::RunningThreadCount();
    Busy b;
    b.kick = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    b.quit = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, BusyMain, &b, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(platform::RunningThreadCount(), before + 1);
    EXPECT_TRUE(platform::WaitForIdleThreads(5000));

    // Not idle until the kick has been taken and its work done.
    SetEvent(b.kick);
    EXPECT_TRUE(platform::WaitForIdleThreads(5000));
    EXPECT_EQ(b.done.load(), 1);
    SetEvent(b.kick);
    EXPECT_TRUE(platform::WaitForIdleThreads(5000));
    EXPECT_EQ(b.done.load(), 2);

    // A thread that never waits is never idle.
    b.spin = true;
    SetEvent(b.kick);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(platform::WaitForIdleThreads(50));
    EXPECT_GE(ElapsedMs(start), 45);
    b.spin = false;
    EXPECT_TRUE(platform::WaitForIdleThreads(5000));
    EXPECT_EQ(b.done.load(), 3);

    SetEvent(b.quit);
    ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(platform::RunningThreadCount(), before);
    EXPECT_TRUE(CloseHandle(thread));  // joins what is left of it
    CloseHandle(b.kick);
    CloseHandle(b.quit);
}

unsigned CrtWorker(void* parameter)
{
    auto* w = static_cast<Worker*>(parameter);
    SetEvent(w->started);
    return WaitForSingleObject(w->release, 5000) == WAIT_OBJECT_0 ? 7 : 8;
}

TEST(Threads, BeginThreadExAndClosingARunningThread)
{
    static Worker w;  // outlives the thread whose handle is closed below
    w.started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    w.release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    unsigned id = 0;
    auto thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, CrtWorker, &w, 0, &id));
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    ASSERT_EQ(WaitForSingleObject(w.started, 5000), WAIT_OBJECT_0);
    // Waiting on the worker and on an event at once: the event comes first.
    HANDLE both[2] = {thread, w.started};
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
    SetEvent(w.release);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 7u);
    CloseHandle(thread);

    // A handle closed while its thread still runs: the thread goes on and finishes.
    ResetEvent(w.release);
    ResetEvent(w.started);
    HANDLE running = CreateThread(nullptr, 0, WorkerMain, &w, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(w.started, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(running));
    SetEvent(w.release);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(CreateThread(nullptr, 0, WorkerMain, &w, CREATE_SUSPENDED, nullptr), nullptr);
    CloseHandle(w.started);
    CloseHandle(w.release);
}

}  // namespace
