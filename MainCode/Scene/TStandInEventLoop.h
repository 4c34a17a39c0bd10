// Stand-in for the story events 300..307 and the ending 308 until their scenes exist: a black
// screen for a short while (holding cancel cuts it short), then the hand-over each of them ends
// with: the next event through the scene-change hub, the field at the event's place, or the save
// screen after the ending.
#pragma once

#include <cstdint>

#include "MainCode/TLoop.h"

class TStandInEventLoop : public TSceneLoop {
public:
    static constexpr std::int32_t kFirstEvent = 300;
    static constexpr std::int32_t kEnding = 308;
    // Steps of black before the hand-over.
    static constexpr std::uint32_t kSteps = 60;

    TStandInEventLoop(TGameWnd* app, std::int32_t eventId);

    std::int32_t GetEventId() const { return m_eventId; }
    bool IsEnding() const { return m_eventId == kEnding; }

private:
    std::uint32_t StateShow();
    void DrawBlack();
    // The event's own end; result 1.
    std::uint32_t HandOver();
    void ToNextEvent(std::uint32_t nextId, std::uint32_t musicId);
    void ToField(const char* map, float x, float y, float z, float dx, float dz);

    std::int32_t m_eventId;
    std::uint32_t m_counter = 0;
};
