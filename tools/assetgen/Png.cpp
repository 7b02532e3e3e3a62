// The PNG writer: libpng into memory.
#include "Png.h"

#include <png.h>

#include <csetjmp>
#include <stdexcept>
#include <string>

namespace {

void append(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void noFlush(png_structp) {}

// libpng reports through setjmp/longjmp; the message is kept for the exception thrown afterwards.
void keepError(png_structp png, png_const_charp message) {
    *static_cast<std::string*>(png_get_error_ptr(png)) = message;
    png_longjmp(png, 1);
}

} // namespace

std::vector<uint8_t> encodePNG(const Canvas& c) {
    std::vector<uint8_t> rgba;
    rgba.reserve(static_cast<size_t>(c.width()) * c.height() * 4);
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const Rgb p = c.get(x, y);
            rgba.insert(rgba.end(), {p.r, p.g, p.b, c.alpha(x, y)});
        }
    std::vector<png_bytep> rows(c.height());
    for (int y = 0; y < c.height(); ++y)
        rows[y] = rgba.data() + static_cast<size_t>(y) * c.width() * 4;

    std::vector<uint8_t> out;
    std::string error;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, keepError, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::runtime_error("libpng: out of memory");
    }
    // Nothing with a destructor is made between here and the end of the writing, which a longjmp
    // would skip.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng: " + error);
    }
    png_set_write_fn(png, &out, append, noFlush);
    png_set_IHDR(png, info, c.width(), c.height(), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}
