// Base of the stand-ins for scenes that do not exist yet: each keeps what it was built with and
// runs, doing nothing, until told to end.
#pragma once

#include <cstdint>

#include "MainCode/TLoop.h"

class TRecordingLoop : public TLoop {
public:
    explicit TRecordingLoop(TGameWnd* app) : TLoop(app) {}

    std::uint32_t Update() override
    {
        ++m_updates;
        return m_ended ? LOOP_END : LOOP_CONTINUE;
    }
    // The next update ends the scene.
    void End() { m_ended = true; }
    std::uint32_t GetUpdates() const { return m_updates; }

private:
    bool m_ended = false;
    std::uint32_t m_updates = 0;
};
