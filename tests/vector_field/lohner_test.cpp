// Lohner's integrator: every enclosure must hold the flow from every start
// point, computed independently (closed forms, 256-bit reference series);
// widths must stay small where the flow does not stretch the start box.

#include "boxes.hpp"
#include "mpfr_flow.hpp"
#include "vector_field.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

vector_field field(const std::string& first, const std::string& second)
{
    vector_field F;
    F.components["x"] = expression(first);
    F.components["y"] = expression(second);
    return F;
}

/// n evenly spaced points of [lo, hi], both ends included.
std::vector<double> samples(const interval& I, int n = 3)
{
    std::vector<double> s;
    for (int i = 0; i < n; ++i) s.push_back(i + 1 == n ? I.sup() : I.inf() + (I.sup() - I.inf()) * i / (n - 1));
    return s;
}

/// The exact flow at time t from (x0, y0), at 256 bits.
using plane_flow = std::function<reference_point(double x0, double y0, const mpfr_real& t)>;

/// Whether the box holds the point, up to 1e-60: the references are exact to
/// about 1e-70, and a start corner sits on the bounds of the start box, which
/// a reference that composes a function with its inverse may miss by that
/// much. The integrator's own errors are of the order of a double's spacing.
bool holds(const domain& box, const reference_point& p)
{
    const auto near = [](const mpfr_real& r, const interval& I) {
        const mpfr_real slack(1e-60);
        return inside(r, I) || inside(r + slack, I) || inside(r - slack, I);
    };
    return near(p[0], box.get("x")) && near(p[1], box.get("y"));
}

/// Checks that every box of the integration holds the flow at its time (a
/// double) from sampled points of start (corners included): the corners'
/// trajectories touch the hull of a turned box, so the reference must be
/// closer than a rounding error.
void expect_flow_held(const flow_enclosures& f, const domain& start, const plane_flow& flow)
{
    for (double x0 : samples(start.get("x")))
        for (double y0 : samples(start.get("y")))
            for (const timed_box& b : f.boxes) {
                const reference_point exact = flow(x0, y0, mpfr_real(b.t.inf()));
                EXPECT_TRUE(holds(b.box, exact)) << "from (" << x0 << ", " << y0 << ") at t = " << b.t.inf()
                                                 << ": (" << exact[0] << ", " << exact[1] << ") outside x "
                                                 << b.box.get("x") << ", y " << b.box.get("y");
            }
}

/// x' = y, y' = -x: x = x0 cos t + y0 sin t, y = y0 cos t - x0 sin t.
reference_point rotation_flow(double x0, double y0, const mpfr_real& t)
{
    const mpfr_real x(x0), y(y0);
    return {x * cos(t) + y * sin(t), y * cos(t) - x * sin(t)};
}

const domain rotation_start = plane_box(1 - 5e-4, 1 + 5e-4, -5e-4, 5e-4);
const double pi = 3.14159265358979323846;

} // namespace

TEST(Lohner, RotationHoldsTheClosedFormAtEveryStep)
{
    const vector_field R = field("y", "-x");
    for (double T : {2 * pi, -2.0}) {
        const flow_enclosures f = R.validated_flow(rotation_start, T);
        ASSERT_TRUE(f.reached) << f.message;
        EXPECT_EQ(f.boxes.back().t, interval(T));
        EXPECT_EQ(f.boxes.front().box, rotation_start);
        expect_flow_held(f, rotation_start, rotation_flow);
    }
}

TEST(Lohner, RotationStaysAsWideAsItsStartBox)
{
    // The flow turns the box of width 1e-3 without stretching it: a turned
    // square of side 1e-3 has a hull of width at most 1e-3 * sqrt(2).
    const vector_field R = field("y", "-x");
    const flow_enclosures one_turn = R.validated_flow(rotation_start, 2 * pi);
    const flow_enclosures ten_turns = R.validated_flow(rotation_start, 20 * pi);
    ASSERT_TRUE(one_turn.reached && ten_turns.reached);
    EXPECT_LE(one_turn.boxes.back().box.width(), 2e-3);
    EXPECT_LE(ten_turns.boxes.back().box.width(), 1e-2);
    for (const timed_box& b : ten_turns.boxes) EXPECT_LE(b.box.width(), 1.5e-3) << "t = " << b.t.inf();
}

