#include "TUtility/TFontHolder.h"

#include <algorithm>
#include <cstring>

TFontHolder::TFontHolder(std::int32_t width, std::int32_t height, const std::string& face, std::int32_t weight,
                         std::uint8_t pitchAndFamily, std::uint8_t italic, std::uint8_t underline,
                         std::uint8_t strikeOut)
    : m_description{}
{
    m_description.lfHeight = height;
    m_description.lfWidth = width;
    m_description.lfWeight = weight;
    m_description.lfItalic = italic;
    m_description.lfUnderline = underline;
    m_description.lfStrikeOut = strikeOut;
    m_description.lfCharSet = DEFAULT_CHARSET;
    m_description.lfPitchAndFamily = pitchAndFamily;
    // The field holds 31 bytes and the NUL; a longer name is cut, never copied past it.
    const std::size_t n = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    std::memcpy(m_description.lfFaceName, face.data(), n);
    m_description.lfFaceName[n] = '\0';
    Create();
}

TFontHolder::~TFontHolder()
{
    if (m_font != nullptr) {
        DeleteObject(m_font);
    }
}

void TFontHolder::Create()
{
    if (m_font != nullptr) {
        DeleteObject(m_font);
        m_font = nullptr;
    }
    m_font = CreateFontIndirectA(&m_description);
}
