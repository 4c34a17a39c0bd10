// The yes/no question over any scene: kind 1 asks to quit the game, kind 0 to go back to the title.
// The application opens it on Escape or F4 over the screen it captures and darkens; the pause
// menu's leave window opens it over the menu's own background. It starts on "no".
#pragma once

#include <cstdint>

#include "MainCode/Menu/TMenuSceneLoop.h"
#include "TCommon/TLinearRamp.h"
#include "TCommon/TRefPtr.h"

class TAreaBase;
class TMenuTopLoop;
class TSoundFader;

class TYesNoLoop : public TMenuSceneLoop {
public:
    static constexpr std::uint8_t kToTitle = 0;
    static constexpr std::uint8_t kQuit = 1;

    // Opened by the application: its own picture of the screen behind, darkened.
    TYesNoLoop(TGameWnd* app, std::uint8_t kind);
    // Opened by the pause menu's leave window, over the menu's background.
    TYesNoLoop(TGameWnd* app, TMenuTopLoop* owner, std::uint8_t kind);
    ~TYesNoLoop() override;

    // Never a second question over this one.
    bool AllowsSystemDialog() override { return false; }

private:
    friend struct TMenuProbe;

    void Build();
    std::uint32_t Darken();
    std::uint32_t OpenWindows();
    std::uint32_t Ask();
    std::uint32_t Close();
    std::uint32_t Quit();
    // The area of the owner's field; none without an owner (then there is no music).
    const TAreaBase* Area() const;
    void DrawWindows() override;

    TMenuTopLoop* m_menu;
    std::uint8_t m_kind;
    std::int32_t m_selection = 1;
    TRepeatIntRamp m_wobble;
    TIntRamp m_questionX;
    TIntRamp m_questionY;
    TIntRamp m_choiceX;
    TIntRamp m_choiceY;
    TSprite m_question;
    TSprite m_choice;
    TSprite m_cursor;
    TSprite m_black;
    TLinearRamp m_blackRamp;
    TRefPtr<TSoundFader> m_fader;
    bool m_quitting = false;
};