TEST(Lohner, LinearFieldHoldsItsExponentialSolution)
{
    // x' = -x + 3y, y' = -2y: y = y0 e^-2t, x = (x0 + 3 y0) e^-t - 3 y0 e^-2t
    // (x' = -(x0 + 3 y0) e^-t + 6 y0 e^-2t = -x + 3y).
    const vector_field F = field("-x+3*y", "-2*y");
    const domain start = plane_box(0.5, 0.6, 1.0, 1.2);
    const flow_enclosures f = F.validated_flow(start, 3.0);
    ASSERT_TRUE(f.reached) << f.message;
    expect_flow_held(f, start, [](double x0, double y0, const mpfr_real& t) {
        const mpfr_real e1 = exp(-t), e2 = exp(mpfr_real(-2.0) * t), x(x0), y(y0), three(3.0);
        return reference_point{(x + three * y) * e1 - three * y * e2, y * e2};
    });
    // The flow contracts and shears: at t = 3 the exact image of the start box
    // (sides 0.1 and 0.2) spans 0.1 e^-3 + 0.2 (3 e^-3 - 3 e^-6) = 0.033364 in
    // x and 0.2 e^-6 = 4.96e-4 in y. The start box carried apart through the
    // linear part keeps the shear: nothing wider than rounding is allowed.
    EXPECT_LT(f.boxes.back().box.get("x").diam(), 0.033365);
    EXPECT_LT(f.boxes.back().box.get("y").diam(), 4.96e-4);
}

TEST(Lohner, ElementaryFunctionsHoldTheirClosedForms)
{
    // x' = cos x: x = gd(t + gd^-1(x0)) with gd(s) = 2 atan(tanh(s/2)) and
    // gd^-1(x) = ln tan(x/2 + pi/4); y' = exp(-y): y = ln(t + e^y0).
    const vector_field F = field("cos(x)", "exp(-y)");
    const domain start = plane_box(-0.1, 0.1, 0.0, 0.05);
    const flow_enclosures f = F.validated_flow(start, 3.0);
    ASSERT_TRUE(f.reached) << f.message;
    expect_flow_held(f, start, [](double x0, double y0, const mpfr_real& t) {
        const mpfr_real half(0.5), quarter_turn = atan(mpfr_real(1.0));
        const mpfr_real s = t + log(tan(half * mpfr_real(x0) + quarter_turn));
        const mpfr_real gd = mpfr_real(2.0) * atan(sinh(half * s) / cosh(half * s));
        return reference_point{gd, log(t + exp(mpfr_real(y0)))};
    });
    // Both flows contract: dx/dx0 = cosh(s0)/cosh(s) is about 1/cosh(3) < 0.1
    // and dy/dy0 = e^y0 / (t + e^y0) at most 1.052/4.052 < 0.26 at t = 3.
    EXPECT_LT(f.boxes.back().box.get("x").diam(), 0.2 * 0.2);
    EXPECT_LT(f.boxes.back().box.get("y").diam(), 0.05 * 0.3);
}

TEST(Lohner, FieldsInThreeVariablesAndConstantFields)
{
    // x' = y, y' = z, z' = 0: z = z0, y = y0 + z0 t, x = x0 + y0 t + z0 t^2/2.
    vector_field chain;
    chain.components = {{"x", expression("y")}, {"y", expression("z")}, {"z", expression("0")}};
    const domain start{{"x", interval(0.0, 0.01)}, {"y", interval(1.0, 1.01)}, {"z", interval(-1.0, -0.99)}};
    const flow_enclosures f = chain.validated_flow(start, 2.0);
    ASSERT_TRUE(f.reached) << f.message;
    for (const timed_box& b : f.boxes) {
        const mpfr_real t(b.t.inf()), half(0.5);
        for (double x0 : {0.0, 0.01})
            for (double y0 : {1.0, 1.01})
                for (double z0 : {-1.0, -0.99}) {
                    const mpfr_real x = mpfr_real(x0) + mpfr_real(y0) * t + half * mpfr_real(z0) * t * t;
                    EXPECT_TRUE(inside(x, b.box.get("x")) && inside(mpfr_real(y0) + mpfr_real(z0) * t, b.box.get("y"))
                                && inside(mpfr_real(z0), b.box.get("z")))
                        << "t = " << b.t.inf();
                }
    }
    // At t = 2 the exact ranges are 0.01 + 0.02 + 0.02 = 0.05 wide in x, 0.03 in y, 0.01 in z.
    EXPECT_LT(f.boxes.back().box.get("x").diam(), 0.05 + 1e-12);
    EXPECT_LT(f.boxes.back().box.get("y").diam(), 0.03 + 1e-12);

    // x' = 1, y' = -2 moves the box without widening it.
    const flow_enclosures moved = field("1", "-2").validated_flow(plane_box(0, 0.5, 0, 0.25), 3.0);
    ASSERT_TRUE(moved.reached);
    EXPECT_TRUE(plane_box(3, 3.5, -6, -5.75).subset(moved.boxes.back().box));
    EXPECT_LT(moved.boxes.back().box.width(), 0.5 + 1e-12);
}

