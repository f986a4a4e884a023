#include "map.hpp"
#include "matrix.hpp"
#include "mpfr_reference.hpp"

#include <gtest/gtest.h>

#include <map>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

/// Interval matrix with the given names and entries given row by row.
interval_matrix matrix(const std::vector<std::string>& rows, const std::vector<std::string>& columns,
                       const std::vector<std::vector<interval>>& values) {
    interval_matrix m;
    m.row_names = rows;
    m.column_names = columns;
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t j = 0; j < columns.size(); ++j) m.entries[rows[i]][columns[j]] = values[i][j];
    return m;
}

bool bounded(const interval& x) { return std::isfinite(x.inf()) && std::isfinite(x.sup()); }

bool has_unbounded_component(const domain& d) {
    return std::any_of(d.begin(), d.end(), [](const auto& v) { return !bounded(v.second); });
}

std::string printed(const interval_matrix& m) {
    std::ostringstream os;
    m.out(os);
    return os.str();
}

// ---------------------------------------------------------------------------
// Exact rational solutions of integer systems, by Cramer's rule.

using integer_matrix = std::vector<std::vector<long long>>;

long long integer_determinant(const integer_matrix& a) {
    const std::size_t n = a.size();
    if (n == 1) return a[0][0];
    long long det = 0;
    for (std::size_t i = 0; i < n; ++i) {
        integer_matrix minor;
        for (std::size_t r = 0; r < n; ++r)
            if (r != i) minor.push_back(std::vector<long long>(a[r].begin() + 1, a[r].end()));
        det += (i % 2 ? -1 : 1) * a[i][0] * integer_determinant(minor);
    }
    return det;
}

/// Whether the rational p / q (q != 0) lies in x, compared exactly.
bool holds_rational(const interval& x, long long p, long long q) {
    if (q < 0) p = -p, q = -q;
    const mpfr_real num(static_cast<double>(p));
    const mpfr_real lo = mpfr_real(x.inf()) * mpfr_real(static_cast<double>(q));
    const mpfr_real hi = mpfr_real(x.sup()) * mpfr_real(static_cast<double>(q));
    return mpfr_cmp(lo.get(), num.get()) <= 0 && mpfr_cmp(num.get(), hi.get()) <= 0;
}

/// A random strictly diagonally dominant interval system, its names shuffled.
/// Entries are quarters, so every sample point system is an integer system
/// after scaling by 4.
struct random_system {
    std::vector<std::string> rows, columns;
    std::vector<std::vector<double>> centre, radius;
    std::vector<double> b_centre, b_radius;

    random_system(std::mt19937& rng, int n, bool point) {
        std::uniform_int_distribution<int> off(-4, 4), diagonal(20, 30), sign(0, 1), quarter(0, point ? 0 : 2);
        for (int i = 0; i < n; ++i) {
            rows.push_back("r" + std::to_string(i));
            columns.push_back("c" + std::to_string(i));
        }
        std::shuffle(rows.begin(), rows.end(), rng);
        std::shuffle(columns.begin(), columns.end(), rng);
        centre.assign(n, std::vector<double>(n));
        radius.assign(n, std::vector<double>(n));
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                centre[i][j] = i == j ? (sign(rng) ? 1 : -1) * diagonal(rng) : off(rng);
                radius[i][j] = quarter(rng) / 4.0;
            }
            b_centre.push_back(off(rng) * 5);
            b_radius.push_back(quarter(rng) / 4.0);
        }
    }

    interval_matrix enclosure() const {
        std::vector<std::vector<interval>> values(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i)
            for (std::size_t j = 0; j < rows.size(); ++j)
                values[i].push_back(interval(centre[i][j] - radius[i][j], centre[i][j] + radius[i][j]));
        return matrix(rows, columns, values);
    }

    domain right_hand_side() const {
        domain b;
        for (std::size_t i = 0; i < rows.size(); ++i)
            b[rows[i]] = interval(b_centre[i] - b_radius[i], b_centre[i] + b_radius[i]);
        return b;
    }

    /// A point system inside the enclosure, scaled by 4: A then b as last column.
    integer_matrix sample(std::mt19937& rng) const {
        std::uniform_int_distribution<int> step(-1, 1);
        const std::size_t n = rows.size();
        integer_matrix a(n, std::vector<long long>(n + 1));
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j) a[i][j] = std::llround(4 * (centre[i][j] + step(rng) * radius[i][j]));
            a[i][n] = std::llround(4 * (b_centre[i] + step(rng) * b_radius[i]));
        }
        return a;
    }
};

