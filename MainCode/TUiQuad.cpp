#include "MainCode/TUiQuad.h"

TUiQuad::TUiQuad(std::int32_t duration, std::int32_t colourMode, std::int32_t direction)
    : m_duration(duration), m_sprite(TSprite::FromFile("", D3DPOOL_MANAGED, 0))
{
    const float c = colourMode == kBlack ? 0.0F : 1.0F;
    const bool cover = direction == kCover;
    for (int i = 0; i < 3; ++i) {
        m_start[i] = c;
        m_end[i] = c;
    }
    m_start[3] = cover ? 0.0F : 1.0F;
    m_end[3] = cover ? 1.0F : 0.0F;
    SetColour(m_start);
}

TUiQuad::~TUiQuad() = default;

void TUiQuad::Init(std::int32_t duration, const float* start, const float* end, const std::string& texture)
{
    m_duration = duration;
    m_counter = 0;
    m_endDrawn = false;
    for (int i = 0; i < 4; ++i) {
        m_start[i] = start[i];
        m_end[i] = end[i];
    }
    m_sprite = TSprite::FromFile(texture, D3DPOOL_MANAGED, 0);
    m_textured = !texture.empty();
    SetColour(m_start);
}

std::uint32_t TUiQuad::Pack(const float* rgba)
{
    return TSprite::PackColorF(rgba[0], rgba[1], rgba[2], rgba[3]);
}

void TUiQuad::SetColour(const float* c)
{
    m_sprite.SetColor(Pack(c), -1);
}

void TUiQuad::SetBetween(std::int32_t counter)
{
    const float t = static_cast<float>(counter) / static_cast<float>(m_duration);
    float c[4];
    for (int i = 0; i < 4; ++i) {
        c[i] = m_start[i] + (m_end[i] - m_start[i]) * t;
    }
    SetColour(c);
}

bool TUiQuad::StepForward()
{
    ++m_counter;
    if (m_counter < m_duration) {
        SetBetween(m_counter);
    } else {
        m_counter = m_duration;
        SetColour(m_end);
    }
    return !IsFinished();
}

bool TUiQuad::StepBack()
{
    --m_counter;
    if (m_counter > 0) {
        SetBetween(m_counter);
    } else {
        m_counter = 0;
        SetColour(m_start);
    }
    return !IsAtStart();
}

void TUiQuad::Finish()
{
    m_counter = m_duration;
    SetColour(m_end);
}

void TUiQuad::Draw(float x, float y, float w, float h)
{
    if (m_textured) {
        m_sprite.Draw(x, y, w, h, false);
    } else {
        m_sprite.DrawRect(x, y, w, h, false);
    }
    if (m_counter == m_duration) {
        m_endDrawn = true;
    }
}
