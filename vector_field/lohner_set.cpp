// Lohner's sets: their hull, and their image under a step with the
// re-orthogonalisation that keeps the wrapping effect small.

#include "lohner_set.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

namespace {

using point_matrix = std::vector<double>;
using interval_matrix = std::vector<interval>;

point_matrix identity(int n)
{
    point_matrix I(n * n, 0.0);
    for (int i = 0; i < n; ++i) I[i * n + i] = 1.0;
    return I;
}

interval_matrix intervals(const point_matrix& A) { return interval_matrix(A.begin(), A.end()); }

point_matrix transposed(const point_matrix& A, int n)
{
    point_matrix T(n * n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) T[j * n + i] = A[i * n + j];
    return T;
}

/// The orthogonal factor Q of B = QR by Householder reflections (in double:
/// Q only has to be nearly orthogonal, its inverse is enclosed afterwards).
point_matrix orthogonal_factor(point_matrix R, int n)
{
    point_matrix Q = identity(n);
    std::vector<double> v(n);
    for (int k = 0; k + 1 < n; ++k) {
        double norm2 = 0.0;
        for (int i = k; i < n; ++i) norm2 += R[i * n + k] * R[i * n + k];
        const double alpha = std::copysign(std::sqrt(norm2), R[k * n + k]);
        for (int i = k; i < n; ++i) v[i] = R[i * n + k];
        v[k] += alpha;
        double vv = 0.0;
        for (int i = k; i < n; ++i) vv += v[i] * v[i];
        if (vv == 0.0) continue;
        // R = H R and Q = Q H with H = I - 2 v v^T / v^T v.
        for (int j = 0; j < n; ++j) {
            double s = 0.0;
            for (int i = k; i < n; ++i) s += v[i] * R[i * n + j];
            for (int i = k; i < n; ++i) R[i * n + j] -= 2.0 * s / vv * v[i];
        }
        for (int i = 0; i < n; ++i) {
            double s = 0.0;
            for (int j = k; j < n; ++j) s += Q[i * n + j] * v[j];
            for (int j = k; j < n; ++j) Q[i * n + j] -= 2.0 * s / vv * v[j];
        }
    }
    return Q;
}

/// Upper bound of the row-sum norm of an interval matrix.
double row_sum_norm(const interval_matrix& A, int n)
{
    double norm = 0.0;
    for (int i = 0; i < n; ++i) {
        interval s;
        for (int j = 0; j < n; ++j) s += interval(A[i * n + j].mag());
        norm = std::max(norm, s.sup());
    }
    return norm;
}

/// An enclosure of Q^-1 for a nearly orthogonal Q, or nothing when Q is too
/// far from orthogonal. With Y = Q^T and E = I - Y Q of norm b < 1,
/// Q^-1 = (I - E)^-1 Y, so Q^-1 - Y = (I - E)^-1 E Y has norm at most
/// b |Y| / (1 - b), which bounds every entry of Q^-1 - Y.
std::optional<interval_matrix> inverse_of_orthogonal(const point_matrix& Q, int n)
{
    const interval_matrix Y = intervals(transposed(Q, n));
    interval_matrix E = product(Y, intervals(Q), n);
    for (int i = 0; i < n * n; ++i) E[i] = (i % (n + 1) == 0 ? interval(1.0) : interval(0.0)) - E[i];
    const double b = row_sum_norm(E, n);
    if (!(b < 0.5)) return std::nullopt;
    const double d = (interval(b) * interval(row_sum_norm(Y, n)) / (interval(1.0) - interval(b))).sup();
    interval_matrix inverse = Y;
    for (interval& entry : inverse) entry += interval(-d, d);
    return inverse;
}

/// The column order of M by decreasing size of the columns of mid(M) times
/// the widths of r: the longest axis of the set is kept exactly by the first
/// column of Q.
std::vector<int> column_order(const interval_matrix& M, const std::vector<interval>& r)
{
    const int n = static_cast<int>(r.size());
    std::vector<double> size(n, 0.0);
    for (int j = 0; j < n; ++j) {
        double norm2 = 0.0;
        for (int i = 0; i < n; ++i) norm2 += M[i * n + j].mid() * M[i * n + j].mid();
        size[j] = std::sqrt(norm2) * r[j].diam();
    }
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&size](int a, int b) { return size[a] > size[b]; });
    return order;
}

} // namespace

