// A menu list window's cursor and the bob of its cursor and arrows, with the one step every list
// runs: the item ring screen, the equipment screen, the skill window and both shops. The screen
// keeps what its list holds and what it does when a row is chosen or the list is left. The first
// three slide the list window and its title window in and out over their screen with this one;
// the shops open their list with their other windows instead.
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
    // Where the list window and its title window stand once slid in.
    static constexpr std::int32_t kListX = 342;
    static constexpr std::int32_t kTitleX = 358;

    // The bob from -3 to 3 and back in 10 steps, without end. The slide: in 10 steps the list
    // window from y -320 to 32, the title window from -32 to 16.
    TListWindow()
    {
        m_bob.Start(-3, 3, 10, TRepeatIntRamp::kEndless, true);
        m_listY.Set(-320, 32, 10, 0);
        m_titleY.Set(-32, 16, 10, 0);
    }

    TListPager& GetPager() { return m_pager; }
    const TListPager& GetPager() const { return m_pager; }
    std::int32_t GetBob() const { return m_bob.Value(); }
    const TIntRamp& GetListY() const { return m_listY; }
    const TIntRamp& GetTitleY() const { return m_titleY; }

    // One step of the list and title windows' slide in (out); true once they are in place (gone).
    // What dims or moves with them is the screen's own.
    bool SlideIn()
    {
        m_titleY.Advance();
        m_listY.Advance();
        return m_listY.AtEnd();
    }
    bool SlideOut()
    {
        m_titleY.Retreat();
        m_listY.Retreat();
        return m_listY.AtStart();
    }

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
    TIntRamp m_listY;
    TIntRamp m_titleY;
};
