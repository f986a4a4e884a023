#pragma once
// PNG files read back through cairo, for the tests of the plots.

#include "plot.hpp"

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct rgb {
    int r, g, b;
};

/// A PNG read back through cairo; a plot's PNG has png_pixels_per_point pixels per point of its page.
struct png_pixels {
    int width = 0;
    int height = 0;
    std::vector<rgb> pixels;

    rgb at(int column, int row) const
    {
        if (column < 0 || row < 0 || column >= width || row >= height) return {255, 255, 255};
        return pixels[static_cast<std::size_t>(row) * width + column];
    }
    /// The pixel of a plot's page point p.
    rgb at(const plot_point& p) const
    {
        return at(static_cast<int>(std::floor(p.x * png_pixels_per_point)),
                  static_cast<int>(std::floor(p.y * png_pixels_per_point)));
    }
    /// Whether a pixel within radius pixels of a plot's page point p satisfies colour.
    bool near(const plot_point& p, int radius, bool (*colour)(rgb)) const
    {
        const int column = static_cast<int>(std::floor(p.x * png_pixels_per_point));
        const int row = static_cast<int>(std::floor(p.y * png_pixels_per_point));
        for (int dx = -radius; dx <= radius; ++dx)
            for (int dy = -radius; dy <= radius; ++dy)
                if (colour(at(column + dx, row + dy))) return true;
        return false;
    }
};

inline png_pixels read_png(const std::string& file)
{
    std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> s(cairo_image_surface_create_from_png(file.c_str()),
                                                                   cairo_surface_destroy);
    png_pixels png;
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return png;
    png.width = cairo_image_surface_get_width(s.get());
    png.height = cairo_image_surface_get_height(s.get());
    const int stride = cairo_image_surface_get_stride(s.get());
    const unsigned char* data = cairo_image_surface_get_data(s.get());
    for (int row = 0; row < png.height; ++row)
        for (int column = 0; column < png.width; ++column) {
            const auto word = *reinterpret_cast<const std::uint32_t*>(data + row * stride + 4 * column);
            png.pixels.push_back({int(word >> 16 & 0xff), int(word >> 8 & 0xff), int(word & 0xff)});
        }
    return png;
}

