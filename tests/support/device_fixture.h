// The graphics device made the way the game makes it: a window, a "setting.ini" in a fresh folder,
// a fixed adapter through the Direct3D test seam, TBasicD3DDeviceBuilder and TD3D8::Init.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "MainCode/TBasicD3DDeviceBuilder.h"
#include "MainCode/TRunState.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TD3D8.h"
#include "platform/testing/d3d8.h"
#include "formats/ini_writer.h"
#include "support/temp_dir.h"

namespace qmtest {

// An adapter with a 1024×768 X8R8G8B8 desktop and, in X8R8G8B8 and R5G6B5, 640×480 at 60 and 75 Hz,
// 800×600 at 75 and 60 Hz and 1024×768 at 60 Hz.
platform::D3D8TestConfig FixedAdapter();

class DeviceFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the adapter the layer reports (before InitDevice, or between calls for a reset).
    void UseAdapter(const platform::D3D8TestConfig& config);
    void WriteSettings(const IniWriter& ini);
    // A "setting.ini" for a windowed 640×480 device.
    void WriteWindowedSettings();
    // TD3D8::Init with a fresh TBasicD3DDeviceBuilder on "./setting.ini".
    bool InitDevice(const std::string& deviceLog = "");

    TD3D8* d3d() const { return TD3D8::Instance(); }
    IDirect3DDevice8* device() const { return TD3D8::GetDevice(); }
    TBasicD3DDeviceBuilder* builder() const { return builder_; }
    DWORD RenderState(D3DRENDERSTATETYPE state) const;

    // Each case runs as a fresh run of its own: time goes, atlas cells and serials count from the
    // start, whatever ran before.
    TRunState run_;
    TempDir dir_;
    std::unique_ptr<ScopedCwd> cwd_;
    HWND window_ = nullptr;
    TBasicD3DDeviceBuilder* builder_ = nullptr;  // held by the device core
};

}  // namespace qmtest
