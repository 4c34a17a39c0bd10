// The yes/no confirmation over any scene: kind 1 asks to quit the game, kind 0 to return to the title.
// Stands in without its pictures: it starts on no, up/down choose, decide answers, cancel closes.
#pragma once

#include "MainCode/TLoop.h"

class TYesNoLoop : public TSceneLoop {
public:
    TYesNoLoop(TGameWnd* app, std::uint8_t kind);

    bool AllowsSystemDialog() override { return false; }
    std::uint8_t GetKind() const { return m_kind; }
    int GetSelection() const { return m_selection; }

private:
    std::uint32_t StateAsk();

    std::uint8_t m_kind;
    int m_selection = 1;  // 0 yes, 1 no: a stray decide never ends the game
};
