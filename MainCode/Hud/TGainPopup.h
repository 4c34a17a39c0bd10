// What one defeated enemy gave: "EXP+", "ABP+" and "ABPBONUS+" with their numbers, sliding in one
// after the other, holding half a second and sliding out the same way.
#pragma once

#include "MainCode/Hud/TCountValue.h"
#include "MainCode/Hud/TRowPopup.h"

class TGainPopup : public TRowPopup {
public:
    TGainPopup(const TCountValue& gain, TLetterFont* font);

    void Start(float x, float y) override;

private:
    TCountValue m_gain;
};
