#include "platform/win32/sync.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/win32/seams.h"
#include "platform/win32/sync_internal.h"

namespace platform::sync {

std::mutex& SyncLock()
{
    static std::mutex* lock = new std::mutex;  // lives for the whole process
    return *lock;
}

std::condition_variable& SyncChanged()
{
    static std::condition_variable* changed = new std::condition_variable;
    return *changed;
}

std::condition_variable& IdleChanged()
{
    static std::condition_variable* changed = new std::condition_variable;
    return *changed;
}

std::vector<std::shared_ptr<WaitState>>& RunningThreads()
{
    static auto* running = new std::vector<std::shared_ptr<WaitState>>;
    return *running;
}

}  // namespace platform::sync

namespace platform::seams {

std::atomic<bool> g_throwInThreadWait{false};

}  // namespace platform::seams

namespace {

using namespace platform::sync;

thread_local WaitState* t_self = nullptr;  // this thread's state, when we started it

class Waitable : public platform::KernelObject {
public:
    std::shared_ptr<WaitState> state = std::make_shared<WaitState>();
};

class EventObject : public Waitable {};

class ThreadObject : public Waitable {
public:
    ~ThreadObject() override
    {
        if (!thread.joinable()) {
            return;
        }
        bool returned = false;
        {
            std::lock_guard<std::mutex> guard(SyncLock());
            returned = state->signalled;
        }
        // A thread that has returned is joined, so nothing of it outlives its handle; closing
        // the handle of a running thread lets it run on, as the system does.
        if (returned && thread.get_id() != std::this_thread::get_id()) {
            thread.join();
        } else {
            thread.detach();
        }
    }
    std::thread thread;
};

std::atomic<DWORD> g_nextThreadId{1};
thread_local DWORD t_threadId = 0;

// The wait state is copied with the handle table locked: the audio thread sets events that the
// game thread may be closing, and the state must outlive the handle for the one that still uses it.
std::shared_ptr<WaitState> StateOf(HANDLE handle)
{
    return platform::ReadHandle(handle, [](platform::KernelObject* object) {
        auto* waitable = dynamic_cast<Waitable*>(object);
        return waitable ? waitable->state : nullptr;
    });
}

BOOL SetSignalled(HANDLE event, bool signalled)
{
    const std::shared_ptr<WaitState> state = platform::ReadHandle(event, [](platform::KernelObject* object) {
        auto* eventObject = dynamic_cast<EventObject*>(object);
        return eventObject ? eventObject->state : nullptr;
    });
    if (state == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> guard(SyncLock());
        state->signalled = signalled;
    }
    if (signalled) {
        SyncChanged().notify_all();
    } else {
        IdleChanged().notify_all();
    }
    return TRUE;
}

DWORD WaitAny(std::span<const std::shared_ptr<WaitState>> states, DWORD milliseconds)
{
    if (t_self != nullptr && platform::seams::g_throwInThreadWait.exchange(false)) {
        throw std::runtime_error("wait failed");
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock<std::mutex> lock(SyncLock());
    for (;;) {
        for (std::size_t i = 0; i < states.size(); ++i) {
            WaitState& state = *states[i];
            if (state.signalled) {
                if (!state.manualReset) {
                    state.signalled = false;
                }
                return WAIT_OBJECT_0 + static_cast<DWORD>(i);
            }
        }
        if (milliseconds != INFINITE && Clock::now() >= deadline) {
            return WAIT_TIMEOUT;
        }
        if (t_self != nullptr) {
            t_self->sleeping = true;
            t_self->awaited = states;
            IdleChanged().notify_all();
        }
        if (milliseconds == INFINITE) {
            SyncChanged().wait(lock);
        } else {
            SyncChanged().wait_until(lock, deadline);
        }
        if (t_self != nullptr) {
            t_self->sleeping = false;
            t_self->awaited = {};
        }
    }
}

HANDLE StartThread(std::function<DWORD()> body, LPDWORD threadId)
{
    auto* thread = new ThreadObject;
    std::shared_ptr<WaitState> state = thread->state;
    const DWORD id = g_nextThreadId.fetch_add(1);
    {
        std::lock_guard<std::mutex> guard(SyncLock());
        RunningThreads().push_back(state);
    }
    try {
        thread->thread = std::thread([state, body = std::move(body), id] {
            t_threadId = id;
            t_self = state.get();
            const DWORD code = body();
            {
                std::lock_guard<std::mutex> guard(SyncLock());
                state->exitCode = code;
                state->signalled = true;
                std::erase(RunningThreads(), state);
            }
            SyncChanged().notify_all();
            IdleChanged().notify_all();
        });
    } catch (const std::system_error&) {
        {
            std::lock_guard<std::mutex> guard(SyncLock());
            std::erase(RunningThreads(), state);
        }
        delete thread;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId != nullptr) {
        *threadId = id;
    }
    return platform::RegisterHandle(thread);
}

}  // namespace

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    if (name != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* event = new EventObject;
    event->state->manualReset = manualReset != FALSE;
    event->state->signalled = initialState != FALSE;
    SetLastError(ERROR_SUCCESS);
    return platform::RegisterHandle(event);
}

BOOL SetEvent(HANDLE event)
{
    return SetSignalled(event, true);
}

BOOL ResetEvent(HANDLE event)
{
    return SetSignalled(event, false);
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds)
{
    return WaitForMultipleObjects(1, &object, FALSE, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || objects == nullptr || waitAll != FALSE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    // On the stack: the music worker waits every few milliseconds and must not allocate.
    std::array<std::shared_ptr<WaitState>, MAXIMUM_WAIT_OBJECTS> states;
    for (DWORD i = 0; i < count; ++i) {
        states[i] = StateOf(objects[i]);
        if (!states[i]) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }
    return WaitAny(std::span(states.data(), count), milliseconds);
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, std::size_t, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId)
{
    if (start == nullptr || (creationFlags & CREATE_SUSPENDED) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return StartThread([start, parameter] { return start(parameter); }, threadId);
}

std::uintptr_t _beginthreadex(void*, unsigned, unsigned (*start)(void*), void* argument, unsigned initFlag,
                              unsigned* threadId)
{
    if (start == nullptr || (initFlag & CREATE_SUSPENDED) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    DWORD id = 0;
    HANDLE handle = StartThread([start, argument] { return static_cast<DWORD>(start(argument)); }, &id);
    if (handle != nullptr && threadId != nullptr) {
        *threadId = id;
    }
    return reinterpret_cast<std::uintptr_t>(handle);
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode)
{
    const std::shared_ptr<WaitState> state = platform::ReadHandle(thread, [](platform::KernelObject* object) {
        auto* threadObject = dynamic_cast<ThreadObject*>(object);
        return threadObject ? threadObject->state : nullptr;
    });
    if (state == nullptr || exitCode == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(SyncLock());
    *exitCode = state->exitCode;
    return TRUE;
}

DWORD GetCurrentThreadId()
{
    if (t_threadId == 0) {
        t_threadId = g_nextThreadId.fetch_add(1);
    }
    return t_threadId;
}
