#include "MainCode/Menu/TBuyShopLoop.h"

#include <algorithm>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemEntry.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "dx/dx8/3d/TText8.h"

namespace {

constexpr std::int32_t kMaxHeld = 99;

std::uint32_t Money()
{
    TGameData* data = TGameData::GetInstance();
    return data != nullptr ? data->GetMoney() : 0;
}

// Grey of a row whose good the money does not reach.
constexpr float kTooDear = 0.4F;

}  // namespace

TBuyShopLoop::TBuyShopLoop(TGameWnd* app, const std::vector<std::uint32_t>& goods)
    : TShopLoop(app, "TBuyShopLoop", "tBuyItem"), m_goods(goods)
{
    Open();
}

TBuyShopLoop::~TBuyShopLoop() = default;

std::uint32_t TBuyShopLoop::GetUnitPrice(const TItemRecord& record) const
{
    return record.BuyPrice;
}

void TBuyShopLoop::RefreshRows()
{
    const std::uint32_t money = Money();
    TGameData* data = TGameData::GetInstance();
    const std::int32_t active = data != nullptr ? data->GetActiveCharacter() : 0;
    for (std::int32_t i = 0; i < kRows; ++i) {
        const std::int32_t k = m_rowWindow.GetPager().GetTop() + i;
        if (!IsInList(k)) {
            ClearRow(i);
            continue;
        }
        const TItemRecord& record = TItemTable::Get(GetItemId(k));
        m_rows.Text(i).Clear(false);
        WriteRow(i, record.Name, 0);
        WriteRowPrice(i, record.BuyPrice);
        m_rows.Text(i).Upload();
        const float grey = record.BuyPrice > money ? kTooDear : 1.0F;
        m_rowDims[i].Set(grey, 0.3F, 10, 0);
        m_rows.Text(i).SetColor(Grey(grey), -1);
        SetRowIcon(i, record);
        if (record.Kind == 1 && !TWeponTable::CanEquip(static_cast<std::uint32_t>(active), record.Id)) {
            // A weapon the active character cannot hold stays dimmer.
            m_iconDims[i].Set(0.7F, 0.5F, 10, 0);
            m_rows.Icon(i).SetColor(Grey(m_iconDims[i].value), -1);
        } else {
            m_iconDims[i].Set(1.0F, 0.7F, 10, 0);
        }
    }
}

bool TBuyShopLoop::MayChoose()
{
    if (TItemTable::Get(GetCurrentId()).BuyPrice <= Money()) {
        return true;
    }
    PlaySe(kSoundRefused);
    return false;
}

std::int32_t TBuyShopLoop::GetHeldCount() const
{
    TGameData* data = TGameData::GetInstance();
    const TItemEntry* entry = data != nullptr ? data->FindItem(GetCurrentId()) : nullptr;
    return entry != nullptr ? entry->Count : 0;
}

std::int32_t TBuyShopLoop::GetFirstCount() const
{
    return GetHeldCount() >= kMaxHeld ? 0 : 1;
}

std::int32_t TBuyShopLoop::Raise(std::int32_t count, std::int32_t n) const
{
    const std::int32_t room = std::max(kMaxHeld - GetHeldCount(), 0);
    const std::int32_t raised = std::min(count + n, room);
    const std::uint64_t price = TItemTable::Get(GetCurrentId()).BuyPrice;
    const std::uint64_t money = Money();
    if (price * static_cast<std::uint64_t>(raised) <= money) {
        return raised;
    }
    // As many as the money buys, never fewer than were already counted.
    const auto affordable = static_cast<std::int32_t>(std::min<std::uint64_t>(money / price, kMaxHeld));
    return std::max(affordable, count);
}

void TBuyShopLoop::Deal()
{
    TGameData* data = TGameData::GetInstance();
    if (data == nullptr) {
        return;
    }
    const std::uint32_t id = GetCurrentId();
    const std::uint64_t total = std::uint64_t{TItemTable::Get(id).BuyPrice} * static_cast<std::uint64_t>(m_count);
    data->AddItem(id, static_cast<std::uint8_t>(m_count));
    // The count rules kept the total within the money.
    data->SubMoney(static_cast<std::uint32_t>(std::min<std::uint64_t>(total, 0xFFFFFFFFu)));
}
