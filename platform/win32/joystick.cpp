#include "platform/win32/joystick.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr UINT kSlots = 16;  // what the multimedia API reports
constexpr UINT kMaxAxes = 6;  // X, Y, Z, R, U, V
constexpr UINT kMaxButtons = 32;
constexpr DWORD kCentre = 32768;

struct Slot {
    SDL_Joystick* joystick = nullptr;
    SDL_JoystickID instance = -1;
};
Slot g_slots[kSlots];

bool EnsureJoystick()
{
    if (SDL_WasInit(SDL_INIT_JOYSTICK) != 0) {
        return true;
    }
    // The game polls the pad itself and expects readings whether or not its window has focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    return SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
}

void CloseSlot(Slot& slot)
{
    if (slot.joystick != nullptr) {
        SDL_JoystickClose(slot.joystick);
    }
    slot = Slot{};
}

// Slot n follows SDL's device n; a device that went away or was replaced is reopened.
SDL_Joystick* OpenSlot(UINT id)
{
    if (id >= kSlots || !EnsureJoystick()) {
        return nullptr;
    }
    SDL_JoystickUpdate();  // notices devices plugged in or out and refreshes the readings
    Slot& slot = g_slots[id];
    if (static_cast<int>(id) >= SDL_NumJoysticks()) {
        CloseSlot(slot);
        return nullptr;
    }
    const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(static_cast<int>(id));
    if (slot.joystick != nullptr && (slot.instance != instance || !SDL_JoystickGetAttached(slot.joystick))) {
        CloseSlot(slot);
    }
    if (slot.joystick == nullptr) {
        slot.joystick = SDL_JoystickOpen(static_cast<int>(id));
        slot.instance = slot.joystick != nullptr ? instance : -1;
    }
    return slot.joystick;
}

DWORD AxisPosition(SDL_Joystick* joystick, int axis, int axes)
{
    if (axis >= axes) {
        return kCentre;  // a missing axis rests in the middle so it never reads as pressed
    }
    return static_cast<DWORD>(static_cast<int>(SDL_JoystickGetAxis(joystick, axis)) + 32768);
}

DWORD PovOf(Uint8 hat)
{
    switch (hat) {
    case SDL_HAT_UP: return JOY_POVFORWARD;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return JOY_POVRIGHT;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return JOY_POVBACKWARD;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return JOY_POVLEFT;
    case SDL_HAT_LEFTUP: return 31500;
    default: return JOY_POVCENTERED;
    }
}

}  // namespace

UINT joyGetNumDevs()
{
    return EnsureJoystick() ? kSlots : 0;
}

MMRESULT joyGetDevCapsA(UINT_PTR id, JOYCAPSA* caps, UINT size)
{
    if (caps == nullptr || size < sizeof(JOYCAPSA) || id >= kSlots) {
        return JOYERR_PARMS;
    }
    SDL_Joystick* joystick = OpenSlot(static_cast<UINT>(id));
    if (joystick == nullptr) {
        return JOYERR_UNPLUGGED;
    }
    JOYCAPSA c{};
    c.wMid = SDL_JoystickGetVendor(joystick);
    c.wPid = SDL_JoystickGetProduct(joystick);
    if (const char* name = SDL_JoystickName(joystick)) {
        // Names are for people; anything beyond ASCII becomes '?' rather than unconverted UTF-8.
        for (std::size_t i = 0; name[i] != '\0' && i + 1 < sizeof c.szPname; ++i) {
            const unsigned char ch = static_cast<unsigned char>(name[i]);
            c.szPname[i] = ch < 0x80 ? static_cast<char>(ch) : '?';
        }
    }
    const UINT axes = static_cast<UINT>(std::max(0, SDL_JoystickNumAxes(joystick)));
    const UINT buttons = static_cast<UINT>(std::max(0, SDL_JoystickNumButtons(joystick)));
    c.wXmax = c.wYmax = c.wZmax = c.wRmax = c.wUmax = c.wVmax = 65535;
    c.wNumButtons = std::min(buttons, kMaxButtons);
    c.wPeriodMin = 10;
    c.wPeriodMax = 1000;
    c.wNumAxes = std::min(axes, kMaxAxes);
    c.wMaxAxes = kMaxAxes;
    c.wMaxButtons = kMaxButtons;
    const UINT extraAxes[] = {JOYCAPS_HASZ, JOYCAPS_HASR, JOYCAPS_HASU, JOYCAPS_HASV};
    for (UINT axis = 2; axis < c.wNumAxes; ++axis) {
        c.wCaps |= extraAxes[axis - 2];
    }
    if (SDL_JoystickNumHats(joystick) > 0) {
        c.wCaps |= JOYCAPS_HASPOV | JOYCAPS_POV4DIR;
    }
    std::memcpy(caps, &c, sizeof c);
    return JOYERR_NOERROR;
}

MMRESULT joyGetPosEx(UINT id, JOYINFOEX* info)
{
    if (info == nullptr || info->dwSize != sizeof(JOYINFOEX) || id >= kSlots) {
        return JOYERR_PARMS;
    }
    SDL_Joystick* joystick = OpenSlot(id);
    if (joystick == nullptr || !SDL_JoystickGetAttached(joystick)) {
        return JOYERR_UNPLUGGED;
    }
    const DWORD flags = info->dwFlags;
    const int axes = std::min(SDL_JoystickNumAxes(joystick), static_cast<int>(kMaxAxes));
    DWORD* const positions[kMaxAxes] = {&info->dwXpos, &info->dwYpos, &info->dwZpos,
                                        &info->dwRpos, &info->dwUpos, &info->dwVpos};
    for (int axis = 0; axis < static_cast<int>(kMaxAxes); ++axis) {
        if ((flags & (JOY_RETURNX << axis)) != 0) {
            *positions[axis] = AxisPosition(joystick, axis, axes);
        }
    }
    if ((flags & JOY_RETURNBUTTONS) != 0) {
        const int buttons = std::min(SDL_JoystickNumButtons(joystick), static_cast<int>(kMaxButtons));
        DWORD mask = 0;
        DWORD pressed = 0;
        for (int b = 0; b < buttons; ++b) {
            if (SDL_JoystickGetButton(joystick, b) != 0) {
                mask |= 1u << b;
                ++pressed;
            }
        }
        info->dwButtons = mask;
        info->dwButtonNumber = pressed;
    }
    if ((flags & JOY_RETURNPOV) != 0) {
        info->dwPOV = SDL_JoystickNumHats(joystick) > 0 ? PovOf(SDL_JoystickGetHat(joystick, 0)) : JOY_POVCENTERED;
    }
    return JOYERR_NOERROR;
}
