#include "MainCode/Hud/TGetRender.h"

#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TSkillTable.h"
#include "TUtility/TFontHolder.h"

namespace {

constexpr std::uint32_t kHoldFrames = 100;

}  // namespace

TRefPtr<TGetRender> TGetRender::Create()
{
    return TRefPtr<TGetRender>(new TGetRender());
}

TGetRender::TGetRender()
    : m_text("TGetRender::tGet", 256, 16, 255, 255, 255, D3DPOOL_MANAGED, 0),
      m_window(TSprite::FromFile("sprite.ptx/window22", D3DPOOL_MANAGED, 0))
{
    m_slide.Set(640, 376, 20, 0);
}

void TGetRender::Push(std::uint32_t kind, std::uint32_t value, const std::string& text)
{
    m_queue.push_back({kind, value, text});
    ++m_count;
}

std::string TGetRender::MakeLine(const Notice& notice)
{
    switch (notice.kind) {
    case kItem: return TItemTable::Get(notice.value).Name + "を手に入れた。";
    case kBell: return std::to_string(notice.value) + "ベル手に入れた。";
    case kSkill: return TSkillTable::Get(notice.value).Name + "を覚えた。";
    case kText: return notice.text;
    case kItemSteal: return TItemTable::Get(notice.value).Name + "を盗んだ。";
    case kBellSteal: return std::to_string(notice.value) + "ベル盗んだ。";
    default: return {};
    }
}

void TGetRender::Clear()
{
    m_text.Clear(true);
    m_slide.value = m_slide.from;
    m_slide.step = 0;
    m_state = &TGetRender::Idle;
    m_queue.clear();
    m_count = 0;
}

void TGetRender::Render(const std::string& line)
{
    m_text.Clear(false);
    const auto n = static_cast<std::int32_t>(line.size());
    // The font is made for this one line; the bitmap keeps what falls inside it.
    TFontHolder font(0, 16, "ＭＳ ゴシック", 400, 2, 0, 0, 0);
    m_text.DrawText(124 - n / 2 * 8, 0, line, &font, true);
}

void TGetRender::Update()
{
    if (!m_queue.empty() && m_state == &TGetRender::Idle) {
        Notice& next = m_queue.front();
        if (next.kind == kPause) {
            // A pause of 0 would wrap and hold the queue for ever: it ends like a pause of 1.
            if (next.value <= 1) {
                m_queue.pop_front();
                --m_count;
            } else {
                --next.value;
            }
            return;
        }
        Render(MakeLine(next));
        m_state = &TGetRender::SlideIn;
        m_queue.pop_front();
        --m_count;
    }
    (this->*m_state)();
}

void TGetRender::SlideIn()
{
    if (!m_slide.Advance()) {
        m_hold = 0;
        m_state = &TGetRender::Hold;
    }
}

void TGetRender::Hold()
{
    if (++m_hold >= kHoldFrames) {
        m_state = &TGetRender::SlideOut;
    }
}

void TGetRender::SlideOut()
{
    if (!m_slide.Retreat()) {
        m_slide.value = m_slide.from;
        m_state = &TGetRender::Idle;
    }
}

void TGetRender::Draw()
{
    if (m_state == &TGetRender::Idle) {
        return;
    }
    const auto x = static_cast<float>(m_slide.value);
    TSprite::SetRenderMode(1);
    m_window.Draw(x, 8.0F, false);
    TSprite::SetRenderMode(3);
    m_text.Draw(x + 12.0F, 16.0F, false);
}
