// The shop where the party sells: every inventory entry that may be sold, in id order, each at its
// own sell price. Selling the last pieces of an entry takes its row out; with nothing left to
// sell the list says so and only cancel works.
#pragma once

#include <cstdint>
#include <vector>

#include "MainCode/GameData/TItemEntry.h"
#include "MainCode/Menu/TShopLoop.h"
#include "TCommon/TRefPtr.h"

class TSellShopLoop : public TShopLoop {
public:
    explicit TSellShopLoop(TGameWnd* app);
    ~TSellShopLoop() override;

private:
    friend struct TMenuProbe;

    std::int32_t GetLength() const override { return static_cast<std::int32_t>(m_entries.size()); }
    std::uint32_t GetItemId(std::int32_t k) const override { return m_entries[static_cast<std::size_t>(k)]->Id; }
    std::uint32_t GetUnitPrice(const TItemRecord& record) const override;
    void RefreshRows() override;
    std::int32_t GetHeldCount() const override;
    std::int32_t Raise(std::int32_t count, std::int32_t n) const override;
    void Deal() override;

    std::vector<TRefPtr<TItemEntry>> m_entries;
};
