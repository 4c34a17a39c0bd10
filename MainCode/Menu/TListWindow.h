// A menu list window's cursor and the bob of its cursor and arrows, with the one step every list
// runs: the item ring screen, the equipment screen, the skill window and both shops. The screen
// keeps what its list holds and what it does when a row is chosen or the list is left.
#pragma once

#include <cstdint>

#include "MainCode/Menu/TListPager.h"
#include "MainCode/Menu/TMenuSceneLoop.h"
#include "TCommon/TLinearRamp.h"

class TListWindow {
public:
    // What a step leaves the screen to answer.
    enum Result { kNone, kMoved, kDecided, kCancelled };
    // Which of decide and cancel is taken when both come in one step.
    enum Order { kDecideFirst, kCancelFirst };
    static constexpr std::uint16_t kMoveButtons = kButtonUp | kButtonDown | kButtonLeft | kButtonRight;

    // The bob from -3 to 3 and back in 10 steps, without end.
    TListWindow() { m_bob.Start(-3, 3, 10, TRepeatIntRamp::kEndless, true); }

    TListPager& GetPager() { return m_pager; }
    const TListPager& GetPager() const { return m_pager; }
    std::int32_t GetBob() const { return m_bob.Value(); }

    // One step: the bob, then the first of the moves (moves: the buttons newly pressed or
    // repeating). A move that scrolled the window calls refreshRows; one that took the cursor to
    // another entry calls refreshInfo, plays the list cursor sound and answers kMoved. Without a
    // move, decide and cancel (pressed: the buttons newly pressed) are answered in the order asked
    // for; their sounds are the screen's own.
    template <typename Rows, typename Info>
    Result Step(TMenuSceneLoop& scene, std::uint16_t moves, std::uint16_t pressed, Rows refreshRows, Info refreshInfo,
                Order order = kDecideFirst)
    {
        m_bob.Step();
        const std::int32_t before = m_pager.GetIndex();
        const std::int32_t top = m_pager.GetTop();
        if (m_pager.Move(moves)) {
            if (m_pager.GetTop() != top) {
                refreshRows();
            }
            if (m_pager.GetIndex() == before) {
                return kNone;
            }
            refreshInfo();
            scene.PlaySe(kSoundListCursor);
            return kMoved;
        }
        const bool decide = (pressed & kButtonDecide) != 0;
        const bool cancel = (pressed & kButtonCancel) != 0;
        if (order == kCancelFirst && cancel) {
            return kCancelled;
        }
        if (decide) {
            return kDecided;
        }
        return cancel ? kCancelled : kNone;
    }

private:
    TListPager m_pager;
    TRepeatIntRamp m_bob;
};
