#include "MainCode/Menu/TListRows.h"

#include "MainCode/Menu/TListPager.h"
#include "MainCode/Menu/TMenuSceneLoop.h"
#include "dx/dx8/3d/TText8.h"

TListRows::TListRows(const std::string& textName)
    : m_cursor(TSprite::FromFile("sprite.ptx/cursor02", D3DPOOL_MANAGED, 0)),
      m_upArrow(TSprite::FromFile("sprite.ptx/cursor03", D3DPOOL_MANAGED, 0)),
      m_downArrow(TSprite::FromFile("sprite.ptx/cursor04", D3DPOOL_MANAGED, 0))
{
    for (std::int32_t i = 0; i < kRows; ++i) {
        m_texts[i] = TMenuSceneLoop::MakeMenuText(textName + std::to_string(i), 256);
    }
}

TListRows::~TListRows() = default;

void TListRows::SetText(std::int32_t i, const std::string& word)
{
    TMenuSceneLoop::WriteMenuText(*m_texts[i], 0, word);
}

void TListRows::SetWord(std::int32_t i, const std::string& word)
{
    SetText(i, word);
    m_icons[i] = TSprite();
}

void TListRows::Clear(std::int32_t i)
{
    m_texts[i]->Clear(true);
    m_icons[i] = TSprite();
}

void TListRows::SetColors(std::int32_t i, DWORD text, DWORD icon)
{
    m_texts[i]->SetColor(text, -1);
    m_icons[i].SetColor(icon, -1);
}

void TListRows::DrawList(float x, float y, const TListPager& pager, std::int32_t length, std::int32_t bob)
{
    for (std::int32_t i = 0; i < kRows; ++i) {
        m_icons[i].Draw(x + 52.0F, y + 34.0F + kPitch * static_cast<float>(i), false);
    }
    const float b = static_cast<float>(bob);
    if (length >= kRows) {
        if (pager.GetTop() > 0) {
            m_upArrow.Draw(x + 242.0F, y + 28.0F - b, false);
        }
        if (pager.GetTop() < length - kRows) {
            m_downArrow.Draw(x + 242.0F, y + 274.0F + b, false);
        }
    }
    if (length > 0) {
        m_cursor.Draw(x + 32.0F + b, y + 42.0F + kPitch * static_cast<float>(pager.GetRow()), false);
    }
}

void TListRows::DrawTexts(float x, float y)
{
    for (std::int32_t i = 0; i < kRows; ++i) {
        m_texts[i]->Draw(x, y + kPitch * static_cast<float>(i), false);
    }
}