/// Checks that d holds the exact solution of the scaled sample system.
void expect_holds_solution(const random_system& s, const integer_matrix& ab, const domain& d) {
    const std::size_t n = s.rows.size();
    integer_matrix a(n);
    for (std::size_t i = 0; i < n; ++i) a[i].assign(ab[i].begin(), ab[i].begin() + static_cast<long>(n));
    const long long det = integer_determinant(a);
    ASSERT_NE(det, 0);
    for (std::size_t j = 0; j < n; ++j) {
        integer_matrix replaced = a;
        for (std::size_t i = 0; i < n; ++i) replaced[i][j] = ab[i][n];
        const interval x = d.get(s.columns[j]);
        EXPECT_TRUE(holds_rational(x, integer_determinant(replaced), det))
            << s.columns[j] << " = " << integer_determinant(replaced) << "/" << det << " not in " << x;
    }
}

// ---------------------------------------------------------------------------

TEST(IntervalMatrix, DeterminantExpandsAlongFirstColumnInNameOrder) {
    const interval_matrix m = matrix({"y0", "y1"}, {"x", "y"}, {{1, 2}, {3, 4}});
    EXPECT_EQ(m.determinant(), interval(-2.0));
    EXPECT_EQ(m.determinant({"y1", "y0"}, {"x", "y"}), interval(2.0));
    const interval_matrix m3 =
        matrix({"a", "b", "c"}, {"u", "v", "w"}, {{2, 0, 1}, {1, 3, 2}, {1, 1, 4}});
    EXPECT_EQ(m3.determinant(), interval(2.0 * 10 - 1 * (-1) + 1 * (-3)));
    EXPECT_EQ(m3.determinant({"b"}, {"w"}), interval(2.0));
}

TEST(IntervalMatrix, PivotIsLargestMignitudeAmongEntriesWithoutZero) {
    const interval_matrix m =
        matrix({"y0", "y1"}, {"x", "y"}, {{interval(-10, 1), interval(3, 6)}, {interval(-5, -4), interval(0, 100)}});
    const indice p = m.pivot();
    EXPECT_EQ(p.row_name, "y1");
    EXPECT_EQ(p.column_name, "x");
}

TEST(IntervalMatrix, PivotTiesGoToEarlierRowThenEarlierColumnOfTheNameLists) {
    // Lists in non-alphabetical order: the lists decide, not the map order.
    const interval_matrix rows_tie = matrix({"y1", "y0"}, {"x", "y"}, {{1, 2}, {2, 1}});
    EXPECT_EQ(rows_tie.pivot().row_name, "y1");
    EXPECT_EQ(rows_tie.pivot().column_name, "y");
    const interval_matrix columns_tie = matrix({"y0", "y1"}, {"y", "x"}, {{interval(-3, -3), 3}, {1, 1}});
    EXPECT_EQ(columns_tie.pivot().row_name, "y0");
    EXPECT_EQ(columns_tie.pivot().column_name, "y");
}

TEST(IntervalMatrix, AllEntriesHoldingZeroGiveEmptyPivotAndUnboundedSolution) {
    const interval_matrix m =
        matrix({"y0", "y1"}, {"x", "y"}, {{interval(-1, 1), interval(0, 2)}, {interval(-2, 0), 0}});
    const indice p = m.pivot();
    EXPECT_TRUE(p.row_name.empty());
    EXPECT_TRUE(p.column_name.empty());
    const domain d = m.gaussian(domain{{"y0", interval(1)}, {"y1", interval(2)}});
    EXPECT_EQ(d.variables(), (std::vector<std::string>{"x", "y"}));
    EXPECT_TRUE(has_unbounded_component(d));
}

TEST(IntervalMatrix, SingularPointMatrixNeverGetsBoundedSolution) {
    // The reduced pivot is exactly 0: no bounded answer may be claimed.
    const interval_matrix m = matrix({"y0", "y1"}, {"x", "y"}, {{1, 2}, {2, 4}});
    const domain d = m.gaussian(domain{{"y0", interval(1)}, {"y1", interval(3)}});
    EXPECT_TRUE(has_unbounded_component(d));
}

