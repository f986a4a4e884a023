// Interval matrices: determinant, pivoting, Gaussian elimination, products.

#include "matrix.hpp"

#include <algorithm>

namespace {

/// names without the first occurrence of name (the order of the rest kept).
std::vector<std::string> without(std::vector<std::string> names, const std::string& name) {
    const auto it = std::find(names.begin(), names.end(), name);
    if (it != names.end()) names.erase(it);
    return names;
}

/// No pivot: a step that found no entry to divide by.
constexpr std::size_t none = static_cast<std::size_t>(-1);

/// A pivot's row and column positions (none for both when there is no pivot).
struct position {
    std::size_t row = none;
    std::size_t column = none;
};

/// The positions 0 .. n - 1.
std::vector<std::size_t> positions(std::size_t n) {
    std::vector<std::size_t> all(n);
    for (std::size_t i = 0; i < n; ++i) all[i] = i;
    return all;
}

/// list without the position i (the order of the rest kept); unchanged for none.
void remove(std::vector<std::size_t>& list, std::size_t i) {
    const auto it = std::find(list.begin(), list.end(), i);
    if (it != list.end()) list.erase(it);
}

/// Entry of largest mignitude not containing 0 among rows R and columns K of
/// A. Strict comparison in list order: ties go to the earlier row, then column.
position pivot_of(const dense_matrix& A, const std::vector<std::size_t>& R, const std::vector<std::size_t>& K) {
    position best;
    interval best_value;
    for (const std::size_t r : R)
        for (const std::size_t c : K) {
            const interval& e = A(r, c);
            if (e.mig() > best_value.mig() && !e.contains(0.0)) {
                best_value = e;
                best = {r, c};
            }
        }
    return best;
}

/// One elimination step, in place on W and b, with the pivot p among rows R
/// and columns K. Row p is only read, and every other row only reads itself
/// and row p, so working in place changes nothing. Without a pivot its entry
/// reads [0, 0] and the division makes the reduced rows unbounded.
void eliminate(const position& p, const std::vector<std::size_t>& R, const std::vector<std::size_t>& K,
               dense_matrix& W, std::vector<interval>& b) {
    const bool found = p.row != none;
    const interval w_pq = found ? W(p.row, p.column) : interval();
    const interval b_p = found ? b[p.row] : interval();
    std::vector<interval> pivot_row(K.size());
    if (found)
        for (std::size_t j = 0; j < K.size(); ++j) pivot_row[j] = W(p.row, K[j]);
    for (const std::size_t r : R) {
        if (r == p.row) continue;
        const interval w_rq = found ? W(r, p.column) : interval();
        for (std::size_t j = 0; j < K.size(); ++j) {
            interval& w_rc = W(r, K[j]);
            w_rc = K[j] == p.column ? interval() : w_rc - (pivot_row[j] * w_rq) / w_pq;
        }
        b[r] = b[r] - (b_p * w_rq) / w_pq;
    }
}

/// Solves the reduced system W d = b, pivots taken last first.
///
/// The coefficient of a column still unsolved is exactly [0, 0] in a regular
/// elimination, so such a term is skipped; a non-zero coefficient of an
/// unsolved column only arises after a step without pivot, and the column
/// then reads as the entire line. A step without pivot solves nothing, and
/// every column left unsolved is the entire line: the elimination proves no
/// bound on it.
std::vector<interval> back_substitution(const dense_matrix& W, const std::vector<interval>& b,
                                        const std::vector<position>& pivots) {
    std::vector<interval> d(W.columns, interval::ENTIRE());
    std::vector<bool> solved(W.columns, false);
    for (auto it = pivots.rbegin(); it != pivots.rend(); ++it) {
        const std::size_t p = it->row;
        const std::size_t q = it->column;
        if (q == none) continue;
        interval s;
        for (std::size_t c = 0; c < W.columns; ++c) {
            const interval& w = W(p, c);
            if (c == q || w == interval()) continue;
            s = s + w * (solved[c] ? d[c] : interval::ENTIRE());
        }
        d[q] = (b[p] - s) / W(p, q);
        solved[q] = true;
    }
    return d;
}

/// The entries (R[i], K[j]) of m by position.
dense_matrix dense_of(const interval_matrix& m, const std::vector<std::string>& R, const std::vector<std::string>& K) {
    dense_matrix A(R.size(), K.size());
    for (std::size_t i = 0; i < R.size(); ++i)
        for (std::size_t j = 0; j < K.size(); ++j) A(i, j) = m.entry(R[i], K[j]);
    return A;
}

}  // namespace