TEST(Lohner, VanDerPolHoldsReferenceTrajectories)
{
    const vector_field F = field("y", "(1-x^2)*y-x");
    const domain start = plane_box(2 - 5e-7, 2 + 5e-7, -5e-7, 5e-7);
    const flow_enclosures f = F.validated_flow(start, 10.0);
    ASSERT_TRUE(f.reached) << f.message;
    std::vector<mpfr_real> times;
    for (const timed_box& b : f.boxes) times.push_back(mpfr_real(b.t.inf()));
    const van_der_pol_reference reference(1.0);
    for (double x0 : samples(start.get("x"), 2))
        for (double y0 : samples(start.get("y"), 2)) {
            const std::vector<reference_point> states = reference.trajectory(x0, y0, times);
            for (std::size_t i = 0; i < states.size(); ++i) {
                const domain& box = f.boxes[i].box;
                EXPECT_TRUE(holds(box, states[i]))
                    << "from (" << x0 << ", " << y0 << ") at t = " << times[i] << ": (" << states[i][0] << ", "
                    << states[i][1] << ") outside x " << box.get("x") << ", y " << box.get("y");
            }
        }
    // Near the limit cycle the flow stretches the box at most a few times.
    for (const timed_box& b : f.boxes) EXPECT_LT(b.box.width(), 2e-5) << "t = " << b.t.inf();
}

TEST(Lohner, VanDerPolReferenceIsTheRotationWithoutDamping)
{
    // mu = 0 leaves the rotation; its reference must agree with cos and sin.
    const van_der_pol_reference reference(0.0);
    const std::vector<mpfr_real> times = {mpfr_real(0.5), mpfr_real(3.0)};
    const std::vector<reference_point> states = reference.trajectory(2.0, 0.0, times);
    for (std::size_t i = 0; i < times.size(); ++i) {
        const mpfr_real error_x = states[i][0] - mpfr_real(2.0) * cos(times[i]);
        const mpfr_real error_y = states[i][1] + mpfr_real(2.0) * sin(times[i]);
        EXPECT_LT(std::fabs(error_x.to_double()), 1e-40);
        EXPECT_LT(std::fabs(error_y.to_double()), 1e-40);
    }
}

TEST(Lohner, BlowUpStopsAndSaysSo)
{
    // x' = x^2 from 1: x = 1/(1 - t), which ceases to exist at t = 1.
    vector_field F;
    F.components["x"] = expression("x^2");
    const domain one{{"x", interval(1.0)}};
    const flow_enclosures before = F.validated_flow(one, 0.9);
    ASSERT_TRUE(before.reached) << before.message;
    EXPECT_TRUE(before.boxes.back().box.get("x").contains(10.0));

    const flow_enclosures beyond = F.validated_flow(one, 2.0);
    EXPECT_FALSE(beyond.reached);
    EXPECT_NE(beyond.message.find("blow up"), std::string::npos) << beyond.message;
    for (const timed_box& b : beyond.boxes) {
        ASSERT_LT(b.t.sup(), 1.0);
        EXPECT_TRUE(subset(interval(1.0) / (interval(1.0) - b.t), b.box.get("x"))) << "t = " << b.t.inf();
    }
}

TEST(Lohner, RefusedInputsGiveNoBox)
{
    const vector_field R = field("y", "-x");
    vector_field without_tree = R;
    without_tree.components["y"] = expression();
    const std::vector<std::pair<flow_enclosures, std::string>> refused = {
        {R.validated_flow(rotation_start, std::nan("")), "horizon"},
        {R.validated_flow(plane_box(interval::ENTIRE(), interval(0.0)), 1.0), "unbounded"},
        {R.validated_flow(rotation_start, 1.0, 0), "order"},
        {field("y", "-z").validated_flow(rotation_start, 1.0), "variable z"},
        {vector_field().validated_flow(rotation_start, 1.0), "no components"},
        {without_tree.validated_flow(rotation_start, 1.0), "no expression"},
    };
    for (const auto& [f, problem] : refused) {
        EXPECT_FALSE(f.reached) << problem;
        EXPECT_TRUE(f.boxes.empty()) << problem;
        EXPECT_NE(f.message.find(problem), std::string::npos) << f.message;
    }
    // A zero horizon is reached at once with the start box.
    const flow_enclosures still = R.validated_flow(rotation_start, 0.0);
    ASSERT_TRUE(still.reached);
    ASSERT_EQ(still.boxes.size(), 1u);
    EXPECT_EQ(still.boxes[0].box, rotation_start);
}
