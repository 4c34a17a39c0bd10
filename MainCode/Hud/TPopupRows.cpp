#include "MainCode/Hud/TPopupRows.h"

#include <algorithm>

#include "MainCode/Hud/TLetterFont.h"

namespace {

constexpr std::int32_t kSlideSteps = 20;
// A row sets the next one going while its slide step is past this (in) or short of it (out).
constexpr std::int32_t kHandOver = 10;

}  // namespace

TPopupRows::TPopupRows(std::uint32_t startColour, std::int32_t hold) : m_startColour(startColour), m_holdSteps(hold)
{
}

void TPopupRows::AddRow(TLetterFont* font, const char* letters, std::initializer_list<float> letterX, bool numbered,
                        float digitX)
{
    Row row;
    for (const char* c = letters; *c != '\0'; ++c) {
        row.letters.push_back(font != nullptr ? font->Glyph(static_cast<std::uint8_t>(*c)) : TSprite());
    }
    row.letterX = letterX;
    row.numbered = numbered;
    row.digitX = digitX;
    row.slide.steps = kSlideSteps;
    row.fade.Set(0.0F, 1.0F, kSlideSteps, 0);
    m_rows.push_back(std::move(row));
    Rewind();
}

void TPopupRows::Place(float x, float y)
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        Row& row = m_rows[i];
        row.y = y + 16.0F * static_cast<float>(i);
        row.slide.from = static_cast<std::int32_t>(x + 256.0F);
        row.slide.to = static_cast<std::int32_t>(x);
        row.slide.step = 0;
        row.slide.value = row.slide.from;
    }
}

void TPopupRows::SetDigits(std::size_t i, TLetterFont* font, std::int64_t value)
{
    if (font == nullptr) {
        return;
    }
    TSprite* places = m_rows[i].digits;
    const auto v = static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, kMaxNumber));
    places[0] = v >= 100 ? font->Digit(v / 100) : font->Glyph('#');
    places[1] = v >= 10 ? font->Digit(v % 100 / 10) : font->Glyph('#');
    places[2] = font->Digit(v % 10);
}

void TPopupRows::Rewind()
{
    for (Row& row : m_rows) {
        row.visible = false;
        row.state = State::Idle;
    }
    if (!m_rows.empty()) {
        m_rows.front().state = State::Start;
    }
}

bool TPopupRows::Update()
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        switch (m_rows[i].state) {
        case State::Idle: break;
        case State::Start: StartRow(m_rows[i]); break;
        case State::SlideIn: SlideIn(i); break;
        case State::Hold: HoldRow(m_rows[i]); break;
        case State::SlideOut: SlideOut(i); break;
        case State::Stopping: return true;
        }
    }
    return false;
}

void TPopupRows::StartRow(Row& row)
{
    row.visible = true;
    row.slide.value = row.slide.from;
    row.slide.step = 0;
    row.fade.value = row.fade.from;
    row.fade.step = 0;
    Colour(row, m_startColour);
    row.state = State::SlideIn;
}

void TPopupRows::SlideIn(std::size_t i)
{
    Row& row = m_rows[i];
    const bool last = i + 1 == m_rows.size();
    row.fade.Advance();
    if (!row.slide.Advance()) {
        row.state = last ? State::Hold : State::Idle;
        row.hold = 0;
    }
    // The next row is started again every step until this one has arrived: it moves only after.
    if (!last && row.slide.step > kHandOver) {
        m_rows[i + 1].state = State::Start;
    }
    FadeColour(row);
}

void TPopupRows::HoldRow(Row& row)
{
    // Only on the step the hold reaches its length: a first row that has slid out stays out.
    ++row.hold;
    if (row.hold == m_holdSteps && m_rows.front().state == State::Idle) {
        m_rows.front().state = State::SlideOut;
    }
}

void TPopupRows::SlideOut(std::size_t i)
{
    Row& row = m_rows[i];
    const bool last = i + 1 == m_rows.size();
    const bool fading = row.fade.Retreat();
    if (!row.slide.Retreat() && !fading) {
        if (last) {
            row.state = State::Stopping;
        } else {
            row.visible = false;
            row.state = State::Idle;
        }
    }
    if (!last && row.slide.step < kHandOver) {
        m_rows[i + 1].state = State::SlideOut;
    }
    FadeColour(row);
}

void TPopupRows::Colour(Row& row, std::uint32_t argb)
{
    for (TSprite& s : row.letters) {
        s.SetColor(argb, -1);
    }
    for (TSprite& s : row.digits) {
        s.SetColor(argb, -1);
    }
}

void TPopupRows::FadeColour(Row& row)
{
    const auto alpha = static_cast<std::uint32_t>(static_cast<std::int32_t>(row.fade.value * 255.0F)) & 0xFF;
    Colour(row, alpha << 24 | 0x00FFFFFF);
}

void TPopupRows::Draw()
{
    for (Row& row : m_rows) {
        if (!row.visible) {
            continue;
        }
        const auto x = static_cast<float>(row.slide.value);
        for (std::size_t k = 0; k < row.letters.size(); ++k) {
            row.letters[k].Draw(x + row.letterX[k], row.y, 16.0F, 16.0F, false);
        }
        if (row.numbered) {
            for (int place = 0; place < 3; ++place) {
                row.digits[place].Draw(x + row.digitX + 14.0F * static_cast<float>(place), row.y, 16.0F, 16.0F, false);
            }
        }
    }
}
