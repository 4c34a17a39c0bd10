// Stand-in for the scene-change hub: the change to a story event keeps its fade and event; the start
// of play places the field at a save point beneath itself and ends.
#pragma once

#include <cstdint>

#include "MainCode/Scene/TRecordingLoop.h"

class TChangeLoop : public TRecordingLoop {
public:
    // The scene that fades over fadeFrames in fadeColour and starts the story event.
    static TChangeLoop* ToEvent(TGameWnd* app, std::int32_t fadeFrames, std::uint32_t fadeColour, std::uint32_t eventId,
                                std::int32_t musicId)
    {
        return new TChangeLoop(app, fadeFrames, fadeColour, eventId, musicId);
    }

    // The start of play at a save point. When the field cannot be made the title comes back.
    static TChangeLoop* ToSavePoint(TGameWnd* app, std::uint32_t savePointId)
    {
        TChangeLoop* loop = new TChangeLoop(app, 0, 0, 0, -1);
        loop->m_toField = true;
        loop->m_savePointId = savePointId;
        return loop;
    }

    std::uint32_t Update() override;
    bool IsToSavePoint() const { return m_toField; }
    std::uint32_t GetSavePointId() const { return m_savePointId; }

    std::int32_t GetFadeFrames() const { return m_fadeFrames; }
    std::uint32_t GetFadeColour() const { return m_fadeColour; }
    std::uint32_t GetEventId() const { return m_eventId; }
    std::int32_t GetMusicId() const { return m_musicId; }

private:
    TChangeLoop(TGameWnd* app, std::int32_t fadeFrames, std::uint32_t fadeColour, std::uint32_t eventId,
                std::int32_t musicId)
        : TRecordingLoop(app), m_fadeFrames(fadeFrames), m_fadeColour(fadeColour), m_eventId(eventId), m_musicId(musicId)
    {
    }

    std::int32_t m_fadeFrames;
    std::uint32_t m_fadeColour;
    std::uint32_t m_eventId;
    std::int32_t m_musicId;
    bool m_toField = false;
    std::uint32_t m_savePointId = 0;
};
