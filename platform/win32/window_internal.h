// What the layer keeps for each window. Only platform code includes this.
#pragma once

#include <SDL.h>

#include <map>
#include <string>

#include "platform/win32/types.h"

struct HWND__ {
    SDL_Window* sdl = nullptr;  // created with SDL_WINDOW_OPENGL, hidden until shown
    Uint32 sdlId = 0;
    std::string className;
    std::string title;  // CP932, as the game gave it
    std::map<std::string, HANDLE> properties;
};

namespace platform {

// Makes a bare window with an SDL window of the given client size; used by the window
// functions and by tests of the graphics layer that need a surface to draw in.
HWND CreateBareWindow(const std::string& title, int width, int height);
void DestroyBareWindow(HWND hwnd);

// The SDL window behind a handle; null when hwnd is not a live window.
SDL_Window* SdlWindowOf(HWND hwnd);

// SDL video is started on first use; false when no video driver works.
bool EnsureVideo();

}  // namespace platform
