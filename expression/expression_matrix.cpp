// Matrices of expressions: entries by name, interval evaluation, symbolic determinant.

#include "matrix.hpp"

namespace {

/// names without the entry at position i.
std::vector<std::string> without_position(std::vector<std::string> names, std::size_t i) {
    names.erase(names.begin() + static_cast<std::ptrdiff_t>(i));
    return names;
}

}  // namespace

const expression& expression_matrix::entry(const std::string& r, const std::string& c) const {
    static const expression absent;
    const auto row = entries.find(r);
    if (row == entries.end()) return absent;
    const auto e = row->second.find(c);
    return e == row->second.end() ? absent : e->second;
}

const std::vector<const std::vector<Node>*>& expression_matrix::trees() const {
    thread_local std::vector<const std::vector<Node>*> trees;
    trees.clear();
    for (const std::string& r : rows)
        for (const std::string& c : columns) trees.push_back(&entry(r, c).tree);
    return trees;
}

bool expression_matrix::defined_on(const domain& box) const { return compiled_.defined_on(trees(), box); }

dense_matrix expression_matrix::evalue_dense(const domain& box) const {
    // One compiled program for all entries: the variables are read from box
    // once each, and the entries share their common subexpressions.
    dense_matrix m(rows.size(), columns.size());
    compiled_.evaluate(trees(), box, m.values);
    return m;
}

interval expression_matrix::evalue_entry(const domain& box, const std::string& r, const std::string& c) const {
    // Each entry keeps a program of its own: a caller that needs one entry
    // neither checks nor runs the trees of the others.
    const expression& e = entry(r, c);
    thread_local std::vector<const std::vector<Node>*> trees;
    trees.assign(1, &e.tree);
    thread_local std::vector<interval> values;
    entry_compiled_[&e].evaluate(trees, box, values);
    return values[0];
}

interval_matrix expression_matrix::evalue(const domain& box) const {
    using row_type = std::map<std::string, interval>;
    const dense_matrix values = evalue_dense(box);
    interval_matrix m;
    m.row_names = rows;
    m.column_names = columns;
    // The hints make the insertions constant-time when the names ascend, as
    // the component and variable names of a Jacobian do.
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::map<std::string, interval>& row = m.entries.emplace_hint(m.entries.end(), rows[i], row_type())->second;
        for (std::size_t j = 0; j < columns.size(); ++j)
            row.emplace_hint(row.end(), columns[j], interval())->second = values(i, j);
    }
    return m;
}

expression expression_matrix::determinant(const std::vector<std::string>& rows,
                                          const std::vector<std::string>& columns) const {
    // Laplace expansion along the first column. The empty matrix has
    // determinant 1; with fewer columns than rows nothing is known (an empty
    // expression, which evaluates to the entire line).
    if (rows.empty()) return expression("1");
    if (columns.empty()) return expression();
    if (rows.size() == 1) return entry(rows[0], columns[0]);
    const std::vector<std::string> minor_columns = without_position(columns, 0);
    const expression plus("1");
    const expression minus("-1");
    expression sum("0");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const expression minor = determinant(without_position(rows, i), minor_columns);
        const expression& sign = i % 2 == 0 ? plus : minus;
        sum = sum + (sign * entry(rows[i], columns[0])) * minor;
    }
    return sum;
}

expression expression_matrix::determinant() const {
    return determinant(rows, columns);
}

void expression_matrix::out(std::ostream& os) const {
    for (const std::string& r : rows)
        for (const std::string& c : columns) os << r << "|" << c << ":" << entry(r, c).text << std::endl;
}
