// Drawing of the analysis findings in the viewer's planes, and the console listing.

#include "colour.hpp"
#include "resultat.hpp"

#include <GL/gl.h>

#include <array>
#include <string>

namespace {

/// Result boxes lie just above the grids (z = 0); the preimages of singular
/// images lie just below them.
constexpr double above = 0.01;
constexpr double below = -0.01;
/// Inflation of the boundary, cusp and crossing boxes of the coded lists.
constexpr double coded_inflation = 0.005;

constexpr colour white{1, 1, 1};
constexpr colour red{1, 0, 0};
constexpr colour yellow{1, 1, 0};
constexpr colour orange{1, 0.5, 0};
/// The image of the pointed cell: a colour of its own, apart from the white fold cells and the grids.
constexpr colour cyan{0, 1, 1};

/// Drawn extent of a box: horizontal [xl, xu], vertical [yl, yu].
struct rectangle {
    double xl, xu, yl, yu;
};

/// Extent of box b read through the variables h and v, widened by d on every side.
rectangle extent(const domain& b, const std::string& h, const std::string& v, double d)
{
    const interval X = b.get(h);
    const interval Y = b.get(v);
    return {inf(X) - d, sup(X) + d, inf(Y) - d, sup(Y) + d};
}

/// Extent of a source-plane box, widened by d.
rectangle source(const domain& b, double d = 0)
{
    return extent(b, "x", "y", d);
}

void set_colour(const colour& c)
{
    glColor3d(c.r, c.g, c.b);
}

/// The closed five-vertex path (xl, yl), (xl, yu), (xu, yu), (xu, yl), (xl, yl) as one primitive.
void five_vertices(GLenum mode, const rectangle& r, const colour& c, double z)
{
    set_colour(c);
    glBegin(mode);
    glVertex3d(r.xl, r.yl, z);
    glVertex3d(r.xl, r.yu, z);
    glVertex3d(r.xu, r.yu, z);
    glVertex3d(r.xu, r.yl, z);
    glVertex3d(r.xl, r.yl, z);
    glEnd();
}

void fill(const rectangle& r, const colour& c, double z = above)
{
    five_vertices(GL_POLYGON, r, c, z);
}

void outline(const rectangle& r, const colour& c, double z = above)
{
    five_vertices(GL_LINE_LOOP, r, c, z);
}

/// The two diagonals of r.
void cross(const rectangle& r, const colour& c)
{
    set_colour(c);
    glBegin(GL_LINES);
    glVertex3d(r.xl, r.yl, above);
    glVertex3d(r.xu, r.yu, above);
    glVertex3d(r.xu, r.yl, above);
    glVertex3d(r.xl, r.yu, above);
    glEnd();
}

/// A marker: r filled in c with a white outline.
void marker(const rectangle& r, const colour& c)
{
    fill(r, c);
    outline(r, white);
}

/// Fills every listed cell of m in c; positions outside the paving are skipped.
void fill_cells(const mesh& m, const std::vector<int>& cells, const colour& c, double z = above)
{
    for (int i : cells)
        if (m.holds(i))
            fill(source(m.boxes[i]), c, z);
}

/// Colour of a verdict code of the coded crossing lists; 6, 7, 8 and any
/// other code share the last colour.
colour code_colour(int code)
{
    switch (code) {
    case 1:
        return {1, 0, 0};
    case 2:
        return {0, 0, 0.6};
    case 3:
        return {0, 0, 0.3};
    case 4:
        return {0, 0, 1};
    case 5:
        return {0, 1, 0};
    default:
        return {1, 1, 0};
    }
}

/// Colour of component c among q: magenta (1, 0, 1) for the first, towards
/// cyan (0, 1, 1); the fractions are computed in single precision.
colour component_colour(std::size_t c, std::size_t q)
{
    const float f = static_cast<float>(c) / static_cast<float>(q);
    return {1.0f - f, f, 1};
}

/// Whether k is a position of a list of the given length.
bool within(int k, std::size_t length)
{
    return k >= 0 && static_cast<std::size_t>(k) < length;
}

/// Draws each component of entry k of a component list in its own colour;
/// keep(c) tells whether component c is filled (otherwise its cells are white crosses).
template <class Keep>
void draw_components(const mesh& m, const std::vector<components>& list, int k, Keep keep)
{
    if (!m.holds(k) || !within(k, list.size()))
        return;
    const components& parts = list[k];
    for (std::size_t c = 0; c < parts.size(); c++) {
        const colour tint = component_colour(c, parts.size());
        for (int i : parts[c]) {
            if (!m.holds(i))
                continue;
            if (keep(c))
                fill(source(m.boxes[i]), tint);
            else
                cross(source(m.boxes[i]), white);
        }
    }
}

/// Index of the face of around that holds the centre of b (the last one that
/// does), or -1 when none does.
int face_of(const domain& b, const std::array<const domain*, 4>& around)
{
    const domain centre = b.center();
    int face = -1;
    for (int i = 0; i < 4; i++)
        if (centre.subset(*around[i]))
            face = i;
    return face;
}

/// Perimeter coordinates of box b lying on face i of around: the position
/// along the face (y on the faces where x is fixed, x on the others) plus
/// the face's offset.
interval perimeter(const domain& b, int i, const std::array<const domain*, 4>& around,
                   const std::array<double, 4>& offset)
{
    const std::string along = i % 2 == 0 ? "y" : "x";
    return b.get(along) - interval(inf(around[i]->get(along))) + interval(offset[i]);
}

}  // namespace

