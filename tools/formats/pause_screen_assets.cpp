#include "formats/pause_screen_assets.h"

#include <tuple>

#include "formats/caption_font.h"

namespace qmtest {

std::vector<PtxImage> PauseScreenSprites()
{
    std::vector<PtxImage> sprites;
    for (const auto& [name, w, h] : {std::tuple{"window20", 272u, 312u}, std::tuple{"window22", 288u, 32u}}) {
        CaptionCanvas canvas(w, h, {30, 46, 86}, 210);
        const int iw = static_cast<int>(w);
        const int ih = static_cast<int>(h);
        const PtxColor frame{220, 224, 240};
        canvas.Fill(0, 0, iw, 2, frame);
        canvas.Fill(0, ih - 2, iw, 2, frame);
        canvas.Fill(0, 0, 2, ih, frame);
        canvas.Fill(iw - 2, 0, 2, ih, frame);
        sprites.push_back(canvas.Image(name, 1));
    }
    return sprites;
}

}  // namespace qmtest
