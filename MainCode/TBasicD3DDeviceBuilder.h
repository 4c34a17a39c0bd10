// The game's device builder. Stands in until the device settings are read from "./setting.ini".
#pragma once

#include <string>

#include "dx/dx8/3d/TD3D8.h"

class TBasicD3DDeviceBuilder : public TD3DDeviceBuilder {
public:
    TBasicD3DDeviceBuilder(HWND window, const std::string& settingsPath) : m_window(window), m_path(settingsPath) {}

private:
    HWND m_window;
    std::string m_path;
};
