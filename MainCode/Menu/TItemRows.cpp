#include "MainCode/Menu/TItemRows.h"

#include <cstdio>
#include <span>

#include "MainCode/GameData/TItemEntry.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Menu/TListPager.h"
#include "MainCode/Menu/TMenuSceneLoop.h"
#include "dx/dx8/3d/TText8.h"

TItemRows::TItemRows()
    : m_cursor(TSprite::FromFile("sprite.ptx/cursor02", D3DPOOL_MANAGED, 0)),
      m_upArrow(TSprite::FromFile("sprite.ptx/cursor03", D3DPOOL_MANAGED, 0)),
      m_downArrow(TSprite::FromFile("sprite.ptx/cursor04", D3DPOOL_MANAGED, 0))
{
    for (std::int32_t i = 0; i < kRows; ++i) {
        m_texts[i] = TMenuSceneLoop::MakeMenuText("itemInfo" + std::to_string(i), 256);
    }
}

TItemRows::~TItemRows() = default;

void TItemRows::SetItem(std::int32_t i, const TItemEntry& entry)
{
    const TItemRecord& record = TItemTable::Get(entry.Id);
    // (A space flag on a text, as in "%- 16s", adds nothing, so the format leaves it out.)
    char line[160];
    std::snprintf(line, sizeof line, "%-16s×%2d", record.Name.c_str(), static_cast<int>(entry.Count));
    TMenuSceneLoop::WriteMenuText(*m_texts[i], 0, line);
    switch (record.Kind) {
    case 0:
        m_icons[i] = TSprite::FromFile("itm_icon.ptx/itm00_icon", D3DPOOL_MANAGED, 0);
        break;
    case 1:
        m_icons[i] = TWeponTable::CreateIconSprite(entry.Id);
        break;
    case 2:
        m_icons[i] = TSprite::FromFile("itm_icon.ptx/itm01_icon", D3DPOOL_MANAGED, 0);
        break;
    default:
        break;
    }
}

void TItemRows::SetWord(std::int32_t i, const std::string& word)
{
    TMenuSceneLoop::WriteMenuText(*m_texts[i], 0, word);
    m_icons[i] = TSprite();
}

void TItemRows::Clear(std::int32_t i)
{
    m_texts[i]->Clear(true);
    m_icons[i] = TSprite();
}

void TItemRows::SetColors(std::int32_t i, DWORD text, DWORD icon)
{
    m_texts[i]->SetColor(text, -1);
    m_icons[i].SetColor(icon, -1);
}

void TItemRows::DrawList(float x, float y, const TListPager& pager, std::int32_t bob)
{
    for (std::int32_t i = 0; i < kRows; ++i) {
        m_icons[i].Draw(x + 52.0F, y + 34.0F + kPitch * static_cast<float>(i), false);
    }
    const float b = static_cast<float>(bob);
    const std::int32_t length = pager.GetLength();
    if (length >= kRows) {
        if (pager.GetTop() > 0) {
            m_upArrow.Draw(x + 242.0F, y + 28.0F - b, false);
        }
        if (pager.GetTop() < length - kRows) {
            m_downArrow.Draw(x + 242.0F, y + 274.0F + b, false);
        }
    }
    if (!pager.IsEmpty()) {
        m_cursor.Draw(x + 32.0F + b, y + 42.0F + kPitch * static_cast<float>(pager.GetRow()), false);
    }
}

void TItemRows::DrawTexts(float x, float y)
{
    for (std::int32_t i = 0; i < kRows; ++i) {
        m_texts[i]->Draw(x, y + kPitch * static_cast<float>(i), false);
    }
}

TItemInfo::TItemInfo()
{
    for (std::int32_t i = 0; i < 3; ++i) {
        m_lines[i] = TMenuSceneLoop::MakeMenuText("tTextInfo" + std::to_string(i) + "_", 512);
    }
    Clear();
}

TItemInfo::~TItemInfo() = default;

void TItemInfo::Show(std::uint32_t itemId)
{
    TItemTable::CreateInfoSprite(m_picture, itemId);
    TText8* lines[3] = {m_lines[0].get(), m_lines[1].get(), m_lines[2].get()};
    TItemTable::FormatInfo(std::span<TText8* const>(lines), itemId, false);
}

void TItemInfo::Clear()
{
    m_picture = TSprite();
    for (auto& line : m_lines) {
        line->Clear(true);
    }
}

void TItemInfo::DrawPicture(float x, float y)
{
    m_picture.Draw(x, y, false);
}

void TItemInfo::DrawLines(float x, float y)
{
    for (std::int32_t i = 0; i < 3; ++i) {
        m_lines[i]->Draw(x, y + 20.0F * static_cast<float>(i), false);
    }
}
