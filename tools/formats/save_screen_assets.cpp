#include "formats/save_screen_assets.h"

#include <algorithm>
#include <cstdlib>

#include "formats/caption_font.h"

namespace qmtest {

namespace {

constexpr PtxColor kEdge{230, 230, 240};
constexpr PtxColor kWhite{255, 255, 255};

// A window: a light frame two pixels wide, a darker line inside it and a fill shading downwards,
// a little transparent.
CaptionCanvas Window(std::uint32_t width, std::uint32_t height, PtxColor fill)
{
    CaptionCanvas canvas(width, height, fill, 210);
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    for (int y = 2; y < h - 2; ++y) {
        const int shade = 24 * y / h;
        const PtxColor c{static_cast<std::uint8_t>(std::max(0, fill.r - shade)),
                         static_cast<std::uint8_t>(std::max(0, fill.g - shade)),
                         static_cast<std::uint8_t>(std::max(0, fill.b - shade))};
        canvas.Fill(2, y, w - 4, 1, c, 210);
    }
    canvas.Fill(0, 0, w, 2, kEdge);
    canvas.Fill(0, h - 2, w, 2, kEdge);
    canvas.Fill(0, 0, 2, h, kEdge);
    canvas.Fill(w - 2, 0, 2, h, kEdge);
    canvas.Fill(3, 3, w - 6, 1, {60, 60, 80});
    canvas.Fill(3, h - 4, w - 6, 1, {60, 60, 80});
    return canvas;
}

void CentredCaption(CaptionCanvas& canvas, int y, const std::string& text, int scale, PtxColor colour)
{
    const int x = (static_cast<int>(canvas.width) - CaptionWidth(text, scale)) / 2;
    DrawCaption(canvas, x, y, text, scale, colour);
}

PtxImage Cursor()
{
    CaptionCanvas canvas(16, 16, {0, 0, 0}, 0);
    for (int y = 2; y < 14; ++y) {
        const int reach = 6 - std::abs(y - 8) + 6;  // a triangle pointing right
        canvas.Fill(3, y, reach, 1, {250, 230, 120});
    }
    return canvas.Image("cursor02", 1);
}

}  // namespace

std::vector<PtxImage> SaveScreenSprites()
{
    CaptionCanvas row = Window(544, 60, {28, 44, 104});
    CaptionCanvas title = Window(160, 32, {96, 36, 48});
    CaptionCanvas own = Window(512, 112, {40, 60, 120});
    CentredCaption(own, 40, "OVERWRITE?", 3, kWhite);
    CaptionCanvas other = Window(512, 176, {90, 40, 60});
    CentredCaption(other, 40, "OTHER CHAPTER", 3, {255, 210, 120});
    CentredCaption(other, 96, "OVERWRITE?", 3, kWhite);
    // The yes/no box "window10" is the pause menu's (MenuSprites): one picture for every question.
    return {row.Image("window11", 1), title.Image("window16", 1), own.Image("window25", 1), other.Image("window26", 1),
            Cursor()};
}

std::vector<PtxImage> WithSaveScreenSprites(std::vector<PtxImage> sprites)
{
    for (PtxImage& picture : SaveScreenSprites()) {
        auto same = std::find_if(sprites.begin(), sprites.end(),
                                 [&](const PtxImage& p) { return p.storedName == picture.storedName; });
        if (same != sprites.end()) {
            *same = std::move(picture);
        } else {
            sprites.push_back(std::move(picture));
        }
    }
    return sprites;
}

}  // namespace qmtest
