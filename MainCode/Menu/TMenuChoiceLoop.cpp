#include "MainCode/Menu/TMenuChoiceLoop.h"

#include "MainCode/Menu/TMenuTopLoop.h"

TMenuChoiceLoop::TMenuChoiceLoop(TGameWnd* app, TMenuTopLoop* menu, std::int32_t cursor)
    : TMenuSceneLoop(app), m_menu(menu), m_cursor(cursor)
{
    SetState(&TMenuChoiceLoop::Open);
    SetOwner(menu);
    StartSubScreen();
}

void TMenuChoiceLoop::AddChoice(const std::string& texture, std::int32_t xFrom, std::int32_t xTo, std::int32_t y)
{
    m_choices.Add(texture, xFrom, xTo, y, m_choices.Count() == m_cursor);
}

std::uint32_t TMenuChoiceLoop::Open()
{
    if (m_choices.Open()) {
        SetState(&TMenuChoiceLoop::Input);
    }
    return LOOP_CONTINUE;
}

std::uint32_t TMenuChoiceLoop::Input()
{
    const std::int32_t before = m_cursor;
    if (Moves(kButtonUp) != 0) {
        m_cursor = m_choices.Move(m_cursor, -1);
    } else if (Moves(kButtonDown) != 0) {
        m_cursor = m_choices.Move(m_cursor, 1);
    }
    if (m_cursor != before) {
        PlaySe(kSoundCursor);
    }
    const bool back = m_cursor == m_choices.Count() - 1;
    if (Pressed(kButtonCancel) != 0 || (Pressed(kButtonDecide) != 0 && back)) {
        PlaySe(kSoundCancel);
        SetState(&TMenuChoiceLoop::Close);
    } else if (Pressed(kButtonDecide) != 0) {
        if (CanDecide(m_cursor)) {
            PlaySe(kSoundDecide);
            m_decided = true;
            SetState(&TMenuChoiceLoop::Close);
        } else {
            PlaySe(kSoundRefused);
        }
    }
    m_choices.Highlight(m_cursor, false);
    return LOOP_CONTINUE;
}

std::uint32_t TMenuChoiceLoop::Close()
{
    return m_choices.Close() ? Closed() : LOOP_CONTINUE;
}

void TMenuChoiceLoop::DrawWindows()
{
    m_choices.Draw();
}
