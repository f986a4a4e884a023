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

/// Whether the partial function op has its arguments, read from slots s,
/// inside its domain.
template <class Instruction>
bool domain_holds(const Instruction& op, const interval* s)
{
    const interval& a = s[op.left];
    switch (op.kind) {
    case 'R': return !a.isEmpty() && a.inf() >= 0.0;
    case 'L': return !a.isEmpty() && a.inf() > 0.0;
    case '/': return excludes_zero(s[op.right]);
    case 'P': return power_defined(a, s[op.right]);
    case 'T': return excludes_zero(cos(a));
    default: return true;
    }
}

/// The value of op from its operands' values a and b, as Eval computes its node.
template <class Instruction>
interval value_of(const Instruction& op, const interval& a, const interval& b)
{
    switch (op.kind) {
    case 'r': return interval(op.value);
    case '+': return a + b;
    case '-': return a - b;
    case '*': return a * b;
    case '/': return a / b;
    case 'P': return power_by_exponent(a, b);
    case 'N': return -a;
    case 'C': return cos(a);
    case 'S': return sin(a);
    case 'h': return cosh(a);
    case 'i': return sinh(a);
    case 'T': return tan(a);
    case 'A': return atan(a);
    case 'E': return exp(a);
    case 'L': return log(a);
    case 'R': return sqrt(a);
    case '2': return power(a, 2);
    default: return interval::ENTIRE();
    }
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

compiled_program::compiled_program(const std::vector<const std::vector<Node>*>& trees,
                                   const std::vector<derivative_of>& derivatives)
{
    const std::set<std::string> names = names_in(trees);
    variables_.assign(names.begin(), names.end());
    slot_table slots;
    for (const std::vector<Node>* tree : trees) {
        outputs_.push_back(tree->empty() ? slot_of({entire_kind, -1, -1, 0.0}, slots)
                                         : compile(*tree, static_cast<int>(tree->size()) - 1, slots));
    }
    const std::vector<std::optional<interval>> fixed = fixed_values();
    add_checks(fixed);
    attach_centred_bounds(fixed);
    attach_derivatives(derivatives);
}

void compiled_program::attach_derivatives(const std::vector<derivative_of>& derivatives)
{
    const int n = static_cast<int>(variables_.size());
    derived_variables_.assign(bounds_.size(), {});
    derived_slots_.assign(bounds_.size(), {});
    for (const derivative_of& d : derivatives) {
        const int primitive = outputs_[d.of];
        const int slot = outputs_[d.derivative];
        const auto variable = std::find(variables_.begin(), variables_.end(), d.variable);
        // A derivative along a variable the trees lack is 0, and its tree says so.
        if (primitive < n || slot < n || variable == variables_.end()) continue;
        const int bound = bound_of_[primitive - n];
        if (bound < 0) continue;
        derived_variables_[bound].push_back(static_cast<int>(variable - variables_.begin()));
        derived_slots_[bound].push_back(slot);
        bound_of_[slot - n] = -1;
    }
}

std::vector<std::optional<interval>> compiled_program::fixed_values() const
{
    const std::size_t n = variables_.size();
    std::vector<std::optional<interval>> fixed(n + code_.size());
    for (std::size_t k = 0; k < code_.size(); ++k) {
        const instruction& op = code_[k];
        const bool fixed_left = op.left < 0 || fixed[op.left];
        const bool fixed_right = op.right < 0 || fixed[op.right];
        if (!fixed_left || !fixed_right || op.kind == entire_kind) continue;
        const interval none;
        fixed[n + k] = value_of(op, op.left < 0 ? none : *fixed[op.left], op.right < 0 ? none : *fixed[op.right]);
    }
    return fixed;
}

void compiled_program::add_checks(const std::vector<std::optional<interval>>& fixed)
{
    // Each domain condition holds for an operand's interval if it holds for
    // any interval holding it; with the operands that vary read as the whole
    // line, a condition that still holds holds over every box (x^2, x/3,
    // x/(20^2)), and needs no check.
    std::vector<interval> values(fixed.size());
    for (std::size_t k = 0; k < fixed.size(); ++k) values[k] = fixed[k] ? *fixed[k] : interval::ENTIRE();
    for (const instruction& op : code_) {
        if (partial(op.kind) && !domain_holds(op, values.data())) checks_.push_back(op);
    }
}

std::optional<polynomial> compiled_program::polynomial_of(const instruction& op,
                                                          const std::vector<std::optional<polynomial>>& forms,
                                                          const std::vector<std::optional<interval>>& fixed) const
{
    const auto form = [&](int slot) -> const std::optional<polynomial>& { return forms[slot]; };
    switch (op.kind) {
    case 'r': return polynomial::constant(static_cast<int>(variables_.size()), interval(op.value));
    case 'N':
        if (form(op.left)) return form(op.left)->negated();
        return std::nullopt;
    case '2':
        if (form(op.left)) return power(*form(op.left), 2);
        return std::nullopt;
    case '+':
    case '-':
    case '*': {
        const std::optional<polynomial>& a = form(op.left);
        const std::optional<polynomial>& b = form(op.right);
        if (!a || !b) return std::nullopt;
        if (op.kind == '*') return product(*a, *b);
        return sum(*a, op.kind == '+' ? *b : b->negated());
    }
    case '/': {
        // A quotient by a constant C without 0 is the product by 1/C.
        const std::optional<interval>& c = fixed[op.right];
        if (!form(op.left) || !c || !excludes_zero(*c)) return std::nullopt;
        return form(op.left)->scaled(interval(1.0) / *c);
    }
    case 'P': {
        // A power is evaluated with the upper bound of its exponent truncated.
        const std::optional<interval>& e = fixed[op.right];
        if (!form(op.left) || !e || e->isEmpty()) return std::nullopt;
        const double n = std::trunc(e->sup());
        if (!(n >= 0.0 && n <= 1000.0)) return std::nullopt;
        return power(*form(op.left), static_cast<int>(n));
    }
    default: return std::nullopt;
    }
}

void compiled_program::attach_centred_bounds(const std::vector<std::optional<interval>>& fixed)
{
    const int n = static_cast<int>(variables_.size());
    std::vector<std::optional<polynomial>> forms;
    forms.reserve(n + code_.size());
    for (int v = 0; v < n; ++v) forms.push_back(polynomial::variable(n, v));
    if (!forms.empty() && !forms.front()) return;
    for (const instruction& op : code_) forms.push_back(polynomial_of(op, forms, fixed));
    // A polynomial slot read only by polynomial slots is tightened through them.
    std::vector<bool> read_otherwise(forms.size(), false);
    for (std::size_t k = 0; k < code_.size(); ++k) {
        if (forms[n + k]) continue;
        for (const int operand : {code_[k].left, code_[k].right})
            if (operand >= 0) read_otherwise[operand] = true;
    }
    for (const int output : outputs_) read_otherwise[output] = true;
    bound_of_.assign(code_.size(), -1);
    for (std::size_t k = 0; k < code_.size(); ++k) {
        const std::optional<polynomial>& form = forms[n + k];
        if (!form || !read_otherwise[n + k] || form->degree() < 2) continue;
        std::optional<centred_bound> bound = centred_bound::of(*form);
        if (!bound) continue;
        bound_of_[k] = static_cast<int>(bounds_.size());
        bounds_.push_back(std::move(*bound));
    }
}

int compiled_program::slot_of(const instruction& op, slot_table& slots)
{
    // Equal instructions on equal slots compute equal intervals: one slot.
    const auto [found, added] = slots.emplace(std::make_tuple(op.kind, op.left, op.right, bits_of(op.value)),
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
    // The derivatives a bound gives, applied once every slot is computed.
    thread_local std::vector<std::pair<int, interval>> derived;
    thread_local std::vector<interval> values;
    derived.clear();
    std::size_t k = variables_.size();
    for (const instruction& op : code_) {
        const interval& a = op.left >= 0 ? s[op.left] : s[k];
        const interval& b = op.right >= 0 ? s[op.right] : s[k];
        interval& r = s[k++];
        r = value_of(op, a, b);
        const int bound = bound_of_[k - 1 - variables_.size()];
        if (bound < 0) continue;
        const std::vector<int>& wanted = derived_variables_[bound];
        values.resize(wanted.size());
        r = r.intersect(bounds_[bound].over(s, wanted, values.data()));
        for (std::size_t i = 0; i < wanted.size(); ++i) derived.emplace_back(derived_slots_[bound][i], values[i]);
    }
    for (const auto& [slot, value] : derived) s[slot] = s[slot].intersect(value);
}

bool compiled_program::defined(const std::vector<interval>& slots) const
{
    return std::all_of(checks_.begin(), checks_.end(),
                       [&](const instruction& check) { return domain_holds(check, slots.data()); });
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
