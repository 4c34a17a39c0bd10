#include "platform/win32/module.h"

#include <strings.h>

#include <mutex>

#include "platform/win32/kernel.h"

namespace {

struct BuiltinModule {
    const char* name;
    bool available;
};

BuiltinModule g_modules[] = {
    {"DDRAW.DLL", true},
    {"DINPUT.DLL", true},
    {"D3D8.DLL", true},
    {"dpnhpast.dll", true},
};
std::mutex g_lock;

}  // namespace

HMODULE LoadLibraryA(LPCSTR name)
{
    std::lock_guard<std::mutex> guard(g_lock);
    if (name != nullptr) {
        for (BuiltinModule& m : g_modules) {
            if (strcasecmp(m.name, name) == 0 && m.available) {
                return reinterpret_cast<HMODULE>(&m);
            }
        }
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

BOOL FreeLibrary(HMODULE module)
{
    return module != nullptr ? TRUE : FALSE;
}

namespace platform {

void SetModuleAvailable(const std::string& name, bool available)
{
    std::lock_guard<std::mutex> guard(g_lock);
    for (BuiltinModule& m : g_modules) {
        if (strcasecmp(m.name, name.c_str()) == 0) {
            m.available = available;
        }
    }
}

}  // namespace platform
