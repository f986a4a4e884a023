// Compilation of trees into a flat program, and its evaluation.

#include "compiled.hpp"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

/// Kind of the instruction that yields the entire line (a partial-derivative
/// node, an unknown node or an empty tree).
constexpr char entire_kind = '?';

/// Whether Eval gives node kind k from its left child only.
bool unary(char k) { return std::strchr("NCShiTAELR2", k) != nullptr; }

/// Whether Eval gives node kind k from both children.
bool binary(char k) { return std::strchr("+-*/P", k) != nullptr; }

/// The variable names of the trees.
std::set<std::string> names_in(const std::vector<const std::vector<Node>*>& trees)
{
    std::set<std::string> names;
    for (const std::vector<Node>* tree : trees)
        for (const Node& node : *tree)
            if (node.kind == 'V') names.insert(node.name);
    return names;
}

/// Whether two trees have the same nodes, as far as evaluation reads them.
bool same_tree(const std::vector<Node>& a, const std::vector<Node>& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const Node& m = a[i];
        const Node& n = b[i];
        if (m.kind != n.kind || m.left != n.left || m.right != n.right
            || std::memcmp(&m.value, &n.value, sizeof(double)) != 0 || m.name != n.name)
            return false;
    }
    return true;
}

}  // namespace

compiled_program::compiled_program(const std::vector<const std::vector<Node>*>& trees)
{
    const std::set<std::string> names = names_in(trees);
    variables_.assign(names.begin(), names.end());
    slot_table slots;
    for (const std::vector<Node>* tree : trees) {
        outputs_.push_back(tree->empty() ? slot_of({entire_kind, -1, -1, 0.0}, slots)
                                         : compile(*tree, static_cast<int>(tree->size()) - 1, slots));
    }
}

int compiled_program::slot_of(const instruction& op, slot_table& slots)
{
    // Equal instructions on equal slots compute equal intervals: one slot.
    std::uint64_t bits;
    std::memcpy(&bits, &op.value, sizeof bits);
    const auto [found, added] = slots.emplace(std::make_tuple(op.kind, op.left, op.right, bits),
                                              static_cast<int>(variables_.size() + code_.size()));
    if (added) code_.push_back(op);
    return found->second;
}

int compiled_program::compile(const std::vector<Node>& tree, int i, slot_table& slots)
{
    const Node& node = tree[i];
    if (node.kind == 'V') {
        const auto found = std::lower_bound(variables_.begin(), variables_.end(), node.name);
        return static_cast<int>(found - variables_.begin());
    }
    if (node.kind == 'r') return slot_of({'r', -1, -1, node.value}, slots);
    if (unary(node.kind)) return slot_of({node.kind, compile(tree, node.left, slots), -1, 0.0}, slots);
    if (binary(node.kind)) {
        const int left = compile(tree, node.left, slots);
        return slot_of({node.kind, left, compile(tree, node.right, slots), 0.0}, slots);
    }
    return slot_of({entire_kind, -1, -1, 0.0}, slots);
}

void compiled_program::load(const domain& box, std::vector<interval>& slots) const
{
    slots.resize(size());
    for (std::size_t v = 0; v < variables_.size(); ++v) slots[v] = box.get(variables_[v]);
}

void compiled_program::run(std::vector<interval>& slots) const
{
    interval* s = slots.data();
    std::size_t k = variables_.size();
    for (const instruction& op : code_) {
        const interval& a = op.left >= 0 ? s[op.left] : s[k];
        const interval& b = op.right >= 0 ? s[op.right] : s[k];
        interval& r = s[k++];
        switch (op.kind) {
        case 'r': r = interval(op.value); break;
        case '+': r = a + b; break;
        case '-': r = a - b; break;
        case '*': r = a * b; break;
        case '/': r = a / b; break;
        case 'P': r = power_by_exponent(a, b); break;
        case 'N': r = -a; break;
        case 'C': r = cos(a); break;
        case 'S': r = sin(a); break;
        case 'h': r = cosh(a); break;
        case 'i': r = sinh(a); break;
        case 'T': r = tan(a); break;
        case 'A': r = atan(a); break;
        case 'E': r = exp(a); break;
        case 'L': r = log(a); break;
        case 'R': r = sqrt(a); break;
        case '2': r = power(a, 2); break;
        default: r = interval::ENTIRE(); break;
        }
    }
}

const compiled_program& compiled_cache::program(const std::vector<const std::vector<Node>*>& trees) const
{
    bool current = form_ && form_->trees.size() == trees.size();
    for (std::size_t k = 0; current && k < trees.size(); ++k) current = same_tree(form_->trees[k], *trees[k]);
    if (!current) {
        form compiled;
        for (const std::vector<Node>* tree : trees) compiled.trees.push_back(*tree);
        compiled.program = compiled_program(trees);
        form_ = std::make_shared<const form>(std::move(compiled));
    }
    return form_->program;
}
