#include "dx/dx8/3d/TD3D8.h"

TD3D8* TD3D8::Instance()
{
    static TD3D8 instance;
    return &instance;
}

bool TD3D8::Init(const TRefPtr<TD3DDeviceBuilder>&, UINT, const std::string&, const std::string&)
{
    m_initialized = true;
    return true;
}

void TD3D8::Uninit()
{
    m_initialized = false;
}
