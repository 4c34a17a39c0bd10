// The inventory and the item ring of the game database.
#include <algorithm>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemTable.h"

namespace {

std::uint8_t CappedCount(std::uint32_t count)
{
    return static_cast<std::uint8_t>(std::min<std::uint32_t>(count, TGameData::kMaxItemCount));
}

void SortById(std::vector<TRefPtr<TItemEntry>>& entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TRefPtr<TItemEntry>& a, const TRefPtr<TItemEntry>& b) { return a->Id < b->Id; });
}

}  // namespace

TItemEntry* TGameData::FindItem(std::uint32_t id)
{
    for (const TRefPtr<TItemEntry>& entry : m_items) {
        ++m_itemEntriesLooked;
        if (entry->Id == id) {
            return entry.Get();
        }
    }
    for (std::uint32_t slot = 1; slot < kRingSlots; ++slot) {
        if (m_ring[slot].Id == id) {
            return &m_ring[slot];
        }
    }
    return nullptr;
}

bool TGameData::AddItem(std::uint32_t id, std::uint32_t n)
{
    if (TItemEntry* entry = FindItem(id)) {
        entry->Count = CappedCount(std::uint32_t{entry->Count} + std::min<std::uint32_t>(n, kMaxItemCount));
        return false;
    }
    m_items.push_back(TRefPtr<TItemEntry>(new TItemEntry{id, CappedCount(n)}));
    return true;
}

bool TGameData::TryAddItem(std::uint32_t id, std::uint32_t n)
{
    if (TItemEntry* entry = FindItem(id)) {
        if (n > kMaxItemCount || entry->Count + n > kMaxItemCount) {
            return false;
        }
        entry->Count = static_cast<std::uint8_t>(entry->Count + n);
        return true;
    }
    m_items.push_back(TRefPtr<TItemEntry>(new TItemEntry{id, CappedCount(n)}));
    return true;
}

bool TGameData::RemoveItem(std::uint32_t id, std::uint8_t n)
{
    TItemEntry* entry = FindItem(id);
    if (entry == nullptr) {
        return false;
    }
    entry->Count = n > entry->Count ? 0 : static_cast<std::uint8_t>(entry->Count - n);
    if (entry->Count != 0) {
        return false;
    }
    RemoveItemEntry(id);
    return true;
}

bool TGameData::UseItem(std::uint32_t id, std::uint8_t n)
{
    TItemEntry* entry = FindItem(id);
    if (entry == nullptr || entry->Count < n) {
        return false;
    }
    entry->Count = static_cast<std::uint8_t>(entry->Count - n);
    if (entry->Count == 0) {
        RemoveItemEntry(id);
    }
    return true;
}

void TGameData::RemoveItemEntry(std::uint32_t id)
{
    const auto held = std::find_if(m_items.begin(), m_items.end(), [this, id](const TRefPtr<TItemEntry>& entry) {
        ++m_itemEntriesLooked;
        return entry->Id == id;
    });
    if (held != m_items.end()) {
        m_items.erase(held);
        return;
    }
    for (std::uint32_t slot = 1; slot < kRingSlots; ++slot) {
        if (m_ring[slot].Id == id) {
            m_ring[slot] = TItemEntry();
        }
    }
}

void TGameData::AddRingItem(std::uint32_t slot, std::uint32_t id)
{
    const TItemEntry* held = FindItem(id);
    if (slot >= kRingSlots || held == nullptr) {
        return;
    }
    const TItemEntry moved = *held;
    RemoveItemEntry(id);
    // Read after the removal: an item moved within the ring has already left its slot.
    const TItemEntry previous = m_ring[slot];
    m_ring[slot] = moved;
    if (previous.Id != 0) {
        AddItem(previous.Id, previous.Count);
    }
}

void TGameData::ClearRingItem(std::uint32_t slot)
{
    if (slot >= kRingSlots) {
        return;
    }
    const TItemEntry previous = m_ring[slot];
    m_ring[slot] = TItemEntry();
    if (previous.Id != 0) {
        AddItem(previous.Id, previous.Count);
    }
}

void TGameData::MakeItemList(std::vector<TRefPtr<TItemEntry>>& out) const
{
    out.clear();
    for (const TRefPtr<TItemEntry>& entry : m_items) {
        const TItemRecord& record = TItemTable::Get(entry->Id);
        if (entry->Count > 0 && record.NoSell != 1 && record.SellPrice != 0) {
            out.push_back(entry);
        }
    }
    SortById(out);
}

void TGameData::MakeItemListOfKind(std::vector<TRefPtr<TItemEntry>>& out, std::uint8_t kind) const
{
    out.clear();
    for (const TRefPtr<TItemEntry>& entry : m_items) {
        if (TItemTable::Get(entry->Id).Kind == kind) {
            out.push_back(entry);
        }
    }
    SortById(out);
}
