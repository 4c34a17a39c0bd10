// The pause menu's small choice windows: a column of picture choices where the menu's items stand,
// sliding in, chosen with "UP"/"DOWN" and "A" ("B" or the last choice, back, leaves), sliding out.
// Each window says what the end of the slide out does.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/Menu/TMenuSceneLoop.h"
#include "MainCode/Menu/TMenuWindowColumn.h"

class TMenuTopLoop;

class TMenuChoiceLoop : public TMenuSceneLoop {
protected:
    TMenuChoiceLoop(TGameWnd* app, TMenuTopLoop* menu, std::int32_t cursor);

    // The choices in order, the one under the cursor lit.
    void AddChoice(const std::string& texture, std::int32_t xFrom, std::int32_t xTo, std::int32_t y);

    // The slide out has ended; the decided flag tells a choice from back.
    virtual std::uint32_t Closed() = 0;
    // A choice that cannot act buzzes and stays.
    virtual bool CanDecide(std::int32_t /*choice*/) const { return true; }

    std::uint32_t Open();

    TMenuTopLoop* m_menu;
    std::int32_t m_cursor;
    bool m_decided = false;
    TMenuWindowColumn m_choices;

private:
    friend struct TMenuProbe;

    std::uint32_t Input();
    std::uint32_t Close();
    void DrawWindows() override;
};
