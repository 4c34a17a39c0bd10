#include "platform/win32/keyboard.h"

#include <SDL.h>

#include <cstring>

#include "platform/win32/seams.h"
#include "platform/win32/window.h"
#include "platform/win32/window_internal.h"

namespace platform::seams {

BYTE g_keys[256];

}  // namespace platform::seams

namespace {

using platform::seams::g_keys;

bool Held(int vk)
{
    return (g_keys[vk] & 0x80) != 0;
}

void SetHeld(int vk, bool down)
{
    if (down && !Held(vk)) {
        g_keys[vk] ^= 0x01;  // toggled on each press, as Caps Lock's light is
    }
    g_keys[vk] = static_cast<BYTE>(down ? (g_keys[vk] | 0x80) : (g_keys[vk] & ~0x80));
}

}  // namespace

BOOL GetKeyboardState(BYTE* state)
{
    if (state == nullptr) {
        return FALSE;
    }
    std::memcpy(state, g_keys, sizeof g_keys);
    return TRUE;
}

SHORT GetAsyncKeyState(int vk)
{
    if (vk <= 0 || vk > 255) {
        return 0;
    }
    return Held(vk) ? static_cast<SHORT>(0x8000) : 0;
}

namespace platform {

// Physical positions on the JIS 106/109 keyboard: the key SDL calls '=' is '^', '[' is '@',
// and so on, which is what the virtual-key codes of a Japanese Windows report.
int VirtualKeyFromScancode(int sdlScancode)
{
    const int sc = sdlScancode;
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) {
        return 'A' + (sc - SDL_SCANCODE_A);
    }
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) {
        return '1' + (sc - SDL_SCANCODE_1);
    }
    if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) {
        return VK_F1 + (sc - SDL_SCANCODE_F1);
    }
    if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) {
        return VK_NUMPAD1 + (sc - SDL_SCANCODE_KP_1);
    }
    switch (sc) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_MINUS: return VK_OEM_MINUS;
    case SDL_SCANCODE_EQUALS: return VK_OEM_7;          // ^
    case SDL_SCANCODE_LEFTBRACKET: return VK_OEM_3;     // @
    case SDL_SCANCODE_RIGHTBRACKET: return VK_OEM_4;    // [
    case SDL_SCANCODE_BACKSLASH: return VK_OEM_6;       // ] (some JIS boards report it here)
    case SDL_SCANCODE_NONUSHASH: return VK_OEM_6;       // ]
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_PLUS;    // ;
    case SDL_SCANCODE_APOSTROPHE: return VK_OEM_1;      // :
    case SDL_SCANCODE_COMMA: return VK_OEM_COMMA;
    case SDL_SCANCODE_PERIOD: return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return VK_OEM_2;
    case SDL_SCANCODE_INTERNATIONAL1: return VK_OEM_102;  // ＼ (ro)
    case SDL_SCANCODE_NONUSBACKSLASH: return VK_OEM_102;
    case SDL_SCANCODE_INTERNATIONAL3: return VK_OEM_5;    // yen
    case SDL_SCANCODE_CAPSLOCK: return VK_CAPITAL;
    case SDL_SCANCODE_PRINTSCREEN: return VK_SNAPSHOT;
    case SDL_SCANCODE_SCROLLLOCK: return VK_SCROLL;
    case SDL_SCANCODE_PAUSE: return VK_PAUSE;
    case SDL_SCANCODE_INSERT: return VK_INSERT;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDL_SCANCODE_KP_DIVIDE: return VK_DIVIDE;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_PERIOD: return VK_DECIMAL;
    case SDL_SCANCODE_APPLICATION: return VK_APPS;
    case SDL_SCANCODE_LGUI: return VK_LWIN;
    case SDL_SCANCODE_RGUI: return VK_RWIN;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return VK_SHIFT;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return VK_CONTROL;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return VK_MENU;
    default: return 0;
    }
}

int SideVirtualKeyFromScancode(int sdlScancode)
{
    switch (sdlScancode) {
    case SDL_SCANCODE_LSHIFT: return VK_LSHIFT;
    case SDL_SCANCODE_RSHIFT: return VK_RSHIFT;
    case SDL_SCANCODE_LCTRL: return VK_LCONTROL;
    case SDL_SCANCODE_RCTRL: return VK_RCONTROL;
    case SDL_SCANCODE_LALT: return VK_LMENU;
    case SDL_SCANCODE_RALT: return VK_RMENU;
    default: return 0;
    }
}

void ProcessKey(HWND target, int vk, int sideVk, bool down, bool repeat)
{
    if (vk <= 0 || vk > 255 || sideVk < 0 || sideVk > 255) {
        return;
    }
    const bool wasDown = Held(sideVk != 0 ? sideVk : vk) || repeat;
    if (sideVk != 0) {
        SetHeld(sideVk, down);
        // The generic code stays held while the other side still is.
        const int otherSide = sideVk ^ 1;
        SetHeld(vk, down || Held(otherSide));
    } else {
        SetHeld(vk, down);
    }

    // Alt turns key messages into system key messages unless Ctrl is held (AltGr-like use).
    const bool alt = Held(VK_MENU);
    const bool sys = (alt || vk == VK_MENU) && !Held(VK_CONTROL);
    UINT message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    DWORD flags = 1;  // repeat count
    if (alt) {
        flags |= 1u << 29;
    }
    if (wasDown || !down) {
        flags |= 1u << 30;
    }
    if (!down) {
        flags |= 1u << 31;
    }
    if (target == nullptr) {
        target = KeyboardTargetWindow();
    }
    if (target != nullptr) {
        PostMessageA(target, message, static_cast<WPARAM>(vk), static_cast<LPARAM>(flags));
    }
}

}  // namespace platform
