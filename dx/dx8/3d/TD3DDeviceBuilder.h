// How the device is made: TD3D8 asks a builder to choose the mode and create the device, and later
// for the default states, the buffer pool and usage, and the parameters of a reset.
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8.h"

class TD3D8;

class TD3DDeviceBuilder {
public:
    explicit TD3DDeviceBuilder(HWND window) : m_window(window) {}
    TD3DDeviceBuilder(const TD3DDeviceBuilder&) = delete;
    TD3DDeviceBuilder& operator=(const TD3DDeviceBuilder&) = delete;

    // Result code: bit 0 set means no device; bit 1 set means made with a change.
    virtual std::uint32_t CreateDevice(TD3D8* core, IDirect3DDevice8** device) = 0;
    virtual HWND GetWindow() { return m_window; }
    virtual bool IsWindowed() { return m_windowed; }
    virtual void SetDefaultStates(IDirect3DDevice8* /*device*/) {}
    virtual DWORD GetShaderUsage() { return 0; }
    virtual DWORD GetBufferUsage() { return 0; }
    virtual D3DPOOL GetBufferPool() { return D3DPOOL_MANAGED; }
    // For a device reset; false when no parameters can be had.
    virtual bool GetPresentParameters(D3DPRESENT_PARAMETERS* params) = 0;
    virtual ~TD3DDeviceBuilder() = 0;

    // The chosen record of the enumerator and mode in it; 0xFFFFFFFF until a mode is chosen.
    std::uint32_t GetAdapterIndex() const { return m_adapterIndex; }
    std::uint32_t GetModeIndex() const { return m_modeIndex; }

protected:
    HWND m_window;
    bool m_windowed = false;
    std::uint32_t m_adapterIndex = 0xFFFFFFFF;
    std::uint32_t m_modeIndex = 0xFFFFFFFF;
};

inline TD3DDeviceBuilder::~TD3DDeviceBuilder() = default;
