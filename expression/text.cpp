// Textual form of expression trees, written so that it parses back.

#include "expression.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

/// value written by a default-formatted stream at the given precision.
std::string stream_text(double value, int precision)
{
    std::ostringstream os;
    os.precision(precision);
    os << value;
    return os.str();
}

/// Appends the textual form of the subtree at i.
void write_text(const std::vector<Node>& tree, int i, std::string& out);

/// Appends "(" + the textual form of the subtree at i + ")".
void write_parenthesised(const std::vector<Node>& tree, int i, std::string& out)
{
    out += '(';
    write_text(tree, i, out);
    out += ')';
}

/// Appends "(" L ")" op "(" R ")".
void write_binary(const std::vector<Node>& tree, const Node& node, const char* op,
                  std::string& out)
{
    write_parenthesised(tree, node.left, out);
    out += op;
    write_parenthesised(tree, node.right, out);
}

/// Appends function_name "(" L ")".
void write_call(const std::vector<Node>& tree, const Node& node, const char* function_name,
                std::string& out)
{
    out += function_name;
    write_parenthesised(tree, node.left, out);
}

/// A partial operator's text: it parses back at the top level of a statement.
void write_partial(const Node& node, std::string& out)
{
    out += "partial_";
    out += node.name;
}

/// A product; a partial operator as right factor is written bare, since the
/// language refuses it inside parentheses, so operator texts parse back.
void write_product(const std::vector<Node>& tree, const Node& node, std::string& out)
{
    const Node& right = tree[node.right];
    if (right.kind != 'p') {
        write_binary(tree, node, "*", out);
        return;
    }
    write_parenthesised(tree, node.left, out);
    out += '*';
    write_partial(right, out);
}

void write_text(const std::vector<Node>& tree, int i, std::string& out)
{
    const Node& node = tree[i];
    switch (node.kind) {
    case 'r': out += constant_text(node.value); break;
    case 'V': out += node.name; break;
    case '+':
        write_text(tree, node.left, out);
        out += '+';
        write_text(tree, node.right, out);
        break;
    case '-': write_binary(tree, node, "-", out); break;
    case '*': write_product(tree, node, out); break;
    case '/': write_binary(tree, node, "/", out); break;
    case 'P': write_binary(tree, node, "^", out); break;
    case 'N':
        out += "(-";
        write_parenthesised(tree, node.left, out);
        out += ')';
        break;
    case 'C': write_call(tree, node, "cos", out); break;
    case 'S': write_call(tree, node, "sin", out); break;
    case 'h': write_call(tree, node, "cosh", out); break;
    case 'i': write_call(tree, node, "sinh", out); break;
    case 'T': write_call(tree, node, "tan", out); break;
    case 'A': write_call(tree, node, "atan", out); break;
    case 'E': write_call(tree, node, "exp", out); break;
    case 'L': write_call(tree, node, "ln", out); break;
    case 'R': write_call(tree, node, "sqrt", out); break;
    case '2': write_call(tree, node, "sqr", out); break;
    case 'p': write_partial(node, out); break;
    default: break;
    }
}

}  // namespace

std::string constant_text(double value)
{
    // The language has no words for infinities or NaN: an overflowing literal
    // reads back as an infinity, and 0/0 evaluates to the whole line, which
    // encloses whatever a NaN stood for.
    if (std::isnan(value))
        return "(0)/(0)";
    if (std::isinf(value))
        return value > 0 ? "1e+999" : "-1e+999";
    // Six significant digits when they read back exactly, otherwise the fewest
    // digits that do, so that a reparsed text describes the same map.
    for (int precision = 6; precision < 17; ++precision) {
        std::string text = stream_text(value, precision);
        if (std::strtod(text.c_str(), nullptr) == value)
            return text;
    }
    return stream_text(value, 17);
}

std::string Arbre2Chaine(const std::vector<Node>& tree, int i)
{
    std::string out;
    write_text(tree, i, out);
    return out;
}

void expression::ArbreToChaine()
{
    text = has_tree() ? Arbre2Chaine(tree, root()) : std::string();
}

namespace {

/// Binding strength of a two-operand node: sums 1, products 2, powers 3.
int binding(char kind)
{
    switch (kind) {
    case '+':
    case '-': return 1;
    case '*':
    case '/': return 2;
    case 'P': return 3;
    default: return 4;
    }
}

}  // namespace

int tree_depth(const std::vector<Node>& tree)
{
    // Children stand before their parent: one pass from the leaves up. The
    // left operand of a left-associative chain (a sum of many terms) is
    // reduced as the parser goes and does not nest; an operand that must be
    // parenthesised, a right operand and a function's argument do.
    std::vector<int> depth(tree.size(), 1);
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const Node& n = tree[i];
        const bool valid_left = n.left >= 0 && n.left < static_cast<int>(i);
        const bool valid_right = n.right >= 0 && n.right < static_cast<int>(i);
        if (valid_left) {
            const bool chained = valid_right && binding(tree[n.left].kind) >= binding(n.kind) && n.kind != 'P';
            depth[i] = std::max(depth[i], depth[n.left] + (chained ? 0 : 1));
        }
        if (valid_right) depth[i] = std::max(depth[i], depth[n.right] + 1);
    }
    return tree.empty() ? 0 : depth.back();
}