std::vector<interval> gaussian(const dense_matrix& A, std::vector<interval> b) {
    dense_matrix W = A;
    std::vector<std::size_t> R = positions(A.rows);
    std::vector<std::size_t> K = positions(A.columns);
    std::vector<position> pivots;
    // n - 1 steps, each pivot chosen among the remaining rows and columns of
    // the matrix as eliminated so far; the last row and column left form the
    // last pivot. Choosing on the eliminated matrix matters where the rows
    // are nearly dependent (a Jacobian of rank one at fold points): an entry
    // large before elimination may be nearly cancelled by it.
    for (std::size_t step = 1; step < A.rows; ++step) {
        const position p = pivot_of(W, R, K);
        eliminate(p, R, K, W, b);
        pivots.push_back(p);
        remove(R, p.row);
        remove(K, p.column);
    }
    if (!R.empty() && !K.empty()) pivots.push_back({R[0], K[0]});
    return back_substitution(W, b, pivots);
}

interval interval_matrix::entry(const std::string& r, const std::string& c) const {
    const auto row = entries.find(r);
    if (row == entries.end()) return interval();
    const auto e = row->second.find(c);
    return e == row->second.end() ? interval() : e->second;
}

interval interval_matrix::determinant() const {
    return determinant(row_names, column_names);
}

interval interval_matrix::determinant(const std::vector<std::string>& R,
                                      const std::vector<std::string>& K) const {
    // The empty matrix has determinant 1; with fewer columns than rows the
    // expansion runs out of columns and nothing is known.
    if (R.empty()) return interval(1.0);
    if (K.empty()) return interval::ENTIRE();
    if (R.size() == 1) return entry(R[0], K[0]);
    const std::vector<std::string> minor_columns = without(K, K[0]);
    interval sum;
    double sign = 1.0;
    for (const std::string& r : R) {
        const interval minor = determinant(without(R, r), minor_columns);
        sum = sum + (interval(sign) * entry(r, K[0])) * minor;
        sign = -sign;
    }
    return sum;
}

indice interval_matrix::pivot() const {
    return pivot(row_names, column_names);
}

indice interval_matrix::pivot(const std::vector<std::string>& R, const std::vector<std::string>& K) const {
    const position p = pivot_of(dense_of(*this, R, K), positions(R.size()), positions(K.size()));
    if (p.row == none) return {};
    return {R[p.row], K[p.column]};
}

interval_matrix interval_matrix::gaussian(const std::vector<std::string>& R, const std::vector<std::string>& K,
                                          const interval_matrix& A, domain& b) const {
    // The pivot comes from this matrix, not from the partly reduced A.
    const std::vector<std::size_t> rows = positions(R.size());
    const std::vector<std::size_t> columns = positions(K.size());
    const position p = pivot_of(dense_of(*this, R, K), rows, columns);
    dense_matrix W = dense_of(A, R, K);
    std::vector<interval> right;
    for (const std::string& r : R) right.push_back(b.get(r));
    eliminate(p, rows, columns, W, right);
    interval_matrix result = A;
    for (std::size_t i = 0; i < R.size(); ++i) {
        if (i == p.row) continue;
        for (std::size_t j = 0; j < K.size(); ++j) result.entries[R[i]][K[j]] = W(i, j);
        b[R[i]] = right[i];
    }
    return result;
}

domain interval_matrix::gaussian(domain b) const {
    std::vector<interval> right;
    for (const std::string& r : row_names) right.push_back(b.get(r));
    const std::vector<interval> d = ::gaussian(dense_of(*this, row_names, column_names), std::move(right));
    domain solution;
    for (std::size_t j = 0; j < column_names.size(); ++j) solution.emplace(column_names[j], d[j]);
    return solution;
}

domain interval_matrix::row(const std::string& c) const {
    domain column;
    for (const std::string& r : row_names) column[r] = entry(r, c);
    return column;
}

domain interval_matrix::image(const domain& X) const {
    domain product;
    for (const std::string& r : row_names) {
        interval sum;
        for (const std::string& c : column_names) sum = sum + entry(r, c) * X.get(c);
        product[r] = sum;
    }
    return product;
}

void interval_matrix::out(std::ostream& os) const {
    for (const std::string& r : row_names)
        for (const std::string& c : column_names) os << r << "|" << c << ":" << entry(r, c) << std::endl;
}
