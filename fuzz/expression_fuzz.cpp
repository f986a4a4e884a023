// Fuzz target of the expression language: any text parses quietly into a
// well-formed tree or is refused; a tree prints to a text that parses back,
// differentiates and simplifies; every evaluation over a small box encloses
// the high-precision values at the box's corners and centre, up to their
// error bound; a compiled program gives its tree's enclosure and domain
// check; and a simplified tree is undefined over a box where the given one
// is undefined at a point.

#include "compiled.hpp"
#include "tree_reference.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace {

/// Longest text that is also differentiated and simplified: symbolic work
/// grows with the size of the tree, and short texts reach every rule.
constexpr std::size_t longest_derived_text = 160;

void require(bool condition, const char* what, const std::string& text)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_expression: %s for \"%s\"\n", what, text.c_str());
    std::abort();
}

/// Children before parents, index fields equal to positions.
bool well_formed(const std::vector<Node>& tree)
{
    for (int i = 0; i < static_cast<int>(tree.size()); ++i) {
        const Node& n = tree[i];
        if (n.index != i || n.left < -1 || n.left >= i || n.right < -1 || n.right >= i) return false;
    }
    return true;
}

/// Whether every exponent is an integer literal, possibly negated: then the
/// reference value and the evaluation read it alike.
bool literal_exponents(const std::vector<Node>& tree)
{
    const auto integer_literal = [&tree](int i) {
        if (tree[i].kind == 'N') i = tree[i].left;
        return tree[i].kind == 'r' && std::trunc(tree[i].value) == tree[i].value;
    };
    for (const Node& n : tree) {
        if (n.kind == 'P' && !integer_literal(n.right)) return false;
    }
    return true;
}

/// A small box chosen by two bytes: a centre in [−2, 2] and a width from 1e−9 to 0.5.
domain small_box(std::uint8_t where, std::uint8_t size)
{
    const double cx = (where % 16) / 4.0 - 2.0;
    const double cy = (where / 16) / 4.0 - 2.0;
    const double w = 0.5 * std::pow(10.0, -(size % 10));
    return {{"x", interval(cx, cx + w)}, {"y", interval(cy - w, cy)}};
}

/// Two opposite corners and the centre of b.
std::vector<point> sample_points(const domain& b)
{
    const interval x = b.get("x");
    const interval y = b.get("y");
    return {{{"x", x.inf()}, {"y", y.sup()}}, {{"x", x.sup()}, {"y", y.inf()}}, {{"x", x.mid()}, {"y", y.mid()}}};
}

/// Evaluation over b, and at each sample point of b, encloses the reference
/// value there up to its error bound.
void check_enclosures(const expression& e, const domain& b, const std::string& text)
{
    if (!e.has_tree() || !literal_exponents(e.tree)) return;
    const interval over_box = e.Evalue(b);
    for (const point& p : sample_points(b)) {
        const mpfr_real reference = reference_value(e, p);
        if (reference.is_nan()) continue;
        require(inside_up_to_error(reference, over_box), "a box evaluation misses a point value", text);
        require(inside_up_to_error(reference, e.Evalue(point_box(p))), "a point evaluation misses its value", text);
    }
}

/// Whether every partial function reachable from node i has its argument
/// inside its domain over b, its arguments evaluated as trees: a square root's
/// non-negative, a logarithm's positive, a divisor and a tangent's cosine
/// without 0, an exponent bounded whose truncated upper bound is non-negative
/// or whose base excludes 0. Shared nodes are visited once.
bool defined_as_trees(const std::vector<Node>& tree, int i, const domain& b, std::vector<bool>& visited)
{
    if (i < 0 || visited[i]) return true;
    visited[i] = true;
    const Node& n = tree[i];
    if (!defined_as_trees(tree, n.left, b, visited) || !defined_as_trees(tree, n.right, b, visited)) return false;
    const auto without_zero = [](const interval& I) { return !I.isEmpty() && !I.isInfinite() && !I.contains(0.0); };
    switch (n.kind) {
    case 'R': return !Eval(tree, n.left, b).isEmpty() && Eval(tree, n.left, b).inf() >= 0.0;
    case 'L': return !Eval(tree, n.left, b).isEmpty() && Eval(tree, n.left, b).inf() > 0.0;
    case '/': return without_zero(Eval(tree, n.right, b));
    case 'T': return without_zero(cos(Eval(tree, n.left, b)));
    case 'P': {
        const interval exponent = Eval(tree, n.right, b);
        if (exponent.isEmpty() || exponent.isInfinite()) return false;
        return std::trunc(exponent.sup()) >= 0.0 || without_zero(Eval(tree, n.left, b));
    }
    default: return true;
    }
}

