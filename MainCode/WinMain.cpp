// Process entry: the game has no command-line options.
#include "MainCode/TGameWnd.h"

int main()
{
    return WinMain(nullptr, nullptr, nullptr, 10 /* SW_SHOWDEFAULT */);
}
