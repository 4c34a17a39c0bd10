#include "MainCode/Menu/TItemRows.h"

#include <cstdio>
#include <span>

#include "MainCode/GameData/TItemEntry.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Menu/TListPager.h"
#include "MainCode/Menu/TMenuSceneLoop.h"
#include "dx/dx8/3d/TText8.h"

void TItemRows::SetItem(std::int32_t i, const TItemEntry& entry)
{
    const TItemRecord& record = TItemTable::Get(entry.Id);
    // (A space flag on a text, as in "%- 16s", adds nothing, so the format leaves it out.)
    char line[160];
    std::snprintf(line, sizeof line, "%-16s×%2d", record.Name.c_str(), static_cast<int>(entry.Count));
    SetText(i, line);
    switch (record.Kind) {
    case 0:
        Icon(i) = TSprite::FromFile("itm_icon.ptx/itm00_icon", D3DPOOL_MANAGED, 0);
        break;
    case 1:
        Icon(i) = TWeponTable::CreateIconSprite(entry.Id);
        break;
    case 2:
        Icon(i) = TSprite::FromFile("itm_icon.ptx/itm01_icon", D3DPOOL_MANAGED, 0);
        break;
    default:
        break;
    }
}

void TItemRows::DrawList(float x, float y, const TListPager& pager, std::int32_t bob)
{
    TListRows::DrawList(x, y, pager, pager.GetLength(), bob);
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