TEST(IntervalMatrix, NoColumnComesOutBoundedOnceAStepFindsNoPivot) {
    // Rows y2 and y3 hold [−1, 1] in a and b and zeros in c and d: after the
    // pivots 10 (y0, a) and 8 (y1, b) every entry left holds 0, so the third
    // step has no pivot. The row of the second pivot, y1, has a zero in c and
    // a one in d: reading the never solved d as 0 would give b a bounded value.
    const interval_matrix m =
        matrix({"y0", "y1", "y2", "y3"}, {"a", "b", "c", "d"},
               {{10, 0, 1, 0}, {0, 8, 0, 1}, {interval(-1, 1), interval(-1, 1), 0, 0}, {interval(-1, 1), interval(-1, 1), 0, 0}});
    const domain d =
        m.gaussian(domain{{"y0", interval(1)}, {"y1", interval(1)}, {"y2", interval(1)}, {"y3", interval(1)}});
    EXPECT_EQ(d.variables(), (std::vector<std::string>{"a", "b", "c", "d"}));
    for (const auto& [name, x] : d) EXPECT_FALSE(bounded(x)) << name << " " << x;
}

TEST(IntervalMatrix, PivotsAreChosenOnTheReducedMatrix) {
    // Regular (determinant −3), but rows y2, y3 and columns c, d of the
    // unreduced matrix hold only zeros: pivots read from it would find none at
    // the third step. On the reduced matrix every step has one, and the
    // solution, by hand: a + 2b = 1 and 2a + b = 1 give a = b = 1/3, then
    // c = 1 − 10a = −7/3 and d = 1 − 8b = −5/3.
    const interval_matrix m = matrix({"y0", "y1", "y2", "y3"}, {"a", "b", "c", "d"},
                                     {{10, 0, 1, 0}, {0, 8, 0, 1}, {1, 2, 0, 0}, {2, 1, 0, 0}});
    const domain d =
        m.gaussian(domain{{"y0", interval(1)}, {"y1", interval(1)}, {"y2", interval(1)}, {"y3", interval(1)}});
    const std::map<std::string, double> exact{{"a", 1.0 / 3}, {"b", 1.0 / 3}, {"c", -7.0 / 3}, {"d", -5.0 / 3}};
    for (const auto& [name, value] : exact) {
        ASSERT_TRUE(bounded(d.get(name))) << name;
        EXPECT_NEAR(d.get(name).mid(), value, 1e-12) << name;
        EXPECT_LT(d.get(name).width(), 1e-12) << name;
    }
}

TEST(IntervalMatrix, OneByOneSolvesByOneDivision) {
    const interval_matrix m = matrix({"y0"}, {"x"}, {{interval(2, 4)}});
    EXPECT_EQ(m.determinant(), interval(2, 4));
    const domain d = m.gaussian(domain{{"y0", interval(8)}});
    EXPECT_EQ(d.get("x"), interval(2, 4));
}

TEST(IntervalMatrix, EliminationStepTakesPivotFromUnreducedMatrix) {
    // This matrix picks (y1, y); the step then works on A, whatever A's own
    // largest entry.
    const interval_matrix m = matrix({"y0", "y1"}, {"x", "y"}, {{1, 0}, {0, 5}});
    const interval_matrix A = matrix({"y0", "y1"}, {"x", "y"}, {{8, 1}, {1, 2}});
    domain b{{"y0", interval(1)}, {"y1", interval(4)}};
    const interval_matrix reduced = m.gaussian({"y0", "y1"}, {"x", "y"}, A, b);
    EXPECT_EQ(reduced.entry("y0", "x"), interval(8 - 1 * 1 / 2.0));
    EXPECT_EQ(reduced.entry("y0", "y"), interval(0.0));
    EXPECT_EQ(reduced.entry("y1", "x"), interval(1.0));
    EXPECT_EQ(reduced.entry("y1", "y"), interval(2.0));
    EXPECT_EQ(b.get("y0"), interval(1 - 4 * 1 / 2.0));
    EXPECT_EQ(b.get("y1"), interval(4.0));
}

