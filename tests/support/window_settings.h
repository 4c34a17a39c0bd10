// The "setting.ini" of the menu and save-screen tests: a windowed 640 × 480 game with a depth
// buffer, which the screen capture draws the scene behind the menu with.
#pragma once

#include "formats/ini_writer.h"

namespace qmtest {

inline void WriteWindowedSettingsWithDepth()
{
    IniWriter()
        .Section("CurrentSetting")
        .Key("ScreenMode", "Window")
        .Key("ScreenWidth", "640")
        .Key("ScreenHeight", "480")
        .Section("DepthStencilFormat")
        .Key("Format00", "D3DFMT_D24S8")
        .Save("setting.ini");
}

}  // namespace qmtest
