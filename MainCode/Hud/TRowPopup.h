// A letter pop-up made of sliding rows (the gain pop-up, the level-up banner): it steps and draws
// its rows while active and stops itself when the last row has left.
#pragma once

#include <cstdint>

#include "MainCode/Hud/TPopupRows.h"
#include "MainCode/Hud/TPopupText.h"

class TRowPopup : public TPopupText {
public:
    void Stop() override;
    void Update() override;
    void Draw() override;

protected:
    TRowPopup(TLetterFont* font, std::uint32_t startColour, std::int32_t hold)
        : TPopupText(font), m_rows(startColour, hold)
    {
    }

    friend struct THudProbe;
    TPopupRows m_rows;
};
