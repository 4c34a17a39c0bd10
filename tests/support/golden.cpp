#include "support/golden.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "support/png_writer.h"

#ifdef QM_HAVE_PNG
#include <png.h>
#endif

namespace qmtest {

namespace {

std::filesystem::path GoldenDir()
{
    const char* dir = std::getenv("QM_GOLDEN_DIR");
    return dir != nullptr ? std::filesystem::path(dir) : std::filesystem::path("tests/golden");
}

// Beside the test executable: tests change their working folder to temporary ones.
std::filesystem::path ActualDir()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (ec ? std::filesystem::current_path() : exe.parent_path()) / "golden_actual";
}

std::vector<std::uint8_t> Opaque(const platform::RgbaImage& image)
{
    std::vector<std::uint8_t> pixels = image.pixels;
    for (std::size_t i = 3; i < pixels.size(); i += 4) {
        pixels[i] = 255;
    }
    return pixels;
}

bool UpdateRequested()
{
    const char* value = std::getenv("QM_UPDATE_GOLDEN");
    return value != nullptr && std::string(value) == "1";
}

bool ReadPng(const std::string& path, platform::RgbaImage* out)
{
#ifdef QM_HAVE_PNG
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0) {
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    out->width = static_cast<int>(png.width);
    out->height = static_cast<int>(png.height);
    out->pixels.assign(PNG_IMAGE_SIZE(png), 0);
    if (png_image_finish_read(&png, nullptr, out->pixels.data(), 0, nullptr) == 0) {
        png_image_free(&png);
        return false;
    }
    return true;
#else
    (void)path;
    (void)out;
    return false;
#endif
}

}  // namespace

::testing::AssertionResult SamePicture(const platform::RgbaImage& a, const platform::RgbaImage& b, int tolerance,
                                       int maxBadPixels, int minCovered)
{
    if (a.width != b.width || a.height != b.height || a.pixels.empty()) {
        return ::testing::AssertionFailure() << "size " << a.width << "x" << a.height << " against " << b.width << "x"
                                             << b.height;
    }
    int bad = 0;
    int covered = 0;
    int worst = 0;
    int first = -1;
    for (int i = 0; i < a.width * a.height; ++i) {
        const std::uint8_t* p = &a.pixels[4 * static_cast<std::size_t>(i)];
        const std::uint8_t* q = &b.pixels[4 * static_cast<std::size_t>(i)];
        covered += (p[0] | p[1] | p[2]) != 0 ? 1 : 0;
        const int d = std::max({std::abs(p[0] - q[0]), std::abs(p[1] - q[1]), std::abs(p[2] - q[2])});
        worst = std::max(worst, d);
        if (d > tolerance && bad++ == 0) {
            first = i;
        }
    }
    if (covered < minCovered) {
        return ::testing::AssertionFailure() << "only " << covered << " pixels drawn, fewer than " << minCovered;
    }
    if (bad > maxBadPixels) {
        return ::testing::AssertionFailure() << bad << " pixels differ by more than " << tolerance << " (at most "
                                             << worst << "), first at (" << first % a.width << ", "
                                             << first / a.width << ")";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult MatchesGolden(const platform::RgbaImage& image, const std::string& name, int tolerance,
                                         int maxBadPixels)
{
    const std::filesystem::path golden = GoldenDir() / (name + ".png");
    if (UpdateRequested()) {
        if (!WritePng(golden.string(), image.width, image.height, Opaque(image))) {
            return ::testing::AssertionFailure() << "cannot write golden " << golden;
        }
        return ::testing::AssertionSuccess() << "golden " << golden << " written";
    }
    platform::RgbaImage want;
    std::ostringstream why;
    if (!ReadPng(golden.string(), &want)) {
        why << "no golden " << golden << " (run with QM_UPDATE_GOLDEN=1 to make it)";
    } else {
        const ::testing::AssertionResult same = SamePicture(image, want, tolerance, maxBadPixels);
        if (same) {
            return same;
        }
        why << same.message();
    }
    std::error_code ec;
    std::filesystem::create_directories(ActualDir(), ec);
    const std::filesystem::path actual = ActualDir() / (name + ".png");
    WritePng(actual.string(), image.width, image.height, Opaque(image));
    return ::testing::AssertionFailure() << name << ": " << why.str() << "; actual picture: " << actual;
}

::testing::AssertionResult MatchesGoldenText(const std::string& text, const std::string& name)
{
    const std::filesystem::path golden = GoldenDir() / name;
    if (UpdateRequested()) {
        std::ofstream out(golden, std::ios::binary);
        out << text;
        out.close();
        if (!out) {
            return ::testing::AssertionFailure() << "cannot write golden " << golden;
        }
        return ::testing::AssertionSuccess() << "golden " << golden << " written";
    }
    std::ifstream in(golden, std::ios::binary);
    if (!in) {
        return ::testing::AssertionFailure() << "no golden " << golden << " (run with QM_UPDATE_GOLDEN=1 to make it)";
    }
    std::stringstream want;
    want << in.rdbuf();
    if (want.str() == text) {
        return ::testing::AssertionSuccess();
    }
    std::error_code ec;
    std::filesystem::create_directories(ActualDir(), ec);
    const std::filesystem::path actual = ActualDir() / name;
    std::ofstream(actual, std::ios::binary) << text;
    return ::testing::AssertionFailure() << name << " differs from " << golden << "; actual text: " << actual;
}

platform::RgbaImage Crop(const platform::RgbaImage& image, int x, int y, int width, int height)
{
    platform::RgbaImage out;
    out.width = width;
    out.height = height;
    for (int row = y; row < y + height; ++row) {
        const auto from = image.pixels.begin() + (static_cast<std::ptrdiff_t>(row) * image.width + x) * 4;
        out.pixels.insert(out.pixels.end(), from, from + static_cast<std::ptrdiff_t>(width) * 4);
    }
    return out;
}

int Brightest(const platform::RgbaImage& image)
{
    int most = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.At(x, y);
            most = std::max({most, static_cast<int>(p[0]), static_cast<int>(p[1]), static_cast<int>(p[2])});
        }
    }
    return most;
}

}  // namespace qmtest
