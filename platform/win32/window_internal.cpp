#include "platform/win32/window_internal.h"

#include <set>

namespace {

std::set<HWND>& LiveWindows()
{
    static std::set<HWND> windows;
    return windows;
}

}  // namespace

namespace platform {

bool EnsureVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        return true;
    }
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
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
    LiveWindows().insert(hwnd);
    return hwnd;
}

void DestroyBareWindow(HWND hwnd)
{
    if (LiveWindows().erase(hwnd) == 0) {
        return;
    }
    if (hwnd->sdl != nullptr) {
        SDL_DestroyWindow(hwnd->sdl);
    }
    delete hwnd;
}

SDL_Window* SdlWindowOf(HWND hwnd)
{
    return LiveWindows().count(hwnd) != 0 ? hwnd->sdl : nullptr;
}

}  // namespace platform
