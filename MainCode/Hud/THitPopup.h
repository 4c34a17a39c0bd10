// The hit counter: "HIT!" with the hits landed on the enemy and "DAMAGE!" with its damage total,
// the numbers shrinking in from three times their size, held a second, then both rows fading and
// sliding off to the right. Showing it again restarts the whole animation.
#pragma once

#include <cstdint>

#include "MainCode/Hud/TPopupText.h"
#include "TCommon/TLinearRamp.h"
#include "dx/dx8/3d/TSprite.h"

class THitPopup : public TPopupText {
public:
    // Shown places: two for the count, four for the total.
    static constexpr std::int32_t kMaxCount = 99;
    static constexpr std::int32_t kMaxTotal = 9999;

    explicit THitPopup(TLetterFont* font);

    void Show(float x, float y, std::int32_t count, std::int32_t total);
    void Stop() override;
    void Update() override;
    void Draw() override;
    // White with that opacity on every shown sprite; the digit templates keep theirs.
    void SetAlpha(float a);

private:
    friend struct THudProbe;
    using State = void (THitPopup::*)();
    void ScaleIn();
    void Hold();
    void FadeOut();

    TSprite m_countDigits[2];  // ones, tens
    TSprite m_hit[4];
    TSprite m_totalDigits[4];  // ones, tens, hundreds, thousands
    TSprite m_damage[7];
    TSprite m_templates[10];
    TLinearRamp m_scale;
    std::int32_t m_hold = 0;
    float m_yOffset = 0.0F;
    TIntRamp m_hitSlide;
    TIntRamp m_damageSlide;
    float m_alpha = 1.0F;
    std::int32_t m_count = 0;
    std::int32_t m_total = 0;
    State m_state = &THitPopup::ScaleIn;
};
