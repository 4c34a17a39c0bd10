// The rows of the gain pop-up and the level-up banner: each row of letters and three number
// places slides in from 256 pixels to the right and fades in once the row before it has arrived,
// the last row holds, then the first slides out and each next one follows it 10 steps later. The
// last row's end stops the pop-up in the step after.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "TCommon/TLinearRamp.h"
#include "dx/dx8/3d/TSprite.h"

class TLetterFont;

class TPopupRows {
public:
    // Numbers of three places: 0..999.
    static constexpr std::int32_t kMaxNumber = 999;

    enum class State : std::uint8_t { Idle, Start, SlideIn, Hold, SlideOut, Stopping };

    struct Row {
        std::vector<TSprite> letters;
        std::vector<float> letterX;  // from the row's left edge
        bool numbered = false;
        TSprite digits[3];           // hundreds, tens, ones
        float digitX = 0.0F;         // of the hundreds; the places are 14 apart
        std::int32_t hold = 0;
        bool visible = false;
        float y = 0.0F;
        TIntRamp slide;
        TLinearRamp fade;
        State state = State::Idle;
    };

    // startColour: what a starting row's sprites take; hold: steps the last row stays.
    TPopupRows(std::uint32_t startColour, std::int32_t hold);

    // A row of these letters at these offsets; numbered rows get three places at digitX.
    void AddRow(TLetterFont* font, const char* letters, std::initializer_list<float> letterX, bool numbered,
                float digitX);
    // Rows at y, y + 16, ...; every row slides from x + 256 to x.
    void Place(float x, float y);
    // '#' in the empty places; values outside 0..999 show the nearer end.
    void SetDigits(std::size_t row, TLetterFont* font, std::int64_t value);
    // All hidden, the first row about to start, the others at rest.
    void Rewind();
    // One step of every row in order; true when the pop-up is to stop now.
    bool Update();
    void Draw();

private:
    friend struct THudProbe;
    void StartRow(Row& row);
    void SlideIn(std::size_t i);
    void HoldRow(Row& row);
    void SlideOut(std::size_t i);
    static void Colour(Row& row, std::uint32_t argb);
    static void FadeColour(Row& row);

    std::uint32_t m_startColour;
    std::int32_t m_holdSteps;
    std::vector<Row> m_rows;
};
