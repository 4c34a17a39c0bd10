// A look into the item-get notices for tests: the queue as it stands and where the window is.
#pragma once

#include <cstdint>
#include <vector>

#include "MainCode/Hud/TGetRender.h"

struct THudProbe {
    static std::vector<TGetRender::Notice> Queue(const TGetRender& r) { return {r.m_queue.begin(), r.m_queue.end()}; }
    static std::size_t QueueCount(const TGetRender& r) { return r.m_count; }
    static bool IsIdle(const TGetRender& r) { return r.m_state == &TGetRender::Idle; }
    static bool IsHolding(const TGetRender& r) { return r.m_state == &TGetRender::Hold; }
    static std::int32_t WindowX(const TGetRender& r) { return r.m_slide.value; }
    static const TText8& Text(const TGetRender& r) { return r.m_text; }
};
