#include "MainCode/Menu/TListPager.h"

#include <algorithm>

#include "MainCode/TInputDevice.h"

void TListPager::Reset(std::int32_t length)
{
    m_length = std::max(length, 0);
    m_row = 0;
    m_top = 0;
}

void TListPager::Repair(std::int32_t length, bool entryDeleted)
{
    m_length = std::max(length, 0);
    const std::int32_t last = LastRow();
    if (m_row >= last) {
        m_row = last;
        if (last != kRows - 1) {
            m_top = 0;
        } else if (m_top >= m_length - kRows) {
            m_top = m_length - kRows;
        }
    } else if (entryDeleted) {
        m_top = std::max(m_top - 1, 0);
    }
}

std::int32_t TListPager::LastRow() const
{
    return m_length >= kRows ? kRows - 1 : std::max(m_length - 1, 0);
}

bool TListPager::Move(std::uint16_t moves)
{
    if ((moves & kButtonUp) != 0) {
        Up();
    } else if ((moves & kButtonDown) != 0) {
        Down();
    } else if ((moves & kButtonLeft) != 0) {
        PageUp();
    } else if ((moves & kButtonRight) != 0) {
        PageDown();
    } else {
        return false;
    }
    return true;
}

void TListPager::Up()
{
    --m_row;
    if (m_row < 0) {
        m_row = 0;
        m_top = std::max(m_top - 1, 0);
    }
}

void TListPager::Down()
{
    const std::int32_t last = LastRow();
    ++m_row;
    if (m_row <= last) {
        return;
    }
    m_row = last;
    if (last != kRows - 1) {
        m_top = 0;
        return;
    }
    m_top = std::min(m_top + 1, m_length - kRows);
}

void TListPager::PageUp()
{
    if (m_length <= kRows) {
        m_row = 0;
        return;
    }
    m_top -= kRows;
    if (m_top < 0) {
        m_top = 0;
        m_row = 0;
    }
}

void TListPager::PageDown()
{
    if (m_length <= kRows) {
        m_row = LastRow();
        return;
    }
    m_top += kRows;
    if (m_top + kRows - 1 >= m_length) {
        m_top = m_length - kRows;
        m_row = kRows - 1;
    }
}
