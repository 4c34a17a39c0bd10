#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "SampleParts.h"
#include "TCommon/Crc32.h"
#include "formats/hud_assets.h"
#include "formats/field_writer.h"
#include "formats/save_screen_assets.h"
#include "formats/scene_assets.h"

namespace sample {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A bright colour from a hue in 0..359 (saturation and value fixed), scaled by shade 0..1.
qmtest::PtxColor HueColor(std::uint32_t hue, double shade)
{
    const double h = static_cast<double>(hue % 360) / 60.0;
    const double x = 1.0 - std::fabs(std::fmod(h, 2.0) - 1.0);
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(h)) {
    case 0: r = 1; g = x; break;
    case 1: r = x; g = 1; break;
    case 2: g = 1; b = x; break;
    case 3: g = x; b = 1; break;
    case 4: r = x; b = 1; break;
    default: r = 1; b = x; break;
    }
    auto channel = [shade](double c) {
        return static_cast<std::uint8_t>(std::lround((0.25 + 0.75 * c) * shade * 255.0));
    };
    return {channel(r), channel(g), channel(b)};
}

std::uint32_t NameHash(const std::string& name)
{
    return Crc32(name.data(), static_cast<std::int32_t>(name.size()));
}

// Whether (x, y), both in -1..1, lies inside shape 0 circle, 1 diamond, 2 rounded square, 3 triangle;
// edge is set within a thin band of the outline.
bool InsideShape(int shape, double x, double y, bool* edge)
{
    double d = 0;
    switch (shape) {
    case 0: d = std::sqrt(x * x + y * y); break;
    case 1: d = std::fabs(x) + std::fabs(y); break;
    case 2: d = std::pow(std::pow(std::fabs(x), 4) + std::pow(std::fabs(y), 4), 0.25); break;
    default: d = std::max(std::fabs(x) * 1.15 + (y * 0.5 - 0.2), -y - 0.2) * 1.1; break;
    }
    *edge = d > 0.72;
    return d <= 0.85;
}

}  // namespace

qmtest::PtxImage Icon(const std::string& name)
{
    constexpr int kSize = 32;
    const std::uint32_t hash = NameHash(name);
    const int shape = static_cast<int>(hash % 4);
    const std::uint32_t hue = (hash >> 8) % 360;
    std::vector<qmtest::PtxColor> colors;
    std::vector<std::uint8_t> alphas;
    for (int py = 0; py < kSize; ++py) {
        for (int px = 0; px < kSize; ++px) {
            const double x = (px + 0.5) / kSize * 2.0 - 1.0;
            const double y = (py + 0.5) / kSize * 2.0 - 1.0;
            bool edge = false;
            if (!InsideShape(shape, x, y, &edge)) {
                colors.push_back({0, 0, 0});
                alphas.push_back(0);
            } else if (edge) {
                colors.push_back(HueColor(hue, 0.35));
                alphas.push_back(255);
            } else {
                // Lit from the top left, in eight steps.
                const double light = std::clamp(0.9 - 0.35 * (x + y), 0.3, 1.0);
                colors.push_back(HueColor(hue, std::round(light * 8.0) / 8.0));
                alphas.push_back(255);
            }
        }
    }
    return qmtest::PtxImage::FromPixels(name, 1, kSize, kSize, colors, alphas);
}

qmtest::PtxImage Panel(const std::string& name)
{
    // The windows draw it at (38, 32) and their lines from x 106: 64 wide leaves a gap before them.
    constexpr int kWidth = 64;
    constexpr int kHeight = 64;
    const std::uint32_t hash = NameHash(name);
    const std::uint32_t hue = hash % 360;
    const int bars = 1 + static_cast<int>((hash >> 9) % 3);
    std::vector<qmtest::PtxColor> colors;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool frame = x < 2 || y < 2 || x >= kWidth - 2 || y >= kHeight - 2;
            const int row = (y - 12) / 14;
            const bool bar = !frame && y >= 12 && row < bars && (y - 12) % 14 < 6 && x >= 10 &&
                             x < kWidth - 10 - row * 12;
            if (frame) {
                colors.push_back({230, 230, 230});
            } else if (bar) {
                colors.push_back(HueColor(hue, 1.0));
            } else {
                colors.push_back(HueColor(hue + 180, 0.25 + 0.25 * y / kHeight));
            }
        }
    }
    return qmtest::PtxImage::FromPixels(name, 0, kWidth, kHeight, colors);
}

