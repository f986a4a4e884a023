// Symbolic differentiation, subtree copies, simplification and variable sets.

#include "expression.hpp"

#include <cmath>
#include <cstring>

std::vector<Node> arbre_derive;

namespace {

/// Appends n to arbre_derive; returns its position.
int append(Node n)
{
    n.index = static_cast<int>(arbre_derive.size());
    arbre_derive.push_back(n);
    return n.index;
}

/// Appends a node of the given kind over its children.
int append(char kind, int left, int right = -1)
{
    Node n;
    n.kind = kind;
    n.left = left;
    n.right = right;
    return append(n);
}

/// Appends the constant value.
int append_constant(double value)
{
    Node n;
    n.kind = 'r';
    n.value = value;
    return append(n);
}

/// Nodes without children: constants, variables, partial operators.
bool is_leaf(char kind)
{
    return kind == 'r' || kind == 'V' || kind == 'p';
}

/// Functions and the unary minus.
bool has_one_operand(char kind)
{
    return kind != 0 && std::strchr("hiCSERTAL2N", kind) != nullptr;
}

/// f'(u)·u' for the one-operand functions whose derivative multiplies u' by a
/// function g of u: appends u', the copy of u, g(copy) and the product.
int derive_chain(const std::vector<Node>& tree, const Node& node, const std::string& v,
                 char g)
{
    const int a = Derive_de_Arbre(tree, node.left, v);
    const int w = Copie_de_Arbre(tree, node.left);
    const int k = append(g, w);
    return append('*', a, k);
}

/// The two terms L'·R and L·R' joined by a node of kind join, and the
/// position of the copy of R, which the quotient rule uses again.
struct product_terms {
    int joined;
    int right_copy;
};

product_terms derive_product_terms(const std::vector<Node>& tree, const Node& node,
                                   const std::string& v, char join)
{
    const int a = Derive_de_Arbre(tree, node.left, v);
    const int w = Copie_de_Arbre(tree, node.right);
    const int p = append('*', a, w);
    const int d = Copie_de_Arbre(tree, node.left);
    const int b = Derive_de_Arbre(tree, node.right, v);
    const int q = append('*', d, b);
    return {append(join, p, q), w};
}

/// (L'·R − L·R') / R^2, the copy of R shared by both uses.
int derive_quotient(const std::vector<Node>& tree, const Node& node, const std::string& v)
{
    const product_terms terms = derive_product_terms(tree, node, v, '-');
    const int t = append_constant(2);
    const int s = append('P', terms.right_copy, t);
    return append('/', terms.joined, s);
}

/// e·(u'·u^(e−1)), the exponent e taken as a constant.
int derive_power(const std::vector<Node>& tree, const Node& node, const std::string& v)
{
    const Node& exponent = tree[node.right];
    // u^0 is 1 for every base, so its derivative is 0, with no domain of its
    // own: the power rule would bring in u^(-1), undefined where u is 0.
    if (exponent.kind == 'r' && exponent.value == 0.0) return append_constant(0);
    int lowered = -1;
    if (exponent.kind == 'r') {
        lowered = append_constant(exponent.value - 1);
    } else {
        const int o = append_constant(1);
        const int f = Copie_de_Arbre(tree, node.right);
        lowered = append('-', f, o);
    }
    const int w = Copie_de_Arbre(tree, node.left);
    const int p = append('P', w, lowered);
    const int a = Derive_de_Arbre(tree, node.left, v);
    const int m = append('*', a, p);
    const int e = Copie_de_Arbre(tree, node.right);
    return append('*', e, m);
}

/// −u'·sin u.
int derive_cos(const std::vector<Node>& tree, const Node& node, const std::string& v)
{
    const int a = Derive_de_Arbre(tree, node.left, v);
    const int w = Copie_de_Arbre(tree, node.left);
    const int s = append('S', w);
    const int n = append('N', s);
    return append('*', a, n);
}

/// u' / (2·sqrt u).
int derive_sqrt(const std::vector<Node>& tree, const Node& node, const std::string& v)
{
    const int a = Derive_de_Arbre(tree, node.left, v);
    const int w = Copie_de_Arbre(tree, node.left);
    const int r = append('R', w);
    const int t = append_constant(2);
    const int m = append('*', t, r);
    return append('/', a, m);
}

/// u' / cos(u)^2.
int derive_tan(const std::vector<Node>& tree, const Node& node, const std::string& v)
{
    const int a = Derive_de_Arbre(tree, node.left, v);
    const int w = Copie_de_Arbre(tree, node.left);
    const int c = append('C', w);
    const int t = append_constant(2);
    const int s = append('P', c, t);
    return append('/', a, s);
}

/// u' / (1 + u^2).
int derive_atan(const std::vector<Node>& tree, const Node& node, const std::string& v)
{
    const int a = Derive_de_Arbre(tree, node.left, v);
    const int w = Copie_de_Arbre(tree, node.left);
    const int t = append_constant(2);
    const int s = append('P', w, t);
    const int o = append_constant(1);
    const int d = append('+', o, s);
    return append('/', a, d);
}

/// 2·(u'·u), the power rule for the exponent 2.
int derive_sqr(const std::vector<Node>& tree, const Node& node, const std::string& v)
{
    const int w = Copie_de_Arbre(tree, node.left);
    const int a = Derive_de_Arbre(tree, node.left, v);
    const int m = append('*', a, w);
    const int t = append_constant(2);
    return append('*', t, m);
}

/// Whether node is a constant equal to value.
bool equals(const Node& node, double value)
{
    return node.kind == 'r' && node.value == value;
}

/// Position whose record the two-child node becomes, or −1 when no rule
/// applies. Per kind the rules are tried in a fixed order; the first match wins.
int two_child_rewrite(const std::vector<Node>& tree, const Node& node, const std::vector<bool>& total)
{
    const Node& a = tree[node.left];
    const Node& b = tree[node.right];
    switch (node.kind) {
    case '*':
        if (equals(a, 1)) return node.right;
        if (equals(b, 1)) return node.left;
        // 0·F = 0 only where F is defined: elsewhere the product is not.
        if (equals(a, 0) && total[node.right]) return node.left;
        if (equals(b, 0) && total[node.left]) return node.right;
        return -1;
    case '+':
        if (equals(b, 0)) return node.left;
        if (equals(a, 0)) return node.right;
        return -1;
    case '-': return equals(b, 0) ? node.left : -1;
    case 'P': return equals(b, 1) ? node.left : -1;
    default: return -1;
    }
}

void collect_variables(const std::vector<Node>& tree, int i, std::set<std::string>& names)
{
    const Node& node = tree[i];
    switch (node.kind) {
    case 'V':
    case 'p':
        names.insert(node.name);
        return;
    case '+':
    case '-':
    case '*':
    case '/':
        collect_variables(tree, node.left, names);
        collect_variables(tree, node.right, names);
        return;
    case 'r': return;
    default:
        // One-operand nodes, and powers, whose exponent does not count.
        if (node.left != -1)
            collect_variables(tree, node.left, names);
    }
}

}  // namespace

