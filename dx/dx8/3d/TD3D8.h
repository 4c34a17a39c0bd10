// The one Direct3D device of the process.
// For now this stands in for the device: it creates nothing and reports a 640×480 window.
#pragma once

#include <string>

#include "TCommon/TRefPtr.h"
#include "platform/win32/types.h"

class TD3DDeviceBuilder {
public:
    virtual ~TD3DDeviceBuilder() = default;
};

class TD3D8 {
public:
    static TD3D8* Instance();

    bool Init(const TRefPtr<TD3DDeviceBuilder>& builder, UINT sdkVersion, const std::string& deviceLog,
              const std::string& initLog);
    void Uninit();

    bool IsInitialized() const { return m_initialized; }
    bool IsWindowed() const { return true; }
    int GetBackBufferWidth() const { return 640; }
    int GetBackBufferHeight() const { return 480; }

private:
    TD3D8() = default;
    bool m_initialized = false;
};
