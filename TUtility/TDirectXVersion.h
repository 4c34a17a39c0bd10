// Finds the installed DirectX version so that anything below 8.0 can be refused.
#pragma once

#include <cstdint>
#include <string>

class TDirectXVersion {
public:
    TDirectXVersion();
    virtual ~TDirectXVersion() = default;

    std::uint32_t GetVersion() const { return m_version; }
    const char* GetText() const { return m_text.c_str(); }

    static std::uint32_t Probe();
    static std::string TextFor(std::uint32_t version);

private:
    std::uint32_t m_version;
    std::string m_text;
};
