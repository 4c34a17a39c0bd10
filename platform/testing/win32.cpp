#include "platform/testing/win32.h"

#include <strings.h>

#include <condition_variable>
#include <cstring>
#include <mutex>

#include "platform/win32/keyboard.h"
#include "platform/win32/seams.h"
#include "platform/win32/sync_internal.h"
#include "platform/win32/window.h"
#include "platform/win32/window_internal.h"

namespace platform {

void ManualClock::Enable(DWORD now)
{
    seams::g_manualNow.store(now);
    seams::g_manualClock.store(true);
}

void ManualClock::Disable()
{
    seams::g_manualClock.store(false);
}

bool ManualClock::IsEnabled()
{
    return seams::g_manualClock.load();
}

void ManualClock::Set(DWORD now)
{
    seams::g_manualNow.store(now);
    WakeMessageWait();
}

void ManualClock::Advance(DWORD milliseconds)
{
    seams::g_manualNow.fetch_add(milliseconds);
    WakeMessageWait();
}

void InjectKey(int vk, bool down)
{
    if (vk >= VK_LSHIFT && vk <= VK_RMENU) {
        const int generic = VK_SHIFT + (vk - VK_LSHIFT) / 2;
        ProcessKey(nullptr, generic, vk, down, false);
    } else {
        ProcessKey(nullptr, vk, 0, down, false);
    }
}

void ResetKeyboardState()
{
    std::memset(seams::g_keys, 0, sizeof seams::g_keys);
}

void SetMessageBoxHook(std::function<void(const MessageBoxRecord&)> hook)
{
    seams::MessageBoxHook wrapped;
    if (hook) {
        wrapped = [hook = std::move(hook)](HWND owner, const std::string& text, const std::string& caption,
                                           UINT type) { hook(MessageBoxRecord{owner, text, caption, type}); };
    }
    std::lock_guard<std::mutex> guard(seams::g_messageBoxHookLock);
    seams::g_messageBoxHook = std::move(wrapped);
}

void ForceOwnMessageWindow(bool forced)
{
    seams::g_ownMessageWindowForced.store(forced);
}

void SetMessageWindowObserver(std::function<void(const MessageWindowView&)> observer)
{
    if (!observer) {
        seams::g_messageWindowObserver = nullptr;
        return;
    }
    seams::g_messageWindowObserver = [observer = std::move(observer)](const seams::MessageWindowShown& shown) {
        MessageWindowView view{shown.windowId, shown.title, *shown.lines,
                               RECT{shown.okX, shown.okY, shown.okX + shown.okWidth, shown.okY + shown.okHeight}, {}};
        view.picture.width = shown.width;
        view.picture.height = shown.height;
        for (int i = 0; i < shown.width * shown.height; ++i) {
            const std::uint32_t argb = shown.pixels[i];
            view.picture.pixels.insert(view.picture.pixels.end(),
                                       {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
                                        static_cast<std::uint8_t>(argb), static_cast<std::uint8_t>(argb >> 24)});
        }
        observer(view);
    };
}

void OverrideModuleFileName(const std::string& cp932Path)
{
    seams::ModuleNameOverride& module = seams::ModuleName();
    std::lock_guard<std::mutex> guard(module.lock);
    module.path = cp932Path;
}

void SetModuleAvailable(const std::string& name, bool available)
{
    std::lock_guard<std::mutex> guard(seams::g_builtinModuleLock);
    for (seams::BuiltinModule& m : seams::g_builtinModules) {
        if (strcasecmp(m.name, name.c_str()) == 0) {
            m.available = available;
        }
    }
}

bool WaitForIdleThreads(DWORD milliseconds)
{
    using sync::WaitState;
    const auto idle = [] {
        for (const std::shared_ptr<WaitState>& thread : sync::RunningThreads()) {
            if (!thread->sleeping || thread->awaited.empty()) {
                return false;
            }
            for (const std::shared_ptr<WaitState>& object : thread->awaited) {
                if (object->signalled) {
                    return false;
                }
            }
        }
        return true;
    };
    std::unique_lock<std::mutex> lock(sync::SyncLock());
    return sync::IdleChanged().wait_for(lock, std::chrono::milliseconds(milliseconds), idle);
}

std::size_t RunningThreadCount()
{
    std::lock_guard<std::mutex> guard(sync::SyncLock());
    return sync::RunningThreads().size();
}

void ThrowInNextThreadWait(bool armed)
{
    seams::g_throwInThreadWait.store(armed);
}

void FailNextFolderFlush(bool armed)
{
    seams::g_failNextFolderFlush.store(armed);
}

void BeforeEachFileRead(std::function<void()> hook)
{
    std::lock_guard<std::mutex> guard(seams::g_beforeFileReadLock);
    seams::g_beforeFileReadSet.store(static_cast<bool>(hook));
    seams::g_beforeFileRead = std::move(hook);
}

FileCallCounts FileCalls()
{
    return {seams::g_fileOpens.load(), seams::g_fileReads.load(), seams::g_fileBytesRead.load(),
            seams::g_folderListings.load()};
}

void ForgetFolderListings()
{
    seams::ForgetFolderListings();
}

void LimitFolderListingBytes(std::size_t bytes)
{
    seams::g_folderListingBytes.store(bytes);
}

FolderListingsHeld HeldFolderListings()
{
    const seams::ListingsHeld held = seams::HeldFolderListings();
    return {held.folders, held.entries, held.bytes};
}

namespace {

void UpdateFedFolderClock(const std::function<void(seams::FolderClock&)>& update)
{
    seams::FolderClock& fed = seams::FedFolderClock();
    std::lock_guard<std::mutex> guard(fed.lock);
    update(fed);
    seams::g_folderClockFed.store(fed.clockFed || fed.timesFed);
}

}  // namespace

void FeedFolderClock(std::optional<timespec> now)
{
    UpdateFedFolderClock([&](seams::FolderClock& fed) {
        fed.clockFed = now.has_value();
        fed.now = now.value_or(timespec{});
    });
}

void FeedFolderTimes(std::optional<FolderTimes> times)
{
    UpdateFedFolderClock([&](seams::FolderClock& fed) {
        fed.timesFed = times.has_value();
        fed.modified = times ? times->modified : timespec{};
        fed.changed = times ? times->changed : timespec{};
    });
}

long ProfileParses()
{
    return seams::g_profileParses.load();
}

unsigned MessageWaitsBegun()
{
    return seams::g_messageWaitsBegun.load();
}

bool IsWaitingForMessage()
{
    return seams::g_waitingForMessage.load();
}

HWND CreateBareWindow(const std::string& title, int width, int height)
{
    if (!EnsureVideo()) {
        return nullptr;
    }
    SDL_Window* sdl = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                       width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (sdl == nullptr) {
        return nullptr;
    }
    HWND hwnd = new HWND__;
    hwnd->sdl = sdl;
    hwnd->sdlId = SDL_GetWindowID(sdl);
    hwnd->title = title;
    hwnd->style = WS_POPUP;
    hwnd->clientWidth = width;
    hwnd->clientHeight = height;
    AddLiveWindow(hwnd);
    return hwnd;
}

void DestroyBareWindow(HWND hwnd)
{
    DestroyWindow(hwnd);
}

std::vector<HWND> LiveWindowList()
{
    return LiveWindowsView();
}

}  // namespace platform
