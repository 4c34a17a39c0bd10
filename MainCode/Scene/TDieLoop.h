// Stand-in for the game-over scene: keeps the music id it is to keep playing (-1 none).
#pragma once

#include <cstdint>

#include "MainCode/Scene/TRecordingLoop.h"

class TDieLoop : public TRecordingLoop {
public:
    TDieLoop(TGameWnd* app, std::int32_t musicId) : TRecordingLoop(app), m_musicId(musicId) {}
    std::int32_t GetMusicId() const { return m_musicId; }

private:
    std::int32_t m_musicId;
};