qmtest::PtxImage FieldPicture(const std::string& name)
{
    std::vector<qmtest::PtxImage> pictures = qmtest::FieldSprites();
    pictures.push_back(qmtest::FieldMinimapPicture());
    pictures = qmtest::WithSaveScreenSprites(std::move(pictures));
    // The folder's letter sheet leaves its filler cells clear: the game draws the filler as the blank.
    if (name == "word") {
        return qmtest::LetterSheet(true);
    }
    if (name == "window21") {
        return MinimapWindow();
    }
    if (name == "cursor05") {
        return MinimapCursor();
    }
    for (const qmtest::PtxImage& picture : pictures) {
        if (picture.storedName == name + '\0') {
            return picture;
        }
    }
    throw std::runtime_error("the field has no picture " + name);
}

std::vector<std::uint8_t> BuildTexturePackage(const TexturePackage& package)
{
    std::vector<qmtest::PtxImage> images;
    for (const std::string& entry : package.entries) {
        switch (package.picture) {
        case TexturePackage::Picture::Icon:
            images.push_back(Icon(entry));
            break;
        case TexturePackage::Picture::Panel:
            images.push_back(Panel(entry));
            break;
        case TexturePackage::Picture::Field:
            images.push_back(FieldPicture(entry));
            break;
        case TexturePackage::Picture::Scene:
            images.push_back(qmtest::ScenePicture(entry));
            break;
        case TexturePackage::Picture::Minimap:
            images.push_back(MinimapPicture(entry));
            break;
        case TexturePackage::Picture::HeroLook:
            images.push_back(HeroLookPicture(entry));
            break;
        }
    }
    return qmtest::BuildPtx(images);
}

qmtest::MeshFile SkyDome()
{
    constexpr int kRings = 6;      // bands from the horizon to the top
    constexpr int kSegments = 16;  // around
    constexpr float kRadius = 100.0F;
    qmtest::MeshFile mesh;
    mesh.name = "sky00";
    // Drawn first and behind everything: depth test off, opaque.
    mesh.materials.push_back(qmtest::MeshMaterial("Sky", 1.0F, 1.0F, 1.0F, 1.0F, 0.65F));
    std::vector<qmtest::MeshVertex> vertices;
    for (int ring = 0; ring <= kRings; ++ring) {
        const double lat = kPi / 2.0 * ring / kRings;
        const double t = static_cast<double>(ring) / kRings;
        const auto r = static_cast<std::uint32_t>(std::lround(0xB8 - (0xB8 - 0x28) * t));
        const auto g = static_cast<std::uint32_t>(std::lround(0xD0 - (0xD0 - 0x50) * t));
        const auto b = static_cast<std::uint32_t>(std::lround(0xF0 - (0xF0 - 0xA8) * t));
        const std::uint32_t diffuse = 0xFF000000u | r << 16 | g << 8 | b;
        for (int seg = 0; seg <= kSegments; ++seg) {
            const double a = 2.0 * kPi * seg / kSegments;
            const auto x = static_cast<float>(kRadius * std::cos(lat) * std::sin(a));
            const auto y = static_cast<float>(kRadius * std::sin(lat));
            const auto z = static_cast<float>(kRadius * std::cos(lat) * std::cos(a));
            vertices.push_back({x, y, z, diffuse, x / (2 * kRadius) + 0.5F, z / (2 * kRadius) + 0.5F});
        }
    }
    mesh.keyFrames.push_back(vertices);
    // Clockwise seen from the centre; the top band's upper edge is a point, so it has one triangle a step.
    auto at = [](int ring, int seg) { return static_cast<std::uint16_t>(ring * (kSegments + 1) + seg); };
    for (int ring = 0; ring < kRings; ++ring) {
        for (int seg = 0; seg < kSegments; ++seg) {
            const std::uint16_t ll = at(ring, seg), lr = at(ring, seg + 1);
            const std::uint16_t ul = at(ring + 1, seg), ur = at(ring + 1, seg + 1);
            if (ring + 1 < kRings) {
                mesh.indices.insert(mesh.indices.end(), {ul, ur, lr});
                mesh.faceMaterials.push_back(0);
            }
            mesh.indices.insert(mesh.indices.end(), {ul, lr, ll});
            mesh.faceMaterials.push_back(0);
        }
    }
    return mesh;
}

}  // namespace sample
