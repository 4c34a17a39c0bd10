// The item-get notices: one line of text at a time in a small window that slides in from the
// right edge, stays, and slides out again. Whoever causes a notice queues it; the field's player
// steps and draws the window once a frame. A pause in the queue keeps the window empty a while.
#pragma once

#include <cstdint>
#include <list>
#include <string>

#include "TCommon/TLinearRamp.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TText8.h"

class TGetRender {
public:
    // Notice kinds.
    static constexpr std::uint32_t kItem = 0;
    static constexpr std::uint32_t kBell = 1;
    static constexpr std::uint32_t kSkill = 2;
    static constexpr std::uint32_t kText = 3;
    static constexpr std::uint32_t kPause = 4;
    static constexpr std::uint32_t kItemSteal = 5;
    static constexpr std::uint32_t kBellSteal = 6;

    struct Notice {
        std::uint32_t kind;
        std::uint32_t value;
        std::string text;
    };

    static TRefPtr<TGetRender> Create();
    TGetRender();
    TGetRender(const TGetRender&) = delete;
    TGetRender& operator=(const TGetRender&) = delete;

    // Each appends one notice; nothing on screen changes.
    void PushItemGet(std::uint32_t itemId) { Push(kItem, itemId, {}); }
    void PushBellGet(std::uint32_t amount) { Push(kBell, amount, {}); }
    void PushSkillGet(std::uint32_t skillId) { Push(kSkill, skillId, {}); }
    void PushText(const std::string& text) { Push(kText, 0, text); }
    // A pause of that many frames; 0 counts as 1.
    void PushKind4(std::uint32_t frames) { Push(kPause, frames, {}); }
    void PushItemSteal(std::uint32_t itemId) { Push(kItemSteal, itemId, {}); }
    void PushBellSteal(std::uint32_t amount) { Push(kBellSteal, amount, {}); }

    // Blank text, window off screen at once, nothing queued.
    void Clear();
    void Update();
    void Draw();

    // The line a notice shows (empty for a pause).
    static std::string MakeLine(const Notice& notice);

private:
    friend struct THudProbe;
    using State = void (TGetRender::*)();

    void Push(std::uint32_t kind, std::uint32_t value, const std::string& text);
    void Idle() {}
    void SlideIn();
    void Hold();
    void SlideOut();
    void Render(const std::string& line);

    State m_state = &TGetRender::Idle;
    std::uint32_t m_hold = 0;
    TText8 m_text;
    TSprite m_window;
    TIntRamp m_slide;
    std::list<Notice> m_queue;
    std::size_t m_count = 0;
};
