// Stand-in for the buy shop: keeps the item ids on sale.
#pragma once

#include <cstdint>
#include <vector>

#include "MainCode/Scene/TRecordingLoop.h"

class TBuyShopLoop : public TRecordingLoop {
public:
    TBuyShopLoop(TGameWnd* app, const std::vector<std::uint32_t>& items) : TRecordingLoop(app), m_items(items) {}
    const std::vector<std::uint32_t>& GetItems() const { return m_items; }

private:
    std::vector<std::uint32_t> m_items;
};
