#include "MainCode/Hud/TPopupText.h"

void TPopupText::Start(float x, float y)
{
    m_active = true;
    m_x = x;
    m_y = y;
}
