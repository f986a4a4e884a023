#pragma once
// Text over the viewer's window, drawn with SDL_ttf: the help with the keys
// and the colours, and a status line.

#include <SDL_ttf.h>

#include <string>
#include <vector>

/// The font of the overlay (the DejaVu Sans of fonts-dejavu-core).
inline const char* const overlay_font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

/// In a line of the overlay, what follows this character starts at the second column.
constexpr char column_separator = '\t';

/// Lines of text on a dark panel at the top left of the window, each in one
/// column or, split at column_separator, in two aligned ones.
class text_overlay {
public:
    /// Opens the font; without it the panel is drawn without text and failure() says why.
    text_overlay();
    ~text_overlay();
    text_overlay(const text_overlay&) = delete;
    text_overlay& operator=(const text_overlay&) = delete;

    const std::string& failure() const { return failure_; }
    /// Draws lines on the panel into the current OpenGL context of a window
    /// width × height pixels, with identity matrices; the panel is narrowed to
    /// a window narrower than it.
    void draw(const std::vector<std::string>& lines, int width, int height) const;

private:
    TTF_Font* font_ = nullptr;
    std::string failure_;

    void draw_line(const std::string& text, int left, int top, int width, int height) const;
};