TEST(IntervalMatrix, GaussianEnclosesExactSolutionsOfSampledSystems) {
    const unsigned seed = 20240417;
    std::mt19937 rng(seed);
    for (int n = 2; n <= 4; ++n)
        for (bool point : {true, false})
            for (int trial = 0; trial < 40; ++trial) {
                SCOPED_TRACE("seed " + std::to_string(seed) + " n " + std::to_string(n) + " point " +
                             std::to_string(point) + " trial " + std::to_string(trial));
                const random_system s(rng, n, point);
                const domain d = s.enclosure().gaussian(s.right_hand_side());
                ASSERT_EQ(d.variables().size(), static_cast<std::size_t>(n));
                for (const auto& [name, x] : d) {
                    ASSERT_TRUE(bounded(x)) << name << " " << x;
                    if (point) {
                        EXPECT_LT(x.diam(), 1e-12) << name << " " << x;
                    }
                }
                for (int k = 0; k < (point ? 1 : 8); ++k) expect_holds_solution(s, s.sample(rng), d);
            }
}

TEST(IntervalMatrix, GaussianKeysTheSolutionByNameWhateverTheListOrder) {
    // Rows y1, y0 and columns y, x out of name order: y1 reads y + 2x = 4 and
    // y0 reads 3y = 6, so y = 2 and x = 1. The pivot 3 of (y0, y) leaves
    // 2x = 4 - 6/3 in y1: every step is exact.
    const interval_matrix m = matrix({"y1", "y0"}, {"y", "x"}, {{1, 2}, {3, 0}});
    const domain d = m.gaussian(domain{{"y0", interval(6)}, {"y1", interval(4)}});
    EXPECT_EQ(d.get("x"), interval(1.0));
    EXPECT_EQ(d.get("y"), interval(2.0));
}

TEST(DenseMatrix, GaussianByPositionEnclosesTheSolution) {
    // 2u + v = 3 and u + 3v = 5: u = 4/5 and v = 7/5 (Cramer, determinant 5).
    dense_matrix A(2, 2);
    A(0, 0) = 2;
    A(0, 1) = 1;
    A(1, 0) = 1;
    A(1, 1) = 3;
    const std::vector<interval> d = gaussian(A, {interval(3), interval(5)});
    ASSERT_EQ(d.size(), 2u);
    EXPECT_TRUE((interval(5) * d[0]).contains(4.0)) << d[0];
    EXPECT_TRUE((interval(5) * d[1]).contains(7.0)) << d[1];
    EXPECT_LT(d[0].diam() + d[1].diam(), 1e-14);
    // A matrix of zeros has no pivot: nothing bounded.
    const std::vector<interval> none = gaussian(dense_matrix(2, 2), {interval(1), interval(1)});
    for (const interval& x : none) EXPECT_EQ(x, interval::ENTIRE());
}

TEST(IntervalMatrix, RowAndImageReadMissingNamesAsZero) {
    const interval_matrix m = matrix({"y0", "y1"}, {"x", "y"}, {{1, 2}, {3, interval(-1, 1)}});
    const domain column = m.row("y");
    EXPECT_EQ(column.get("y0"), interval(2.0));
    EXPECT_EQ(column.get("y1"), interval(-1, 1));
    const domain image = m.image(domain{{"x", interval(1, 2)}});
    EXPECT_EQ(image.get("y0"), interval(1, 2));
    EXPECT_EQ(image.get("y1"), interval(3, 6));
    const domain full = m.image(domain{{"x", interval(1)}, {"y", interval(2)}});
    EXPECT_EQ(full.get("y1"), interval(1, 5));
}

TEST(IntervalMatrix, OutWritesOneLinePerEntryInListOrder) {
    const interval_matrix m = matrix({"y1", "y0"}, {"x"}, {{interval(1, 2)}, {3}});
    EXPECT_EQ(printed(m), "y1|x:[1, 2]\ny0|x:[3, 3]\n");
}

// ---------------------------------------------------------------------------

Map built_in_map() {
    return Map(std::vector<expression>{expression("x+0.2*y"), expression("y^3-x*y")});
}

TEST(ExpressionMatrix, DeterminantOfBuiltInJacobianHasExpectedText) {
    EXPECT_EQ(built_in_map().differentielle().determinant().text,
              "((3)*((y)^(2)))-(x)+(((-(1)))*((0)-(y)))*(0.2)");
}

