#include "dx/dx8/sound/TDSound8.h"

TDSound8* TDSound8::Instance()
{
    static TDSound8 instance;
    return &instance;
}

bool TDSound8::Init(HWND)
{
    m_initialized = true;
    return true;
}

void TDSound8::CreateBank(const std::string&, const std::string&, std::uint32_t, std::int32_t, std::int32_t)
{
    ++m_banks;
}

void TDSound8::Uninit()
{
    m_initialized = false;
    m_banks = 0;
}
