// Compilation of trees into a flat program, and its evaluation.

#include "compiled.hpp"

#include <algorithm>
#include <cmath>
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

/// Whether nodes of kind k are partial functions: square root, logarithm,
/// quotient, power (negative exponents) and tangent.
bool partial(char k) { return std::strchr("RL/PT", k) != nullptr; }

/// Whether I is bounded, non-empty and without 0.
bool excludes_zero(const interval& I) { return !I.isEmpty() && !I.isInfinite() && !I.contains(0.0); }

/// Whether a power with exponent n is defined for every base in a: the
/// exponent is read as evaluation reads it, its upper bound truncated, and a
/// negative one asks for a base without 0.
bool power_defined(const interval& a, const interval& n)
{
    if (n.isEmpty() || n.isInfinite()) return false;
    return std::trunc(n.sup()) >= 0.0 || excludes_zero(a);
}

/// The variable names of the trees.
std::set<std::string> names_in(const std::vector<const std::vector<Node>*>& trees)
{
    std::set<std::string> names;
    for (const std::vector<Node>* tree : trees)
        for (const Node& node : *tree)
            if (node.kind == 'V') names.insert(node.name);
    return names;
}

/// The bits of a double, so that equal constants compare equal bit for bit.
std::uint64_t bits_of(double d)
{
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return bits;
}

/// Whether two variable names are equal, compared in place: names are a few
/// characters, far below the cost of a call to the library's comparison.
bool same_name(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return false;
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
    const auto [found, added] = slots.emplace(std::make_tuple(op.kind, op.left, op.right, bits_of(op.value)),
                                              static_cast<int>(variables_.size() + code_.size()));
    if (added) {
        code_.push_back(op);
        if (partial(op.kind)) add_check(op);
    }
    return found->second;
}

void compiled_program::add_check(const instruction& op)
{
    // A power by a constant whose truncation is non-negative (x^2, x^5) is
    // defined everywhere, and so is a quotient by a non-zero constant.
    const instruction* right = op.right >= static_cast<int>(variables_.size())
                                   ? &code_[op.right - variables_.size()]
                                   : nullptr;
    if (right != nullptr && right->kind == 'r') {
        const interval constant(right->value);
        if (op.kind == 'P' && power_defined(interval::ENTIRE(), constant)) return;
        if (op.kind == '/' && excludes_zero(constant)) return;
    }
    checks_.push_back(op);
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
    // The variables and the box are both in ascending name order: one walk
    // along both finds every name.
    slots.resize(size());
    auto entry = box.begin();
    for (std::size_t v = 0; v < variables_.size(); ++v) {
        while (entry != box.end() && entry->first < variables_[v]) ++entry;
        slots[v] = entry != box.end() && entry->first == variables_[v] ? entry->second : interval();
    }
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

bool compiled_program::defined(const std::vector<interval>& slots) const
{
    for (const instruction& check : checks_) {
        const interval& a = slots[check.left];
        switch (check.kind) {
        case 'R':
            if (a.isEmpty() || !(a.inf() >= 0.0)) return false;
            break;
        case 'L':
            if (a.isEmpty() || !(a.inf() > 0.0)) return false;
            break;
        case '/':
            if (!excludes_zero(slots[check.right])) return false;
            break;
        case 'P':
            if (!power_defined(a, slots[check.right])) return false;
            break;
        case 'T':
            if (!excludes_zero(cos(a))) return false;
            break;
        default:
            break;
        }
    }
    return true;
}

bool compiled_cache::compiled_from(const form& f, const std::vector<const std::vector<Node>*>& trees)
{
    // The kind, the children and the constant of every node, and the name of
    // every variable: all that compilation reads (no other node's name).
    if (f.sizes.size() != trees.size()) return false;
    const node_key* key = f.nodes.data();
    auto name = f.names.begin();
    for (std::size_t k = 0; k < trees.size(); ++k) {
        if (trees[k]->size() != f.sizes[k]) return false;
        for (const Node& node : *trees[k]) {
            if (node.kind != key->kind || node.left != key->left || node.right != key->right
                || bits_of(node.value) != key->value_bits)
                return false;
            if (node.kind == 'V' && !same_name(node.name, *name++)) return false;
            ++key;
        }
    }
    return true;
}

compiled_cache::form compiled_cache::form_of(const std::vector<const std::vector<Node>*>& trees)
{
    form f;
    for (const std::vector<Node>* tree : trees) {
        f.sizes.push_back(tree->size());
        for (const Node& node : *tree) {
            f.nodes.push_back({node.kind, node.left, node.right, bits_of(node.value)});
            if (node.kind == 'V') f.names.push_back(node.name);
        }
    }
    f.program = compiled_program(trees);
    return f;
}

const compiled_program& compiled_cache::program(const std::vector<const std::vector<Node>*>& trees) const
{
    if (!form_ || !compiled_from(*form_, trees)) form_ = std::make_shared<const form>(form_of(trees));
    return form_->program;
}

void compiled_cache::evaluate(const std::vector<const std::vector<Node>*>& trees, const domain& box,
                              std::vector<interval>& values) const
{
    const compiled_program& p = program(trees);
    thread_local std::vector<interval> slots;
    p.run(box, slots);
    values.resize(p.outputs().size());
    for (std::size_t k = 0; k < values.size(); ++k) values[k] = slots[p.outputs()[k]];
}

bool compiled_cache::defined_on(const std::vector<const std::vector<Node>*>& trees, const domain& box) const
{
    const compiled_program& p = program(trees);
    if (p.total()) return true;
    thread_local std::vector<interval> slots;
    p.run(box, slots);
    return p.defined(slots);
}
