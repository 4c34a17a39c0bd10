// The game's device builder: reads the launch settings ("./setting.ini"), checks each wish against the
// adapter tables, creates the device with fallbacks and supplies the default states.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dx/dx8/3d/TD3DDeviceBuilder.h"

class TIni;

class TBasicD3DDeviceBuilder : public TD3DDeviceBuilder {
    friend struct TMainProbe;
public:
    // Result codes of CreateDevice (bit 0: failed, bit 1: made with a change).
    static constexpr std::uint32_t kCreated = 0x00;
    static constexpr std::uint32_t kNoMultiSample = 0x82;
    static constexpr std::uint32_t kFewerBackBuffers = 0x102;
    static constexpr std::uint32_t kFallback = 0x202;
    static constexpr std::uint32_t kNoSettings = 0x41;
    static constexpr std::uint32_t kNoMode = 0x05;
    static constexpr std::uint32_t kNoDepthStencil = 0x09;
    static constexpr std::uint32_t kBelowLowerLimit = 0x21;
    static constexpr std::uint32_t kCreateFailed = 0x11;

    // Reads nothing yet.
    TBasicD3DDeviceBuilder(HWND window, const std::string& settingsPath);
    ~TBasicD3DDeviceBuilder() override;

    std::uint32_t CreateDevice(TD3D8* core, IDirect3DDevice8** device) override;
    void SetDefaultStates(IDirect3DDevice8* device) override;
    DWORD GetShaderUsage() override { return m_shaderUsage; }
    DWORD GetBufferUsage() override { return m_bufferUsage; }
    D3DPOOL GetBufferPool() override { return m_bufferPool; }
    // When windowed the mode is chosen again for the desktop as it is now.
    bool GetPresentParameters(D3DPRESENT_PARAMETERS* params) override;

private:
    void ReadCurrentSetting(const TIni& ini);
    void ReadPreferenceLists(const TIni& ini);
    void ReadBackBufferCounts(const TIni& ini);
    void ReadDeviceBehavior(const TIni& ini);
    bool ChooseMode();
    void FillPresentParameters(D3DPRESENT_PARAMETERS* params) const;
    std::uint32_t CreateWithFallbacks(std::uint32_t code, IDirect3DDevice8** device);

    std::string m_settingsPath;
    TD3D8* m_core = nullptr;
    std::uint32_t m_bitDepth = 16;
    std::uint32_t m_screenWidth = 640;
    std::uint32_t m_screenHeight = 480;
    bool m_multiSample = false;
    D3DTEXTUREFILTERTYPE m_magFilter = D3DTEXF_POINT;
    D3DTEXTUREFILTERTYPE m_minFilter = D3DTEXF_POINT;
    D3DTEXTUREFILTERTYPE m_mipFilter = D3DTEXF_NONE;
    std::uint32_t m_backBufferCount = 1;
    std::uint32_t m_backBufferCountLower = 1;
    bool m_lockable = false;
    DWORD m_behaviorFlags = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    DWORD m_shaderUsage = 0;
    DWORD m_bufferUsage = 0;
    D3DPOOL m_bufferPool = D3DPOOL_MANAGED;
    bool m_autoDepthStencil = false;
    D3DFORMAT m_backBufferFormat = D3DFMT_UNKNOWN;
    D3DFORMAT m_depthStencilFormat = D3DFMT_UNKNOWN;
    D3DMULTISAMPLE_TYPE m_multiSampleType = D3DMULTISAMPLE_NONE;
    std::vector<std::uint32_t> m_multiSampleList;
    std::vector<D3DFORMAT> m_depthStencilList;
    D3DPRESENT_PARAMETERS m_presentParams = {};
    float m_viewScale = 1.0F;
};
