#include "formats/hud_assets.h"

#include "formats/byte_writer.h"
#include "formats/caption_font.h"
#include "formats/ring_assets.h"

#include <cstdio>

namespace qmtest {

namespace {

constexpr char kLetterCells[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ!/+()%0123456789.:";
constexpr int kCell = 16;

}  // namespace

PtxImage LetterSheet(bool blankFiller)
{
    CaptionCanvas sheet(8 * kCell, 8 * kCell, {0, 0, 0}, 0);
    for (int i = 0; i < 64; ++i) {
        const bool letter = i < static_cast<int>(sizeof kLetterCells) - 1;
        if (!letter && blankFiller) {
            continue;
        }
        const char c = letter ? kLetterCells[i] : '#';
        const int x = i % 8 * kCell;
        const int y = i / 8 * kCell;
        // A dark cell with the character in white, 10 × 14 in the middle.
        sheet.Fill(x + 1, y + 1, kCell - 2, kCell - 2, {20, 30, 60}, 160);
        DrawCaption(sheet, x + 3, y + 1, std::string(1, c), 2, {255, 255, 255});
    }
    return sheet.Image("word", 1);
}

PtxImage PanelFrame()
{
    // A dark half-clear plate with the troughs the bars run in and the icon wells.
    CaptionCanvas frame(256, 160, {0, 0, 0}, 0);
    frame.Fill(0, 0, 248, 52, {24, 30, 56}, 190);
    frame.Fill(0, 0, 248, 2, {200, 200, 230}, 255);
    frame.Fill(68, 18, 178, 12, {8, 8, 16}, 230);
    frame.Fill(69, 34, 177, 8, {8, 8, 16}, 230);
    frame.Fill(66, 42, 180, 8, {8, 8, 16}, 230);
    DrawCaption(frame, 80, 6, "LV", 1, {230, 230, 230});
    DrawCaption(frame, 58, 20, "HP", 1, {255, 200, 200});
    DrawCaption(frame, 58, 34, "MP", 1, {200, 200, 255});
    const int wells[3][2] = {{50, 52}, {34, 81}, {18, 110}};
    for (const auto& w : wells) {
        frame.Fill(w[0], w[1], 100, 36, {24, 30, 56}, 190);
        frame.Fill(w[0] + 30, w[1] + 28, 66, 8, {8, 8, 16}, 230);
    }
    return frame.Image("guage09", 1);
}

PtxImage BarSheet()
{
    // The panel's strips at their places, the enemy gauge's beside the gauge strip, the full mark
    // at the right end.
    CaptionCanvas sheet(256, 64, {0, 0, 0}, 0);
    auto strip = [&sheet](int x, int y, int w, int h, PtxColor from, PtxColor to) {
        // Eight bands from one colour to the other: few colours for the palette.
        for (int i = 0; i < w; ++i) {
            const int band = i * 8 / w;
            const auto mix = [&](std::uint8_t a, std::uint8_t b) { return static_cast<std::uint8_t>(a + (b - a) * band / 7); };
            sheet.Fill(x + i, y, 1, h, {mix(from.r, to.r), mix(from.g, to.g), mix(from.b, to.b)});
        }
    };
    strip(0, 4, 174, 16, {160, 20, 20}, {250, 120, 90});
    strip(0, 24, 173, 8, {20, 60, 200}, {110, 180, 255});
    strip(0, 36, 176, 8, {200, 140, 20}, {250, 220, 90});
    strip(0, 48, 64, 8, {20, 140, 60}, {140, 240, 120});
    strip(96, 48, 60, 8, {200, 40, 40}, {250, 150, 60});
    for (int y = 0; y < 16; ++y) {
        const int half = y < 8 ? y : 15 - y;
        sheet.Fill(248 - half, 8 + y, 2 * half + 1, 1, {255, 230, 60});
    }
    return sheet.Image("bar00", 1);
}

PtxImage NoticeWindow()
{
    return FramedPanel("window22", 264, 32, {30, 40, 90});
}

std::vector<PtxImage> HudSprites()
{
    std::vector<PtxImage> sprites = {LetterSheet(), PanelFrame(), BarSheet(), NoticeWindow()};
    for (PtxImage& ring : RingSprites()) {
        sprites.push_back(std::move(ring));
    }
    return sprites;
}

PtxImage ItemIcon(int number)
{
    // A coloured disc on a clear ground with the icon's number.
    char name[16];
    std::snprintf(name, sizeof name, "itm%02d_icon", number);
    CaptionCanvas icon(32, 32, {0, 0, 0}, 0);
    const PtxColor colour{static_cast<std::uint8_t>(60 + number * 14), static_cast<std::uint8_t>(200 - number * 9),
                          static_cast<std::uint8_t>(120 + number * 5)};
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int dx = 2 * x - 31;
            const int dy = 2 * y - 31;
            if (dx * dx + dy * dy <= 27 * 27) {
                icon.Fill(x, y, 1, 1, colour);
            }
        }
    }
    DrawCaption(icon, 4, 12, std::to_string(number), 1, {255, 255, 255});
    return icon.Image(name, 1);
}

PtxImage FacePicture(const std::string& name, PtxColor hair)
{
    CaptionCanvas face(48, 48, {0, 0, 0}, 0);
    face.Fill(8, 4, 32, 12, hair);
    face.Fill(10, 12, 28, 30, {240, 200, 170});
    face.Fill(16, 22, 4, 4, {30, 30, 60});
    face.Fill(28, 22, 4, 4, {30, 30, 60});
    face.Fill(18, 34, 12, 2, {170, 60, 60});
    return face.Image(name, 1);
}

void WriteHudIconPackages(const std::filesystem::path& textureFolder)
{
    std::filesystem::create_directories(textureFolder);
    std::vector<PtxImage> icons;
    for (int number = 0; number < 14; ++number) {
        icons.push_back(ItemIcon(number));
    }
    SaveBytes((textureFolder / "itm_icon.ptx").string(), BuildPtx(icons));
    SaveBytes((textureFolder / "face.ptx").string(),
              BuildPtx({FacePicture("face_hero", {90, 60, 30}), FacePicture("face_heroine", {200, 120, 40})}));
}

void WriteHudAssets(const std::filesystem::path& textureFolder)
{
    std::filesystem::create_directories(textureFolder);
    SaveBytes((textureFolder / "sprite.ptx").string(), BuildPtx(HudSprites()));
    WriteHudIconPackages(textureFolder);
}

}  // namespace qmtest
