// What one defeated enemy gave: "EXP+", "ABP+" and "ABPBONUS+" with their numbers, sliding in one
// after the other, holding half a second and sliding out the same way.
#pragma once

#include "MainCode/Hud/TCountValue.h"
#include "MainCode/Hud/TPopupRows.h"
#include "MainCode/Hud/TPopupText.h"

class TGainPopup : public TPopupText {
public:
    TGainPopup(const TCountValue& gain, TLetterFont* font);

    void Start(float x, float y) override;
    void Stop() override;
    void Update() override;
    void Draw() override;

private:
    friend struct THudProbe;
    TPopupRows m_rows;
    TCountValue m_gain;
};
