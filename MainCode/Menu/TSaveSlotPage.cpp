#include "MainCode/Menu/TSaveSlotPage.h"

#include <cstdio>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Menu/TMenuSceneLoop.h"
#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TText8.h"

namespace {

constexpr std::int32_t kSteps = 10;
constexpr std::int32_t kRowX = 64;
constexpr std::int32_t kOutRight = 1152;
constexpr std::int32_t kOutLeft = -512;
constexpr std::int32_t kRowGap = 64;
constexpr std::int32_t kFollowIn = 6;   // the next row starts once this one reached this step
constexpr std::int32_t kFollowOut = 5;  // and goes back once this one fell below it
constexpr float kDimLevel = 0.5F;

TSprite Load(const char* key)
{
    return TSprite::FromFile(key, D3DPOOL_MANAGED, 0);
}

std::unique_ptr<TText8> MakeText(const char* name, UINT width)
{
    return std::make_unique<TText8>(name, width, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
}

void Write(TText8& text, const char* line)
{
    TFontHolder font(0, 16, "ＭＳ ゴシック", 400, 2, 0, 0, 0);
    text.Clear(false);
    text.DrawText(0, 0, line, &font, true);
}

}  // namespace

void TRowHighlight::Reset(bool lit)
{
    alpha.Set(1.0F, 0.5F, kSteps, lit ? 0 : kSteps);
    grey.Set(1.0F, 0.3F, kSteps, lit ? 0 : kSteps);
}

void TRowHighlight::Step(bool lit)
{
    if (lit) {
        alpha.Retreat();
        grey.Retreat();
    } else {
        alpha.Advance();
        grey.Advance();
    }
}

void TRowHighlight::Apply(TSprite& window, TSprite& text) const
{
    window.SetColor(TMenuSceneLoop::WindowColor(alpha.value), -1);
    const auto g = static_cast<DWORD>(static_cast<std::int32_t>(grey.value * 255.0F)) & 0xFF;
    text.SetColor(0xFF000000u | g << 16 | g << 8 | g, -1);
}

TSaveSlotPage::TSaveSlotPage(TMenuSceneLoop* sounds) : m_sounds(sounds)
{
    m_titleX.Set(-170, 72, kSteps, 0);
    m_pageX.Set(640, 408, kSteps, 0);
    m_titleWindow = Load("sprite.ptx/window16");
    m_pageWindow = Load("sprite.ptx/window16");
    m_titleText = MakeText("WinTips0", 64);
    m_pageText = MakeText("PageNum", 128);
    static const char* const kRowNames[kRows] = {"SaveNo0", "SaveNo1", "SaveNo2", "SaveNo3", "SaveNo4"};
    for (std::int32_t r = 0; r < kRows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        m_rowY[i].Set(-320 + kRowGap * r, 80 + kRowGap * r, kSteps, 0);
        m_rowX[i].Set(kRowX, kRowX, kSteps, 0);
        m_rowWindows[i] = Load("sprite.ptx/window11");
        m_rowTexts[i] = MakeText(kRowNames[r], 512);
        m_rowLight[i].Reset(r == 0);
        m_rowLight[i].Apply(m_rowWindows[i], *m_rowTexts[i]);
    }
    m_questions[0] = Load("sprite.ptx/window25");
    m_questions[1] = Load("sprite.ptx/window26");
    m_choiceBox = Load("sprite.ptx/window10");
    m_cursorSprite = Load("sprite.ptx/cursor02");
    m_bob.Start(-3, 3, kSteps, TRepeatIntRamp::kEndless, true);
    m_questionX.Set(64, 64, kSteps, 0);
    m_questionY.Set(-128, 164, kSteps, 0);
    m_boxX.Set(283, 283, kSteps, 0);
    m_boxY.Set(480, 294, kSteps, 0);
    m_dim2.Set(0.0F, kDimLevel, kSteps, 0);
    SetDim2(0.0F);
}

TSaveSlotPage::~TSaveSlotPage() = default;

void TSaveSlotPage::SetKind(Kind kind, std::int32_t chapter)
{
    m_kind = kind;
    m_chapter = chapter;
}

void TSaveSlotPage::SetTitle(const std::string& title)
{
    Write(*m_titleText, title.c_str());
}

void TSaveSlotPage::Open()
{
    m_state = &TSaveSlotPage::StateOpen;
}

void TSaveSlotPage::RefreshPage()
{
    char line[32];
    std::snprintf(line, sizeof line, "PAGE : %2d / 20", m_page + 1);
    Write(*m_pageText, line);
    for (std::int32_t r = 0; r < kRows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        m_codes[i] = TGameData::FormatSaveSlotLine(m_page * kRows + r, *m_rowTexts[i], m_kind == Kind::Save, m_chapter);
    }
}

TSaveSlotPage::Result TSaveSlotPage::Step(std::uint16_t pressed, std::uint16_t moves)
{
    if (m_state == nullptr) {
        return Result::Busy;
    }
    return (this->*m_state)(pressed, moves);
}

bool TSaveSlotPage::InConfirmation() const
{
    return m_state == &TSaveSlotPage::StateConfirmFadeIn || m_state == &TSaveSlotPage::StateConfirmOpen ||
           m_state == &TSaveSlotPage::StateConfirm || m_state == &TSaveSlotPage::StateConfirmClose ||
           m_state == &TSaveSlotPage::StateConfirmFadeOut;
}

void TSaveSlotPage::Play(std::uint32_t id)
{
    if (m_sounds != nullptr) {
        m_sounds->PlaySe(id);
    }
}

bool TSaveSlotPage::CascadeIn(std::span<TIntRamp> ramps)
{
    for (std::size_t i = 0; i < ramps.size(); ++i) {
        if (i == 0 || ramps[i - 1].step >= kFollowIn) {
            ramps[i].Advance();
        }
    }
    return ramps.back().AtEnd();
}

bool TSaveSlotPage::CascadeOut(std::span<TIntRamp> ramps)
{
    for (std::size_t i = 0; i < ramps.size(); ++i) {
        if (i == 0 || ramps[i - 1].step < kFollowOut) {
            ramps[i].Retreat();
        }
    }
    return ramps.back().AtStart();
}

void TSaveSlotPage::Highlight()
{
    for (std::int32_t r = 0; r < kRows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        m_rowLight[i].Step(r == m_cursor);
        m_rowLight[i].Apply(m_rowWindows[i], *m_rowTexts[i]);
    }
}

void TSaveSlotPage::SetDim2(float value)
{
    m_dim2Overlay.SetColor(TMenuSceneLoop::DimColor(value), -1);
}

TSaveSlotPage::Result TSaveSlotPage::StateOpen(std::uint16_t, std::uint16_t)
{
    m_titleX.Advance();
    m_pageX.Advance();
    if (CascadeIn(m_rowY)) {
        m_state = &TSaveSlotPage::StateSelect;
    }
    return Result::Busy;
}

TSaveSlotPage::Result TSaveSlotPage::StateSelect(std::uint16_t pressed, std::uint16_t moves)
{
    Result result = Result::Busy;
    if ((moves & kButtonUp) != 0) {
        m_cursor = m_cursor == 0 ? kRows - 1 : m_cursor - 1;
        Play(kSoundListCursor);
    } else if ((moves & kButtonDown) != 0) {
        m_cursor = m_cursor == kRows - 1 ? 0 : m_cursor + 1;
        Play(kSoundListCursor);
    } else if ((moves & (kButtonLeft | kButtonRight)) != 0) {
        const bool left = (moves & kButtonLeft) != 0;
        m_page = left ? (m_page == 0 ? kPages - 1 : m_page - 1) : (m_page == kPages - 1 ? 0 : m_page + 1);
        Play(kSoundListCursor);
        for (TIntRamp& x : m_rowX) {
            x.Set(kRowX, left ? kOutRight : kOutLeft, kSteps, 0);
        }
        m_pageInFrom = left ? kOutLeft : kOutRight;
        m_state = &TSaveSlotPage::StatePageOut;
    } else if ((pressed & kButtonCancel) != 0) {
        Play(kSoundCancel);
        for (TIntRamp& x : m_rowX) {
            x.Set(kRowX, kRowX, kSteps, 0);
        }
        m_state = &TSaveSlotPage::StateClose;
    } else if ((pressed & kButtonDecide) != 0) {
        const std::int32_t code = m_codes[static_cast<std::size_t>(m_cursor)];
        if (m_kind == Kind::Load) {
            if (code != TGameData::kSaveOk) {
                Play(kSoundRefused);
            } else {
                result = Result::Chosen;
            }
        } else {
            Play(kSoundDecide);
            if (code == TGameData::kSaveOpenFailed) {
                // Nothing there to lose: no question.
                m_rowX[static_cast<std::size_t>(m_cursor)].Set(kRowX, kOutRight, kSteps, 0);
                m_state = &TSaveSlotPage::StateWrite;
            } else {
                m_state = &TSaveSlotPage::StateConfirmFadeIn;
            }
        }
    }
    Highlight();
    return result;
}

TSaveSlotPage::Result TSaveSlotPage::StatePageOut(std::uint16_t, std::uint16_t)
{
    if (CascadeIn(m_rowX)) {
        RefreshPage();
        for (TIntRamp& x : m_rowX) {
            x.Set(m_pageInFrom, kRowX, kSteps, 0);
        }
        m_state = &TSaveSlotPage::StatePageIn;
    }
    return Result::Busy;
}

TSaveSlotPage::Result TSaveSlotPage::StatePageIn(std::uint16_t, std::uint16_t)
{
    if (CascadeIn(m_rowX)) {
        m_state = &TSaveSlotPage::StateSelect;
    }
    return Result::Busy;
}

TSaveSlotPage::Result TSaveSlotPage::StateConfirmFadeIn(std::uint16_t, std::uint16_t)
{
    m_dim2.Advance();
    SetDim2(m_dim2.value);
    if (!m_dim2.AtEnd()) {
        return Result::Busy;
    }
    m_choice = 0;
    std::int32_t chapter = TGameData::GetSaveChapter(GetSlot());
    if (chapter == -1) {
        chapter = TGameData::GetChapter();
    }
    const bool own = chapter == TGameData::GetChapter();
    m_question = m_questions[own ? 0 : 1];
    m_questionX.Set(64, 64, kSteps, 0);
    m_questionY.Set(own ? -128 : -192, own ? 164 : 100, kSteps, 0);
    m_boxX.Set(283, 283, kSteps, 0);
    m_boxY.Set(480, 294, kSteps, 0);
    m_state = &TSaveSlotPage::StateConfirmOpen;
    return Result::Busy;
}

TSaveSlotPage::Result TSaveSlotPage::StateConfirmOpen(std::uint16_t, std::uint16_t)
{
    m_boxY.Advance();
    m_questionY.Advance();
    if (m_questionY.AtEnd()) {
        m_state = &TSaveSlotPage::StateConfirm;
    }
    return Result::Busy;
}

TSaveSlotPage::Result TSaveSlotPage::StateConfirm(std::uint16_t pressed, std::uint16_t)
{
    m_bob.Step();
    if ((pressed & (kButtonUp | kButtonDown)) != 0) {
        m_choice ^= 1;
        Play(kSoundListCursor);
    } else if ((pressed & kButtonDecide) != 0) {
        Play(m_choice == 0 ? kSoundDecide : kSoundCancel);
        m_state = &TSaveSlotPage::StateConfirmClose;
    } else if ((pressed & kButtonCancel) != 0) {
        Play(kSoundCancel);
        m_choice = 1;
        m_state = &TSaveSlotPage::StateConfirmClose;
    }
    return Result::Busy;
}

TSaveSlotPage::Result TSaveSlotPage::StateConfirmClose(std::uint16_t, std::uint16_t)
{
    m_boxY.Retreat();
    m_questionY.Retreat();
    if (m_questionY.AtStart()) {
        m_state = &TSaveSlotPage::StateConfirmFadeOut;
    }
    return Result::Busy;
}

TSaveSlotPage::Result TSaveSlotPage::StateConfirmFadeOut(std::uint16_t, std::uint16_t)
{
    m_dim2.Retreat();
    SetDim2(m_dim2.value);
    if (!m_dim2.AtStart()) {
        return Result::Busy;
    }
    if (m_choice == 0) {
        m_rowX[static_cast<std::size_t>(m_cursor)].Set(kRowX, kOutRight, kSteps, 0);
        m_state = &TSaveSlotPage::StateWrite;
    } else {
        m_state = &TSaveSlotPage::StateSelect;
    }
    return Result::Busy;
}

TSaveSlotPage::Result TSaveSlotPage::StateWrite(std::uint16_t, std::uint16_t)
{
    TIntRamp& x = m_rowX[static_cast<std::size_t>(m_cursor)];
    x.Advance();
    if (!x.AtEnd()) {
        return Result::Busy;
    }
    if (m_beforeSave) {
        m_beforeSave();
    }
    m_lastSave = TGameData::GetInstance()->Save(GetSlot());
    RefreshPage();
    if (m_lastSave != TGameData::kSaveOk) {
        // Cleared first: the refreshed line under it would make both unreadable.
        char line[96];
        std::snprintf(line, sizeof line, "%2d：セーブデータの書き込みに失敗しました。", GetSlot());
        Write(*m_rowTexts[static_cast<std::size_t>(m_cursor)], line);
    }
    x.Set(kOutLeft, kRowX, kSteps, 0);
    m_state = &TSaveSlotPage::StateSlotIn;
    return Result::Busy;
}

TSaveSlotPage::Result TSaveSlotPage::StateSlotIn(std::uint16_t, std::uint16_t)
{
    TIntRamp& x = m_rowX[static_cast<std::size_t>(m_cursor)];
    x.Advance();
    if (!x.AtEnd()) {
        return Result::Busy;
    }
    x.Set(kRowX, kRowX, kSteps, 0);
    Play(m_lastSave == TGameData::kSaveOk ? kSoundStart : kSoundRefused);
    m_state = &TSaveSlotPage::StateSelect;
    return Result::Busy;
}

TSaveSlotPage::Result TSaveSlotPage::StateClose(std::uint16_t, std::uint16_t)
{
    m_titleX.Retreat();
    m_pageX.Retreat();
    if (!CascadeOut(m_rowY)) {
        return Result::Busy;
    }
    m_state = nullptr;
    return Result::Closed;
}

void TSaveSlotPage::Draw()
{
    for (std::size_t i = 0; i < m_rowWindows.size(); ++i) {
        m_rowWindows[i].Draw(static_cast<float>(m_rowX[i].value), static_cast<float>(m_rowY[i].value), false);
    }
    m_titleWindow.Draw(static_cast<float>(m_titleX.value), 54.0F, false);
    m_pageWindow.Draw(static_cast<float>(m_pageX.value), 394.0F, false);
    TSprite::SetRenderMode(3);
    m_titleText->Draw(static_cast<float>(m_titleX.value + 54), 62.0F, false);
    m_pageText->Draw(static_cast<float>(m_pageX.value + 28), 402.0F, false);
    for (std::size_t i = 0; i < m_rowTexts.size(); ++i) {
        m_rowTexts[i]->Draw(static_cast<float>(m_rowX[i].value + 28), static_cast<float>(m_rowY[i].value + 22),
                            false);
    }
    if (!InConfirmation()) {
        return;
    }
    TSprite::SetRenderMode(1);
    m_dim2Overlay.DrawRect(0.0F, 0.0F, 640.0F, 480.0F, false);
    m_question.Draw(static_cast<float>(m_questionX.value), static_cast<float>(m_questionY.value), false);
    m_choiceBox.Draw(static_cast<float>(m_boxX.value), static_cast<float>(m_boxY.value), false);
    m_cursorSprite.Draw(static_cast<float>(m_boxX.value + 12 + m_bob.Value()),
                        static_cast<float>(m_boxY.value + 16 * (m_choice + 1)), false);
}
