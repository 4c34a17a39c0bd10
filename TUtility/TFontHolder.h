// One GDI font built from a LOGFONTA description, for the text textures.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gdi/gdi.h"

class TFontHolder {
public:
    // Escapement, orientation, precisions and quality 0; DEFAULT_CHARSET. A face name longer than
    // 31 bytes is cut to 31.
    TFontHolder(std::int32_t width, std::int32_t height, const std::string& face, std::int32_t weight,
                std::uint8_t pitchAndFamily, std::uint8_t italic, std::uint8_t underline, std::uint8_t strikeOut);
    virtual ~TFontHolder();
    TFontHolder(const TFontHolder&) = delete;
    TFontHolder& operator=(const TFontHolder&) = delete;

    // Deletes the held font and creates one from the description.
    void Create();
    HFONT* GetFont() { return &m_font; }
    const LOGFONTA& GetDescription() const { return m_description; }

private:
    LOGFONTA m_description;
    HFONT m_font = nullptr;
};
