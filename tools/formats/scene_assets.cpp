#include "formats/scene_assets.h"

#include <stdexcept>

#include "formats/caption_font.h"

namespace qmtest {

namespace {

// Words centred on a canvas, with a dark shadow one font pixel down and right.
void DrawCentred(CaptionCanvas& canvas, int y, const std::string& text, int scale, PtxColor colour)
{
    const int x = (static_cast<int>(canvas.width) - CaptionWidth(text, scale)) / 2;
    DrawCaption(canvas, x + scale, y + scale, text, scale, {20, 10, 10});
    DrawCaption(canvas, x, y, text, scale, colour);
}

}  // namespace

PtxImage GameOverPicture()
{
    CaptionCanvas canvas(512, 128, {0, 0, 0}, 0);
    DrawCentred(canvas, 36, "GAME OVER", 8, {220, 40, 40});
    return canvas.Image("gameover", 1);
}

std::vector<PtxImage> ScenePictures()
{
    return {GameOverPicture()};
}

PtxImage ScenePicture(const std::string& name)
{
    for (PtxImage& image : ScenePictures()) {
        if (image.storedName == name + '\0') {
            return image;
        }
    }
    throw std::invalid_argument("title.ptx has no picture " + name);
}

}  // namespace qmtest