bool defined_everywhere(const std::vector<Node>& tree, const Node& node, const std::vector<bool>& total)
{
    if (std::strchr("/LRT", node.kind) != nullptr) return false;
    if ((node.left != -1 && !total[node.left]) || (node.right != -1 && !total[node.right])) return false;
    if (node.kind != 'P') return true;
    // A power is evaluated with its exponent truncated: base^n needs a base
    // without 0 unless n truncates to a non-negative integer.
    const Node& base = tree[node.left];
    const Node& exponent = tree[node.right];
    if (base.kind == 'r' && base.value != 0.0) return true;
    return exponent.kind == 'r' && std::isfinite(exponent.value) && std::trunc(exponent.value) >= 0.0;
}

std::vector<bool> total_nodes(const std::vector<Node>& tree)
{
    std::vector<bool> total(tree.size());
    for (std::size_t i = 0; i < tree.size(); ++i) total[i] = defined_everywhere(tree, tree[i], total);
    return total;
}

int rewrite_target(const std::vector<Node>& tree, const Node& node, const std::vector<bool>& total)
{
    if (node.left != -1 && node.right != -1) {
        const int target = two_child_rewrite(tree, node, total);
        if (target != -1)
            return target;
    }
    if (node.kind == 'N' && node.left != -1 && equals(tree[node.left], 0))
        return node.left;
    return -1;
}

