// Collection of like terms: the terms of a sum that are the same product up
// to a numeric factor become one term whose factor is the sum of theirs.

#include "node.hpp"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <tuple>

namespace {

bool is_sum(char kind) { return kind == '+' || kind == '-'; }

/// s = a + b when the double sum is the exact real sum. In round to nearest
/// the error of a sum is itself a double, which the two-sum recovers exactly,
/// so a zero error means the sum is exact.
bool exact_sum(double a, double b, double& s)
{
    if (std::fegetround() != FE_TONEAREST) return false;
    s = a + b;
    if (!std::isfinite(s)) return false;
    const double b_part = s - a;
    return (a - (s - b_part)) + (b - b_part) == 0.0;
}

/// p = a · b when the double product is the exact real product. Far from
/// underflow the error of a product is a double, which fma recovers exactly,
/// so a zero error means the product is exact; a zero product is exact only
/// when a factor is zero.
bool exact_product(double a, double b, double& p)
{
    if (std::fegetround() != FE_TONEAREST) return false;
    p = a * b;
    if (!std::isfinite(p)) return false;
    if (p == 0.0) return a == 0.0 || b == 0.0;
    constexpr double far_from_underflow = 1e-250;
    return std::fabs(p) >= far_from_underflow && std::fma(a, b, -p) == 0.0;
}

/// A term of a sum: its position and whether the sum subtracts it.
struct signed_term {
    int position;
    bool negative;
};

/// A term read as a numeric factor times a product of other factors.
struct term_form {
    double coefficient = 1.0;
    /// Positions of the other factors, in product order.
    std::vector<int> factors;
};

/// Terms of one sum with the same factors up to order.
struct term_group {
    /// The factors of the first member, in its product order.
    std::vector<int> factors;
    /// Exact sums of the members' coefficients: a coefficient whose sum with
    /// the last one is not exact starts a new one.
    std::vector<double> coefficients;
    std::vector<signed_term> members;

    bool merged() const { return coefficients.size() < members.size(); }
};

/// Rebuilds a tree bottom-up into a new one in which equal subtrees are one
/// node and every sum has its like terms collected.
class like_term_collector {
public:
    explicit like_term_collector(const std::vector<Node>& tree)
        : tree_(tree), rebuilt_(tree.size(), -1), rebuilt_in_sum_(tree.size(), -1)
    {
    }

    /// The position of the rebuilt root.
    int rebuild_root() { return rebuild(static_cast<int>(tree_.size()) - 1); }
    /// Whether some sum had like terms.
    bool merged() const { return merged_; }
    /// The nodes reachable from root, children before parents, root last.
    std::vector<Node> reachable_from(int root) const;

private:
    int rebuild(int i);
    /// The rebuilt sum at i with its own shape, only its terms rebuilt.
    int rebuild_in_sum(int i);
    int collect_sum(int i);
    void gather_terms(int i, bool negative, std::vector<signed_term>& terms) const;
    term_form form_of(int t) const;
    /// The terms standing for a group, appended to terms.
    void emit(const term_group& group, std::vector<signed_term>& terms);
    int product_of(const std::vector<int>& factors);
    int sum_of(const std::vector<signed_term>& terms);
    bool total(const std::vector<int>& factors) const;
    bool varying(const std::vector<int>& factors) const;
    /// Whether node k of out_ is the constant 0, which a collected sum drops.
    bool is_zero(int k) const;
    int make(const Node& n);
    int make(char kind, int left, int right = -1);
    int constant(double value);

