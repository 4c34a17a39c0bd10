#include "platform/win32/module.h"

#include <strings.h>

#include <mutex>

#include "platform/win32/kernel.h"
#include "platform/win32/seams.h"

namespace platform::seams {

BuiltinModule g_builtinModules[kBuiltinModuleCount] = {
    {"DDRAW.DLL", true},
    {"DINPUT.DLL", true},
    {"D3D8.DLL", true},
    {"dpnhpast.dll", true},
};
std::mutex g_builtinModuleLock;

}  // namespace platform::seams

using platform::seams::g_builtinModuleLock;
using platform::seams::g_builtinModules;

HMODULE LoadLibraryA(LPCSTR name)
{
    std::lock_guard<std::mutex> guard(g_builtinModuleLock);
    if (name != nullptr) {
        for (platform::seams::BuiltinModule& m : g_builtinModules) {
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
