#include "MainCode/Menu/TSellShopLoop.h"

#include <algorithm>
#include <cstdio>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemTable.h"
#include "dx/dx8/3d/TText8.h"

TSellShopLoop::TSellShopLoop(TGameWnd* app) : TShopLoop(app, "TSellShopLoop", "tSellItem")
{
    if (TGameData* data = TGameData::GetInstance()) {
        data->MakeItemList(m_entries);
    }
    // The rows grey and the icons dim all together; no row is greyed by its price.
    for (std::int32_t i = 0; i < kRows; ++i) {
        m_rowDims[i].Set(1.0F, 0.3F, 10, 0);
        m_iconDims[i].Set(1.0F, 0.7F, 10, 0);
    }
    CreateEmptyText("ＮＯ ＩＴＥＭ");
    Open();
}

TSellShopLoop::~TSellShopLoop() = default;

std::uint32_t TSellShopLoop::GetUnitPrice(const TItemRecord& record) const
{
    return record.SellPrice;
}

void TSellShopLoop::RefreshRows()
{
    for (std::int32_t i = 0; i < kRows; ++i) {
        const std::int32_t k = m_rowWindow.GetPager().GetTop() + i;
        if (!IsInList(k)) {
            ClearRow(i);
            continue;
        }
        const TItemEntry& entry = *m_entries[static_cast<std::size_t>(k)];
        const TItemRecord& record = TItemTable::Get(entry.Id);
        char text[160];
        std::snprintf(text, sizeof text, "%-16s × %2d %8lu ベル", record.Name.c_str(), static_cast<int>(entry.Count),
                      static_cast<unsigned long>(record.SellPrice));
        m_rows.Text(i).Clear(false);
        WriteRow(i, text, 0);
        m_rows.Text(i).Upload();
        SetRowIcon(i, record);
    }
}

std::int32_t TSellShopLoop::GetHeldCount() const
{
    return m_entries[static_cast<std::size_t>(m_rowWindow.GetPager().GetIndex())]->Count;
}

std::int32_t TSellShopLoop::Raise(std::int32_t count, std::int32_t n) const
{
    return std::min(count + n, GetHeldCount());
}

void TSellShopLoop::Deal()
{
    TGameData* data = TGameData::GetInstance();
    if (data == nullptr) {
        return;
    }
    const std::size_t index = static_cast<std::size_t>(m_rowWindow.GetPager().GetIndex());
    const std::uint32_t id = m_entries[index]->Id;
    // Summed wide; the money stops at its limit however much the sale fetches.
    const std::uint64_t total = std::uint64_t{TItemTable::Get(id).SellPrice} * static_cast<std::uint64_t>(m_count);
    data->AddMoney(static_cast<std::uint32_t>(std::min<std::uint64_t>(total, 0xFFFFFFFFu)));
    const bool deleted = data->RemoveItem(id, static_cast<std::uint8_t>(m_count));
    if (deleted) {
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
    }
    m_rowWindow.GetPager().Repair(GetLength(), deleted);
}