int Copie_de_Arbre(const std::vector<Node>& tree, int i)
{
    // The node is copied: tree may be arbre_derive itself, which appending moves.
    const Node node = tree[i];
    if (is_leaf(node.kind)) {
        Node leaf = node;
        leaf.left = -1;
        leaf.right = -1;
        return append(leaf);
    }
    Node copy;
    copy.kind = node.kind;
    copy.value = node.value;
    if (has_one_operand(node.kind)) {
        copy.left = Copie_de_Arbre(tree, node.left);
    } else {
        copy.left = Copie_de_Arbre(tree, node.left);
        copy.right = Copie_de_Arbre(tree, node.right);
    }
    return append(copy);
}

int Derive_de_Arbre(const std::vector<Node>& tree, int i, const std::string& v)
{
    // The node is copied: tree may be arbre_derive itself, which appending moves.
    const Node node = tree[i];
    switch (node.kind) {
    case 'V': return append_constant(node.name == v ? 1 : 0);
    case '+':
    case '-': {
        const int a = Derive_de_Arbre(tree, node.left, v);
        const int b = Derive_de_Arbre(tree, node.right, v);
        return append(node.kind, a, b);
    }
    case '*': return derive_product_terms(tree, node, v, '+').joined;
    case '/': return derive_quotient(tree, node, v);
    case 'P': return derive_power(tree, node, v);
    case 'N': return append('N', Derive_de_Arbre(tree, node.left, v));
    case 'S': return derive_chain(tree, node, v, 'C');
    case 'C': return derive_cos(tree, node, v);
    case 'i': return derive_chain(tree, node, v, 'h');
    case 'h': return derive_chain(tree, node, v, 'i');
    case 'E': return derive_chain(tree, node, v, 'E');
    case 'L': {
        const int a = Derive_de_Arbre(tree, node.left, v);
        const int w = Copie_de_Arbre(tree, node.left);
        return append('/', a, w);
    }
    case 'R': return derive_sqrt(tree, node, v);
    case 'T': return derive_tan(tree, node, v);
    case 'A': return derive_atan(tree, node, v);
    case '2': return derive_sqr(tree, node, v);
    default:
        // Constants, and partial operators: an operator does not depend on
        // the variable, so differentiating a coefficient·operator product
        // differentiates the coefficient.
        return append_constant(0);
    }
}

std::set<std::string> variables2eq(const std::vector<Node>& tree, int i)
{
    std::set<std::string> names;
    collect_variables(tree, i, names);
    return names;
}

void expression::variables_eq()
{
    variables = has_tree() ? variables2eq(tree, root()) : std::set<std::string>();
}

bool expression::simplify()
{
    const std::vector<bool> total = total_nodes(tree);
    for (int i = root(); i >= 0; --i) {
        const int target = rewrite_target(tree, tree[i], total);
        if (target != -1) {
            Node replacement = tree[target];
            replacement.index = i;
            tree[i] = replacement;
            return false;
        }
    }
    return true;
}

void expression::Simplify()
{
    // One pass from the leaves up reaches what repeated simplify() steps
    // reach, in linear time instead of quadratic. Children stand before their
    // parent, so when a node is visited its children no longer change; a
    // node that becomes a copy of a child takes that child's record, to which
    // no rule applies, so one rewrite per node suffices. Where two rules
    // could fire at a node, their results differ at most in which of two
    // equal constants is copied (x*y with both factors 1, or both 0).
    // A rewrite removes only what is defined everywhere, so a node keeps its
    // domain and its totality is read once, after its own rewrite.
    std::vector<bool> total(tree.size());
    for (int i = 0; i < static_cast<int>(tree.size()); ++i) {
        const int target = rewrite_target(tree, tree[i], total);
        if (target != -1) {
            Node replacement = tree[target];
            replacement.index = i;
            tree[i] = replacement;
        }
        total[i] = defined_everywhere(tree, tree[i], total);
    }
    // Derivatives of long sums repeat terms (y+y+...+y): collected, they stay
    // as small as the sum has distinct terms.
    collect_like_terms(tree);
    ArbreToChaine();
}

expression expression::derive(const std::string& v) const
{
    expression result;
    arbre_derive.clear();
    if (!has_tree())
        return result;
    Derive_de_Arbre(tree, root(), v);
    result.tree = arbre_derive;
    result.Simplify();
    return result;
}
