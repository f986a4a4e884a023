// PNG files through cairo, which the plots use as well.

#include "png_file.hpp"

#include <cairo.h>

#include <cstdint>
#include <memory>

bool write_png(const std::string& file, int width, int height, const std::vector<unsigned char>& rgb)
{
    if (width <= 0 || height <= 0 || rgb.size() < 3u * width * height) return false;
    const std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return false;
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    // A cairo pixel is one native 32-bit word 0xXXRRGGBB; the image's rows run from the top.
    for (int row = 0; row < height; ++row) {
        const unsigned char* from = rgb.data() + 3u * width * (height - 1 - row);
        auto* to = reinterpret_cast<std::uint32_t*>(data + row * stride);
        for (int column = 0; column < width; ++column, from += 3)
            to[column] = std::uint32_t(from[0]) << 16 | std::uint32_t(from[1]) << 8 | from[2];
    }
    cairo_surface_mark_dirty(surface.get());
    return cairo_surface_write_to_png(surface.get(), file.c_str()) == CAIRO_STATUS_SUCCESS;
}
