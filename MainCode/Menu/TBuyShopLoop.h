// The shop where the party buys: the goods a map script names, with their prices; a good the money
// does not reach is greyed and refused, and the count never passes the money or 99 held.
#pragma once

#include <cstdint>
#include <vector>

#include "MainCode/Menu/TShopLoop.h"

class TBuyShopLoop : public TShopLoop {
public:
    TBuyShopLoop(TGameWnd* app, const std::vector<std::uint32_t>& goods);
    ~TBuyShopLoop() override;

private:
    friend struct TMenuProbe;

    std::int32_t GetLength() const override { return static_cast<std::int32_t>(m_goods.size()); }
    std::uint32_t GetItemId(std::int32_t k) const override { return m_goods[static_cast<std::size_t>(k)]; }
    std::uint32_t GetUnitPrice(const TItemRecord& record) const override;
    void RefreshRows() override;
    bool MayChoose() override;
    std::int32_t GetFirstCount() const override;
    std::int32_t GetHeldCount() const override;
    std::int32_t Raise(std::int32_t count, std::int32_t n) const override;
    void Deal() override;

    std::vector<std::uint32_t> m_goods;
};
