#include "formats/shop_assets.h"

#include <string>
#include <tuple>

#include "formats/byte_writer.h"
#include "formats/caption_font.h"

namespace qmtest {

namespace {

constexpr PtxColor kFrame{230, 230, 240};
constexpr PtxColor kWord{255, 236, 160};

// A half-transparent window with a light frame and its words at the given places.
PtxImage Window(const std::string& name, std::uint32_t w, std::uint32_t h, PtxColor fill,
                const std::vector<std::pair<std::pair<int, int>, std::string>>& words)
{
    CaptionCanvas canvas(w, h, fill, 200);
    const int iw = static_cast<int>(w);
    const int ih = static_cast<int>(h);
    canvas.Fill(0, 0, iw, 2, kFrame);
    canvas.Fill(0, ih - 2, iw, 2, kFrame);
    canvas.Fill(0, 0, 2, ih, kFrame);
    canvas.Fill(iw - 2, 0, 2, ih, kFrame);
    for (const auto& [at, word] : words) {
        DrawCaption(canvas, at.first, at.second, word, 1, kWord);
    }
    return canvas.Image(name, 1);
}

// A 16 × 16 arrow, pointing up or down, on a clear ground.
PtxImage Arrow(const std::string& name, bool up)
{
    CaptionCanvas canvas(16, 16, {0, 0, 0}, 0);
    for (int row = 0; row < 8; ++row) {
        const int y = up ? 4 + row : 11 - row;
        canvas.Fill(8 - row - 1, y, 2 * row + 2, 1, {250, 220, 60});
    }
    return canvas.Image(name, 1);
}

}  // namespace

std::vector<PtxImage> ShopSprites()
{
    return {
        // The rows start 54 pixels down, 34 apart; the arrows sit at the right edge.
        Window("window17", 448, 304, {30, 50, 90}, {{{16, 10}, "GOODS"}, {{300, 10}, "PRICE"}}),
        Window("window18", 448, 64, {60, 40, 80}, {{{16, 8}, "HOW MANY"}}),
        Window("window19", 128, 32, {60, 70, 40}, {{{12, 12}, "HAVE"}}),
        Arrow("cursor03", true),
        Arrow("cursor04", false),
    };
}

std::vector<PtxImage> ShopItemIcons()
{
    // A round flask and a ring, 32 × 32 on a clear ground.
    std::vector<PtxImage> icons;
    for (const auto& [name, colour, hole] : {std::tuple{"itm00_icon", PtxColor{80, 200, 120}, 0},
                                             std::tuple{"itm01_icon", PtxColor{230, 200, 80}, 8}}) {
        CaptionCanvas canvas(32, 32, {0, 0, 0}, 0);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const int d = (x - 16) * (x - 16) + (y - 16) * (y - 16);
                if (d <= 13 * 13 && d >= hole * hole) {
                    canvas.Fill(x, y, 1, 1, d >= 11 * 11 ? PtxColor{40, 40, 40} : colour);
                }
            }
        }
        icons.push_back(canvas.Image(name, 1));
    }
    return icons;
}

void WriteShopPictures(const std::filesystem::path& textureFolder)
{
    std::filesystem::create_directories(textureFolder);
    SaveBytes((textureFolder / "itm_icon.ptx").string(), BuildPtx(ShopItemIcons()));
    SaveBytes((textureFolder / "iteminfo.ptx").string(), BuildPtx({FramedPanel("info", 64, 48, {40, 90, 140})}));
}

}  // namespace qmtest
