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

/// Solves the reduced system W d = b, pivots taken last first.
///
/// The coefficient of a column still unsolved is exactly [0, 0] in a regular
/// elimination, so such a term is skipped; a non-zero coefficient of an
/// unsolved column only arises after a step without pivot, and the column
/// then reads as the entire line. A pivot without a column name solves
/// nothing, and every column left unsolved is the entire line: the elimination
/// proves no bound on it.
domain back_substitution(const interval_matrix& W, const domain& b, const std::vector<indice>& pivots) {
    domain d;
    for (auto it = pivots.rbegin(); it != pivots.rend(); ++it) {
        const std::string& p = it->row_name;
        const std::string& q = it->column_name;
        if (q.empty()) continue;
        interval s;
        for (const std::string& c : W.column_names) {
            const interval w = W.entry(p, c);
            if (c == q || w == interval()) continue;
            const auto solved = d.find(c);
            s = s + w * (solved != d.end() ? solved->second : interval::ENTIRE());
        }
        d[q] = (b.get(p) - s) / W.entry(p, q);
    }
    for (const std::string& c : W.column_names)
        if (d.find(c) == d.end()) d[c] = interval::ENTIRE();
    return d;
}

/// One elimination step, in place on W and b, with the pivot (p, q) among
/// rows R and columns K. Row p is only read, and every other row only reads
/// itself and row p, so working in place changes nothing. Without a pivot its
/// empty names read [0, 0] and the division makes the reduced rows unbounded.
void eliminate(const indice& pivot, const std::vector<std::string>& R, const std::vector<std::string>& K,
               interval_matrix& W, domain& b) {
    const std::string& p = pivot.row_name;
    const std::string& q = pivot.column_name;
    const interval w_pq = W.entry(p, q);
    const interval b_p = b.get(p);
    std::vector<interval> pivot_row;
    for (const std::string& c : K) pivot_row.push_back(W.entry(p, c));
    for (const std::string& r : R) {
        if (r == p) continue;
        std::map<std::string, interval>& row = W.entries[r];
        const interval w_rq = W.entry(r, q);
        for (std::size_t j = 0; j < K.size(); ++j) {
            interval& w_rc = row[K[j]];
            w_rc = K[j] == q ? interval() : w_rc - (pivot_row[j] * w_rq) / w_pq;
        }
        b[r] = b.get(r) - (b_p * w_rq) / w_pq;
    }
}

}  // namespace

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
    // Strict comparison in list order: ties go to the earlier row, then column.
    indice best;
    interval best_value;
    for (const std::string& r : R)
        for (const std::string& c : K) {
            const interval e = entry(r, c);
            if (e.mig() > best_value.mig() && !e.contains(0.0)) {
                best_value = e;
                best = {r, c};
            }
        }
    return best;
}

interval_matrix interval_matrix::gaussian(const std::vector<std::string>& R, const std::vector<std::string>& K,
                                          const interval_matrix& A, domain& b) const {
    // The pivot comes from this matrix, not from the partly reduced A.
    interval_matrix result = A;
    eliminate(pivot(R, K), R, K, result, b);
    return result;
}

domain interval_matrix::gaussian(domain b) const {
    interval_matrix W = *this;
    std::vector<std::string> R = row_names;
    std::vector<std::string> K = column_names;
    std::vector<indice> pivots;
    // n - 1 steps, each pivot chosen among the remaining rows and columns of
    // the matrix as eliminated so far; the last row and column left form the
    // last pivot. Choosing on the eliminated matrix matters where the rows
    // are nearly dependent (a Jacobian of rank one at fold points): an entry
    // large before elimination may be nearly cancelled by it.
    for (std::size_t step = 1; step < row_names.size(); ++step) {
        const indice p = W.pivot(R, K);
        eliminate(p, R, K, W, b);
        pivots.push_back(p);
        R = without(R, p.row_name);
        K = without(K, p.column_name);
    }
    if (!R.empty() && !K.empty()) pivots.push_back({R[0], K[0]});
    return back_substitution(W, b, pivots);
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
