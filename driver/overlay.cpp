#include "overlay.hpp"

#include <GL/gl.h>

#include <algorithm>

namespace {

constexpr int point_size = 15;
constexpr int line_height = 20;
constexpr int margin = 12;
constexpr int panel_left = 20;
constexpr int panel_top = 20;
constexpr int overlay_panel_width = 940;
/// Where the second column starts, from the panel's text margin.
constexpr int second_column = 170;

/// Clip coordinates of a window pixel (column, row from the top).
double clip_x(double column, int width) { return -1 + 2 * column / width; }
double clip_y(double row, int height) { return 1 - 2 * row / height; }

}  // namespace

text_overlay::text_overlay()
{
    if (TTF_WasInit() == 0 && TTF_Init() != 0) {
        failure_ = std::string("SDL_ttf cannot start: ") + TTF_GetError();
        return;
    }
    font_ = TTF_OpenFont(overlay_font, point_size);
    if (font_ == nullptr) failure_ = std::string("no font ") + overlay_font + ": " + TTF_GetError();
}

text_overlay::~text_overlay()
{
    if (font_ != nullptr) TTF_CloseFont(font_);
    if (TTF_WasInit() != 0) TTF_Quit();
}

void text_overlay::draw(const std::vector<std::string>& lines, int width, int height) const
{
    const int panel_height = 2 * margin + line_height * static_cast<int>(lines.size());
    const int panel_width = std::min(overlay_panel_width, width - 2 * panel_left);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4d(0, 0, 0.35, 0.88);
    glBegin(GL_POLYGON);
    glVertex2d(clip_x(panel_left, width), clip_y(panel_top, height));
    glVertex2d(clip_x(panel_left + panel_width, width), clip_y(panel_top, height));
    glVertex2d(clip_x(panel_left + panel_width, width), clip_y(panel_top + panel_height, height));
    glVertex2d(clip_x(panel_left, width), clip_y(panel_top + panel_height, height));
    glEnd();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int top = panel_top + margin + line_height * static_cast<int>(i);
        const std::size_t split = lines[i].find(column_separator);
        draw_line(lines[i].substr(0, split), panel_left + margin, top, width, height);
        if (split != std::string::npos)
            draw_line(lines[i].substr(split + 1), panel_left + margin + second_column, top, width, height);
    }
    glDisable(GL_BLEND);
}

void text_overlay::draw_line(const std::string& text, int left, int top, int width, int height) const
{
    if (font_ == nullptr || text.empty()) return;
    SDL_Surface* line = TTF_RenderUTF8_Blended(font_, text.c_str(), SDL_Color{255, 255, 255, 0});
    if (line == nullptr) return;
    // The rendered rows run from the top: the raster position is the top
    // left corner and the rows are laid downwards. The pixels are 32-bit
    // words A R G B, that is the bytes B G R A in memory.
    glRasterPos2d(clip_x(left, width), clip_y(top, height));
    glPixelZoom(1, -1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, line->pitch / 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glDrawPixels(line->w, line->h, GL_BGRA, GL_UNSIGNED_BYTE, line->pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelZoom(1, 1);
    SDL_FreeSurface(line);
}
