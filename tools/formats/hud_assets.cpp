#include "formats/hud_assets.h"

#include "formats/byte_writer.h"
#include "formats/caption_font.h"
#include "formats/ring_assets.h"

namespace qmtest {

namespace {

constexpr char kLetterCells[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ!/+()%0123456789.:";
constexpr int kCell = 16;

}  // namespace

PtxImage LetterSheet()
{
    CaptionCanvas sheet(8 * kCell, 8 * kCell, {0, 0, 0}, 0);
    for (int i = 0; i < 64; ++i) {
        const char c = i < static_cast<int>(sizeof kLetterCells) - 1 ? kLetterCells[i] : '#';
        const int x = i % 8 * kCell;
        const int y = i / 8 * kCell;
        // A dark cell with the character in white, 10 × 14 in the middle.
        sheet.Fill(x + 1, y + 1, kCell - 2, kCell - 2, {20, 30, 60}, 160);
        DrawCaption(sheet, x + 3, y + 1, std::string(1, c), 2, {255, 255, 255});
    }
    return sheet.Image("word", 1);
}

std::vector<PtxImage> HudSprites()
{
    std::vector<PtxImage> sprites = {LetterSheet()};
    for (PtxImage& ring : RingSprites()) {
        sprites.push_back(std::move(ring));
    }
    return sprites;
}

void WriteHudAssets(const std::filesystem::path& textureFolder)
{
    std::filesystem::create_directories(textureFolder);
    SaveBytes((textureFolder / "sprite.ptx").string(), BuildPtx(HudSprites()));
}

}  // namespace qmtest
