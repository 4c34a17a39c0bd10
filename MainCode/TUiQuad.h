// A full-screen rectangle whose colour moves between two RGBA colours over a number of frames: the
// fades of the scenes. A scene steps it once per time step and draws it last, over everything.
#pragma once

#include <cstdint>
#include <string>

#include "dx/dx8/3d/TSprite.h"

class TUiQuad {
    friend struct TMainProbe;
public:
    static constexpr std::int32_t kBlack = 15;          // colour mode; any other value is white
    static constexpr std::int32_t kCover = 0xF000;      // alpha 0 → 1; any other value uncovers
    static constexpr std::int32_t kUncover = 0xF00;     // what the scenes pass for 1 → 0

    TUiQuad(std::int32_t duration, std::int32_t colourMode, std::int32_t direction);
    virtual ~TUiQuad();
    TUiQuad(const TUiQuad&) = delete;
    TUiQuad& operator=(const TUiQuad&) = delete;

    // Colours are red, green, blue, alpha; an empty name gives a plain rectangle.
    void Init(std::int32_t duration, const float* start, const float* end, const std::string& texture);
    // False once the tween is over and its end colour has been on screen.
    bool StepForward();
    // False once the counter is back at 0.
    bool StepBack();
    void Finish();
    bool IsFinished() const { return m_counter == m_duration && m_endDrawn; }
    bool IsAtStart() const { return m_counter == 0; }
    void Draw(float x, float y, float w, float h);

    static std::uint32_t Pack(const float* rgba);

private:
    void SetColour(const float* rgba);
    void SetBetween(std::int32_t counter);

    std::int32_t m_duration;
    std::int32_t m_counter = 0;
    bool m_textured = false;
    bool m_endDrawn = false;
    float m_start[4];
    float m_end[4];
    TSprite m_sprite;
};
