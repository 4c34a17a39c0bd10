#include "MainCode/Menu/TMenuWindowColumn.h"

#include "MainCode/Menu/TMenuSceneLoop.h"

void TMenuWindowColumn::Add(const std::string& texture, std::int32_t xFrom, std::int32_t xTo, std::int32_t y,
                            bool lit)
{
    Window w;
    w.sprite = TSprite::FromFile(texture, D3DPOOL_MANAGED, 0);
    w.x.Set(xFrom, xTo, kSteps, 0);
    w.y.Set(y, y, kSteps, 0);
    w.alpha.Set(1.0F, 0.5F, kSteps, lit ? 0 : kSteps);
    w.sprite.SetColor(TMenuSceneLoop::WindowColor(w.alpha.value), -1);
    m_windows.push_back(w);
}

bool TMenuWindowColumn::Open()
{
    const std::size_t last = m_windows.size() - 1;
    for (std::size_t i = 0; i < last; ++i) {
        m_windows[i].x.Advance();
        if (m_windows[i].x.step < kOpenNext) {
            return false;
        }
    }
    return !m_windows[last].x.Advance();
}

bool TMenuWindowColumn::Close()
{
    const std::size_t last = m_windows.size() - 1;
    for (std::size_t i = 0; i < last; ++i) {
        m_windows[i].x.Retreat();
        if (m_windows[i].x.step >= kCloseNext) {
            return false;
        }
    }
    return !m_windows[last].x.Retreat();
}

void TMenuWindowColumn::Highlight(std::int32_t cursor, bool snap)
{
    for (std::size_t i = 0; i < m_windows.size(); ++i) {
        TLinearRamp& alpha = m_windows[i].alpha;
        const bool lit = static_cast<std::int32_t>(i) == cursor;
        if (snap) {
            lit ? alpha.RunToStart() : alpha.RunToEnd();
        } else {
            lit ? alpha.Retreat() : alpha.Advance();
        }
        m_windows[i].sprite.SetColor(TMenuSceneLoop::WindowColor(alpha.value), -1);
    }
}

std::int32_t TMenuWindowColumn::Move(std::int32_t cursor, std::int32_t delta) const
{
    const std::int32_t count = Count();
    return ((cursor + delta) % count + count) % count;
}

void TMenuWindowColumn::Draw()
{
    for (Window& w : m_windows) {
        w.sprite.Draw(static_cast<float>(w.x.value), static_cast<float>(w.y.value), false);
    }
}