interval_matrix product(const interval_matrix& A, const interval_matrix& B, int n)
{
    interval_matrix C(n * n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            interval s;
            for (int k = 0; k < n; ++k) s += A[i * n + k] * B[k * n + j];
            C[i * n + j] = s;
        }
    return C;
}

std::vector<interval> product(const interval_matrix& M, const std::vector<interval>& v)
{
    const int n = static_cast<int>(v.size());
    std::vector<interval> w(n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) w[i] += M[i * n + j] * v[j];
    return w;
}

std::vector<interval> points(const std::vector<double>& x) { return std::vector<interval>(x.begin(), x.end()); }

lohner_set lohner_set::of_box(const std::vector<interval>& x)
{
    lohner_set set;
    const int n = static_cast<int>(x.size());
    set.linear = identity(n);
    set.basis = identity(n);
    set.r.assign(n, interval(0.0));
    for (const interval& xi : x) {
        set.centre.push_back(xi.mid());
        set.r0.push_back(xi - interval(xi.mid()));
    }
    return set;
}

std::vector<interval> lohner_set::hull() const
{
    return image_hull(points(centre), intervals(identity(dimension())));
}

std::vector<interval> lohner_set::image_hull(const std::vector<interval>& y, const interval_matrix& J) const
{
    const int n = dimension();
    const std::vector<interval> from_start = product(product(J, intervals(linear), n), r0);
    const std::vector<interval> from_errors = product(product(J, intervals(basis), n), r);
    std::vector<interval> h(n);
    for (int i = 0; i < n; ++i) h[i] = y[i] + from_start[i] + from_errors[i];
    return h;
}

// With C' = mid(J C) and c' = mid(y), the image is c' + C' r0 + Q r' where
// r' = Q^-1 (J A) r + Q^-1 z and z = y - c' + (J C - C') r0 (small: the width
// of J times r0, and the rounding). Q^-1 J A is nearly triangular, so r'
// stays about as wide as r and z. Without a usable Q^-1 the basis becomes
// the identity (r' = (J A) r + z).
lohner_set lohner_set::image(const std::vector<interval>& y, const interval_matrix& J) const
{
    const int n = dimension();
    lohner_set next;
    next.r0 = r0;
    const interval_matrix JC = product(J, intervals(linear), n);
    interval_matrix linear_error(n * n);
    for (int e = 0; e < n * n; ++e) {
        next.linear.push_back(JC[e].mid());
        linear_error[e] = JC[e] - interval(next.linear[e]);
    }
    std::vector<interval> z = product(linear_error, r0);
    for (int i = 0; i < n; ++i) {
        next.centre.push_back(y[i].mid());
        z[i] += y[i] - interval(next.centre[i]);
    }

    const interval_matrix M = product(J, intervals(basis), n);
    const std::vector<int> order = column_order(M, r);
    interval_matrix sorted(n * n);
    point_matrix middle(n * n);
    std::vector<interval> r_sorted(n);
    for (int j = 0; j < n; ++j) {
        r_sorted[j] = r[order[j]];
        for (int i = 0; i < n; ++i) {
            sorted[i * n + j] = M[i * n + order[j]];
            middle[i * n + j] = sorted[i * n + j].mid();
        }
    }
    next.basis = orthogonal_factor(middle, n);
    std::optional<interval_matrix> inverse = inverse_of_orthogonal(next.basis, n);
    if (!inverse) {
        next.basis = identity(n);
        inverse = intervals(next.basis);
    }
    next.r = product(product(*inverse, sorted, n), r_sorted);
    const std::vector<interval> shift = product(*inverse, z);
    for (int i = 0; i < n; ++i) next.r[i] += shift[i];
    return next;
}
