// Stand-in for the scene-change hub: the change to a story event keeps its fade and event; the start
// of play places the field at a save point beneath itself and ends; the other changes go on at once
// (the title, a loaded slot's field, and the title in place of the save screen).
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

    // The other changes, as the real hub's creators take them (music 0xFFFFFFFF: none).
    static TChangeLoop* ToTitle(TGameWnd* app, std::uint32_t musicId) { return Make(app, kToTitle, 0, musicId); }
    static TChangeLoop* ToLoadSlot(TGameWnd* app, std::uint32_t slot, std::uint32_t musicId)
    {
        return Make(app, kToLoadSlot, slot, musicId);
    }
    static TChangeLoop* ToSave(TGameWnd* app, std::uint32_t musicId) { return Make(app, kToSave, 0, musicId); }

    enum Mode : std::uint32_t { kRecorded = 100, kToTitle = 0, kToLoadSlot = 1, kToSave = 3 };
    std::uint32_t GetMode() const { return m_mode; }
    std::uint32_t GetSlot() const { return m_slot; }

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

    static TChangeLoop* Make(TGameWnd* app, Mode mode, std::uint32_t slot, std::uint32_t musicId)
    {
        TChangeLoop* loop = new TChangeLoop(app, 0, 0, 0, static_cast<std::int32_t>(musicId));
        loop->m_mode = mode;
        loop->m_slot = slot;
        return loop;
    }

    std::int32_t m_fadeFrames;
    std::uint32_t m_fadeColour;
    std::uint32_t m_eventId;
    std::int32_t m_musicId;
    bool m_toField = false;
    std::uint32_t m_mode = kRecorded;
    std::uint32_t m_slot = 0;
    std::uint32_t m_savePointId = 0;
};
