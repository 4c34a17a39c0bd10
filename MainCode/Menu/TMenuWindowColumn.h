// A column of picture windows where the pause menu's items stand: each slides in from the left edge
// once the one above has come most of its way and leaves the same way, and the window under the
// cursor is lit while the others stay half faded. The pause menu and its choice windows show their
// windows with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TCommon/TLinearRamp.h"
#include "dx/dx8/3d/TSprite.h"

class TMenuWindowColumn {
public:
    static constexpr std::int32_t kSteps = 10;
    // The next window starts in once this one has made 6 of its steps, and starts out once this
    // one has fallen below 5.
    static constexpr std::int32_t kOpenNext = 6;
    static constexpr std::int32_t kCloseNext = 5;

    struct Window {
        TIntRamp x;
        TIntRamp y;  // from = to: the height never moves
        TLinearRamp alpha;
        TSprite sprite;
    };

    // The window of that texture, hidden at xFrom and shown at xTo, at height y; lit at full alpha,
    // else at half.
    void Add(const std::string& texture, std::int32_t xFrom, std::int32_t xTo, std::int32_t y, bool lit);

    // One step of the slide in (or out); true on the step that finds the last window there.
    bool Open();
    bool Close();

    // The cursor's window towards full alpha, the others towards half; snap puts them there now.
    void Highlight(std::int32_t cursor, bool snap);
    // The cursor moved by one up (-1) or down (+1), wrapping at both ends.
    std::int32_t Move(std::int32_t cursor, std::int32_t delta) const;

    // Every window at its place in its colour, at its own size.
    void Draw();

    std::int32_t Count() const { return static_cast<std::int32_t>(m_windows.size()); }

private:
    friend struct TMenuProbe;

    std::vector<Window> m_windows;
};
