#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/testing/win32.h"
#include "platform/win32/sync.h"

namespace {

TEST(Events, ManualStaysSignalledAutoReleasesOneWaitAndBadHandlesFail)
{
    HANDLE manual = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    ASSERT_NE(manual, nullptr);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);

    HANDLE autoReset = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_TIMEOUT);
    SetEvent(autoReset);
    SetEvent(autoReset);  // signalling twice still releases one wait
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_TIMEOUT);
    CloseHandle(autoReset);

    EXPECT_TRUE(CloseHandle(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_FAILED);
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
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0);  // not consumed by the failure

    // A signal from another thread wakes the wait.
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        SetEvent(events[1]);
    });
    EXPECT_EQ(WaitForMultipleObjects(2, events, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
    setter.join();
    for (HANDLE e : events) {
        CloseHandle(e);
    }
}

struct Busy {
    Busy() = default;
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
    ~Busy()
    {
        CloseHandle(kick);
        CloseHandle(quit);
    }
    HANDLE kick = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> seenId{0};
    std::atomic<int> done{0};
};

// Does a little work for every kick, returns 42 on quit.
DWORD BusyMain(LPVOID parameter)
{
    auto* b = static_cast<Busy*>(parameter);
    b->seenId = GetCurrentThreadId();
    HANDLE events[2] = {b->quit, b->kick};
    for (;;) {
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            return 42;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        ++b->done;
    }
}

TEST(Threads, WorkIdleAndExitCodes)
{
    Busy b;
    const std::size_t before = platform::RunningThreadCount();
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, BusyMain, &b, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(platform::RunningThreadCount(), before + 1);
    EXPECT_TRUE(platform::WaitForIdleThreads(5000));
    EXPECT_EQ(b.seenId.load(), id);
    EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT);

    // Not idle until the kick has been taken and its work done.
    SetEvent(b.kick);
    EXPECT_TRUE(platform::WaitForIdleThreads(5000));
    EXPECT_EQ(b.done.load(), 1);

    SetEvent(b.quit);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(platform::RunningThreadCount(), before);
    EXPECT_TRUE(CloseHandle(thread));  // joins what is left of it

    // A handle closed while its thread still runs: the thread goes on, takes its kick and
    // finishes; it is gone before its events are.
    ResetEvent(b.quit);
    EXPECT_TRUE(CloseHandle(CreateThread(nullptr, 0, BusyMain, &b, 0, nullptr)));
    SetEvent(b.kick);
    EXPECT_TRUE(platform::WaitForIdleThreads(5000));
    EXPECT_EQ(b.done.load(), 2);
    SetEvent(b.quit);
    EXPECT_TRUE(platform::WaitForIdleThreads(5000));
    EXPECT_EQ(platform::RunningThreadCount(), before);
}

}  // namespace
