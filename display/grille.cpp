#include "grille.hpp"

#include "out_latex.hpp"

#include <GL/gl.h>

#include <charconv>
#include <fstream>
#include <ios>
#include <string>

namespace {

/// Appends d as a stream in fixed notation at precision 8 writes it (printf's
/// "%.8f", which std::to_chars reproduces, many times faster).
void append_fixed(std::string& text, double d)
{
    char digits[400];
    text.append(digits, std::to_chars(digits, digits + sizeof digits, d, std::chars_format::fixed, 8).ptr);
}

/// Appends the pair "(x,y)".
void append_point(std::string& text, double x, double y)
{
    text += '(';
    append_fixed(text, x);
    text += ',';
    append_fixed(text, y);
    text += ')';
}

/// Text gathered before each write to the picture file.
constexpr std::size_t write_chunk = 1 << 20;

/// Colour parameter of a lattice point: its distance from (a, b) over the diagonal.
double lattice_value(double x, double y, double a, double b, double diagonal)
{
    return vector_nD<double>{x - a, y - b}.norme() / diagonal;
}

/// Calls segment(k, l) for every grid segment from point k to point l: first
/// the column segments (point k to the next point up), then the row segments
/// (point k to the same row in the next column). The picture writer and the
/// OpenGL drawing both rely on this order. A grid whose lists do not hold
/// (n + 1)² points and values has no segments.
template <class Segment>
void for_each_segment(const grille& g, Segment segment)
{
    const int n = g.n;
    const std::size_t count = n < 0 ? 0 : static_cast<std::size_t>(n + 1) * static_cast<std::size_t>(n + 1);
    if (n < 1 || g.points.size() != count || g.values.size() != count)
        return;
    for (int i = 0; i <= n; i++)
        for (int j = 0; j < n; j++) {
            const int k = i * (n + 1) + j;
            segment(k, k + 1);
        }
    for (int i = 0; i < n; i++)
        for (int j = 0; j <= n; j++) {
            const int k = i * (n + 1) + j;
            segment(k, k + n + 1);
        }
}

}  // namespace

double couleur(int canal, double t)
{
    const bool low = t < 0.5;
    switch (canal) {
    case 1:
        return low ? 1.0 : -2 * t + 2;
    case 2:
        return low ? 2 * t : -2 * t + 2;
    case 3:
        return low ? 0.0 : 2 * t - 1;
    default:
        return 0.0;
    }
}

grille::grille(double a, double b, double c, double d, int n)
    : n(n)
{
    const double sx = (c - a) / static_cast<double>(n);
    const double sy = (d - b) / static_cast<double>(n);
    const double diagonal = vector_nD<double>{c - a, d - b}.norme();
    for (int i = 0; i <= n; i++)
        for (int j = 0; j <= n; j++) {
            const double x = i * sx + a;
            const double y = j * sy + b;
            points.push_back(vector_nD<double>{x, y});
            values.push_back(lattice_value(x, y, a, b, diagonal));
        }
}

grille::grille(const expression& f, const expression& g, double a, double b, double c, double d, int n)
    : n(n)
{
    const double sx = (c - a) / static_cast<double>(n);
    const double sy = (d - b) / static_cast<double>(n);
    const double diagonal = vector_nD<double>{c - a, d - b}.norme();
    domain point;
    for (int i = 0; i <= n; i++)
        for (int j = 0; j <= n; j++) {
            const double x = i * sx + a;
            const double y = j * sy + b;
            point["x"] = interval(x);
            point["y"] = interval(y);
            points.push_back(vector_nD<double>{inf(f.Evalue(point)), inf(g.Evalue(point))});
            values.push_back(lattice_value(x, y, a, b, diagonal));
        }
}

grille::grille(const domain& box, double h)
{
    const double a = inf(box.get("x"));
    const double c = sup(box.get("x"));
    const double b = inf(box.get("y"));
    const double d = sup(box.get("y"));
    for (int i = 0; h > i; i++)
        for (int j = 0; h > j; j++)
            points.push_back(vector_nD<double>{i * (c - a) / h + a, j * (d - b) / h + b});
}

void grille::dessine() const
{
    for_each_segment(*this, [this](int k, int l) {
        const double t = 1 - values[k];
        glColor3f(static_cast<float>(couleur(1, t)), static_cast<float>(couleur(2, t)),
                  static_cast<float>(couleur(3, t)));
        glBegin(GL_LINE_STRIP);
        glVertex3d(points[k][0], points[k][1], 0);
        glVertex3d(points[l][0], points[l][1], 0);
        glEnd();
    });
}

bool grille::dessine_latex(const std::string& file) const
{
    out_latex document;
    document.file_name = file;
    if (!document.initialise())
        return false;
    {
        std::ofstream os(file, std::ios::app);
        std::string text;
        // The picture's vertical axis is shifted down by one unit.
        for_each_segment(*this, [this, &os, &text](int k, int l) {
            const double t = 1 - values[k];
            text += "\\newrgbcolor{la}{";
            append_fixed(text, couleur(1, t));
            text += ' ';
            append_fixed(text, couleur(2, t));
            text += ' ';
            append_fixed(text, couleur(3, t));
            text += "}\n\\psline[linewidth=0.01, linecolor=la]{-}";
            append_point(text, points[k][0], points[k][1] - 1);
            append_point(text, points[l][0], points[l][1] - 1);
            text += "\n\n";
            if (text.size() > write_chunk) {
                os << text;
                text.clear();
            }
        });
        os << text;
        os.close();
        if (!os)
            return false;
    }
    return document.fin();
}

void grille::cl()
{
    for (vector_nD<double>& p : points)
        p.clear();
    points.clear();
}
