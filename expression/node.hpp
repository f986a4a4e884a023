#pragma once
// Expression trees: vectors of nodes, children before parents, root last.

#include "domain.hpp"

#include <fstream>
#include <set>
#include <string>
#include <vector>

class taylor;

/// One node of an expression tree; children are positions in the same vector.
struct Node {
    char kind = 0;
    char short_name[20] = {};
    int index = 0;
    int left = -1;
    int right = -1;
    double value = 0.0;
    std::string name;

    /// The node's line of a Graphviz graph ("" for a partial-derivative node).
    std::string ToDot() const;
};

/// The scanner's semantic value.
extern Node node_val;
/// The tree under construction by the parser.
extern std::vector<Node> arbre_de_node;
/// The tree built by differentiation and subtree copying.
extern std::vector<Node> arbre_derive;
/// The tree-output file stream shared by the Dot and LaTeX writers.
extern std::ofstream arbre2;

/// Entries of the parse stack for a statement given to the program, which
/// the stack never grows beyond.
constexpr int statement_stack_entries = 200;
/// Entries of the parse stack for the texts the program writes itself
/// (combinations of its expressions): they parenthesise both operands of a
/// difference, so a difference of n terms nests n deep.
constexpr int program_text_stack_entries = 10000;
/// The stack limit of the parse under way.
extern int parse_stack_entries;

/// Parses text (which must end with ';') into arbre_de_node, after clearing
/// it, with a parse stack of at most stack_entries; false when the parse
/// failed (the nodes built so far stay).
bool parse_into_arbre_de_node(const std::string& text, int stack_entries = statement_stack_entries);

/// What a parse writes to standard output: the characters outside the token
/// set, which the scanner echoes, and the parser's error message.
struct parse_messages {
    std::string skipped;
    /// The position in the text of each skipped character.
    std::vector<std::size_t> skipped_at;
    /// "" when the text parsed.
    std::string error;
    /// The position in the text of the token at which the parse failed.
    std::size_t error_at = 0;
};
/// Parses text like parse_into_arbre_de_node, but returns what the parse
/// would write to standard output instead of writing it.
parse_messages parse_quietly(const std::string& text, int stack_entries = statement_stack_entries);
/// Tells the parse that the scanner matched length more bytes of the text.
void count_scanned(std::size_t length);
/// The scanner's echo of a character outside the token set.
void echo_skipped(char c);
/// The parser's report of an error.
void report_parse_error(const char* message);

/// Deepest nesting of a tree given to the analysis (tree_depth). Its
/// expressions go through text: a printed level can take three entries of the
/// parser's stack ("a*-(" ...), and the derivatives and combinations of a
/// component nest deeper; this keeps them far inside the stack the program's
/// own texts may use.
constexpr int deepest_tree = 40;
/// The nesting of tree as its text nests: the longest path from the root to
/// a leaf, not counting the steps from a two-operand node to a left operand
/// that binds at least as tightly (x+y+z nests 2, x+(y+z) and -(-(x)) nest 3);
/// 0 for an empty tree.
int tree_depth(const std::vector<Node>& tree);

/// Interval enclosure of the subtree at i over box (the whole line for a
/// partial operator, or for a power whose exponent is not bounded).
interval Eval(const std::vector<Node>& tree, int i, const domain& box);
/// base^n with n the exponent's upper bound truncated toward zero: the value
/// of a power node (the whole line when the exponent is not a usable bound).
interval power_by_exponent(const interval& base, const interval& exponent);
/// Textual form of the subtree at i; it parses back to the same value.
std::string Arbre2Chaine(const std::vector<Node>& tree, int i);
/// Text of a constant that reads back to the same double.
std::string constant_text(double value);
/// Writes the Graphviz edges of the subtree at i to arbre2.
void Arbre2Dot(const std::vector<Node>& tree, int i);
/// Writes the subtree at i as nested pstricks tree commands to arbre2.
void Arbre2Latex(const std::vector<Node>& tree, int i);

/// Whether node is defined at every point of the plane, its children being
/// positions of tree and total[k] telling whether node k of tree is: no
/// quotient, logarithm, square root or tangent below it, and no power whose
/// exponent is not a constant that truncates to a non-negative integer.
bool defined_everywhere(const std::vector<Node>& tree, const Node& node, const std::vector<bool>& total);
/// defined_everywhere of every node of tree, by position.
std::vector<bool> total_nodes(const std::vector<Node>& tree);
/// Position whose record node becomes under the simplification rules (a
/// product by 0 or 1, a sum with 0, x-0, x^1, -0), or −1 when no rule applies;
/// node's children are read from tree, and total tells which of them are
/// defined everywhere: a product by 0 becomes 0 only when its other factor
/// is, so that the rewrite keeps the domain of what it removes.
int rewrite_target(const std::vector<Node>& tree, const Node& node, const std::vector<bool>& total);
/// Collects the like terms of every sum of tree: terms holding a variable
/// that are the same product up to a numeric factor become one term whose
/// factor is the exact sum of theirs (x*y+x*y gives (2)*((x)*(y)), x-x gives
/// 0; terms without a variable, such as 1+1, stay). The new tree denotes the
/// same real function, keeps equal subtrees as one node, holds only nodes
/// reachable from its root, and has the simplification rules applied to the
/// nodes the collection changed; a tree without like terms, or holding a
/// partial operator, is left as it is.
void collect_like_terms(std::vector<Node>& tree);

/// Appends the derivative of the subtree at i with respect to v to arbre_derive;
/// returns the position of its root (a partial operator differentiates to 0).
int Derive_de_Arbre(const std::vector<Node>& tree, int i, const std::string& v);
/// Appends a copy of the subtree at i to arbre_derive; returns its root's position.
int Copie_de_Arbre(const std::vector<Node>& tree, int i);
/// Variables of the subtree at i (exponents not counted).
std::set<std::string> variables2eq(const std::vector<Node>& tree, int i);

/// Interval Taylor coefficients (orders 0..n) of the subtree at i along t.
std::vector<interval> Taylor_ode(const std::vector<Node>& tree, int i, const taylor& t, int n);
/// Point coefficients (orders 0..n) along the diagonal from the box's lowest corner.
std::vector<double> Taylor(const std::vector<Node>& tree, int i, const domain& box, int n);
