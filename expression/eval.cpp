// Natural interval extension of expression trees.

#include "expression.hpp"

#include <cmath>

interval power_by_exponent(const interval& base, const interval& exponent)
{
    // An exponent that is empty, unbounded or beyond int range says nothing
    // usable about the power, so the enclosure is then the whole line.
    const double n = std::trunc(exponent.sup());
    const bool usable = !exponent.isEmpty() && std::isfinite(exponent.inf())
                        && std::isfinite(n) && std::fabs(n) <= 2147483647.0;
    return usable ? power(base, static_cast<int>(n)) : interval::ENTIRE();
}

interval Eval(const std::vector<Node>& tree, int i, const domain& box)
{
    const Node& node = tree[i];
    switch (node.kind) {
    case 'r': return interval(node.value);
    case 'V': return box.get(node.name);
    case '+': return Eval(tree, node.left, box) + Eval(tree, node.right, box);
    case '-': return Eval(tree, node.left, box) - Eval(tree, node.right, box);
    case '*': return Eval(tree, node.left, box) * Eval(tree, node.right, box);
    case '/': return Eval(tree, node.left, box) / Eval(tree, node.right, box);
    case 'P': return power_by_exponent(Eval(tree, node.left, box), Eval(tree, node.right, box));
    case 'N': return -Eval(tree, node.left, box);
    case 'C': return cos(Eval(tree, node.left, box));
    case 'S': return sin(Eval(tree, node.left, box));
    case 'h': return cosh(Eval(tree, node.left, box));
    case 'i': return sinh(Eval(tree, node.left, box));
    case 'T': return tan(Eval(tree, node.left, box));
    case 'A': return atan(Eval(tree, node.left, box));
    case 'E': return exp(Eval(tree, node.left, box));
    case 'L': return log(Eval(tree, node.left, box));
    case 'R': return sqrt(Eval(tree, node.left, box));
    case '2': return power(Eval(tree, node.left, box), 2);
    default:
        // A partial-derivative operator has no value of its own: nothing
        // narrower than the whole line can be claimed for it.
        return interval::ENTIRE();
    }
}

interval expression::Evalue(const domain& box) const
{
    return has_tree() ? Eval(tree, root(), box) : interval::ENTIRE();
}
