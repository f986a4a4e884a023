// Fuzz target of the verdicts of the crossing searches on single pairs: maps
// and boxes made from the input bytes. No verdict may crash or trip a
// sanitizer, and a verdict "exactly one" (code 5, or 7 for a fold point on a
// face) must agree with the enclosures of the map: a solution in the pair
// needs images that meet and a determinant that may vanish where it says.

#include "options.hpp"
#include "plisse.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

/// Longest pair of component texts tried: the analysis object derives them
/// to high order, and short texts already reach every verdict.
constexpr std::size_t longest_text = 120;

/// Bytes read as the boxes of the pair.
constexpr std::size_t box_bytes = 8;

void require(bool condition, const char* what, const std::string& f1, const std::string& f2)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_pair_verdicts: %s for (%s, %s)\n", what, f1.c_str(), f2.c_str());
    std::abort();
}

/// A box inside [−1, 1]² from two bytes: lower corner on a grid of 16 × 16,
/// sides from 1/8 down to about 1e-6 (narrow boxes reach the Newton proofs).
domain sub_box(std::uint8_t corner, std::uint8_t size)
{
    const double x = (corner % 16) / 8.0 - 1.0;
    const double y = (corner / 16) / 8.0 - 1.0;
    const double w = std::ldexp(1.0, -3 - (size % 18));
    const double h = std::ldexp(1.0, -3 - (size / 18 % 14));
    return {{"x", interval(x, x + w)}, {"y", interval(y, y + h)}};
}

/// A face of b: x or y fixed at a bound, chosen by a byte.
domain face_of(const domain& b, std::uint8_t which)
{
    return b.boundary()[which % 4];
}

/// Whether 0 may be a value of det over b (an empty enclosure says it is not).
bool may_fold(const plisse& p, const domain& b)
{
    const interval d = p.det_map.evalue(b).get("y0");
    return !d.isEmpty() && d.contains(0.0);
}

bool images_meet(const plisse& p, const domain& a, const domain& b)
{
    return !p.evalue(a).disjoint(p.evalue(b));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < box_bytes || size > box_bytes + longest_text) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + box_bytes, size - box_bytes);
    const std::size_t line_end = text.find('\n');
    if (line_end == std::string::npos) return 0;
    run_options options;
    options.first_component = text.substr(0, line_end);
    options.second_component = text.substr(line_end + 1);
    options.x_range = {-1, 1};
    options.y_range = {-1, 1};
    options.resolution = 1;
    // Only maps the program would analyse.
    if (!input_problem(options).empty()) return 0;
    const std::string& f1 = options.first_component;
    const std::string& f2 = options.second_component;
    const analysis_input input = analysis_input_of(options);
    const plisse p(expression(input.first_component), expression(input.second_component), mesh(input.box, 1));

    const domain A = sub_box(data[0], data[1]);
    const domain B = sub_box(data[2], data[3]);
    const domain FA = face_of(sub_box(data[4], data[5]), data[6]);
    const domain FB = face_of(B, data[7]);

    const int fold_fold = p.singular_singular(A, B);
    require(fold_fold >= 0 && fold_fold <= 7, "a fold–fold code out of range", f1, f2);
    if (fold_fold == 5) {
        require(A.disjoint(B) && may_fold(p, A) && may_fold(p, B) && images_meet(p, A, B),
                "a fold–fold crossing where there can be none", f1, f2);
    }
    const int boundary_boundary = p.boundary_boundary(FA, FB, false);
    require(boundary_boundary >= 0 && boundary_boundary <= 8, "a boundary–boundary code out of range", f1, f2);
    if (boundary_boundary == 5) {
        require(images_meet(p, FA, FB), "a boundary–boundary crossing where there can be none", f1, f2);
    }
    const int fold_boundary = p.singular_boundary(A, FA, false);
    require(fold_boundary >= 0 && fold_boundary <= 8, "a fold–boundary code out of range", f1, f2);
    if (fold_boundary == 5) {
        require(may_fold(p, A) && images_meet(p, A, FA), "a fold–boundary crossing where there can be none", f1, f2);
    }
    if (fold_boundary == 7) {
        require(!A.disjoint(FA) && may_fold(p, A.intersect(FA)), "a fold point on a face where there can be none", f1,
                f2);
    }
    return 0;
}
