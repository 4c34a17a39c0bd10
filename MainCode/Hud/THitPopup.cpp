#include "MainCode/Hud/THitPopup.h"

#include <algorithm>

#include "MainCode/Hud/TLetterFont.h"

namespace {

constexpr char kHit[] = "HIT!";
constexpr char kDamage[] = "DAMAGE!";
constexpr std::int32_t kHoldSteps = 60;

}  // namespace

THitPopup::THitPopup(TLetterFont* font) : TPopupText(font)
{
    m_scale.Set(3.0F, 1.0F, 10, 0);
    m_hitSlide.steps = 20;
    m_damageSlide.steps = 20;
    if (font == nullptr) {
        return;
    }
    for (int i = 0; i < 4; ++i) {
        m_hit[i] = font->Glyph(static_cast<std::uint8_t>(kHit[i]));
    }
    for (int i = 0; i < 7; ++i) {
        m_damage[i] = font->Glyph(static_cast<std::uint8_t>(kDamage[i]));
    }
    for (int d = 0; d < 10; ++d) {
        m_templates[d] = font->Digit(d);
    }
}

void THitPopup::Show(float x, float y, std::int32_t count, std::int32_t total)
{
    TPopupText::Start(x, y);
    for (TIntRamp* slide : {&m_hitSlide, &m_damageSlide}) {
        slide->from = static_cast<std::int32_t>(x);
        slide->value = slide->from;
        slide->to = static_cast<std::int32_t>(x + 256.0F);
        slide->step = 0;
    }
    m_hold = kHoldSteps;
    m_yOffset = 0.0F;
    m_scale.value = m_scale.from;
    m_scale.step = 0;
    m_alpha = 1.0F;
    SetAlpha(1.0F);
    // Places beyond the templates have nothing to show: the numbers stay within them.
    m_count = std::clamp(count, 0, kMaxCount);
    m_total = std::clamp(total, 0, kMaxTotal);
    m_state = &THitPopup::ScaleIn;

    // The templates are opaque white, as SetAlpha(1.0) left the places.
    m_countDigits[0] = m_templates[m_count % 10];
    if (m_count >= 10) {
        m_countDigits[1] = m_templates[m_count / 10];
    }
    m_totalDigits[0] = m_templates[m_total % 10];
    if (m_total >= 10) {
        m_totalDigits[1] = m_templates[m_total % 100 / 10];
    }
    if (m_total >= 100) {
        m_totalDigits[2] = m_templates[m_total % 1000 / 100];
    }
    if (m_total >= 1000) {
        m_totalDigits[3] = m_templates[m_total / 1000];
    }
}

void THitPopup::Stop()
{
    m_hold = 0;
    m_scale.value = m_scale.from;
    m_scale.step = 0;
    m_yOffset = 0.0F;
    m_alpha = 1.0F;
    SetAlpha(1.0F);
    m_state = &THitPopup::ScaleIn;
    TPopupText::Stop();
}

void THitPopup::Update()
{
    if (m_active) {
        (this->*m_state)();
    }
}

void THitPopup::ScaleIn()
{
    if (!m_scale.Advance()) {
        m_hold = kHoldSteps;
        m_yOffset = 0.0F;
        m_state = &THitPopup::Hold;
    }
}

void THitPopup::Hold()
{
    if (--m_hold <= 0) {
        m_state = &THitPopup::FadeOut;
    }
}

void THitPopup::FadeOut()
{
    m_alpha -= 0.02F;
    m_hitSlide.Advance();
    if (m_hitSlide.step > 10 && !m_damageSlide.Advance()) {
        Stop();
    }
    SetAlpha(m_alpha);
}

void THitPopup::SetAlpha(float a)
{
    const DWORD colour = static_cast<DWORD>(static_cast<std::int32_t>(a * 255.0F)) << 24 | 0x00FFFFFF;
    for (TSprite& s : m_countDigits) {
        s.SetColor(colour, -1);
    }
    for (TSprite& s : m_hit) {
        s.SetColor(colour, -1);
    }
    for (TSprite& s : m_totalDigits) {
        s.SetColor(colour, -1);
    }
    for (TSprite& s : m_damage) {
        s.SetColor(colour, -1);
    }
}

void THitPopup::Draw()
{
    if (!m_active) {
        return;
    }
    const float s = m_scale.value * 16.0F;
    const float h = (s - 16.0F) / 2.0F;
    const auto x1 = static_cast<float>(m_hitSlide.value);
    const auto x2 = static_cast<float>(m_damageSlide.value);
    const float y1 = m_y + m_yOffset;
    const float y2 = y1 + 20.0F;
    for (int i = 0; i < 4; ++i) {
        m_hit[i].Draw(x1 + 14.0F * static_cast<float>(i), y1, 16.0F, 16.0F, false);
    }
    m_countDigits[0].Draw(x1 - 24.0F - h, y1 - h, s, s, false);
    if (m_count >= 10) {
        m_countDigits[1].Draw(x1 - 38.0F - h, y1 - h, s, s, false);
    }
    for (int i = 0; i < 7; ++i) {
        m_damage[i].Draw(x2 + 14.0F * static_cast<float>(i), y2, 16.0F, 16.0F, false);
    }
    static const std::int32_t kPlaceFrom[4] = {0, 10, 100, 1000};
    for (int place = 0; place < 4; ++place) {
        if (m_total >= kPlaceFrom[place]) {
            m_totalDigits[place].Draw(x2 - 24.0F - 14.0F * static_cast<float>(place) - h, y2 - h, s, s, false);
        }
    }
}