void resultat::dessine() const
{
    for (int i : fold_indices) {
        if (!source_mesh.holds(i))
            continue;
        const rectangle r = source(source_mesh.boxes[i]);
        set_colour(white);
        glBegin(GL_POLYGON);
        glVertex3d(r.xl, r.yl, above);
        glVertex3d(r.xu, r.yl, above);
        glVertex3d(r.xu, r.yu, above);
        glVertex3d(r.xl, r.yu, above);
        glEnd();
    }
}

void resultat::dessine(int k) const
{
    if (source_mesh.holds(k))
        fill(source(source_mesh.boxes[k]), white);
}

void resultat::dessine_bord(int k) const
{
    if (boundary_mesh.holds(k))
        fill(source(boundary_mesh.boxes[k], coded_inflation), red);
}

void resultat::dessine_bord() const
{
    for (std::size_t k = 0; k < boundary_mesh.boxes.size(); k++)
        dessine_bord(static_cast<int>(k));
}

void resultat::dessine_courbe_singuliere() const
{
    for (const domain& b : fold_boxes)
        cross(source(b), white);
}

void resultat::dessine_L_cur() const
{
    for (const box_pair& p : L_cur_pairs)
        five_vertices(GL_LINE_STRIP, source(p.first), yellow, above);
}

void resultat::dessine_cusp_v(double e) const
{
    for (const domain& b : cusps)
        marker(source(b, e), red);
}

void resultat::dessine_cusp() const
{
    for (const std::pair<domain, int>& b : cusp_boxes)
        marker(source(b.first, coded_inflation), red);
}

void resultat::dessine_singular_boundary_v(double e) const
{
    const double N = static_cast<double>(fold_boundary_pairs.size());
    for (std::size_t i = 0; i < fold_boundary_pairs.size(); i++) {
        const double f = static_cast<double>(i) / N;
        const colour c{f, 1 - f, f};
        marker(source(fold_boundary_pairs[i].first, e), c);
        outline(source(fold_boundary_pairs[i].second, e), c);
    }
}

void resultat::dessine_singular_boundary() const
{
    for (const coded_pair& p : fold_boundary_coded) {
        if (p.second == 2)
            continue;
        const colour c = code_colour(p.second);
        marker(source(p.first.first, coded_inflation), c);
        outline(source(p.first.second, coded_inflation), c);
    }
}

void resultat::dessine_singular_singular_v() const
{
    // Each box with its upper-left corner cut by a slanted edge 0.05 outside
    // it, which tells these markers apart from the square cell fills.
    for (const box_pair& p : fold_fold_pairs)
        for (const domain* b : {&p.first, &p.second}) {
            const rectangle r = source(*b);
            set_colour(white);
            glBegin(GL_POLYGON);
            glVertex3d(r.xl - 0.05, r.yl, above);
            glVertex3d(r.xl, r.yu + 0.05, above);
            glVertex3d(r.xu, r.yu, above);
            glVertex3d(r.xu, r.yl, above);
            glVertex3d(r.xl, r.yl, above);
            glEnd();
        }
}