    const std::vector<Node>& tree_;
    std::vector<int> rebuilt_;
    std::vector<int> rebuilt_in_sum_;
    std::vector<Node> out_;
    /// Whether each node of out_ is defined at every point (no division,
    /// logarithm, square root, tangent, or power without a non-negative
    /// constant exponent).
    std::vector<bool> total_;
    /// Whether each node of out_ holds a variable.
    std::vector<bool> varying_;
    std::map<std::tuple<char, int, int, std::uint64_t, std::string>, int> made_;
    bool merged_ = false;
};

int like_term_collector::make(const Node& n)
{
    // A collected sum may leave a 0 or a 1 where a rule applies above it.
    const int target = rewrite_target(out_, n, total_);
    if (target != -1) return target;
    std::uint64_t bits;
    std::memcpy(&bits, &n.value, sizeof bits);
    const auto [found, added] =
        made_.emplace(std::make_tuple(n.kind, n.left, n.right, bits, n.name), static_cast<int>(out_.size()));
    if (!added) return found->second;
    Node copy = n;
    copy.index = found->second;
    out_.push_back(copy);
    total_.push_back(defined_everywhere(out_, copy, total_));
    varying_.push_back(n.kind == 'V' || (n.left >= 0 && varying_[n.left]) || (n.right >= 0 && varying_[n.right]));
    return copy.index;
}

int like_term_collector::make(char kind, int left, int right)
{
    Node n;
    n.kind = kind;
    n.left = left;
    n.right = right;
    return make(n);
}

int like_term_collector::constant(double value)
{
    Node n;
    n.kind = 'r';
    n.value = value;
    return make(n);
}

int like_term_collector::rebuild(int i)
{
    if (rebuilt_[i] != -1) return rebuilt_[i];
    Node n = tree_[i];
    if (is_sum(n.kind)) return rebuilt_[i] = collect_sum(i);
    if (n.left != -1) n.left = rebuild(n.left);
    if (n.right != -1) n.right = rebuild(n.right);
    return rebuilt_[i] = make(n);
}

int like_term_collector::rebuild_in_sum(int i)
{
    const Node& n = tree_[i];
    if (!is_sum(n.kind)) return rebuild(i);
    if (rebuilt_in_sum_[i] != -1) return rebuilt_in_sum_[i];
    const int left = rebuild_in_sum(n.left);
    return rebuilt_in_sum_[i] = make(n.kind, left, rebuild_in_sum(n.right));
}

void like_term_collector::gather_terms(int i, bool negative, std::vector<signed_term>& terms) const
{
    const Node& n = tree_[i];
    if (!is_sum(n.kind)) {
        terms.push_back({i, negative});
        return;
    }
    gather_terms(n.left, negative, terms);
    gather_terms(n.right, n.kind == '-' ? !negative : negative, terms);
}

term_form like_term_collector::form_of(int t) const
{
    // Negations and constant factors go into the coefficient while its
    // products stay exact; the other factors are kept in product order.
    term_form form;
    std::vector<int> pending{t};
    while (!pending.empty()) {
        const int k = pending.back();
        pending.pop_back();
        const Node& n = out_[k];
        double product = 0.0;
        if (n.kind == 'N') {
            form.coefficient = -form.coefficient;
            pending.push_back(n.left);
        } else if (n.kind == '*') {
            pending.push_back(n.right);
            pending.push_back(n.left);
        } else if (n.kind == 'r' && exact_product(form.coefficient, n.value, product)) {
            form.coefficient = product;
        } else {
            form.factors.push_back(k);
        }
    }
    return form;
}

int like_term_collector::collect_sum(int i)
{
    // Terms are grouped by their sorted factors (equal subtrees are one node
    // of out_), so the grouping costs n log n over the terms.
    std::vector<signed_term> terms;
    gather_terms(i, false, terms);
    std::vector<term_group> groups;
    std::map<std::vector<int>, std::size_t> group_of;
    for (const signed_term& term : terms) {
        const int t = rebuild(term.position);
        term_form form = form_of(t);
        if (term.negative) form.coefficient = -form.coefficient;
        std::vector<int> key = form.factors;
        std::sort(key.begin(), key.end());
        // Terms without a variable stay as they are: constant arithmetic is
        // not folded.
        const bool added = !varying(form.factors) || group_of.emplace(key, groups.size()).second;
        if (added) {
            groups.push_back({form.factors, {form.coefficient}, {{t, term.negative}}});
            continue;
        }
        term_group& group = groups[group_of[key]];
        group.members.push_back({t, term.negative});
        double sum = 0.0;
        if (exact_sum(group.coefficients.back(), form.coefficient, sum))
            group.coefficients.back() = sum;
        else
            group.coefficients.push_back(form.coefficient);
    }
    const bool collected = std::any_of(groups.begin(), groups.end(), [](const term_group& g) { return g.merged(); });
    if (!collected) return rebuild_in_sum(i);
    merged_ = true;
    std::vector<signed_term> collected_terms;
    for (const term_group& group : groups) emit(group, collected_terms);
    return sum_of(collected_terms);
}

bool like_term_collector::is_zero(int k) const
{
    return out_[k].kind == 'r' && out_[k].value == 0.0;
}

bool like_term_collector::varying(const std::vector<int>& factors) const
{
    return std::any_of(factors.begin(), factors.end(), [this](int k) { return varying_[k]; });
}

bool like_term_collector::total(const std::vector<int>& factors) const
{
    return std::all_of(factors.begin(), factors.end(), [this](int k) { return total_[k]; });
}

void like_term_collector::emit(const term_group& group, std::vector<signed_term>& terms)
{
    // Σ c_k·F = (Σ c_k)·F for the real product F, and every coefficient here
    // is an exact sum: the collected term denotes the same real function. A
    // zero coefficient drops F only where F is defined everywhere; otherwise
    // the members stay, so that the sum keeps its domain.
    const bool cancels = std::find(group.coefficients.begin(), group.coefficients.end(), 0.0) != group.coefficients.end();
    if (!group.merged() || (cancels && !total(group.factors))) {
        for (const signed_term& member : group.members)
            if (!is_zero(member.position)) terms.push_back(member);
        return;
    }
    for (const double c : group.coefficients) {
        if (c == 0.0) continue;
        const double magnitude = std::fabs(c);
        const int product = product_of(group.factors);
        const int t = magnitude == 1.0 ? product : make('*', constant(magnitude), product);
        terms.push_back({t, c < 0.0});
    }
}

int like_term_collector::product_of(const std::vector<int>& factors)
{
    int product = factors.front();
    for (std::size_t k = 1; k < factors.size(); ++k) product = make('*', product, factors[k]);
    return product;
}

int like_term_collector::sum_of(const std::vector<signed_term>& terms)
{
    if (terms.empty()) return constant(0.0);
    int sum = terms.front().negative ? make('N', terms.front().position) : terms.front().position;
    for (std::size_t k = 1; k < terms.size(); ++k) sum = make(terms[k].negative ? '-' : '+', sum, terms[k].position);
    return sum;
}

std::vector<Node> like_term_collector::reachable_from(int root) const
{
    // Post-order from the root, each node once: shared nodes stay shared.
    std::vector<int> position(out_.size(), -1);
    std::vector<Node> result;
    std::vector<std::pair<int, bool>> pending{{root, false}};
    while (!pending.empty()) {
        const auto [k, children_done] = pending.back();
        pending.pop_back();
        if (position[k] != -1) continue;
        const Node& n = out_[k];
        if (!children_done) {
            pending.push_back({k, true});
            if (n.right != -1) pending.push_back({n.right, false});
            if (n.left != -1) pending.push_back({n.left, false});
            continue;
        }
        Node copy = n;
        if (n.left != -1) copy.left = position[n.left];
        if (n.right != -1) copy.right = position[n.right];
        copy.index = static_cast<int>(result.size());
        position[k] = copy.index;
        result.push_back(copy);
    }
    return result;
}

}  // namespace

void collect_like_terms(std::vector<Node>& tree)
{
    // A partial operator's product must keep its textual shape to parse back.
    const bool has_operator = std::any_of(tree.begin(), tree.end(), [](const Node& n) { return n.kind == 'p'; });
    if (tree.empty() || has_operator) return;
    like_term_collector collector(tree);
    const int root = collector.rebuild_root();
    if (collector.merged()) tree = collector.reachable_from(root);
}
