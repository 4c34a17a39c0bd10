#include "support/png_writer.h"

#include <cstdio>

#ifdef QM_HAVE_PNG
#include <png.h>
#endif

namespace qmtest {

bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba)
{
#ifdef QM_HAVE_PNG
    if (width <= 0 || height <= 0 || rgba.size() < static_cast<size_t>(width) * height * 4) {
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            png_write_row(png, const_cast<png_bytep>(rgba.data() + static_cast<size_t>(y) * width * 4));
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return ok;
#else
    (void)path;
    (void)width;
    (void)height;
    (void)rgba;
    return false;
#endif
}

}  // namespace qmtest
