// Module "Text": the message window of every conversation. A window slides up from the bottom, a
// name box in from the left; text is typed out a character a frame, a blinking prompt waits for
// the decide button, a choice list lets the player pick one of up to three answers, and cancel
// may close the whole conversation.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "TCommon/TLinearRamp.h"
#include "MainCode/Script/TScriptModule.h"
#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TText8.h"
#include "dx/dx8/sound/TSoundList.h"

class TInputDevice;

class TMessageWindow : public TScriptModule {
    friend struct TScriptProbe;
public:
    // Layout: a byte column is 9 px, a line 20 px, three lines to a page.
    static constexpr int kColumnWidth = 9;
    static constexpr int kLineHeight = 20;
    static constexpr int kPageLines = 3;
    static constexpr int kMaxChoices = 3;
    static constexpr int kBlinkFrames = 30;
    static constexpr int kSlideSteps = 10;
    static constexpr std::int32_t kWindowHidden = 500;
    static constexpr std::int32_t kWindowShown = 344;
    static constexpr std::int32_t kNameHidden = -170;
    static constexpr std::int32_t kNameShown = 80;
    // The textures text is drawn into: the message and the name plate.
    static constexpr int kMessageWidth = 512;
    static constexpr int kMessageHeight = 64;
    static constexpr int kPlateWidth = 128;
    static constexpr int kPlateHeight = 16;

    explicit TMessageWindow(TInputDevice* input);

    // 0 ShowText, 1 ShowChoice, 2 Slide (direction, part), 3 ClearText (part), 4 SetName.
    std::uint32_t Call(std::uint32_t command, const std::deque<std::string>& args,
                       const std::deque<std::uint32_t>& kinds) override;
    void Update() override { (this->*m_state)(); }
    void Draw() override;

    void Reset();
    void ShowText(const std::string& text);
    void ShowChoice(const std::string& text);
    // Direction 0 opens, 1 closes; part 0 the window, 1 the name box, 2 both.
    void Slide(std::int32_t direction, std::int32_t part);
    // Part 0 the message, 1 the name, 2 both.
    void ClearText(std::int32_t part);
    void SetName(const std::string& name);

    // Whether the window waits for the decide button or for a choice.
    bool IsWaitingForButton() const { return m_state == &TMessageWindow::WaitButton; }
    bool IsChoosing() const { return m_state == &TMessageWindow::Choose; }

private:
    using State = void (TMessageWindow::*)();

    void TypeOut();
    void WaitButton();
    void DrawChoices();
    void Choose();
    void StepSlide();

    // Clears the text and sends it to the device.
    static void SendCleared(TText8& text);
    // Draws the glyphs of the line from x that can show in a text `width` wide, one at a time: what
    // lies past the right edge is never rasterized.
    static void DrawFitting(TText8& text, int width, int x, int y, const std::string& line, TFontHolder* font);
    // Draws one character into the message at the current line and column.
    void DrawGlyph(const std::string& character);
    // The line is done: the next one starts at column 0 below it.
    void EndLine();
    void Cancel();
    bool Pressed(std::uint16_t button) const;
    void PlaySound(std::uint32_t id);
    void Finish();

    TInputDevice* m_input;
    std::uint8_t m_shown = 0;
    std::uint8_t m_cancelRequested = 0;
    std::deque<std::string> m_lines;
    TIntRamp m_window;
    TIntRamp m_name;
    std::int32_t m_line = 0;
    std::int32_t m_column = 0;
    std::int32_t m_delay = 1;
    std::int32_t m_blinkCount = 0;
    std::uint8_t m_blink = 0;
    std::int32_t m_cursor = 0;
    TRepeatRamp m_cursorBob;
    State m_state;
    TSprite m_windowSprite;
    TSprite m_nameSprite;
    TSprite m_buttonA;
    TSprite m_buttonB;
    TSprite m_cursorSprite;
    TText8 m_message;
    TText8 m_nameText;
    TFontHolder m_font;
    TFontHolder m_nameFont;
    TSoundList m_sounds;
};
