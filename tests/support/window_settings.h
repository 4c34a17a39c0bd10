// The "setting.ini" of tests that draw in depth (the events, and the menus and save screens whose
// screen capture draws the scene behind them): a windowed 640 × 480 game with a depth buffer.
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
