#include "platform/win32/kernel.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

thread_local DWORD g_lastError = ERROR_SUCCESS;

struct HandleTable {
    std::mutex lock;
    std::unordered_map<HANDLE, std::unique_ptr<platform::KernelObject>> objects;
};

HandleTable& Table()
{
    static HandleTable* table = new HandleTable;  // lives for the whole process
    return *table;
}

}  // namespace

DWORD GetLastError()
{
    return g_lastError;
}

void SetLastError(DWORD code)
{
    g_lastError = code;
}

namespace platform {

HANDLE RegisterHandle(KernelObject* object)
{
    HandleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    HANDLE handle = static_cast<HANDLE>(object);
    table.objects[handle].reset(object);
    return handle;
}

KernelObject* LookupHandle(HANDLE handle)
{
    HandleTableGuard guard;
    return LookupHandleLocked(handle);
}

KernelObject* LookupHandleLocked(HANDLE handle)
{
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    HandleTable& table = Table();
    auto it = table.objects.find(handle);
    return it == table.objects.end() ? nullptr : it->second.get();
}

HandleTableGuard::HandleTableGuard()
{
    Table().lock.lock();
}

HandleTableGuard::~HandleTableGuard()
{
    Table().lock.unlock();
}

}  // namespace platform

BOOL CloseHandle(HANDLE handle)
{
    HandleTable& table = Table();
    std::unique_ptr<platform::KernelObject> object;
    {
        std::lock_guard<std::mutex> guard(table.lock);
        auto it = table.objects.find(handle);
        if (it == table.objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (!it->second->Close()) {
            return FALSE;
        }
        object = std::move(it->second);
        table.objects.erase(it);
    }
    return TRUE;  // the object is destroyed outside the lock
}
