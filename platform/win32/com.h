// COM start-up: nothing the game uses needs COM, so these only succeed.
#pragma once

#include "platform/win32/types.h"

#define COINIT_MULTITHREADED 0x0
#define COINIT_APARTMENTTHREADED 0x2

HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();