TEST(ExpressionMatrix, DeterminantOfOneByOneIsItsEntryAndOfTwoByTwoIsCrossDifference) {
    expression_matrix m;
    m.rows = {"r0", "r1"};
    m.columns = {"a", "b"};
    m["r0"]["a"] = expression("x");
    m["r0"]["b"] = expression("y");
    m["r1"]["a"] = expression("z");
    m["r1"]["b"] = expression("w");
    EXPECT_EQ(m.determinant({"r1"}, {"a"}).text, "z");
    const expression det = m.determinant();
    const domain at{{"x", interval(2)}, {"y", interval(3)}, {"z", interval(5)}, {"w", interval(7)}};
    EXPECT_EQ(det.Evalue(at), interval(2.0 * 7 - 5 * 3));
}

TEST(ExpressionMatrix, ThreeByThreeDeterminantAgreesWithIntervalDeterminant) {
    const Map f(std::vector<expression>{expression("x*y+z"), expression("x^2-y*z"), expression("exp(x)+y")});
    const expression_matrix jacobian = f.differentielle();
    const domain at{{"x", interval(0.5)}, {"y", interval(-1.5)}, {"z", interval(2)}};
    const interval symbolic = jacobian.determinant().Evalue(at);
    const interval numeric = jacobian.evalue(at).determinant();
    EXPECT_FALSE(symbolic.disjoint(numeric)) << symbolic << " " << numeric;
    EXPECT_LT(symbolic.diam(), 1e-12);
}

TEST(ExpressionMatrix, EvalueKeepsNamesAndEvaluatesEveryEntry) {
    const interval_matrix j = built_in_map().differentielle().evalue(domain{{"x", interval(0, 1)}, {"y", interval(2, 3)}});
    EXPECT_EQ(j.row_names, (std::vector<std::string>{"y0", "y1"}));
    EXPECT_EQ(j.column_names, (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(j.entry("y0", "x"), interval(1.0));
    EXPECT_EQ(j.entry("y1", "x"), interval(-3, -2));
    EXPECT_TRUE(interval(11, 27).subset(j.entry("y1", "y")));
    EXPECT_TRUE(j.entry("y1", "y").subset(interval(10.999, 27.001)));
}

TEST(ExpressionMatrix, EvalueDenseHoldsEntryRowIColumnJAtPositionIJ) {
    // The Jacobian of (x*y, x+y^2) over x in [1, 2], y in [3, 4]: y, x on
    // row y0; 1, 2y on row y1.
    const expression_matrix J = Map(std::vector<expression>{expression("x*y"), expression("x+y^2")}).differentielle();
    const dense_matrix values = J.evalue_dense(domain{{"x", interval(1, 2)}, {"y", interval(3, 4)}});
    ASSERT_EQ(values.rows, 2u);
    ASSERT_EQ(values.columns, 2u);
    EXPECT_EQ(values(0, 0), interval(3, 4));
    EXPECT_EQ(values(0, 1), interval(1, 2));
    EXPECT_EQ(values(1, 0), interval(1.0));
    EXPECT_EQ(values(1, 1), interval(6, 8));
}

TEST(ExpressionMatrix, EvalueEntryEvaluatesOneEntryAndFollowsChanges) {
    // The Jacobian of (x*y, x+y^2) over x in [1, 2], y in [3, 4]: y, x on
    // row y0; 1, 2y on row y1.
    expression_matrix J = Map(std::vector<expression>{expression("x*y"), expression("x+y^2")}).differentielle();
    const domain box{{"x", interval(1, 2)}, {"y", interval(3, 4)}};
    EXPECT_EQ(J.evalue_entry(box, "y0", "x"), interval(3, 4));
    EXPECT_EQ(J.evalue_entry(box, "y0", "y"), interval(1, 2));
    EXPECT_EQ(J.evalue_entry(box, "y1", "x"), interval(1.0));
    EXPECT_EQ(J.evalue_entry(box, "y1", "y"), interval(6, 8));
    J["y1"]["y"] = expression("x*x");
    EXPECT_EQ(J.evalue_entry(box, "y1", "y"), interval(1, 4));
    EXPECT_EQ(J.evalue_entry(box, "y2", "x"), interval::ENTIRE()) << "no such entry";
}

TEST(ExpressionMatrix, OutWritesRowBarColumnColonText) {
    std::ostringstream os;
    built_in_map().differentielle().out(os);
    EXPECT_EQ(os.str(), "y0|x:1\ny0|y:0.2\ny1|x:(0)-(y)\ny1|y:((3)*((y)^(2)))-(x)\n");
}

}  // namespace
