#include "formats/ending_assets.h"

#include <cstdio>
#include <filesystem>

#include "formats/byte_writer.h"
#include "formats/caption_font.h"

namespace qmtest {

namespace {

constexpr int kSize = 256;

std::string Number(unsigned page)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02u", page);
    return text;
}

void Centred(CaptionCanvas& canvas, int y, const std::string& text, int scale, PtxColor colour)
{
    DrawCaption(canvas, (kSize - CaptionWidth(text, scale)) / 2, y, text, scale, colour);
}

// Sky colours going from morning to night page by page.
PtxColor Sky(unsigned page)
{
    const PtxColor keys[4] = {{250, 200, 120}, {110, 170, 240}, {240, 120, 70}, {30, 40, 90}};
    const float t = static_cast<float>(page) * 3.0F / static_cast<float>(kEndingPages - 1);
    const int i = t >= 3.0F ? 2 : static_cast<int>(t);
    const float f = t - static_cast<float>(i);
    const auto mix = [f](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(static_cast<float>(a) + (static_cast<float>(b) - static_cast<float>(a)) * f);
    };
    return {mix(keys[i].r, keys[i + 1].r), mix(keys[i].g, keys[i + 1].g), mix(keys[i].b, keys[i + 1].b)};
}

PtxImage PagePicture(unsigned page)
{
    const PtxColor sky = Sky(page);
    CaptionCanvas canvas(kSize, kSize, sky);
    // Bands darker toward the top.
    for (int band = 0; band < 8; ++band) {
        const auto shade = [band](std::uint8_t c) { return static_cast<std::uint8_t>(c * (8 + band) / 16); };
        canvas.Fill(0, band * 16, kSize, 16, {shade(sky.r), shade(sky.g), shade(sky.b)});
    }
    // The sun walks across the sky from page to page.
    const int sunX = 24 + static_cast<int>(page) * 18;
    canvas.Fill(sunX, 40, 28, 28, {255, 240, 170});
    // A hill and the ground.
    for (int row = 0; row < 48; ++row) {
        const int half = 40 + row * 2;
        canvas.Fill(150 - half, 150 + row, half * 2, 1, {60, 120, 60});
    }
    canvas.Fill(0, 198, kSize, 58, {50, 90, 45});
    Centred(canvas, 206, Number(page + 1), 6, {255, 255, 255});
    return canvas.Image("img" + Number(page), 0);
}

PtxImage StaffRoll(unsigned page)
{
    CaptionCanvas canvas(kSize, kSize, {0, 0, 0}, 0);
    Centred(canvas, 40, "SAMPLE DATA", 3, {255, 255, 255});
    Centred(canvas, 90, "GENERATED", 3, {200, 220, 255});
    Centred(canvas, 150, "PAGE " + Number(page + 1), 4, {255, 230, 150});
    Centred(canvas, 200, "OF " + Number(kEndingPages), 2, {180, 180, 180});
    return canvas.Image("s_" + Number(page), 1);
}

void Save(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    SaveBytes(path.string(), bytes);
}

}  // namespace

std::vector<PtxImage> EndingPictures()
{
    std::vector<PtxImage> images;
    for (unsigned page = 0; page < kEndingPages; ++page) {
        images.push_back(PagePicture(page));
    }
    for (unsigned page = 0; page < kEndingPages; ++page) {
        images.push_back(StaffRoll(page));
    }
    return images;
}

void WriteEndingPictures(const std::string& root)
{
    const std::filesystem::path folder = std::filesystem::path(root) / "data/ptx04";
    Save(folder / "ending.ptx", BuildPtx(EndingPictures()));
}

}  // namespace qmtest