void resultat::dessine_boundary_boundary() const
{
    for (const box_pair& p : boundary_boundary_pairs) {
        marker(source(p.first, coded_inflation), red);
        outline(source(p.second, coded_inflation), yellow);
    }
    for (const coded_pair& p : boundary_boundary_coded) {
        set_colour(code_colour(p.second));
        if (p.second == 8) {
            outline(source(p.first.first, coded_inflation), white);
            outline(source(p.first.second, coded_inflation), white);
        }
    }
}

void resultat::dessine_boundary_boundary_v(const mesh& m) const
{
    // A plane box has four faces; any other paving has no perimeter to unroll.
    if (m.faces.size() != 4)
        return;
    const double wx = diam(m.whole_box.get("x"));
    const double wy = diam(m.whole_box.get("y"));
    const double P = 2 * wx + 2 * wy;
    // The perimeter is walked x low, y low, x high, y high.
    const std::array<const domain*, 4> around{&m.faces[0], &m.faces[2], &m.faces[1], &m.faces[3]};
    const std::array<double, 4> offset{0, wy, wy + wx, wx + 2 * wy};

    set_colour(white);
    glBegin(GL_LINE_LOOP);
    glVertex3d(0, 0, above);
    glVertex3d(P, P, above);
    glVertex3d(0, P, above);
    glEnd();

    for (const coded_pair& p : boundary_boundary_coded) {
        const int face1 = face_of(p.first.first, around);
        const int face2 = face_of(p.first.second, around);
        // A box off the perimeter is placed as if on the first face.
        const interval s1 = perimeter(p.first.first, face1 < 0 ? 0 : face1, around, offset);
        const interval s2 = perimeter(p.first.second, face2 < 0 ? 0 : face2, around, offset);
        const rectangle r{inf(s1), sup(s1), inf(s2), sup(s2)};
        const bool on_perimeter = face1 >= 0 || face2 >= 0;
        fill(r, code_colour(p.second), on_perimeter ? 0 : 2);
        outline(r, white, on_perimeter ? 0 : 1);
    }
}

void resultat::dessine_image(int k) const
{
    if (source_mesh.holds(k) && within(k, images.size()))
        fill(extent(images[k], "y0", "y1", 0), cyan);
}

void resultat::dessine_contre_image_d_image(int k) const
{
    if (source_mesh.holds(k) && within(k, image_overlaps.size()))
        fill_cells(source_mesh, image_overlaps[k], yellow);
}

void resultat::dessine_contre_image_du_bord(int k) const
{
    if (boundary_mesh.holds(k) && within(k, boundary_overlaps.size()))
        fill_cells(source_mesh, boundary_overlaps[k], yellow);
}

void resultat::dessine_contre_image_du_bord() const
{
    for (std::size_t k = 0; k < boundary_mesh.boxes.size(); k++)
        dessine_contre_image_du_bord(static_cast<int>(k));
}

void resultat::dessine_contre_image_de_singularite(int k) const
{
    if (within(k, singular_indices.size()) && within(k, singular_overlaps.size()))
        fill_cells(source_mesh, singular_overlaps[k], orange, below);
}

void resultat::dessine_contre_image_de_singularite() const
{
    for (std::size_t k = 0; k < singular_indices.size(); k++)
        dessine_contre_image_de_singularite(static_cast<int>(k));
}

void resultat::dessine_cc_contre_image_d_image(int k) const
{
    draw_components(source_mesh, cc_image_overlaps, k, [](std::size_t) { return true; });
}

void resultat::dessine_fr_cc_contre_image_d_image(int k) const
{
    draw_components(source_mesh, fr_cc_image_overlaps, k, [](std::size_t) { return true; });
}

void resultat::dessine_cc_contre_image_du_bord(int k) const
{
    draw_components(source_mesh, cc_boundary_overlaps, k, [](std::size_t) { return true; });
}

void resultat::dessine_fr_cc_contre_image_du_bord(int k) const
{
    // A component without a flag is not proved and shows as crosses.
    draw_components(source_mesh, fr_cc_boundary_overlaps, k, [this, k](std::size_t c) {
        return within(k, fr_cc_boundary_flags.size()) && c < fr_cc_boundary_flags[k].size() &&
               fr_cc_boundary_flags[k][c];
    });
}

void resultat::out(std::ostream& os) const
{
    for (std::size_t k = 0; k < source_mesh.boxes.size(); k++) {
        source_mesh.boxes[k].out(os);
        const bool proved = k < verdicts.size() && verdicts[k].value == itrue;
        os << (proved ? "true" : "perhaps") << "\n";
        os << "*-------------------*\n";
    }
}
