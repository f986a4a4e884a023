#pragma once
// A stand-in for the immediate-mode OpenGL calls of the display library: the
// display test executable defines glBegin, glEnd, glVertex3d, glColor3d and
// glColor3f itself and records every primitive instead of drawing it.

#include <GL/gl.h>

#include <array>
#include <vector>

using gl_triple = std::array<double, 3>;

struct gl_primitive {
    GLenum mode = 0;
    /// The current colour at glBegin.
    gl_triple colour{};
    /// Whether that colour was set with glColor3f rather than glColor3d.
    bool single_precision = false;
    /// Whether a colour call came after the previous glEnd.
    bool colour_set_before = false;
    std::vector<gl_triple> vertices;
};

/// Every primitive drawn since the last gl_record_clear, in drawing order.
const std::vector<gl_primitive>& gl_record();
/// Number of calls made out of order (a vertex outside begin/end, nested begins, an end without begin).
int gl_misuse_count();
void gl_record_clear();
