#include "MainCode/Script/TMessageWindow.h"

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "MainCode/TInputDevice.h"
#include "MainCode/TMenuSound.h"
#include "dx/dx8/sound/TDSound8.h"

namespace {

const char kFace[] = "ＭＳ ゴシック";
// The prompt mark at the end of a line that waits for the decide button.
const char kWaitMark[] = "／";
const char kChoicePrefix[] = "　";

bool IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

TSoundBank* EffectBank()
{
    TDSound8* sound = TDSound8::Instance();
    return sound != nullptr ? sound->GetBank(0) : nullptr;
}

TSprite Load(const char* name)
{
    return TSprite::FromFile(name, D3DPOOL_MANAGED, 0);
}

std::int32_t IntArg(const std::deque<std::string>& args, std::size_t i)
{
    return i < args.size() ? ScriptAtoi(args[i]) : 0;
}

// How far left of its pen a glyph of the window's fonts may reach, more than an em of either.
constexpr int kGlyphReach = 32;

}  // namespace

TMessageWindow::TMessageWindow(TInputDevice* input)
    : TScriptModule("Text"),
      m_input(input),
      m_state(&TMessageWindow::DoNothing),
      m_windowSprite(Load("sprite.ptx/window06")),
      m_nameSprite(Load("sprite.ptx/window16")),
      m_buttonA(Load("sprite.ptx/button00_a")),
      m_buttonB(Load("sprite.ptx/button00_b")),
      m_cursorSprite(Load("sprite.ptx/cursor02")),
      m_message("Message", kMessageWidth, kMessageHeight, 255, 255, 255, D3DPOOL_MANAGED, 0),
      m_nameText("Name", kPlateWidth, kPlateHeight, 255, 255, 255, D3DPOOL_MANAGED, 0),
      m_font(9, 18, kFace, 400, 2, 0, 0, 0),
      m_nameFont(0, 16, kFace, 400, 2, 0, 0, 0),
      m_sounds(EffectBank(), TGameData::GetTableDirectory() + "subset/speak_se.tbl")
{
    m_window.Set(kWindowHidden, kWindowShown, kSlideSteps, 0);
    m_name.Set(kNameHidden, kNameShown, kSlideSteps, 0);
    m_cursorBob.Start(-3.0f, 3.0f, 10, TRepeatRamp::kEndless, true);
}

std::uint32_t TMessageWindow::Call(std::uint32_t command, const std::deque<std::string>& args,
                                   const std::deque<std::uint32_t>&)
{
    const std::string text = args.empty() ? std::string() : args[0];
    switch (command) {
    case 0:
        ShowText(text);
        return kDone | kWait;
    case 1:
        ShowChoice(text);
        return kDone | kWait;
    case 2:
        Slide(IntArg(args, 0), IntArg(args, 1));
        return kDone | kWait;
    case 3:
        ClearText(IntArg(args, 0));
        return kDone;
    case 4:
        SetName(text);
        return kDone;
    default:
        return kDone;
    }
}

void TMessageWindow::Reset()
{
    m_shown = 1;
    m_lines.clear();
    m_line = 0;
    m_column = 0;
    m_blinkCount = 0;
    m_blink = 0;
    m_cursor = 0;
    m_delay = 1;
    SendCleared(m_message);
}

void TMessageWindow::ShowText(const std::string& text)
{
    Reset();
    ScriptWork::CountBytes(text.size());
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        m_lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    m_lines.push_back(text.substr(start));
    m_state = &TMessageWindow::TypeOut;
}

void TMessageWindow::ShowChoice(const std::string& text)
{
    Reset();
    ScriptWork::CountBytes(text.size());
    // Three answers fit the window; whatever follows the third line feed stays one more line.
    std::size_t start = 0;
    for (int split = 0; split < kMaxChoices; ++split) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            break;
        }
        m_lines.push_back(kChoicePrefix + text.substr(start, end - start));
        start = end + 1;
    }
    m_lines.push_back(kChoicePrefix + text.substr(start));
    m_state = &TMessageWindow::DrawChoices;
}

void TMessageWindow::Slide(std::int32_t direction, std::int32_t part)
{
    if (direction == 0 || direction == 1) {
        const bool open = direction == 0;
        if (part == 0 || part == 2) {
            m_window.Set(open ? kWindowHidden : kWindowShown, open ? kWindowShown : kWindowHidden, kSlideSteps, 0);
        } else {
            m_window.Set(m_window.value, m_window.value, kSlideSteps, 0);
        }
        if (part == 1 || part == 2) {
            m_name.Set(open ? kNameHidden : kNameShown, open ? kNameShown : kNameHidden, kSlideSteps, 0);
        } else {
            m_name.Set(m_name.value, m_name.value, kSlideSteps, 0);
        }
    }
    m_state = &TMessageWindow::StepSlide;
}

void TMessageWindow::ClearText(std::int32_t part)
{
    if (part == 0 || part == 2) {
        SendCleared(m_message);
    }
    if (part == 1 || part == 2) {
        SendCleared(m_nameText);
    }
}

void TMessageWindow::SetName(const std::string& name)
{
    m_nameText.Clear(false);
    DrawFitting(m_nameText, kPlateWidth, 0, 0, name, &m_nameFont);
    ScriptWork::Count(ScriptPrice::kPlateSent);
    m_nameText.Upload();
}

void TMessageWindow::SendCleared(TText8& text)
{
    ScriptWork::Count(ScriptPrice::kTextureSent);
    text.Clear(true);
}

