// Module "MapEvent": a map object's script changes the map, ends the game, starts a story event,
// asks for a conversation or changes the player's look. Each call leaves a field event code that
// the code running the script reads afterwards.
#pragma once

#include <cstdint>

#include "MainCode/Script/TScriptModule.h"

class TGameWnd;
class TFieldLoop;
class TAreaBase;

class TMapEventModule : public TScriptModule {
public:
    // Result codes.
    static constexpr std::int32_t kNothing = 1;
    static constexpr std::int32_t kPhaseSet = 10001;
    static constexpr std::int32_t kConversation = 10003;
    static constexpr std::int32_t kGameOver = 10004;
    static constexpr std::int32_t kStoryEvent = 10005;

    // The story event's change covers the field in black, or in white when the script asks.
    static constexpr std::uint32_t kEventFadeDirection = 0xF000;
    static constexpr std::int32_t kBlackFade = 15;
    static constexpr std::int32_t kWhiteFade = 240;

    TMapEventModule(TGameWnd* app, TFieldLoop* field);

    std::uint32_t Call(std::uint32_t command, const std::deque<std::string>& args,
                       const std::deque<std::uint32_t>& kinds) override;
    void Update() override { DoNothing(); }
    void Draw() override { DoNothing(); }

    // Adds one use of the area's music in the music bank so that it outlives the field; its id, or
    // -1 (no use added) for an area without music.
    static std::int32_t KeepMusic(TGameWnd* app, const TAreaBase* area);

    // The code of the last call (1 before any).
    std::int32_t GetResult() const { return m_result; }

private:
    void ChangeMap(const std::deque<std::string>& args);

    TGameWnd* m_app;
    TFieldLoop* m_field;
    TAreaBase* m_area;
    std::int32_t m_result = kNothing;
};
