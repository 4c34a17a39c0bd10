#include "formats/sub_screen_assets.h"

#include <string>
#include <utility>

#include "formats/caption_font.h"

namespace qmtest {

namespace {

constexpr PtxColor kFrame{230, 230, 240};
constexpr PtxColor kWords{200, 220, 255};

// A framed window, a little transparent, with words at their places.
CaptionCanvas Window(std::uint32_t width, std::uint32_t height, PtxColor fill,
                     const std::vector<std::pair<std::pair<int, int>, std::string>>& words)
{
    CaptionCanvas canvas(width, height, kFrame);
    canvas.Fill(2, 2, static_cast<int>(width) - 4, static_cast<int>(height) - 4, fill, 200);
    for (const auto& [at, text] : words) {
        DrawCaption(canvas, at.first, at.second, text, 1, kWords);
    }
    return canvas;
}

}  // namespace

std::vector<PtxImage> SubScreenSprites()
{
    std::vector<PtxImage> sprites;
    // The status window: each figure's name a little left of where its value is written.
    CaptionCanvas status = Window(448, 300, {30, 50, 100},
                                  {{{40, 48}, "LV"},    {{180, 48}, "EXP"},   {{180, 68}, "GOLD"},
                                   {{40, 106}, "HP"},   {{40, 124}, "MP"},    {{40, 174}, "ATK"},
                                   {{40, 192}, "DEF"},  {{40, 210}, "STR"},   {{40, 228}, "VIT"},
                                   {{40, 246}, "INT"},  {{40, 264}, "MEN"},   {{180, 174}, "FIRE"},
                                   {{180, 192}, "WATER"}, {{180, 210}, "WIND"}, {{180, 228}, "SOIL"},
                                   {{180, 246}, "LIGHT"}, {{180, 264}, "DARK"}});
    sprites.push_back(status.Image("window09", 1));
    // The options rows, 256 x 64: the word on the left, the knob's groove from 139 to 203 + its width.
    const char* const rows[] = {"MINIMAP", "MUSIC", "SOUND", "VOICE"};
    for (int r = 0; r < 4; ++r) {
        CaptionCanvas row = Window(256, 60, {40, 60, 120}, {{{16, 27}, rows[r]}});
        if (r > 0) {
            row.Fill(139, 31, 72, 2, {20, 20, 40});
        }
        sprites.push_back(row.Image("window1" + std::to_string(2 + r), 1));
    }
    CaptionCanvas knob(8, 20, {250, 250, 250});
    knob.Fill(2, 2, 4, 16, {200, 200, 220});
    sprites.push_back(knob.Image("cursor00", 1));
    // The skill list's window "window20" is the item screens' (PauseScreenSprites).
    return sprites;
}

}  // namespace qmtest
