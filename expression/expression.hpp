#pragma once
// Expression values: text, variables and tree side by side.

#include "node.hpp"

#include <set>
#include <string>
#include <vector>

class taylor;

class expression {
public:
    std::string text;
    std::set<std::string> variables;
    std::vector<Node> tree;

    /// Empty text, no variables, empty tree.
    expression() = default;
    /// Parses s; the text stays s verbatim.
    explicit expression(const std::string& s);
    /// The expression of a text the program wrote itself, parsed with the
    /// deeper stack such texts need, then simplified; no formula (an empty
    /// expression) when the text does not parse whole.
    static expression from_program_text(const std::string& text);

    /// The operands' texts glued by the operator, parsed and simplified; an
    /// operand without a tree gives an expression without a tree.
    expression operator+(const expression& b) const;
    expression operator-(const expression& b) const;
    expression operator*(const expression& b) const;
    /// (this)^n, parsed and simplified.
    expression pow(int n) const;
    /// Simplified derivative with respect to v.
    expression derive(const std::string& v) const;
    /// Copy with every variable old_name renamed new_name.
    expression substitute(const std::string& new_name, const std::string& old_name) const;
    /// Copy with every variable name replaced by the constant value.
    expression substitute(double value, const std::string& name) const;
    /// Copy with partial_v as 1 and every other partial operator as 0.
    expression substitue_partial(const std::string& v) const;
    /// Centred-form enclosure over box.
    interval forme_centre(const domain& box) const;

    /// Natural interval enclosure over box (the entire line for an empty tree).
    interval Evalue(const domain& box) const;
    /// Replaces the text by the textual form of the tree ("" without a tree).
    void ArbreToChaine();
    /// Writes the tree as a Graphviz graph to file.
    void ToDot(const char* file) const;
    /// Writes a LaTeX document with the text, the tree and its node table to file.
    void ToLatex(const char* file) const;
    /// One simplification step; true when no rule applies any more.
    bool simplify();
    /// Simplifies until nothing changes, collects like terms (collect_like_terms),
    /// then regenerates the text.
    void Simplify();
    /// Recomputes the variable set from the tree.
    void variables_eq();
    /// Parses text into the tree.
    void creation_arbre_de_node();

    /// Point Taylor coefficients along the box diagonal (orders 0..n).
    std::vector<double> taylor_f(const domain& box, int n) const;
    /// Interval Taylor coefficients along the flow record t (orders 0..n).
    std::vector<interval> taylor_ode(const taylor& t, int n) const;

    /// Whether the tree has a root.
    bool has_tree() const { return !tree.empty(); }
    int root() const { return static_cast<int>(tree.size()) - 1; }
};