void TMessageWindow::DrawFitting(TText8& text, int width, int x, int y, const std::string& line, TFontHolder* font)
{
    // A glyph that does not move the pen is counted as a pixel, so that no line draws more glyphs
    // than the text has columns to reach.
    const int stop = width + kGlyphReach;
    int pen = x;
    int glyphs = 0;
    for (std::size_t i = 0; i < line.size() && pen < stop && glyphs < stop; ++glyphs) {
        // A lead byte at the very end is drawn alone, as DrawText pairs it with the terminator.
        const std::size_t size = IsLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size() ? 2 : 1;
        ScriptWork::Count(ScriptPrice::kGlyph);
        pen = text.DrawText(pen, y, line.substr(i, size), font, false);
        i += size;
    }
}

void TMessageWindow::TypeOut()
{
    if (--m_delay >= 1) {
        return;
    }
    m_delay = 1;
    if (m_lines.empty()) {
        Finish();
        return;
    }
    std::string& front = m_lines.front();
    const std::size_t size = !front.empty() && IsLeadByte(static_cast<unsigned char>(front[0])) ? 2 : 1;
    const std::string character = front.substr(0, size);
    front.erase(0, character.size());
    DrawGlyph(character);
    if (front == kWaitMark) {
        EndLine();
        m_state = &TMessageWindow::WaitButton;
    } else if (front.empty()) {
        EndLine();
        if (m_lines.empty()) {
            Finish();
        } else if (m_line == kPageLines) {
            m_line = 0;
            SendCleared(m_message);
        }
    }
}

void TMessageWindow::DrawGlyph(const std::string& character)
{
    if (character.empty()) {
        return;
    }
    m_message.DrawText(m_column * kColumnWidth, m_line * kLineHeight, character, &m_font, true);
    m_column += static_cast<std::int32_t>(character.size());
}

void TMessageWindow::EndLine()
{
    m_column = 0;
    ++m_line;
    m_lines.pop_front();
}

void TMessageWindow::WaitButton()
{
    if (++m_blinkCount > kBlinkFrames) {
        m_blinkCount = 0;
        m_blink = m_blink != 0 ? 0 : 1;
    }
    if (Pressed(kButtonDecide)) {
        if (m_lines.empty()) {
            Finish();
        } else {
            if (m_line == kPageLines) {
                m_line = 0;
                SendCleared(m_message);
            }
            m_state = &TMessageWindow::TypeOut;
        }
        PlaySound(kSoundDecide);
    } else if (Pressed(kButtonCancel)) {
        Cancel();
    }
}

void TMessageWindow::DrawChoices()
{
    // Lines below the window's third are clipped by the texture.
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        DrawFitting(m_message, kMessageWidth, 0, static_cast<int>(i) * kLineHeight, m_lines[i], &m_font);
    }
    m_message.Upload();
    m_state = &TMessageWindow::Choose;
}

void TMessageWindow::Choose()
{
    m_cursorBob.Step();
    const std::int32_t before = m_cursor;
    if (Pressed(kButtonUp)) {
        if (m_cursor > 0) {
            --m_cursor;
        }
    } else if (Pressed(kButtonDown)) {
        if (m_cursor < static_cast<std::int32_t>(m_lines.size()) - 1) {
            ++m_cursor;
        }
    } else if (Pressed(kButtonDecide)) {
        TScriptProcessManager::SetResultVariable(m_cursor);
        SendCleared(m_message);
        Finish();
        PlaySound(kSoundDecide);
    } else if (Pressed(kButtonCancel)) {
        Cancel();
    }
    if (m_cursor != before) {
        PlaySound(kSoundListCursor);
    }
}

void TMessageWindow::Cancel()
{
    TScriptProcessManager* manager = TScriptProcessManager::Get();
    if (manager != nullptr && manager->GetGlobalA().GetInt("$_CancelScript", 0) != 0) {
        return;
    }
    m_cancelRequested = 1;
    Slide(1, 2);
    PlaySound(kSoundCancel);
}

void TMessageWindow::StepSlide()
{
    m_name.Step();
    if (m_window.AtEnd()) {
        m_window.value = m_window.to;
        m_state = &TMessageWindow::DoNothing;
        if (m_cancelRequested != 0) {
            SetScriptCancel(1);
        } else {
            SetScriptWait(0);
        }
    } else {
        m_window.Step();
    }
}

void TMessageWindow::Finish()
{
    m_state = &TMessageWindow::DoNothing;
    SetScriptWait(0);
}

bool TMessageWindow::Pressed(std::uint16_t button) const
{
    return m_input != nullptr && m_input->IsPressed(button);
}

void TMessageWindow::PlaySound(std::uint32_t id)
{
    if (TSoundBank* bank = m_sounds.GetBank()) {
        bank->Play(id);
    }
}

void TMessageWindow::Draw()
{
    TSprite::SetRenderMode(1);
    const auto windowY = static_cast<float>(m_window.value);
    const auto nameX = static_cast<float>(m_name.value);
    m_windowSprite.Draw(64.0f, windowY, false);
    m_nameSprite.Draw(nameX, 326.0f, false);
    if (IsWaitingForButton()) {
        (m_blink != 0 ? m_buttonA : m_buttonB).Draw(508.0f, 422.0f, false);
    }
    if (IsChoosing()) {
        m_cursorSprite.Draw(104.0f + m_cursorBob.Value(), static_cast<float>((m_cursor + 19) * kLineHeight), false);
    }
    TSprite::SetRenderMode(3);
    m_message.Draw(118.0f, windowY + 34.0f, false);
    m_nameText.Draw(nameX + 16.0f, 334.0f, false);
}
