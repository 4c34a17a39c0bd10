// Message boxes: an SDL box on a real display (or, where SDL cannot show one, a window of our own),
// else a line on stderr; never blocks a headless run.
#pragma once

#include "platform/win32/types.h"

#define MB_OK 0x00000000u
#define MB_ICONERROR 0x00000010u
#define MB_ICONWARNING 0x00000030u
#define MB_TOPMOST 0x00040000u

#define IDOK 1

// text and caption are CP932. Returns IDOK.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

namespace platform {

// A refused start: the box as MessageBoxA shows it, and on stderr the same text always, naming the
// folder the game looked in (the current directory), so a start from a terminal says why it ended.
void ReportRefusedStart(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

}  // namespace platform
