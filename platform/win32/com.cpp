#include "platform/win32/com.h"

HRESULT CoInitializeEx(LPVOID, DWORD)
{
    return S_OK;
}

HRESULT CoInitialize(LPVOID)
{
    return S_OK;
}

void CoUninitialize()
{
}
