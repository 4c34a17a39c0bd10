// Virtual-key codes and the keyboard state the layer keeps from the key events it pumps.
#pragma once

#include "platform/win32/types.h"

#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_SNAPSHOT 0x2C
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_LWIN 0x5B
#define VK_RWIN 0x5C
#define VK_APPS 0x5D
#define VK_NUMPAD0 0x60
#define VK_NUMPAD1 0x61
#define VK_NUMPAD2 0x62
#define VK_NUMPAD3 0x63
#define VK_NUMPAD4 0x64
#define VK_NUMPAD5 0x65
#define VK_NUMPAD6 0x66
#define VK_NUMPAD7 0x67
#define VK_NUMPAD8 0x68
#define VK_NUMPAD9 0x69
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
#define VK_NUMLOCK 0x90
#define VK_SCROLL 0x91
#define VK_LSHIFT 0xA0
#define VK_RSHIFT 0xA1
#define VK_LCONTROL 0xA2
#define VK_RCONTROL 0xA3
#define VK_LMENU 0xA4
#define VK_RMENU 0xA5
#define VK_OEM_1 0xBA       // JIS ':'
#define VK_OEM_PLUS 0xBB    // JIS ';'
#define VK_OEM_COMMA 0xBC
#define VK_OEM_MINUS 0xBD
#define VK_OEM_PERIOD 0xBE
#define VK_OEM_2 0xBF       // '/'
#define VK_OEM_3 0xC0       // JIS '@'
#define VK_OEM_4 0xDB       // JIS '['
#define VK_OEM_5 0xDC       // JIS yen key
#define VK_OEM_6 0xDD       // JIS ']'
#define VK_OEM_7 0xDE       // JIS '^'
#define VK_OEM_102 0xE2     // JIS '\' (ro) key

// Bit 7 of a key's byte is set while it is held; bit 0 flips on each press.
BOOL GetKeyboardState(BYTE* state);
// 0x8000 while the key is held.
SHORT GetAsyncKeyState(int vk);

namespace platform {

// The virtual-key code of a physical key (an SDL scancode) on a Japanese keyboard; 0 for keys
// the game cannot name. Left and right Shift, Ctrl and Alt give the generic code.
int VirtualKeyFromScancode(int sdlScancode);
// VK_LSHIFT..VK_RMENU for the modifier keys, 0 for every other key.
int SideVirtualKeyFromScancode(int sdlScancode);

}  // namespace platform
