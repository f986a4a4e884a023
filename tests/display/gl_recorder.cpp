#include "gl_recorder.hpp"

namespace {

struct gl_state {
    std::vector<gl_primitive> primitives;
    gl_triple colour{1, 1, 1};
    bool single_precision = false;
    bool colour_since_end = false;
    bool inside = false;
    int misuse = 0;
};

gl_state& state()
{
    static gl_state s;
    return s;
}

void set_colour(double r, double g, double b, bool single_precision)
{
    state().colour = {r, g, b};
    state().single_precision = single_precision;
    state().colour_since_end = true;
}

}  // namespace

const std::vector<gl_primitive>& gl_record()
{
    return state().primitives;
}

int gl_misuse_count()
{
    return state().misuse;
}

void gl_record_clear()
{
    state() = gl_state();
}

extern "C" {

void glColor3d(GLdouble r, GLdouble g, GLdouble b)
{
    set_colour(r, g, b, false);
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b)
{
    set_colour(r, g, b, true);
}

void glBegin(GLenum mode)
{
    gl_state& s = state();
    if (s.inside)
        s.misuse++;
    s.inside = true;
    gl_primitive p;
    p.mode = mode;
    p.colour = s.colour;
    p.single_precision = s.single_precision;
    p.colour_set_before = s.colour_since_end;
    s.primitives.push_back(p);
}

void glVertex3d(GLdouble x, GLdouble y, GLdouble z)
{
    gl_state& s = state();
    if (!s.inside)
        s.misuse++;
    else
        s.primitives.back().vertices.push_back({x, y, z});
}

void glEnd()
{
    gl_state& s = state();
    if (!s.inside)
        s.misuse++;
    s.inside = false;
    s.colour_since_end = false;
}
}
