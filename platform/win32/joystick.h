// The multimedia joystick interface over SDL joysticks.
#pragma once

#include "platform/win32/types.h"

using MMRESULT = UINT;

#define MAXPNAMELEN 32
#define MAX_JOYSTICKOEMVXDNAME 260

#define JOYERR_NOERROR 0
#define JOYERR_PARMS 165
#define JOYERR_UNPLUGGED 167

// JOYCAPSA::wCaps.
#define JOYCAPS_HASZ 0x0001
#define JOYCAPS_HASR 0x0002
#define JOYCAPS_HASU 0x0004
#define JOYCAPS_HASV 0x0008
#define JOYCAPS_HASPOV 0x0010
#define JOYCAPS_POV4DIR 0x0020

// JOYINFOEX::dwFlags.
#define JOY_RETURNX 0x00000001
#define JOY_RETURNY 0x00000002
#define JOY_RETURNZ 0x00000004
#define JOY_RETURNR 0x00000008
#define JOY_RETURNU 0x00000010
#define JOY_RETURNV 0x00000020
#define JOY_RETURNPOV 0x00000040
#define JOY_RETURNBUTTONS 0x00000080
#define JOY_RETURNALL 0x000000FF

// JOYINFOEX::dwPOV, hundredths of a degree clockwise from up.
#define JOY_POVCENTERED 0xFFFF
#define JOY_POVFORWARD 0
#define JOY_POVRIGHT 9000
#define JOY_POVBACKWARD 18000
#define JOY_POVLEFT 27000

struct JOYCAPSA {
    WORD wMid;
    WORD wPid;
    CHAR szPname[MAXPNAMELEN];
    UINT wXmin;
    UINT wXmax;
    UINT wYmin;
    UINT wYmax;
    UINT wZmin;
    UINT wZmax;
    UINT wNumButtons;
    UINT wPeriodMin;
    UINT wPeriodMax;
    UINT wRmin;
    UINT wRmax;
    UINT wUmin;
    UINT wUmax;
    UINT wVmin;
    UINT wVmax;
    UINT wCaps;
    UINT wMaxAxes;
    UINT wNumAxes;
    UINT wMaxButtons;
    CHAR szRegKey[MAXPNAMELEN];
    CHAR szOEMVxD[MAX_JOYSTICKOEMVXDNAME];
};

struct JOYINFOEX {
    DWORD dwSize;  // must be sizeof(JOYINFOEX), 52
    DWORD dwFlags;
    DWORD dwXpos;
    DWORD dwYpos;
    DWORD dwZpos;
    DWORD dwRpos;
    DWORD dwUpos;
    DWORD dwVpos;
    DWORD dwButtons;
    DWORD dwButtonNumber;
    DWORD dwPOV;
    DWORD dwReserved1;
    DWORD dwReserved2;
};
static_assert(sizeof(JOYINFOEX) == 52, "JOYINFOEX is 13 DWORDs");

// 16 slots while the SDL joystick subsystem runs, 0 when it cannot start.
UINT joyGetNumDevs();
// Slot n is the n-th SDL joystick; a slot beyond them is JOYERR_UNPLUGGED.
MMRESULT joyGetDevCapsA(UINT_PTR id, JOYCAPSA* caps, UINT size);
// Axes 0..65535 (centre 32768), buttons as a bit mask.
MMRESULT joyGetPosEx(UINT id, JOYINFOEX* info);
