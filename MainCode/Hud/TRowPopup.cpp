#include "MainCode/Hud/TRowPopup.h"

void TRowPopup::Stop()
{
    m_rows.Rewind();
    TPopupText::Stop();
}

void TRowPopup::Update()
{
    if (m_active && m_rows.Update()) {
        Stop();
    }
}

void TRowPopup::Draw()
{
    if (m_active) {
        m_rows.Draw();
    }
}