/// Whether, at p, a partial function reachable from node i has the reference
/// value of its argument outside its domain: a square root's negative, a
/// logarithm's not positive, a divisor 0, or a power's base 0 under an
/// exponent that truncates below 0. An argument without a reference value
/// (beyond the largest double, or unsettled between the two precisions)
/// shows no such point; nor does a tangent, whose argument, a binary
/// fraction, is never an odd multiple of pi/2. Shared nodes are visited once.
bool leaves_domain(const std::vector<Node>& tree, int i, const point& p, std::vector<bool>& visited)
{
    if (i < 0 || visited[i]) return false;
    visited[i] = true;
    const Node& n = tree[i];
    if (leaves_domain(tree, n.left, p, visited) || leaves_domain(tree, n.right, p, visited)) return true;
    if (std::strchr("RL/P", n.kind) == nullptr) return false;
    const mpfr_real argument = reference_value(tree, n.kind == '/' ? n.right : n.left, p);
    if (argument.is_nan()) return false;
    const int sign = mpfr_sgn(argument.get());
    switch (n.kind) {
    case 'R': return sign < 0;
    case 'L': return sign <= 0;
    case '/': return sign == 0;
    default: return sign == 0 && std::trunc(reference_value(tree, n.right, p).to_double()) < 0.0;
    }
}

/// The compiled program of e and its slots after a run over b.
std::pair<compiled_program, std::vector<interval>> run_compiled(const expression& e, const domain& b)
{
    std::pair<compiled_program, std::vector<interval>> run{compiled_program({&e.tree}), {}};
    run.first.run(b, run.second);
    return run;
}

/// The compiled program of e gives e's tree enclosure over b or a narrower
/// one (its polynomial parts narrowed by their centred bounds) that still
/// holds the reference values at the sample points, and its domain check
/// holds wherever the partial functions evaluated as trees are in their
/// domains (narrower arguments may show more of them to be).
void check_compiled(const expression& e, const domain& b, const std::string& text)
{
    const auto [program, slots] = run_compiled(e, b);
    const interval compiled = slots[program.outputs()[0]];
    const interval tree = e.Evalue(b);
    require(compiled.subset(tree), "a compiled program is wider than its tree", text);
    if (literal_exponents(e.tree)) {
        for (const point& p : sample_points(b)) {
            const mpfr_real reference = reference_value(e, p);
            if (!reference.is_nan())
                require(inside_up_to_error(reference, compiled), "a compiled program misses a point value", text);
        }
    }
    std::vector<bool> visited(e.tree.size(), false);
    require(program.defined(slots) || !defined_as_trees(e.tree, e.root(), b, visited),
            "a compiled domain check refuses what the tree's allows", text);
}

/// The simplified tree is the same function wherever the given one is
/// defined, and not defined over b where the given one is undefined at a
/// sample point.
void check_simplified(const expression& e, const expression& simplified, const domain& b, const std::string& text)
{
    const interval over_box = simplified.Evalue(b);
    const auto [program, slots] = run_compiled(simplified, b);
    for (const point& p : sample_points(b)) {
        const mpfr_real reference = reference_value(e, p);
        if (!reference.is_nan()) {
            require(inside_up_to_error(reference, over_box), "simplifying changes a value", text);
            continue;
        }
        // A form defined over a box where the map is not lets the analysis prove features where there are none.
        std::vector<bool> visited(e.tree.size(), false);
        if (leaves_domain(e.tree, e.root(), p, visited))
            require(!program.defined(slots), "simplifying defines a map where it is undefined", text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    const domain b = small_box(data[0], data[1]);
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const parse_messages parsed = parse_quietly(text + ";");
    const std::vector<Node> tree = arbre_de_node;
    require(well_formed(tree), "a parse leaves a malformed tree", text);
    // What a failed parse leaves, or a tree deeper than components may be,
    // is never printed or derived by the program.
    if (!parsed.error.empty() || tree_depth(tree) > deepest_tree) return 0;
    expression e;
    e.text = text;
    e.tree = tree;
    e.variables_eq();
    if (!e.has_tree()) return 0;
    check_enclosures(e, b, text);
    check_compiled(e, b, text);

    // The program reparses its own texts with the deeper stack they need.
    const std::string printed = Arbre2Chaine(e.tree, e.root());
    const parse_messages again = parse_quietly(printed + ";", program_text_stack_entries);
    require(again.error.empty() && again.skipped.empty(), "a printed tree does not parse back", text);

    if (text.size() > longest_derived_text) return 0;
    for (const char* v : {"x", "y"}) {
        const expression d = e.derive(v);
        require(d.has_tree() && well_formed(d.tree), "a derivative is malformed", text);
        check_enclosures(d, b, text + " (derivative)");
        check_compiled(d, b, text + " (derivative)");
    }
    expression simplified = e;
    simplified.Simplify();
    require(simplified.has_tree() && well_formed(simplified.tree), "a simplification is malformed", text);
    if (literal_exponents(e.tree)) check_simplified(e, simplified, b, text);
    return 0;
}
