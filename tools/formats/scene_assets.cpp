#include "formats/scene_assets.h"

#include <cmath>
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

PtxImage TitlePicture()
{
    CaptionCanvas canvas(640, 480, {0, 0, 0});
    for (int y = 0; y < 480; ++y) {
        // Deep blue above, lighter towards the horizon; two rolling hills below it.
        const auto t = static_cast<std::uint8_t>(y * 80 / 480);
        canvas.Fill(0, y, 640, 1, {static_cast<std::uint8_t>(10 + t / 2), static_cast<std::uint8_t>(20 + t),
                                   static_cast<std::uint8_t>(60 + t)});
    }
    for (int x = 0; x < 640; ++x) {
        const int hill = 360 - static_cast<int>(40.0 * std::sin(x / 90.0) + 20.0 * std::sin(x / 37.0));
        canvas.Fill(x, hill, 1, 480 - hill, {30, 70, 40});
    }
    for (int i = 0; i < 60; ++i) {
        canvas.Fill((i * 97) % 640, (i * 53) % 220, 2, 2, {230, 230, 200});
    }
    DrawCentred(canvas, 120, "QUILLMARK", 8, {240, 220, 150});
    return canvas.Image("title", 0);
}

PtxImage MenuPicture()
{
    CaptionCanvas canvas(256, 256, {0, 0, 0}, 0);
    const char* const items[] = {"NEW GAME", "LOAD", "QUIT"};
    for (int i = 0; i < 3; ++i) {
        canvas.Fill(16, i * 64 + 8, 224, 48, {20, 30, 70}, 160);
        DrawCentred(canvas, i * 64 + 18, items[i], 4, {255, 255, 255});
    }
    return canvas.Image("menu", 1);
}

PtxImage LogoPicture()
{
    CaptionCanvas canvas(256, 256, {0, 0, 0}, 0);
    // Two rings and a diamond at the middle of the upper part.
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const double dx = x - 128.0;
            const double dy = y - 100.0;
            const double r = std::sqrt(dx * dx + dy * dy);
            if ((r > 70.0 && r < 78.0) || (r > 52.0 && r < 56.0)) {
                canvas.Fill(x, y, 1, 1, {90, 170, 230});
            } else if (std::fabs(dx) + std::fabs(dy) < 36.0) {
                canvas.Fill(x, y, 1, 1, {240, 200, 80});
            }
        }
    }
    DrawCentred(canvas, 196, "SAMPLE", 5, {255, 255, 255});
    return canvas.Image("vrrw_logo", 1);
}

PtxImage GameOverPicture()
{
    CaptionCanvas canvas(512, 128, {0, 0, 0}, 0);
    DrawCentred(canvas, 36, "GAME OVER", 8, {220, 40, 40});
    return canvas.Image("gameover", 1);
}

std::vector<PtxImage> ScenePictures()
{
    return {TitlePicture(), MenuPicture(), LogoPicture(), GameOverPicture()};
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
