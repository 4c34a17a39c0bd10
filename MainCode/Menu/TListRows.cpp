#include "MainCode/Menu/TListRows.h"

#include "MainCode/Menu/TListPager.h"
#include "MainCode/Menu/TMenuSceneLoop.h"
#include "dx/dx8/3d/TText8.h"

TListRows::TListRows(const std::string& textName, UINT textWidth, const Layout& layout)
    : m_layout(layout),
      m_cursor(TSprite::FromFile("sprite.ptx/cursor02", D3DPOOL_MANAGED, 0)),
      m_upArrow(TSprite::FromFile("sprite.ptx/cursor03", D3DPOOL_MANAGED, 0)),
      m_downArrow(TSprite::FromFile("sprite.ptx/cursor04", D3DPOOL_MANAGED, 0))
{
    for (std::int32_t i = 0; i < kRows; ++i) {
        m_texts[i] = TMenuSceneLoop::MakeMenuText(textName + std::to_string(i), textWidth);
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

void TListRows::SetFrameColor(DWORD color)
{
    for (TSprite* sprite : {&m_cursor, &m_upArrow, &m_downArrow}) {
        sprite->SetColor(color, -1);
    }
}

void TListRows::DrawList(float x, float y, const TListPager& pager, std::int32_t length, std::int32_t bob)
{
    DrawIcons(x, y);
    DrawArrows(x, y, pager, length, bob);
    if (length > 0) {
        DrawCursor(x, y, pager, bob);
    }
}

void TListRows::DrawIcons(float x, float y)
{
    for (std::int32_t i = 0; i < kRows; ++i) {
        m_icons[i].Draw(x + m_layout.iconX, y + m_layout.iconY + m_layout.pitch * static_cast<float>(i), false);
    }
}

void TListRows::DrawArrows(float x, float y, const TListPager& pager, std::int32_t length, std::int32_t bob)
{
    if (length < kRows) {
        return;
    }
    const float b = static_cast<float>(bob);
    if (pager.GetTop() > 0) {
        m_upArrow.Draw(x + m_layout.arrowX, y + m_layout.upArrowY - b, false);
    }
    if (pager.GetTop() < length - kRows) {
        m_downArrow.Draw(x + m_layout.arrowX, y + m_layout.downArrowY + b, false);
    }
}

void TListRows::DrawCursor(float x, float y, const TListPager& pager, std::int32_t bob)
{
    m_cursor.Draw(x + m_layout.cursorX + static_cast<float>(bob),
                  y + m_layout.cursorY + m_layout.pitch * static_cast<float>(pager.GetRow()), false);
}

void TListRows::DrawTexts(float x, float y)
{
    for (std::int32_t i = 0; i < kRows; ++i) {
        m_texts[i]->Draw(x, y + m_layout.pitch * static_cast<float>(i), false);
    }
}
