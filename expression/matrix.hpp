#pragma once
// Matrices of expressions and of intervals, addressed by row and column names.

#include "compiled.hpp"
#include "expression.hpp"

#include <iostream>
#include <map>
#include <string>
#include <vector>

/// One entry of an interval_matrix.
struct indice {
    std::string row_name;
    std::string column_name;
};

/// An interval matrix by position: entry (i, j) is values[i * columns + j].
/// The loops of the elimination run on it; names stay with interval_matrix.
struct dense_matrix {
    std::size_t rows = 0;
    std::size_t columns = 0;
    std::vector<interval> values;

    dense_matrix() = default;
    /// rows x columns entries, all [0, 0].
    dense_matrix(std::size_t r, std::size_t c) : rows(r), columns(c), values(r * c) {}
    interval& operator()(std::size_t i, std::size_t j) { return values[i * columns + j]; }
    const interval& operator()(std::size_t i, std::size_t j) const { return values[i * columns + j]; }
};

/// Enclosure of the solution d of A d = b, by position: Gaussian elimination
/// with each pivot the entry of largest mignitude not holding 0 among the
/// rows and columns left, read on the matrix as eliminated so far; a column
/// that the elimination cannot solve is the entire line.
std::vector<interval> gaussian(const dense_matrix& A, std::vector<interval> b);

class interval_matrix {
public:
    std::map<std::string, std::map<std::string, interval>> entries;
    std::vector<std::string> row_names;
    std::vector<std::string> column_names;

    /// Entry (r, c), [0, 0] when absent (nothing inserted).
    interval entry(const std::string& r, const std::string& c) const;

    /// Determinant of the whole matrix.
    interval determinant() const;
    /// Laplace expansion along the first column of K.
    interval determinant(const std::vector<std::string>& R, const std::vector<std::string>& K) const;
    /// Pivot of the whole matrix.
    indice pivot() const;
    /// Entry of largest mignitude not containing 0; empty names when none.
    indice pivot(const std::vector<std::string>& R, const std::vector<std::string>& K) const;
    /// One elimination step on A and b (b changed in place), pivot chosen on this matrix.
    interval_matrix gaussian(const std::vector<std::string>& R, const std::vector<std::string>& K,
                             const interval_matrix& A, domain& b) const;
    /// Enclosure of the solution d of (this) d = b, keyed by column names; a
    /// column that the elimination cannot solve is the entire line.
    domain gaussian(domain b) const;
    /// Column c as a box keyed by the row names.
    domain row(const std::string& c) const;
    /// The product of the matrix with X, keyed by the row names.
    domain image(const domain& X) const;
    /// One line "row|column:interval" per entry, in name-list order.
    void out(std::ostream& os = std::cout) const;
};

class expression_matrix {
public:
    std::vector<std::string> rows;
    std::vector<std::string> columns;
    std::map<std::string, std::map<std::string, expression>> entries;

    /// Row r of the entries (inserted when absent).
    std::map<std::string, expression>& operator[](const std::string& r) { return entries[r]; }
    /// Entry (r, c), an empty expression when absent (nothing inserted).
    const expression& entry(const std::string& r, const std::string& c) const;

    /// Every entry evaluated over box.
    interval_matrix evalue(const domain& box) const;
    /// Every entry evaluated over box, by position: (i, j) is entry (rows[i], columns[j]).
    dense_matrix evalue_dense(const domain& box) const;
    /// Entry (r, c) alone evaluated over box, as evalue evaluates it (the
    /// entire line for an absent entry).
    interval evalue_entry(const domain& box, const std::string& r, const std::string& c) const;
    /// Whether every partial function of the entries has its argument inside
    /// its domain over the whole of box (as Map::defined_on).
    bool defined_on(const domain& box) const;
    /// Symbolic determinant of the submatrix on rows and columns.
    expression determinant(const std::vector<std::string>& rows, const std::vector<std::string>& columns) const;
    /// Symbolic determinant of the whole matrix.
    expression determinant() const;
    /// One line "row|column:text" per entry, in name-list order.
    void out(std::ostream& os = std::cout) const;

private:
    /// The trees of the entries, row by row in row-list order (a per-thread
    /// list, valid until the next call).
    const std::vector<const std::vector<Node>*>& trees() const;
    /// The entries, row by row in row-list order, compiled into one program.
    compiled_cache compiled_;
    /// Each entry compiled alone, by the entry's address (a cache checks its
    /// trees, so an address reused by another entry only compiles anew).
    mutable std::map<const expression*, compiled_cache> entry_compiled_;
};
