#pragma once
// Pixel images written as PNG files.

#include <string>
#include <vector>

/// Writes the image of width × height pixels to file as a PNG: rgb holds
/// three bytes a pixel (red, green, blue), rows from the bottom up as OpenGL
/// reads them back. Whether the file was written.
bool write_png(const std::string& file, int width, int height, const std::vector<unsigned char>& rgb);
